#include "sim/SimulatedCable.h"

#include <algorithm>

SimulatedCable::SimulatedCable() : SimulatedCable(Options{}) {}

SimulatedCable::SimulatedCable(Options options)
    : m_options(options), m_thermometer(options.thermometer), m_random(options.seed)
{
}

HidReportLengths SimulatedCable::reportLengths() const
{
    return {m_options.inputReportByteLength, kOutputReportByteLength, kFeatureReportByteLength};
}

void SimulatedCable::pull(int64_t until)
{
    m_thermometer.transmitUntil(until, [this](int64_t start, const QByteArray& frame) {
        if (m_baudRate != SerialLine::kBaud)
            return;
        for (qsizetype i = 0; i < frame.size(); ++i)
            m_line.push_back({start + SerialLine::byteArrival(i), static_cast<uint8_t>(frame[i])});
    });
}

bool SimulatedCable::receiveFeatureReport(std::span<const uint8_t> report, int64_t now)
{
    if (report.size() < 3 || report[0] != 0)
        return false;
    pull(now);
    m_baudRate = report[1] | (uint32_t{report[2]} << 8);
    return true;
}

bool SimulatedCable::receiveOutputReport(std::span<const uint8_t> report, int64_t now)
{
    if (report.empty() || report[0] != 0)
        return false;
    const size_t count = report.size() > 1 ? std::min<size_t>(report[1], report.size() - 2) : 0;
    if (count == 0)
        return true;
    const int64_t arrival =
        std::max(now, m_transmitFreeAt) + SerialLine::byteArrival(static_cast<int64_t>(count) - 1);
    m_transmitFreeAt = arrival;
    pull(arrival);
    if (m_baudRate == SerialLine::kBaud)
        m_thermometer.receive(QByteArrayView(reinterpret_cast<const char*>(report.data() + 2), count), arrival);
    return true;
}

SimulatedCable::InputReport SimulatedCable::nextReport()
{
    const int64_t previous = m_lastReportTime;
    const size_t capacity = std::min<size_t>(kMaxPayload, std::max(2, int(m_options.inputReportByteLength)) - 2);
    pull(previous + kIdleReportIntervalUs);

    InputReport report;
    report.bytes = QByteArray(m_options.inputReportByteLength, '\0');
    report.time = previous + kIdleReportIntervalUs;
    size_t count = 0;
    if (capacity > 0 && !m_line.empty() && m_line.front().arrival <= report.time) {
        std::uniform_int_distribution<int64_t> gather(0, kMaxGatherTimeUs);
        report.time = std::max(m_line.front().arrival, previous) + gather(m_random);
        pull(report.time);
        // A full buffer goes out at once.
        if (m_line.size() >= capacity)
            report.time = std::min(report.time, m_line[capacity - 1].arrival);
        report.time = std::max(report.time, previous + kMinReportSpacingUs);
        while (count < capacity && !m_line.empty() && m_line.front().arrival <= report.time) {
            report.bytes[2 + count] = static_cast<char>(m_line.front().value);
            m_line.pop_front();
            ++count;
        }
    }
    if (report.bytes.size() > 1)
        report.bytes[1] = static_cast<char>(0xF0 | count);
    m_lastReportTime = report.time;
    return report;
}

void SimulatedCable::skipTo(int64_t time)
{
    if (time <= m_lastReportTime)
        return;
    pull(time);
    while (!m_line.empty() && m_line.front().arrival <= time)
        m_line.pop_front();
    m_lastReportTime = time;
}

void SimulatedCable::powerCycle()
{
    m_baudRate = 0;
    m_line.clear();
    m_transmitFreeAt = 0;
}
