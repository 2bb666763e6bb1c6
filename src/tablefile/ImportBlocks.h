#pragma once

#include "tablefile/TableImport.h"

#include <QIODevice>

class MeasurementTable;

// Size of the blocks the readers take from the file: large enough that reading costs little
// per row, small enough that a block of rows is stored between two looks at the event loop.
constexpr qint64 kImportBlockSize = 1 << 20;

// The block size for this device: a small file is read in one block just large enough to
// see its end.
qint64 importBlockSize(const QIODevice& in);

// Reads up to size bytes; throws ProgramError when the device fails, returns 0 at the end.
qint64 readImportBlock(QIODevice& in, char* into, qint64 size);

// Stops a load before the table's memory would pass `ceiling` bytes: called before a block is
// stored, with the most rows and text bytes the block can hold, so that the table never gets
// there. Throws ProgramError.
void checkTableRoom(const MeasurementTable& table, qint64 rows, qint64 textBytes, qint64 ceiling);

// Keeps count of the bytes read and asks the progress callback whether to go on.
class ImportByteCount {
public:
    ImportByteCount(const QIODevice& in, const ImportProgress& progress) : m_total(in.size()), m_progress(progress) {}

    // False when the user asked to stop.
    bool add(qint64 bytes)
    {
        m_read += bytes;
        return !m_progress || m_progress(m_read, m_total);
    }

private:
    qint64 m_read = 0;
    qint64 m_total;
    const ImportProgress& m_progress;
};
