// Recording: the measurement table, the recorder over the record bar, the road a reading takes,
// the sampling timer, the record-limit menu, Close Data and the start-time panel.
#include "app/TFCOMM.h"

#include "app/DiagnosticPanel.h"
#include "app/MainMenu.h"
#include "chart/ChartPanel.h"
#include "dialogs/MessageDialogs.h"
#include "display/LcdPanel.h"
#include "reading/ReadingPipeline.h"
#include "record/MeasurementTable.h"
#include "record/RecordBar.h"
#include "record/Recorder.h"
#include "record/RecordLimitMenu.h"
#include "record/StartTimePanel.h"
#include "widgets/NumberBoxFilter.h"

#include <QAction>

namespace {

// What the recorder reaches beyond the record bar: the start-time panel, the clock, the page
// label, the message box and the window's save command.
class WindowRecorderHost : public RecorderHost {
public:
    WindowRecorderHost(TFCOMM& window, MessageDialogs& dialogs, const StartTimePanel& startTime, ChartPanel& chart)
        : m_window(window), m_dialogs(dialogs), m_startTime(startTime), m_chart(chart)
    {
    }

    bool recallTicked() const override { return m_startTime.recallTicked(); }
    QTime currentTimeOfDay() const override { return QTime::currentTime(); }
    void setPageLabel(int32_t page) override { m_chart.showPage(page); }
    int askUser(const QString& text, const QString& caption, unsigned flags) override
    {
        return m_dialogs.showBox(&m_window, text, caption, flags);
    }
    void runSave() override { m_window.saveasClick(); }

private:
    TFCOMM& m_window;
    MessageDialogs& m_dialogs;
    const StartTimePanel& m_startTime;
    ChartPanel& m_chart;
};

}  // namespace

void TFCOMM::createRecording()
{
    m_table = new MeasurementTable(this);
    m_table->setObjectName(QStringLiteral("cds1"));
    m_recorderHost = std::make_unique<WindowRecorderHost>(*this, m_dialogs, *m_diagnostics->startTimePanel(), *m_chart);
    m_recorder = std::make_unique<Recorder>(m_state, *m_table, *m_recordBar, *m_recorderHost);
    m_pipeline = std::make_unique<ReadingPipeline>(m_state, *m_chart, *m_lcd, *m_recordBar, *m_recorder);
}

void TFCOMM::LcdDisplay81(int32_t)
{
    m_pipeline->decodeFrame(m_state.FrameText);
}

void TFCOMM::Button4Click()
{
    LcdDisplay81(1);
}

void TFCOMM::INDataToTable()
{
    m_pipeline->recordCurrentReading();
}

void TFCOMM::StartNewRecording()
{
    m_recorder->startNewRecording();
}

void TFCOMM::TrecordTimer()
{
    m_recorder->tickSamplingTimer();
}

void TFCOMM::RecordSITimeChange()
{
    m_recorder->restartSamplingCountdown();
}

void TFCOMM::RecordNewClick()
{
    m_recorder->closeData();
}

bool TFCOMM::RecordSITimeKeyPress(const QKeyEvent& key)
{
    return numberBoxAcceptsKey(key);
}

void TFCOMM::chooseRecordLimit(int32_t limit)
{
    m_state.RecordLimit = limit;
    for (const RecordLimitItem& item : kRecordLimitItems)
        m_menu->recordLimit(item.objectName)->setChecked(isRecordLimitTicked(item, limit));
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
