#pragma once

#include "base/FileSystem.h"
#include "base/PhysicalMemory.h"
#include "tablefile/TableFileFormat.h"

#include <QString>

#include <functional>
#include <limits>

class MeasurementTable;
class UserMessages;
class QIODevice;

enum class ImportOutcome { Loaded, Failed, Cancelled };

// Told how many bytes of the file have been read, every block of about a megabyte; returning
// false stops the load there. Rows loaded so far stay in the table.
using ImportProgress = std::function<bool(qint64 bytesRead, qint64 bytesTotal)>;

// Appends the rows of a saved table to `table`, after the rows already there and in file
// order, each one logged as an insertion. A row is only ever added whole, and nothing is left
// half filled in the table's edit buffer. The recorder's counters and the chart are not touched.
// When the load fails, a text report keeps the rows before the line that failed; a data packet
// adds nothing at all: the rows it had added are taken back out, while readings recorded
// meanwhile stay (see LoadedRows). A cancelled load keeps the rows loaded so far.
//
// Text report: the first three lines are skipped whatever they hold; each later line is up
// to four TAB-separated pieces for No, Time, Value and Unit. Lines end at CR LF, a lone CR
// or a lone LF, and the text ends at the first NUL byte.
// Data packet: the fields of its metadata are copied by position.
//
// The load fails before the table's memory (see MeasurementTable::memoryUsage) would pass
// memoryCeiling bytes, so that a huge file cannot make the system end the process and take
// the table with it.
ImportOutcome importTable(QIODevice& in, TableFileFormat format, MeasurementTable& table,
                          const ImportProgress& progress = {},
                          qint64 memoryCeiling = std::numeric_limits<qint64>::max());

// Shows "Failed to Load File!" as a warning.
void showLoadFailure(UserMessages& messages);

struct TableImportSettings {
    ImportProgress progress;
    std::function<void()> reportFailure;
    const FileSystem* files = &systemFileSystem();
    // Half the machine's memory leaves the rest of the system room to go on.
    qint64 memoryCeiling = physicalMemoryBytes() > 0 ? physicalMemoryBytes() / 2 : std::numeric_limits<qint64>::max();
};

// Opens the file, reads it in the format its name selects (see tableFileFormat), and reports
// every kind of failure, an unreadable file included, the same way, through reportFailure.
// Only a regular file is read: a pipe, device or folder fails at once, without the file being
// opened or waited on. A file that changes while it is read fails when the change is seen
// (see SteadyFile). Emptying the table first is for callers that replace what it holds.
void LoadTableFromFile(const QString& fileName, MeasurementTable& table, bool emptyFirst,
                       const TableImportSettings& settings = TableImportSettings());
