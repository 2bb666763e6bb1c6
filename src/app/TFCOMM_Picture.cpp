// The chart picture from the chart tool bar's save button.
#include "app/TFCOMM.h"

#include "base/UserMessages.h"
#include "chart/ChartPanel.h"
#include "chart/ChartPicture.h"
#include "chart/ChartView.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>

namespace {

QString askPictureName(QFileDialog* dialog, const QString& proposedName)
{
    dialog->selectFile(proposedName);
    if (dialog->exec() != QDialog::Accepted)
        return {};
    return dialog->selectedFiles().value(0);
}

ChartPictureSaver::Ports picturePorts(QWidget* window, ChartView* chart, UserMessages& messages)
{
    auto* dialog = window->findChild<QFileDialog*>(QStringLiteral("SavePictureDialog1"));
    return {
        .askFileName = [dialog](const QString& proposedName) { return askPictureName(dialog, proposedName); },
        .renderChart = [chart] { return chart->renderImage(); },
        .putOnClipboard = [](const QImage& picture) { QApplication::clipboard()->setImage(picture); },
        .today = [] { return QDate::currentDate(); },
        .locale = QLocale::system(),
        .showInformation = [&messages](const QString& text) { messages.tell(text, MessageTone::Information); },
    };
}

}  // namespace

void TFCOMM::BtSaveClick()
{
    ChartPictureSaver(picturePorts(this, m_chart->view(), m_messages)).save();
}
