#include "tablefile/ImportBlocks.h"

#include "base/ProgramError.h"

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
