#pragma once

#include "base/IntegerText.h"
#include "record/MeasurementTable.h"

#include <algorithm>
#include <functional>

// Told how far a save has got: every kExportProgressInterval rows while rows are written, and
// once with rowsWritten == rowsTotal when the writing is over, whether it succeeded or not,
// before any message is shown. The window lets events through from here, so rows may be
// appended meanwhile.
using ExportProgress = std::function<void(int rowsWritten, int rowsTotal)>;

constexpr int kExportProgressInterval = 1 << 16;

// Hands rows 0..rowsTotal-1 to writeRow. Only the rows counted at the start are written; rows
// appended while progress is shown are left for the next save.
template <class WriteRow>
void forEachExportRow(const MeasurementTable& table, int rowsTotal, const ExportProgress& progress, WriteRow writeRow)
{
    const quint64 generation = table.generation();
    for (int start = 0; start < rowsTotal;) {
        const int end = start + std::min(kExportProgressInterval, rowsTotal - start);
        for (int i = start; i < end; ++i)
            writeRow(table.row(i));
        start = end;
        if (progress && end < rowsTotal) {
            progress(end, rowsTotal);
            // The progress dialog keeps the window from emptying the table; should anything
            // else do so, stop rather than read rows that are gone.
            if (table.generation() != generation)
                throw ProgramError("The table was emptied while it was being saved");
        }
    }
}
