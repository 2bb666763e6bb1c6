// The chart picture from the chart tool bar's save button.
#include "app/TFCOMM.h"

#include "app/ChartPictureCommand.h"
#include "chart/ChartPanel.h"

#include <QFileDialog>
#include <QToolButton>

void TFCOMM::connectPictureHandlers()
{
    handle(m_chart->saveButton(), &QToolButton::clicked, &TFCOMM::BtSaveClick);
}

void TFCOMM::BtSaveClick()
{
    saveChartPicture(fileDialog(QStringLiteral("SavePictureDialog1")), *m_chart->view(), m_messages);
}
