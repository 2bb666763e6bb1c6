#include "link/ReportFramer.h"

#include <exception>

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// A frame is made of a burst's first eleven bytes. A cable that never sends the empty report
// closing a burst must not make the burst grow for as long as it goes on, so what comes after
// them is not kept.
constexpr qsizetype kBurstHexKept = 2 * 11;

void appendHexByte(QByteArray& out, uint8_t byte)
{
    out.append(kHexDigits[byte >> 4]);
    out.append(kHexDigits[byte & 0x0F]);
}

// Characters from..to (1-based, inclusive) of a text; positions past the end contribute nothing.
QByteArray positions(const QByteArray& text, int from, int to)
{
    if (from > text.size())
        return {};
    return text.mid(from - 1, to - from + 1);
}

}  // namespace

QByteArray ReportFramer::historyLine(uint8_t reportId, const uint8_t* data, uint16_t size)
{
    QByteArray line("R ");
    appendHexByte(line, reportId);
    line.append("  ");
    for (uint16_t i = 0; i < size; ++i) {
        appendHexByte(line, data[i]);
        line.append(' ');
    }
    return line;
}

QByteArray ReportFramer::frameTextFromBurst(const QByteArray& burstHex)
{
    // Each byte's low nibble is the second of its two hex digits.
    QByteArray digits;
    const qsizetype bytes = std::min<qsizetype>(burstHex.size() / 2, 11);
    digits.reserve(bytes);
    for (qsizetype i = 0; i < bytes; ++i)
        digits.append(burstHex[2 * i + 1]);
    if (digits.size() == 11)
        digits = digits.right(1) + digits.left(10);
    return digits;
}

QByteArray ReportFramer::typeCode(const QByteArray& frameText)
{
    return positions(frameText, 1, 1) + positions(frameText, 11, 11) + positions(frameText, 7, 7) +
           positions(frameText, 8, 8);
}

std::optional<ReportFramer::Range> ReportFramer::modelRange(const QByteArray& frameText)
{
    // The model code is the four digits the instrument shows in its model frame. Every code,
    // the four later models included, is read there: position 2 is the status digit, which
    // never holds a model number.
    static const struct { const char* code; int32_t max; } kModels[] = {
        {"3051", 855}, {"3052", 1055}, {"3061", 1055}, {"3053", 1255}, {"3062", 1255},
        {"3071", 1255}, {"3063", 1555}, {"3072", 1555}, {"3073", 1855},
    };
    const QByteArray code = positions(frameText, 3, 6);
    for (const auto& model : kModels)
        if (code == model.code)
            return Range{model.max, -50};
    return std::nullopt;
}

void ReportFramer::handleReport(uint8_t reportId, const uint8_t* data, uint16_t size)
{
    if (size >= 1)
        ++m_ReportCount;
    const int payload = size >= 1 ? (data[0] & 0x0F) : 0;
    if (payload >= 1 && payload <= 9) {
        m_ReportCount = 0;
        m_BurstPending = true;
        for (int i = 1; i <= payload && i < size && m_BurstHex.size() < kBurstHexKept; ++i)
            appendHexByte(m_BurstHex, data[i]);
        m_diagnostics.addHistoryLine(historyLine(reportId, data, size));
        return;
    }
    if (m_BurstPending)
        closeBurst();
}

void ReportFramer::closeBurst()
{
    const QByteArray frame = frameTextFromBurst(m_BurstHex);
    m_readings.frameClosed(frame);
    const QByteArray type = typeCode(frame);
    m_diagnostics.showFrameText(frame);

    // Frames are passed on while the print preview is open too: the report holds the rows it
    // was opened with, and a reading held back would be a reading lost.
    std::exception_ptr decodeFailure;
    try {
        if (m_connection.downloadTicked()) {
            m_readings.switchOffSamplingInterval();
            if (type == "AD07") {
                ++m_storedReadings;
                m_readings.decodeFrame(frame);
            }
        } else if (type == "AD01") {
            m_readings.decodeFrame(frame);
        }
    } catch (...) {
        decodeFailure = std::current_exception();
    }
    // The end mark stops the instrument even when the marked reading could not be decoded,
    // otherwise the download would never end.
    if (m_connection.downloadTicked() && positions(frame, 9, 10) == "99")
        m_cable.sendStopCommand();
    if (positions(frame, 3, 5) == "100")
        m_diagnostics.showMarkedFrameText(frame);
    if (type == "AD10") {
        m_diagnostics.showMarkedFrameText(frame);
        if (const auto range = modelRange(frame))
            m_readings.setMeasuringRange(range->max, range->min);
    }
    m_BurstHex.clear();
    m_cable.releaseSyncHandle();
    m_BurstPending = false;
    if (decodeFailure)
        std::rethrow_exception(decodeFailure);
}
