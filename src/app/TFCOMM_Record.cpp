// Recording: the decoder's entry, the measurement table and its grid, the recorder over the
// record bar's controls, the sampling timer, the record-limit menu, Close Data, the key filter
// of the number boxes and the start-time panel.
#include "DecodeFrameOntoPanel.h"
#include "IntegerText.h"
#include "MeasurementGrid.h"
#include "MeasurementTableModel.h"
#include "NewMsgDlg.h"
#include "PlatformMessageBox.h"
#include "RecorderSettings.h"
#include "TFCOMM.h"

#include <QAction>
#include <QCheckBox>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {

class WindowRecordingControls : public RecordingControls {
public:
    explicit WindowRecordingControls(TFCOMM& window) : m_window(window) {}

    bool repeatTicked() const override { return m_window.m_RepeatSet->isChecked(); }
    bool samplingTicked() const override { return m_window.m_RecordSI->isChecked(); }
    QByteArray intervalText() const override { return m_window.m_RecordSITime->text().toLocal8Bit(); }
    bool recallTicked() const override { return m_window.m_RecallCheck->isChecked(); }
    QTime currentTimeOfDay() const override { return QTime::currentTime(); }
    void setPageLabel(int32_t page) override { m_window.m_Bt10->setText(QString::number(page)); }
    int askUser(const QString& text, const QString& caption, unsigned flags) override
    {
        return PlatformMessageBox::show(&m_window, text, caption, flags);
    }
    void runSave() override { m_window.saveasClick(); }

private:
    TFCOMM& m_window;
};

bool onlyDigitsOrBackspace(const QString& typed)
{
    return std::all_of(typed.begin(), typed.end(), [](QChar c) { return isIntervalKey(c.unicode()); });
}

// The events the form's handlers are bound to that Qt gives no signal for: characters typed
// into the number boxes, key releases in the start-time boxes and the focus leaving RecallCheck.
class RecordEvents : public QObject {
public:
    explicit RecordEvents(TFCOMM& window) : m_window(window)
    {
        for (QLineEdit* box : numberBoxes())
            box->installEventFilter(this);
        m_window.m_RecallCheck->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            return isNumberBox(watched) && !TFCOMM::RecordSITimeKeyPress(*static_cast<QKeyEvent*>(event));
        case QEvent::InputMethod:
            // Composed characters are typed too.
            return isNumberBox(watched)
                   && !onlyDigitsOrBackspace(static_cast<QInputMethodEvent*>(event)->commitString());
        case QEvent::KeyRelease:
            if (isTimeBox(watched) && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
                m_window.TimeHKeyUp();
            return false;
        case QEvent::FocusOut: {
            // Leaving the check box for another control of the window, not the window itself
            // losing the focus to another window or to a message box.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (watched == m_window.m_RecallCheck && reason != Qt::ActiveWindowFocusReason
                && reason != Qt::PopupFocusReason)
                m_window.RecallCheckExit();
            return false;
        }
        default:
            return false;
        }
    }

private:
    std::array<QLineEdit*, 6> numberBoxes() const
    {
        return {m_window.m_RecordSITime, m_window.m_Maxrecord, m_window.m_TimeH,
                m_window.m_TimeM,        m_window.m_TimeS,     m_window.m_TimeInt};
    }
    bool isNumberBox(QObject* watched) const
    {
        const auto boxes = numberBoxes();
        return std::find(boxes.begin(), boxes.end(), watched) != boxes.end();
    }
    bool isTimeBox(QObject* watched) const
    {
        return watched == m_window.m_TimeH || watched == m_window.m_TimeM || watched == m_window.m_TimeS;
    }

    TFCOMM& m_window;
};

}  // namespace

