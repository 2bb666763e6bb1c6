#include "app/ChartPictureCommand.h"

#include "app/FileDialogs.h"
#include "chart/ChartPicture.h"
#include "chart/ChartView.h"

#include <QApplication>
#include <QClipboard>

void saveChartPicture(QFileDialog* pictureDialog, ChartView& chart, UserMessages& messages)
{
    ChartPictureSaver::Ports ports{
        .askFileName = [pictureDialog](const QString& proposedName) {
            return FileDialogs::askSaveName(pictureDialog, proposedName);
        },
        .renderChart = [&chart] { return chart.renderImage(); },
        .putOnClipboard = [](const QImage& picture) { QApplication::clipboard()->setImage(picture); },
        .today = [] { return QDate::currentDate(); },
        .locale = QLocale::system(),
    };
    ChartPictureSaver(std::move(ports), messages).save();
}
