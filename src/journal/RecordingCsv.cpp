#include "journal/RecordingCsv.h"

#include "base/IsoDateTime.h"

#include <charconv>
#include <cmath>

namespace RecordingCsv {

namespace {

// The degree sign comes out as UTF-8, the narrow execution character set.
constexpr char kCelsius[] = "\u00B0C";
constexpr char kFahrenheit[] = "\u00B0F";

QByteArrayView unitName(const QByteArray& unit)
{
    if (unit == "C")
        return kCelsius;
    if (unit == "F")
        return kFahrenheit;
    return {};
}

}  // namespace

QByteArray text(const std::vector<JournalRow>& rows)
{
    QByteArray csv(kHeader);
    for (const JournalRow& row : rows)
        appendLine(csv, row);
    return csv;
}

void appendLine(QByteArray& csv, const JournalRow& row)
{
    if (row.no)
        appendField(csv, QByteArray::number(*row.no));
    csv += ',';
    appendField(csv, isoDateTimeWithOffset(row.takenAt));
    csv += ',';
    if (row.value)
        appendField(csv, number(*row.value));
    csv += ',';
    appendField(csv, unitName(row.unit));
    csv += "\r\n";
}

void appendField(QByteArray& csv, QByteArrayView text)
{
    bool needsQuotes = false;
    for (const char c : text)
        needsQuotes = needsQuotes || c == ',' || c == '"' || c == '\r' || c == '\n';
    if (!needsQuotes) {
        csv += text;
        return;
    }
    csv += '"';
    for (const char c : text) {
        if (c == '"')
            csv += '"';
        csv += c;
    }
    csv += '"';
}

QByteArray number(double value)
{
    if (!std::isfinite(value))
        return {};
    // Fixed notation in its shortest round-trip form; even the smallest subnormal fits.
    char digits[400];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed);
    if (written.ec != std::errc())
        return {};
    return QByteArray(digits, written.ptr - digits);
}

}  // namespace RecordingCsv
