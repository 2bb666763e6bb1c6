#include "tablefile/TableSaveProgress.h"

#include "tablefile/TableExport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressDialog>

#include <memory>

bool SaveTableShowingProgress(QWidget* window, UserMessages& messages, MeasurementTable& table,
                              const QString& fileName, std::chrono::milliseconds showAfter)
{
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> dialog;
    TableExportSettings settings;
    settings.progress = [&](int rowsWritten, int rowsTotal) {
        if (rowsWritten >= rowsTotal) {
            dialog.reset();
            return;
        }
        if (!dialog) {
            if (clock.elapsed() < showAfter.count())
                return;
            dialog = std::make_unique<QProgressDialog>(QStringLiteral("Saving table to ") + fileName, QString(), 0,
                                                       rowsTotal, window);
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setCancelButton(nullptr);
            dialog->show();
        }
        dialog->setValue(rowsWritten);
        QCoreApplication::processEvents();
    };
    return SaveTableToFile(table, fileName, messages, settings);
}
