#pragma once

#include "journal/JournalDatabase.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

// One unsaved recording of a damaged journal, as far as it was copied into a new one.
struct SalvagedRecording {
    int64_t damagedId = 0;   // its id in the damaged journal
    int64_t id = 0;          // its id in the new journal; 0 when none of its rows could be read
    int64_t rows = 0;        // rows copied, numbered from 0 without gaps in the new journal
    int64_t unreadable = 0;  // rows known to have been there that could not be read
};

struct JournalSalvage {
    std::vector<SalvagedRecording> recordings;
    int64_t rows() const;
    int64_t unreadable() const;
};

// Copies the readable rows of every unsaved recording of the damaged journal at damagedPath
// (with its write-ahead log beside it, if any) into `into`, each as a new recording, in one
// transaction; the rows of the old recording that went into a saved file stay marked as saved.
// When the damaged journal's list of recordings cannot be read, every recording found among its
// readings is taken as unsaved: offering too much beats losing readings. Nothing that cannot be
// read in the damaged file throws (it is counted as unreadable); only a failure of `into` throws
// JournalError, and then nothing was copied. `now` is when the copies' saved rows were marked.
JournalSalvage salvageUnsavedRecordings(const QString& damagedPath, JournalDatabase& into,
                                        const QDateTime& now = QDateTime::currentDateTime());
