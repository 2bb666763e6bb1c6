#pragma once

#include "journal/JournalDatabase.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// A journalled recording as comma-separated values (RFC 4180) that spreadsheets and scripts read
// without knowing this program: UTF-8, CR LF line ends, the line kHeader first, then one line
// per row with its number, its date and time as ISO 8601 with its offset from UTC, its value as
// a plain decimal with a point that reads back as the very same double, and its unit as °C or
// °F. A field the row has no value for stays empty.
//
// The table's own texts stay out: they are what the instrument's display showed, and the
// date-time, the number and the unit say the same in forms other tools need no help to read.
namespace RecordingCsv {

inline constexpr char kHeader[] = "No,Date and time,Value,Unit\r\n";

// The header and every row's line.
QByteArray text(const std::vector<JournalRow>& rows);
// Appends the row's line, its CR LF included.
void appendLine(QByteArray& csv, const JournalRow& row);

// Appends the text as one field: in quotes, its own quotes doubled, when it holds a comma, a
// quote or a line break, as it is otherwise.
void appendField(QByteArray& csv, QByteArrayView text);
// The shortest plain decimal (never an exponent, whatever the locale) that reads back as the same
// double; empty for infinities and NaN, which no reading is.
QByteArray number(double value);

}  // namespace RecordingCsv
