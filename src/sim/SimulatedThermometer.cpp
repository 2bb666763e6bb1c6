#include "sim/SimulatedThermometer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

constexpr uint8_t kBlank = 0xA;
constexpr uint8_t kMinus = 0xB;
constexpr uint8_t kLetterL = 0xF;
constexpr uint8_t kFahrenheit = 2;
constexpr uint8_t kDecimalPoint = 1;

std::string decimalText(long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Right-aligns digits and a leading minus in the four display positions; false when the text
// is too long for them.
bool placeOnDisplay(const std::string& text, std::array<uint8_t, 5>& digits)
{
    if (text.size() > 4)
        return false;
    std::fill(digits.begin() + 1, digits.end(), kBlank);
    const size_t first = 1 + 4 - text.size();
    for (size_t i = 0; i < text.size(); ++i)
        digits[first + i] = text[i] == '-' ? kMinus : static_cast<uint8_t>(text[i] - '0');
    return true;
}

}  // namespace

SimulatedThermometer::SimulatedThermometer() : SimulatedThermometer(Options{}) {}

SimulatedThermometer::SimulatedThermometer(Options options)
    : m_options(std::move(options)), m_random(m_options.seed), m_celsius(m_options.roomTemperature)
{
}

QByteArray SimulatedThermometer::frame(const std::array<uint8_t, 9>& digits)
{
    QByteArray bytes;
    for (const uint8_t digit : digits)
        bytes.append(static_cast<char>(0x30 | (digit & 0x0F)));
    bytes.append('\r');
    bytes.append('\n');
    return bytes;
}

std::array<uint8_t, 5> SimulatedThermometer::displayDigits(double value, Unit unit)
{
    const uint8_t unitBit = unit == Unit::Fahrenheit ? kFahrenheit : 0;
    std::array<uint8_t, 5> digits{};
    const long tenths = std::lround(value * 10);
    std::string text = decimalText(std::labs(tenths));
    if (text.size() < 2)
        text.insert(0, "0");
    if (tenths < 0)
        text.insert(0, "-");
    if (placeOnDisplay(text, digits)) {
        digits[0] = unitBit | kDecimalPoint;
        return digits;
    }
    if (placeOnDisplay(decimalText(std::lround(value)), digits)) {
        digits[0] = unitBit;
        return digits;
    }
    return {unitBit, value < 0 ? kMinus : kBlank, 0, kLetterL, kBlank};
}

std::array<uint8_t, 5> SimulatedThermometer::readingDigits(double value) const
{
    const uint8_t unitBit = m_options.unit == Unit::Fahrenheit ? kFahrenheit : 0;
    switch (m_reading) {
    case Reading::OverloadHigh: return {unitBit, kBlank, 0, kLetterL, kBlank};
    case Reading::OverloadLow: return {unitBit, kMinus, 0, kLetterL, kBlank};
    case Reading::Dashes: return {unitBit, kMinus, kMinus, kMinus, kMinus};
    case Reading::Temperature: break;
    }
    return displayDigits(value, m_options.unit);
}

QByteArray SimulatedThermometer::liveFrame()
{
    // A random walk that drifts back towards room temperature.
    const double step = m_options.changePerSecond * (m_options.liveFrameIntervalUs / 1e6);
    std::normal_distribution<double> noise(0.0, 1.0);
    m_celsius += step * noise(m_random) + 0.05 * (m_options.roomTemperature - m_celsius);
    const double shown = m_options.unit == Unit::Fahrenheit ? m_celsius * 9 / 5 + 32 : m_celsius;
    const auto d = readingDigits(shown);
    return frame({d[0], d[1], d[2], d[3], d[4], 0, 1, 0, 0});
}

// An empty memory still answers with one frame marked as the last, so a download always ends.
QByteArray SimulatedThermometer::storedFrame(size_t index) const
{
    const std::vector<double>& readings = m_options.storedReadings;
    const bool last = index + 1 >= readings.size();
    const uint8_t end = last ? 9 : 0;
    if (readings.empty()) {
        const uint8_t unitBit = m_options.unit == Unit::Fahrenheit ? kFahrenheit : 0;
        return frame({unitBit, kMinus, kMinus, kMinus, kMinus, 0, 7, end, end});
    }
    const auto d = displayDigits(readings[index], m_options.unit);
    return frame({d[0], d[1], d[2], d[3], d[4], 0, 7, end, end});
}

QByteArray SimulatedThermometer::modelFrame() const
{
    std::array<uint8_t, 4> code{};
    for (size_t i = 0; i < code.size() && i < static_cast<size_t>(m_options.modelCode.size()); ++i)
        code[i] = static_cast<uint8_t>(m_options.modelCode[i] - '0');
    return frame({0, code[0], code[1], code[2], code[3], 1, 0, 0, 0});
}

void SimulatedThermometer::requestModelFrame(int64_t at)
{
    m_modelFrameAt = at + kReplyDelayUs;
}

void SimulatedThermometer::receive(QByteArrayView message, int64_t at)
{
    if (message.size() == 2 && message[0] == char(kStartLive) && message[1] == 0) {
        if (m_options.answerPollWithModel)
            requestModelFrame(at);
        return;
    }
    if (message.size() != 1)
        return;
    switch (static_cast<uint8_t>(message[0])) {
    case kStartLive:
        m_mode = Mode::Live;
        m_nextFrameAt = at + kReplyDelayUs;
        break;
    case kStartDownload:
        m_mode = Mode::Download;
        m_downloadIndex = 0;
        m_nextFrameAt = at + kReplyDelayUs;
        break;
    case kStop: m_mode = Mode::Idle; break;
    default: break;
    }
}

void SimulatedThermometer::transmitUntil(int64_t until,
                                         const std::function<void(int64_t start, const QByteArray& frame)>& send)
{
    for (;;) {
        std::optional<int64_t> due = m_modelFrameAt;
        bool model = due.has_value();
        if (m_mode != Mode::Idle && (!due || m_nextFrameAt < *due)) {
            due = m_nextFrameAt;
            model = false;
        }
        if (!due)
            return;
        const int64_t start = std::max(*due, m_lineFreeAt);
        if (start > until)
            return;
        QByteArray bytes;
        if (model) {
            bytes = modelFrame();
            m_modelFrameAt.reset();
        } else if (m_mode == Mode::Live) {
            bytes = liveFrame();
            ++m_readingFramesSent;
            m_nextFrameAt = start + m_options.liveFrameIntervalUs;
        } else {
            bytes = storedFrame(m_downloadIndex++);
            ++m_readingFramesSent;
            m_nextFrameAt = start + m_options.downloadFrameIntervalUs;
            if (m_downloadIndex >= std::max<size_t>(1, m_options.storedReadings.size()))
                m_mode = Mode::Idle;
        }
        m_lineFreeAt = start + SerialLine::byteArrival(bytes.size() - 1) + kMinFrameGapUs;
        if (!m_silent)
            send(start, bytes);
    }
}