void TFCOMM::createMeasurementTable()
{
    m_cds1.setObjectName(QStringLiteral("cds1"));
    // The model belongs to the table, so it goes with it and the grid never reads a gone table.
    auto* data1 = new MeasurementTableModel(&m_cds1, &m_cds1);
    data1->setObjectName(QStringLiteral("Data1"));
    m_DBGrid1->setModel(data1);
    MeasurementGrid::applyColumnWidths(m_DBGrid1);
    MeasurementGrid::followCurrentRow(m_DBGrid1, &m_cds1);

    m_lcdPanel = std::make_unique<LcdPanel>(this);
    m_recordingControls = std::make_unique<WindowRecordingControls>(*this);
    m_recorder = std::make_unique<Recorder>(m_state, m_cds1, *m_recordingControls);

    connect(m_Trecord, &QTimer::timeout, this, &TFCOMM::TrecordTimer);
    for (QLineEdit* box : {m_RecordSITime, m_TimeH, m_TimeM, m_TimeS, m_TimeInt})
        connect(box, &QLineEdit::textChanged, this, &TFCOMM::RecordSITimeChange);
    connect(m_RecordNew, &QToolButton::clicked, this, &TFCOMM::RecordNewClick);
    connect(m_Button4, &QPushButton::clicked, this, &TFCOMM::Button4Click);
    connect(m_RecallCheck, &QCheckBox::toggled, this, &TFCOMM::RecallCheckClick);
    connect(m_saveas, &QToolButton::clicked, this, &TFCOMM::saveasClick);
    connect(m_Save1, &QAction::triggered, this, &TFCOMM::saveasClick);

    const std::pair<QAction*, void (TFCOMM::*)()> limitItems[] = {
        {m_N10001, &TFCOMM::N10001Click},   {m_N50001, &TFCOMM::N50001Click},
        {m_N100001, &TFCOMM::N100001Click}, {m_N500001, &TFCOMM::N500001Click},
        {m_N1000001, &TFCOMM::N1000001Click}, {m_limitess, &TFCOMM::limitessClick},
    };
    for (const auto& [item, handler] : limitItems)
        connect(item, &QAction::triggered, this, handler);

    m_recordEvents = std::make_unique<RecordEvents>(*this);
}

void TFCOMM::LcdDisplay81(int32_t)
{
    decodeFrameOntoPanel(m_state, *m_lcdPanel, [this] { INDataToTable(); });
}

void TFCOMM::Button4Click()
{
    LcdDisplay81(1);
}

void TFCOMM::INDataToTable()
{
    m_recorder->recordReading();
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
    // Short-cuts such as paste carry a modifier; editing and navigation keys type nothing or a
    // control character. Only printable characters are filtered.
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return true;
    const QString typed = key.text();
    const bool printable = std::any_of(typed.begin(), typed.end(), [](QChar c) { return c.isPrint(); });
    return !printable || onlyDigitsOrBackspace(typed);
}

void TFCOMM::chooseRecordLimit(int32_t limit)
{
    m_state.RecordLimit = limit;
    for (const RecordLimitItem& item : kRecordLimitItems)
        findChild<QAction*>(QLatin1String(item.objectName))->setChecked(isRecordLimitTicked(item, limit));
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
    const bool ticked = m_RecallCheck->isChecked();
    m_TimeH->setText(ticked ? QStringLiteral("00") : QStringLiteral("23"));
    m_TimeM->setText(ticked ? QStringLiteral("00") : QStringLiteral("59"));
    m_TimeS->setText(ticked ? QStringLiteral("00") : QStringLiteral("59"));
}

std::array<int32_t, 3> TFCOMM::startTimeFields() const
{
    return {parseIntegerText(m_TimeH->text().toLocal8Bit()), parseIntegerText(m_TimeM->text().toLocal8Bit()),
            parseIntegerText(m_TimeS->text().toLocal8Bit())};
}

void TFCOMM::RecallCheckExit()
{
    // Only checks that the three fields are numbers; a field that is not one is reported.
    startTimeFields();
}

void TFCOMM::TimeHKeyUp()
{
    // All three are read before any is tested, so a field that is not a number changes nothing.
    const std::array<int32_t, 3> values = startTimeFields();
    const std::array<std::pair<QLineEdit*, int32_t>, 3> fields{{{m_TimeH, 23}, {m_TimeM, 59}, {m_TimeS, 59}}};
    for (size_t i = 0; i < fields.size(); ++i) {
        if (values[i] > fields[i].second) {
            ShowWideMessage(QStringLiteral("Input error!"), MessageKind::Information, MessageButton::OK, 0);
            fields[i].first->setText(QStringLiteral("00"));
        }
    }
}
