#pragma once

#include <QByteArray>

class QDateTime;

// The date and time in its own offset from UTC as ISO 8601 with milliseconds:
// "2026-12-10T13:14:16.250+01:00". The offset is always written out, +00:00 included (never "Z",
// never left off), so every reader gets the same instant back and the wall-clock time the
// reading was taken at. Empty for an invalid date-time.
QByteArray isoDateTimeWithOffset(const QDateTime& at);
