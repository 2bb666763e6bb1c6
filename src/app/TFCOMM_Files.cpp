// Saving the measurement table from the record bar, the Record menu and the limit prompt, and
// loading saved tables back from the record bar.
#include "app/TFCOMM.h"
#include "session/MeasurementSession.h"
#include "tablefile/TableLoadProgress.h"
#include "tablefile/TableSaveProgress.h"

#include <QFileDialog>
#include <QLineEdit>

namespace {

// Qt's own dialog keeps the name of the last save and ignores an empty one passed to
// selectFile, so its name box is cleared directly.
void clearFileName(QFileDialog* dialog)
{
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->clear();
}

}  // namespace

void TFCOMM::saveasClick()
{
    clearFileName(m_saveDialog);
    if (m_saveDialog->exec() != QDialog::Accepted)
        return;
    SaveTableShowingProgress(this, m_messages, m_session->table(), m_saveDialog->selectedFiles().value(0));
    // The dialog and the messages may have left parts of the window unpainted.
    update();
}

void TFCOMM::SpeedButton2Click()
{
    // The dialog keeps the last chosen name, so loading the next file of a series is quick.
    if (m_openDialog->exec() != QDialog::Accepted)
        return;
    LoadTableShowingProgress(this, m_messages, m_session->table(), m_openDialog->selectedFiles().value(0));
    update();
}
