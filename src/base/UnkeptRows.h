#pragma once

#include <QString>

#include <cstdint>

// A question whose Yes drops the table's rows, with a line added when some of them are kept
// nowhere else: recorded since the last save while the journal cannot write. Without such rows
// the question stays as it is.
inline QString withUnkeptRows(const QString& question, int64_t unkeptRows)
{
    if (unkeptRows <= 0)
        return question;
    if (unkeptRows == 1)
        return question + QStringLiteral("\n1 reading is not saved and not kept anywhere else: the journal cannot "
                                         "write it now.");
    return question + QStringLiteral("\n%1 readings are not saved and not kept anywhere else: the journal cannot "
                                     "write them now.")
                          .arg(unkeptRows);
}
