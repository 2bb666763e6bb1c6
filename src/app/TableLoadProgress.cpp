#include "app/TableLoadProgress.h"

#include "tablefile/TableImport.h"

void LoadTableShowingProgress(QWidget* window, UserMessages& messages, MeasurementTable& table,
                              const QString& fileName, std::chrono::milliseconds showAfter)
{
    DelayedProgress progress(
        window, {QStringLiteral("Loading table from ") + fileName, QStringLiteral("Cancel"), QString()}, showAfter);
    TableImportSettings settings;
    settings.progress = progress.callback();
    const TableLoadResult result = LoadTableFromFile(fileName, table, false, settings);
    if (result.outcome == ImportOutcome::Failed) {
        progress.close();
        showLoadFailure(messages, result.stoppedAt);
    }
}
