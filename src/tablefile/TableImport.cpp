#include "tablefile/TableImport.h"

#include "base/UserMessages.h"
#include "record/MeasurementTable.h"
#include "tablefile/DataPacketReader.h"
#include "tablefile/LoadedRows.h"
#include "tablefile/SteadyFile.h"
#include "tablefile/TextReportReader.h"

ImportOutcome importTable(QIODevice& in, TableFileFormat format, MeasurementTable& table,
                          const ImportProgress& progress, qint64 memoryCeiling, TextReportPlace* place)
{
    if (format == TableFileFormat::TextReport) {
        TextReportPlace unasked;
        return readTextReport(in, table, progress, memoryCeiling, place ? *place : unasked);
    }
    LoadedRows loaded(table);
    ImportOutcome outcome = ImportOutcome::Failed;
    try {
        outcome = readDataPacket(in, table, loaded.watch(progress), memoryCeiling);
    } catch (...) {
        loaded.takeBack();
        throw;
    }
    if (outcome == ImportOutcome::Failed)
        loaded.takeBack();
    return outcome;
}

void showLoadFailure(UserMessages& messages, const std::optional<TextReportPlace>& stoppedAt)
{
    QString text = QStringLiteral("Failed to Load File!");
    if (stoppedAt) {
        // The rows before the bad line stay, and a table that looks whole must not be saved as
        // if it were the file.
        const qint64 rows = stoppedAt->rowsAdded;
        text += QStringLiteral("\nThe load stopped at line %1: %2.")
                    .arg(stoppedAt->line)
                    .arg(rows == 0   ? QStringLiteral("no rows were added")
                         : rows == 1 ? QStringLiteral("1 row was added")
                                     : QStringLiteral("%1 rows were added").arg(rows));
    }
    messages.tell(text, MessageTone::Warning);
}

TableLoadResult LoadTableFromFile(const QString& fileName, MeasurementTable& table, bool emptyFirst,
                                  const TableImportSettings& settings)
{
    TableLoadResult result;
    TextReportPlace place;
    bool opened = false;
    const TableFileFormat format = tableFileFormat(fileName);
    try {
        if (emptyFirst)
            table.empty();
        if (const std::unique_ptr<SteadyFile> file = SteadyFile::open(*settings.files, fileName)) {
            opened = true;
            result.outcome = importTable(*file, format, table, settings.progress, settings.memoryCeiling, &place);
        }
    } catch (...) {
        // A full table or memory running out ends the load like a broken file does.
        result.outcome = ImportOutcome::Failed;
    }
    if (result.outcome != ImportOutcome::Failed)
        return result;
    if (opened && format == TableFileFormat::TextReport)
        result.stoppedAt = place;
    if (settings.reportFailure)
        settings.reportFailure();
    return result;
}
