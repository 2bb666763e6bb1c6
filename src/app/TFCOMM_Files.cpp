// Saving the measurement table from the record bar, the Record menu and the limit prompt,
// loading saved tables back from the record bar, and restoring the recording an earlier run left
// unsaved.
#include "app/TFCOMM.h"

#include "app/FileDialogs.h"
#include "app/MainMenu.h"
#include "record/RecordBar.h"
#include "session/MeasurementSession.h"
#include "app/TableLoadProgress.h"
#include "app/TableSaveProgress.h"
#include "widgets/DelayedProgress.h"

#include <QAction>
#include <QToolButton>

#include <optional>

void TFCOMM::connectFileHandlers()
{
    handle(m_recordBar->saveButton(), &QToolButton::clicked, &TFCOMM::saveasClick);
    handle(m_menu->save(), &QAction::triggered, &TFCOMM::saveasClick);
    handle(m_session, &MeasurementSession::saveAsked, &TFCOMM::saveasClick);
    handle(m_recordBar->openButton(), &QToolButton::clicked, &TFCOMM::SpeedButton2Click);
}

void TFCOMM::saveasClick()
{
    const QString fileName = FileDialogs::askSaveName(fileDialog(QStringLiteral("SaveDialog1")));
    if (fileName.isEmpty())
        return;
    // Rows recorded while the save runs are not in the file, so only those before it count as saved.
    const int64_t savePoint = m_session->savePoint();
    if (SaveTableShowingProgress(this, m_messages, m_session->table(), fileName))
        m_session->tableSaved(savePoint);
    // The dialog and the messages may have left parts of the window unpainted.
    update();
}

void TFCOMM::SpeedButton2Click()
{
    const QString fileName = FileDialogs::askOpenName(fileDialog(QStringLiteral("OpenDialog1")));
    if (fileName.isEmpty())
        return;
    LoadTableShowingProgress(this, m_messages, m_session->table(), fileName);
    update();
}

void TFCOMM::restoreUnsavedRecording()
{
    // Made at the first block of rows, so the time the question was open does not count towards
    // the dialog's delay.
    std::optional<DelayedProgress> progress;
    m_session->offerRestore({
        .step = [this, &progress](qint64 done, qint64 total) {
            if (!progress)
                progress.emplace(this, DelayedProgress::Dialog{QStringLiteral("Restoring the last recording..."),
                                                               QString(), QStringLiteral("RestoreProgress")});
            return progress->callback()(done, total);
        },
        .close = [&progress] { progress.reset(); },
    });
    update();
}
