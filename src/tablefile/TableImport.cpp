#include "tablefile/TableImport.h"

#include "base/UserMessages.h"
#include "record/MeasurementTable.h"
#include "tablefile/DataPacketReader.h"
#include "tablefile/LoadedRows.h"
#include "tablefile/SteadyFile.h"
#include "tablefile/TextReportReader.h"

ImportOutcome importTable(QIODevice& in, TableFileFormat format, MeasurementTable& table,
                          const ImportProgress& progress, qint64 memoryCeiling)
{
    if (format == TableFileFormat::TextReport)
        return readTextReport(in, table, progress, memoryCeiling);
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

void showLoadFailure(UserMessages& messages)
{
    messages.tell(QStringLiteral("Failed to Load File!"), MessageTone::Warning);
}

void LoadTableFromFile(const QString& fileName, MeasurementTable& table, bool emptyFirst,
                       const TableImportSettings& settings)
{
    ImportOutcome outcome = ImportOutcome::Failed;
    try {
        if (emptyFirst)
            table.empty();
        if (const std::unique_ptr<SteadyFile> file = SteadyFile::open(*settings.files, fileName))
            outcome = importTable(*file, tableFileFormat(fileName), table, settings.progress, settings.memoryCeiling);
    } catch (...) {
        // A full table or memory running out ends the load like a broken file does.
        outcome = ImportOutcome::Failed;
    }
    if (outcome == ImportOutcome::Failed && settings.reportFailure)
        settings.reportFailure();
}
