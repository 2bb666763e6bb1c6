// The window's timers and file dialogs, the wiring of each area's controls to its handlers, and
// the keyboard focus order.
#include "app/TFCOMM.h"

#include "app/DiagnosticPanel.h"
#include "app/FileDialogs.h"
#include "app/MainMenu.h"
#include "app/TopBar.h"
#include "display/LimitPanel.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

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
    handle(startedTimer(this, "Trecord", 1000), &QTimer::timeout, &TFCOMM::TrecordTimer);
}

// Each file dialog keeps a thread that watches the folders it lists, so a dialog is made when
// it is first wanted, not at start-up; it then keeps the folder and name the user chose last.
QFileDialog* TFCOMM::fileDialog(const QString& name)
{
    if (auto* made = findChild<QFileDialog*>(name, Qt::FindDirectChildrenOnly))
        return made;
    using namespace FileDialogs;
    if (name == QLatin1String("OpenDialog1") || name == QLatin1String("OpenDialog2"))
        return createOpenDialog(this, name, OpenFilter);
    if (name == QLatin1String("SaveDialog1") || name == QLatin1String("SaveDialog2"))
        return createSaveDialog(this, name, SaveFilter, QStringLiteral("xls"));
    if (name == QLatin1String("SavePictureDialog1"))
        return createSaveDialog(this, name, PictureFilter, QStringLiteral("bmp"));
    return nullptr;
}

void TFCOMM::connectHandlers()
{
    handle(m_topBar->exitButton(), &QPushButton::clicked, &TFCOMM::BitBtn1Click);
    handle(m_menu->about(), &QAction::triggered, &TFCOMM::AboutClick);
    connectHelpHandlers();
    connectLinkHandlers();
    connectSerialHandlers();
    connectRecordHandlers();
    connectFileHandlers();
    connectPrintHandlers();
    connectChartHandlers();
    connectPictureHandlers();
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
