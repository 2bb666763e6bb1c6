// The main menu, the timers, the file dialogs and the keyboard focus order.
#include "FileDialogs.h"
#include "TFCOMM.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace {

QAction* namedAction(QWidget* owner, const char* name, const QString& text)
{
    auto* action = new QAction(text, owner);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QTimer* timer(QObject* owner, const char* name, int intervalMs, bool running)
{
    auto* result = new QTimer(owner);
    result->setObjectName(QString::fromLatin1(name));
    result->setInterval(intervalMs);
    if (running)
        result->start();
    return result;
}

}  // namespace

void TFCOMM::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Menus use the desktop's menu font, not the window's bold one.
    QFont menuFont = QApplication::font(bar);
    menuFont.setResolveMask(QFont::AllPropertiesResolved);  // or the window's font shows through
    bar->setFont(menuFont);

    m_Connect1 = bar->addMenu(QStringLiteral("Connect"));
    m_Connect1->setObjectName(QStringLiteral("Connect1"));
    m_START1 = namedAction(this, "START1", QStringLiteral("START"));
    m_START1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    m_START1->setCheckable(true);
    m_STOP1 = namedAction(this, "STOP1", QStringLiteral("STOP"));
    m_STOP1->setCheckable(true);
    m_Connect1->addActions({m_START1, m_STOP1});
    m_Connect1->menuAction()->setVisible(false);
    // A short-cut lives only as long as a visible widget carries its action; the menu is
    // hidden, so the window carries it too and Ctrl+A keeps working.
    addAction(m_START1);

    m_Record1 = bar->addMenu(QStringLiteral("Record"));
    m_Record1->setObjectName(QStringLiteral("Record1"));
    m_New1 = namedAction(this, "New1", QStringLiteral("New"));
    m_Save1 = namedAction(this, "Save1", QStringLiteral("Save"));
    m_Record1->addActions({m_New1, m_Save1});
    m_Record1->addSeparator();
    m_N10001 = namedAction(this, "N10001", QStringLiteral("1000"));
    m_N50001 = namedAction(this, "N50001", QStringLiteral("5000"));
    m_N100001 = namedAction(this, "N100001", QStringLiteral("10000"));
    m_N500001 = namedAction(this, "N500001", QStringLiteral("50000"));
    m_N1000001 = namedAction(this, "N1000001", QStringLiteral("100000"));
    m_limitess = namedAction(this, "limitess", QStringLiteral("limitless"));
    for (QAction* limit : {m_N10001, m_N50001, m_N100001, m_N500001, m_N1000001, m_limitess}) {
        limit->setCheckable(true);
        m_Record1->addAction(limit);
    }
    m_N100001->setChecked(true);

    m_Help1 = namedAction(this, "Help1", QStringLiteral("&Help"));
    bar->addAction(m_Help1);
    m_About = namedAction(this, "About", QStringLiteral("&About"));
    m_About->setVisible(false);
    bar->addAction(m_About);
    connect(m_About, &QAction::triggered, this, &TFCOMM::AboutClick);
}

void TFCOMM::buildComponents()
{
    m_ConTimer = timer(this, "ConTimer", 10, true);
    m_Trecord = timer(this, "Trecord", 1000, true);
    m_Timer1 = timer(this, "Timer1", 500, false);
    m_Timer2 = timer(this, "Timer2", 1000, true);

    using namespace FileDialogs;
    m_OpenDialog1 = createOpenDialog(this, QStringLiteral("OpenDialog1"), OpenFilter);
    m_SaveDialog1 = createSaveDialog(this, QStringLiteral("SaveDialog1"), SaveFilter, QStringLiteral("xls"));
    m_SavePictureDialog1 = createSaveDialog(this, QStringLiteral("SavePictureDialog1"), PictureFilter, QStringLiteral("bmp"));
    m_OpenDialog2 = createOpenDialog(this, QStringLiteral("OpenDialog2"), OpenFilter);
    m_SaveDialog2 = createSaveDialog(this, QStringLiteral("SaveDialog2"), SaveFilter, QStringLiteral("xls"));
}

void TFCOMM::setFocusOrder()
{
    // The covered controls come first, so the upper-limit box under the right column has
    // the focus when the window opens. The hidden ones follow at the end, should another
    // part of the program show one.
    const QList<QWidget*> order = {
        m_Setmax, m_SetMin, m_SetMaxB, m_SetMinB,
        m_SetFeature, m_HistoryListBox,
        m_RecallCheck, m_TimeH, m_TimeM, m_TimeS, m_TimeInt,
        m_SendData,
        m_RecallData, m_BitBtn1,
        m_DBGrid1, m_RepeatSet, m_RecordSI, m_RecordSITime,
        m_Maxrecord,
        m_MeterModelBox1, m_SerialProtocolBox, m_MeterModelBox3, m_MeterModelBox4,
        m_Memo1, m_DevListBox,
        m_RecallDataTest, m_Onescope, m_Button2, m_Button3, m_Button4,
        m_B2400, m_B4800, m_B9600,
    };
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    // Entering a text box selects its text, so digits typed right after start-up replace
    // the upper limit rather than add to it.
    m_Setmax->setFocus();
    m_Setmax->selectAll();
}

void TFCOMM::giveMenuShortcutsPriority()
{
    // Menu short-cuts go before the focused control's own keys, so Ctrl+A connects even
    // while a text box, which would select its text, has the focus.
    for (QWidget* box : m_Client->findChildren<QLineEdit*>())
        box->installEventFilter(this);
    for (QWidget* box : m_Client->findChildren<QPlainTextEdit*>())
        box->installEventFilter(this);
}
