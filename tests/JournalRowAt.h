#pragma once

#include "journal/JournalDatabase.h"

#include <QByteArray>
#include <QDateTime>

// A Celsius reading as the journal keeps it: taken at `at`, shown in the table as `valueText`.
inline JournalRow journalRowAt(int32_t no, const QDateTime& at, double value, QByteArray valueText)
{
    return {
        .no = no,
        .time = at.time().toString(QStringLiteral("hh:mm:ss")).toLatin1(),
        .valueText = std::move(valueText),
        .unitText = "#",
        .takenAt = at,
        .value = value,
        .unit = "C",
    };
}
