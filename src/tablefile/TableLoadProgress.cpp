#include "tablefile/TableLoadProgress.h"

#include "tablefile/TableImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressDialog>

#include <memory>

namespace {

// The dialog counts in thousandths so that files beyond 2 GB fit its int range.
constexpr int kProgressSteps = 1000;

}  // namespace

void LoadTableShowingProgress(QWidget* window, UserMessages& messages, MeasurementTable& table,
                              const QString& fileName, std::chrono::milliseconds showAfter)
{
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> dialog;
    TableImportSettings settings;
    settings.progress = [&](qint64 bytesRead, qint64 bytesTotal) {
        if (!dialog) {
            if (clock.elapsed() < showAfter.count())
                return true;
            dialog = std::make_unique<QProgressDialog>(QStringLiteral("Loading table from ") + fileName,
                                                       QStringLiteral("Cancel"), 0, kProgressSteps, window);
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(0);
            dialog->setAutoReset(false);
            dialog->show();
        }
        if (bytesTotal > 0)
            dialog->setValue(int(qMin<qint64>(kProgressSteps, bytesRead * kProgressSteps / bytesTotal)));
        QCoreApplication::processEvents();
        return !dialog->wasCanceled();
    };
    settings.reportFailure = [&dialog, &messages] {
        dialog.reset();
        showLoadFailure(messages);
    };
    LoadTableFromFile(fileName, table, false, settings);
}
