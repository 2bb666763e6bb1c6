#include "tablefile/ImportBlocks.h"

#include "base/ProgramError.h"
#include "record/MeasurementTable.h"

qint64 importBlockSize(const QIODevice& in)
{
    if (in.isSequential())
        return kImportBlockSize;
    return qBound<qint64>(64, in.size() - in.pos() + 1, kImportBlockSize);
}

qint64 readImportBlock(QIODevice& in, char* into, qint64 size)
{
    const qint64 got = in.read(into, size);
    if (got < 0)
        throw ProgramError("Cannot read file: " + in.errorString().toStdString());
    return got;
}

void checkTableRoom(const MeasurementTable& table, qint64 rows, qint64 textBytes, qint64 ceiling)
{
    if (table.memoryUsage() + table.growthBound(rows, textBytes) > ceiling)
        throw ProgramError("The table would take more memory than the load may give it");
}
