#include "base/IsoDateTime.h"

#include <QDateTime>

#include <cstdio>
#include <cstdlib>

QByteArray isoDateTimeWithOffset(const QDateTime& at)
{
    if (!at.isValid())
        return {};
    const QDate date = at.date();
    const QTime time = at.time();
    const int offset = at.offsetFromUtc();
    const int magnitude = std::abs(offset);
    // Formatted by hand rather than through a format string: an export writes millions of these.
    char text[64];
    int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", date.year(),
                               date.month(), date.day(), time.hour(), time.minute(), time.second(), time.msec(),
                               offset < 0 ? '-' : '+', magnitude / 3600, magnitude % 3600 / 60);
    // Offsets of old local mean times run to the second; rounding them would move the instant.
    if (magnitude % 60 != 0)
        length += std::snprintf(text + length, sizeof text - size_t(length), ":%02d", magnitude % 60);
    return QByteArray(text, length);
}
