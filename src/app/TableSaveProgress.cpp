#include "app/TableSaveProgress.h"

#include "tablefile/TableExport.h"

bool SaveTableShowingProgress(QWidget* window, UserMessages& messages, MeasurementTable& table,
                              const QString& fileName, std::chrono::milliseconds showAfter)
{
    DelayedProgress progress(window, {QStringLiteral("Saving table to ") + fileName, QString(), QString()}, showAfter);
    const DelayedProgress::Callback step = progress.callback();
    TableExportSettings settings;
    settings.progress = [&progress, &step](int rowsWritten, int rowsTotal) {
        // The outcome message follows at once.
        if (rowsWritten >= rowsTotal)
            progress.close();
        else
            step(rowsWritten, rowsTotal);
    };
    return SaveTableToFile(table, fileName, messages, settings);
}
