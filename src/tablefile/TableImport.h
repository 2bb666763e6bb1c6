#pragma once

#include "base/FileSystem.h"
#include "base/PhysicalMemory.h"
#include "tablefile/TableFileFormat.h"

#include <QString>

#include <functional>
#include <limits>
#include <optional>

class MeasurementTable;
class UserMessages;
class QIODevice;

enum class ImportOutcome { Loaded, Failed, Cancelled };

// Told how many bytes of the file have been read, every block of about a megabyte; returning
// false stops the load there. Rows loaded so far stay in the table.
using ImportProgress = std::function<bool(qint64 bytesRead, qint64 bytesTotal)>;

// How far a text report's load got: the line of the file it was reading (from 1, head lines
// included, as an editor numbers them) and the rows it had added before that line. A load that
// fails keeps those rows, so the user must hear that the table holds only part of the file.
struct TextReportPlace {
    qint64 line = 1;
    qint64 rowsAdded = 0;
};

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
//
// A text report keeps `place` up to date as it reads, so that it tells where the load stopped
// however it ended, a thrown failure included.
ImportOutcome importTable(QIODevice& in, TableFileFormat format, MeasurementTable& table,
                          const ImportProgress& progress = {},
                          qint64 memoryCeiling = std::numeric_limits<qint64>::max(),
                          TextReportPlace* place = nullptr);

// Shows "Failed to Load File!" as a warning. When a text report stopped part-way, a second line
// says at which line and how many rows were added before it.
void showLoadFailure(UserMessages& messages, const std::optional<TextReportPlace>& stoppedAt = std::nullopt);

struct TableLoadResult {
    ImportOutcome outcome = ImportOutcome::Failed;
    // Set for a text report that was opened and failed.
    std::optional<TextReportPlace> stoppedAt;
};

struct TableImportSettings {
    ImportProgress progress;
    std::function<void()> reportFailure;
    const FileSystem* files = &systemFileSystem();
    // Half the machine's memory leaves the rest of the system room to go on.
    qint64 memoryCeiling = physicalMemoryBytes() > 0 ? physicalMemoryBytes() / 2 : std::numeric_limits<qint64>::max();
};

// Opens the file, reads it in the format its name selects (see tableFileFormat), and reports
// every kind of failure, an unreadable file included, the same way, through reportFailure; the
// result says how it ended.
// Only a regular file is read: a pipe, device or folder fails at once, without the file being
// opened or waited on. A file that changes while it is read fails when the change is seen
// (see SteadyFile). Emptying the table first is for callers that replace what it holds.
TableLoadResult LoadTableFromFile(const QString& fileName, MeasurementTable& table, bool emptyFirst,
                                  const TableImportSettings& settings = TableImportSettings());
