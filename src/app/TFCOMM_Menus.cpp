// The window's timers and file dialogs, the wiring of the panels' controls to the handlers, and
// the keyboard focus order.
#include "app/TFCOMM.h"

#include "app/DiagnosticPanel.h"
#include "app/FileDialogs.h"
#include "app/MainMenu.h"
#include "app/TopBar.h"
#include "chart/ChartPanel.h"
#include "display/LimitPanel.h"
#include "record/RecordBar.h"
#include "record/StartTimePanel.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

namespace {

QTimer* startedTimer(QObject* owner, const char* name, int intervalMs)
{
    auto* result = new QTimer(owner);
    result->setObjectName(QString::fromLatin1(name));
    result->setInterval(intervalMs);
    result->start();
    return result;
}

}  // namespace

void TFCOMM::createComponents()
{
    connect(startedTimer(this, "ConTimer", 10), &QTimer::timeout, this, &TFCOMM::ConTimerTimer);
    connect(startedTimer(this, "Trecord", 1000), &QTimer::timeout, this, &TFCOMM::TrecordTimer);

    using namespace FileDialogs;
    m_openDialog = createOpenDialog(this, QStringLiteral("OpenDialog1"), OpenFilter);
    m_saveDialog = createSaveDialog(this, QStringLiteral("SaveDialog1"), SaveFilter, QStringLiteral("xls"));
    createSaveDialog(this, QStringLiteral("SavePictureDialog1"), PictureFilter, QStringLiteral("bmp"));
    createOpenDialog(this, QStringLiteral("OpenDialog2"), OpenFilter);
    createSaveDialog(this, QStringLiteral("SaveDialog2"), SaveFilter, QStringLiteral("xls"));
}

void TFCOMM::connectHandlers()
{
    connect(m_topBar->exitButton(), &QPushButton::clicked, this, &TFCOMM::BitBtn1Click);
    connect(m_menu->about(), &QAction::triggered, this, &TFCOMM::AboutClick);
    connect(m_menu->help(), &QAction::triggered, this, &TFCOMM::Help1Click);

    connect(m_topBar->connectButton(), &QToolButton::clicked, this, &TFCOMM::USBConClick);
    connect(m_menu->start(), &QAction::triggered, this, &TFCOMM::USBConClick);
    connect(m_diagnostics->readButton(), &QToolButton::clicked, this, &TFCOMM::ReadBtnClick);
    connect(m_diagnostics->clearButton(), &QToolButton::clicked, this, &TFCOMM::ClearBtnClick);
    connect(m_diagnostics->setFeatureButton(), &QPushButton::clicked, this, &TFCOMM::SetFeatureClick);
    connect(m_diagnostics->sendDataButton(), &QPushButton::clicked, this, &TFCOMM::SendDataClick);
    connect(m_diagnostics->decodeTestButton(), &QPushButton::clicked, this, &TFCOMM::Button4Click);

    connect(m_recordBar->intervalBox(), &QLineEdit::textChanged, this, &TFCOMM::RecordSITimeChange);
    connect(m_recordBar->closeDataButton(), &QToolButton::clicked, this, &TFCOMM::RecordNewClick);
    connect(m_recordBar->saveButton(), &QToolButton::clicked, this, &TFCOMM::saveasClick);
    connect(m_menu->save(), &QAction::triggered, this, &TFCOMM::saveasClick);
    connect(m_recordBar->openButton(), &QToolButton::clicked, this, &TFCOMM::SpeedButton2Click);
    connect(m_recordBar->printButton(), &QToolButton::clicked, this, &TFCOMM::BtPrintClick);
    const std::pair<const char*, void (TFCOMM::*)()> limitItems[] = {
        {"N10001", &TFCOMM::N10001Click},     {"N50001", &TFCOMM::N50001Click},
        {"N100001", &TFCOMM::N100001Click},   {"N500001", &TFCOMM::N500001Click},
        {"N1000001", &TFCOMM::N1000001Click}, {"limitess", &TFCOMM::limitessClick},
    };
    for (const auto& [item, handler] : limitItems)
        connect(m_menu->recordLimit(item), &QAction::triggered, this, handler);

    StartTimePanel* startTime = m_diagnostics->startTimePanel();
    for (QLineEdit* box : startTime->timeBoxes())
        connect(box, &QLineEdit::textChanged, this, &TFCOMM::RecordSITimeChange);
    connect(startTime->recallBox(), &QCheckBox::toggled, this, &TFCOMM::RecallCheckClick);
    connect(startTime, &StartTimePanel::startTimeKeyReleased, this, &TFCOMM::TimeHKeyUp);
    connect(startTime, &StartTimePanel::recallBoxLeft, this, &TFCOMM::RecallCheckExit);

    connect(m_chart->saveButton(), &QToolButton::clicked, this, &TFCOMM::BtSaveClick);
    connect(m_chart->firstButton(), &QToolButton::clicked, this, &TFCOMM::BtFirstClick);
    connect(m_chart->previousButton(), &QToolButton::clicked, this, &TFCOMM::BTPreviousClick);
    connect(m_chart->nextButton(), &QToolButton::clicked, this, &TFCOMM::BtNextClick);
    connect(m_chart->lastButton(), &QToolButton::clicked, this, &TFCOMM::BTlastClick);
    connect(m_chart->pageSizeBox(), &QLineEdit::textChanged, this, &TFCOMM::MaxrecordExit);
    connect(m_chart->pageSizeTimer(), &QTimer::timeout, this, &TFCOMM::Timer1Timer);
    connect(m_chart->dateTimer(), &QTimer::timeout, this, &TFCOMM::Timer2Timer);
}

void TFCOMM::setFocusOrder()
{
    // The covered controls come first, so the upper-limit box under the right column has
    // the focus when the window opens. The hidden ones follow at the end, should another
    // part of the program show one.
    const char* const order[] = {
        "Setmax", "SetMin", "SetMaxB", "SetMinB",
        "SetFeature", "HistoryListBox",
        "RecallCheck", "TimeH", "TimeM", "TimeS", "TimeInt",
        "SendData",
        "RecallData", "BitBtn1",
        "DBGrid1", "RepeatSet", "RecordSI", "RecordSITime",
        "Maxrecord",
        "MeterModelBox1", "SerialProtocolBox", "MeterModelBox3", "MeterModelBox4",
        "Memo1", "DevListBox",
        "RecallDataTest", "Onescope", "Button2", "Button3", "Button4",
        "B2400", "B4800", "B9600",
    };
    QWidget* previous = nullptr;
    for (const char* name : order) {
        QWidget* next = centralWidget()->findChild<QWidget*>(QLatin1String(name));
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    }
    // Entering a text box selects its text, so digits typed right after start-up replace
    // the upper limit rather than add to it.
    auto* upperLimit = m_diagnostics->limitPanel()->findChild<QLineEdit*>(QStringLiteral("Setmax"));
    upperLimit->setFocus();
    upperLimit->selectAll();
}

void TFCOMM::giveMenuShortcutsPriority()
{
    // Menu short-cuts go before the focused control's own keys, so Ctrl+A connects even
    // while a text box, which would select its text, has the focus.
    for (QWidget* box : centralWidget()->findChildren<QLineEdit*>())
        box->installEventFilter(this);
    for (QWidget* box : centralWidget()->findChildren<QPlainTextEdit*>())
        box->installEventFilter(this);
}
