// Recording: the measurement session over the panels, the reading road's entries, the sampling
// timer, the record-limit menu, Close Data and the start-time panel.
#include "app/TFCOMM.h"

#include "app/DiagnosticPanel.h"
#include "app/MainMenu.h"
#include "app/TopBar.h"
#include "chart/ChartPanel.h"
#include "display/LcdPanel.h"
#include "session/ReadingPipeline.h"
#include "record/MeasurementGrid.h"
#include "record/RecordBar.h"
#include "record/Recorder.h"
#include "record/RecordLimitMenu.h"
#include "record/StartTimePanel.h"
#include "session/MeasurementSession.h"
#include "widgets/NumberBoxFilter.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

void TFCOMM::createSession(std::shared_ptr<HidBackend> hidBackend, ComPortPaths comPorts, const QString& journalFolder)
{
    const SessionPorts ports{
        .lcd = *m_lcd,
        .indicator = *m_chart,
        .recording = *m_recordBar,
        .startTime = *m_diagnostics->startTimePanel(),
        .connection = *m_topBar,
        .deviceList = *m_diagnostics,
        .diagnostics = *m_diagnostics,
        .serialPanel = *m_diagnostics,
        .serialMenu = *m_menu,
        .messages = m_messages,
    };
    m_session = new MeasurementSession(ports, std::move(hidBackend), std::move(comPorts), journalFolder, this);
    m_chart->showChart(m_session->pager());
    MeasurementGrid::show(m_grid, &m_session->table());
    connect(m_session, &MeasurementSession::pageShown, m_chart, &ChartPanel::showPage);
}

void TFCOMM::connectRecordHandlers()
{
    handle(m_diagnostics->decodeTestButton(), &QPushButton::clicked, &TFCOMM::Button4Click);
    handle(m_recordBar->intervalBox(), &QLineEdit::textChanged, &TFCOMM::RecordSITimeChange);
    handle(m_recordBar->closeDataButton(), &QToolButton::clicked, &TFCOMM::RecordNewClick);
    const std::pair<const char*, void (TFCOMM::*)()> limitItems[] = {
        {"N10001", &TFCOMM::N10001Click},     {"N50001", &TFCOMM::N50001Click},
        {"N100001", &TFCOMM::N100001Click},   {"N500001", &TFCOMM::N500001Click},
        {"N1000001", &TFCOMM::N1000001Click}, {"limitess", &TFCOMM::limitessClick},
    };
    for (const auto& [item, handler] : limitItems)
        handle(m_menu->recordLimit(item), &QAction::triggered, handler);

    StartTimePanel* startTime = m_diagnostics->startTimePanel();
    for (QLineEdit* box : startTime->timeBoxes())
        handle(box, &QLineEdit::textChanged, &TFCOMM::RecordSITimeChange);
    handle(startTime->recallBox(), &QCheckBox::toggled, &TFCOMM::RecallCheckClick);
    handle(startTime, &StartTimePanel::startTimeKeyReleased, &TFCOMM::TimeHKeyUp);
    handle(startTime, &StartTimePanel::recallBoxLeft, &TFCOMM::RecallCheckExit);
}

void TFCOMM::LcdDisplay81(int32_t)
{
    m_session->decodeFrameText();
}

void TFCOMM::Button4Click()
{
    LcdDisplay81(1);
}

void TFCOMM::INDataToTable()
{
    m_session->readings().recordCurrentReading();
}

void TFCOMM::StartNewRecording()
{
    m_session->startNewRecording();
}

void TFCOMM::TrecordTimer()
{
    m_session->recorder().tickSamplingTimer();
}

void TFCOMM::RecordSITimeChange()
{
    m_session->recorder().restartSamplingCountdown();
}

void TFCOMM::RecordNewClick()
{
    m_session->recorder().closeData();
}

bool TFCOMM::RecordSITimeKeyPress(const QKeyEvent& key)
{
    return numberBoxAcceptsKey(key);
}

void TFCOMM::chooseRecordLimit(int32_t limit)
{
    // Ticked first, so the menu already shows the limit the prompt that may follow speaks of.
    for (const RecordLimitItem& item : kRecordLimitItems)
        m_menu->recordLimit(item.objectName)->setChecked(isRecordLimitTicked(item, limit));
    m_session->recorder().setLimit(limit);
}

void TFCOMM::N10001Click()
{
    chooseRecordLimit(kRecordLimitItems[0].limit);
}

void TFCOMM::N50001Click()
{
    chooseRecordLimit(kRecordLimitItems[1].limit);
}

void TFCOMM::N100001Click()
{
    chooseRecordLimit(kRecordLimitItems[2].limit);
}

void TFCOMM::N500001Click()
{
    chooseRecordLimit(kRecordLimitItems[3].limit);
}

void TFCOMM::N1000001Click()
{
    chooseRecordLimit(kRecordLimitItems[4].limit);
}

void TFCOMM::limitessClick()
{
    chooseRecordLimit(kRecordLimitItems[5].limit);
}

void TFCOMM::RecallCheckClick()
{
    m_diagnostics->startTimePanel()->showRecallDefaults();
}

void TFCOMM::RecallCheckExit()
{
    // Only checks that the three fields are numbers; a field that is not one is reported.
    m_diagnostics->startTimePanel()->checkStartTimeFields();
}

void TFCOMM::TimeHKeyUp()
{
    m_diagnostics->startTimePanel()->correctStartTimeFields();
}
