#include "app/AboutForm.h"
#include "app/TFCOMM.h"
#include "base/LocaleTexts.h"
#include "chart/ChartView.h"
#include "dialogs/PlatformMessageBox.h"
#include "NamedControl.h"
#include "widgets/BevelPanel.h"
#include "WindowTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

using namespace PlatformMessageBox;

namespace {

// What a control shows, whatever kind it is.
QString shownText(const QWidget* widget)
{
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (auto* panel = qobject_cast<const BevelPanel*>(widget))
        return panel->caption();
    return {};
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TFCOMM> m_window;

    template <class W = QWidget>
    W* control(const char* name)
    {
        auto* found = m_window->findChild<W*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    void showAndActivate()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    // Answers the exit question with the given result; the answered dialogs keep what was asked.
    static void answerExitQuestion(int result)
    {
        windowDialogs().answerBox = [result](const AnsweredMessages::Box&) { return result; };
    }

private slots:
    void init()
    {
        // The buttons these tests press reach the cable commands, which warn that no cable is
        // there; those notices are answered instead of waited on.
        freshAnswers();
        m_window = std::make_unique<TFCOMM>(windowDialogs());
    }

    void cleanup()
    {
        m_window.reset();
    }

    void windowHasAFixedClientAreaAndNoMaximiseBox()
    {
        showAndActivate();
        QCOMPARE(m_window->centralWidget()->size(), QSize(920, 582));
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        QCOMPARE(m_window->centralWidget()->y(), m_window->menuBar()->height());
        QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(m_window->windowFlags() & Qt::WindowMinimizeButtonHint);

        const QPoint screenCentre = m_window->screen()->availableGeometry().center();
        QVERIFY((m_window->frameGeometry().center() - screenCentre).manhattanLength() <= 2);

        m_window->resize(1200, 900);
        QCOMPARE(m_window->centralWidget()->size(), QSize(920, 582));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("TQ-612 Interface Program Ver1.02"));
    }

    void controlsStartWhereAndAsLaidOut_data()
    {
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("text");

        // Regions
        QTest::newRow("Panel4") << QRect(0, 0, 920, 33) << true << QString();
        QTest::newRow("Panel5") << QRect(0, 33, 337, 549) << true << QString();
        QTest::newRow("Panel7") << QRect(337, 33, 583, 549) << true << QString();
        // The LCD reads 3.999: four digits, the first point, no sign, no unit
        QTest::newRow("LcdD4") << QRect(56, 15, 43, 126) << true << "3";
        QTest::newRow("LcdD3") << QRect(119, 15, 43, 126) << true << "9";
        QTest::newRow("LcdD2") << QRect(182, 15, 43, 126) << true << "9";
        QTest::newRow("LcdD1") << QRect(245, 15, 43, 126) << true << "9";
        QTest::newRow("LcdP0") << QRect(106, 110, 7, 8) << true << QString();
        QTest::newRow("LcdP1") << QRect(168, 110, 7, 8) << false << QString();
        QTest::newRow("LcdP2") << QRect(232, 110, 7, 8) << false << QString();
        QTest::newRow("LcdFH") << QRect(16, 15, 36, 112) << false << "-";
        QTest::newRow("LCDC") << QRect(295, 38, 24, 36) << false << "#";
        QTest::newRow("LCDF") << QRect(295, 42, 23, 36) << false << "?";
        // Record bar and grid below the hidden progress bar
        QTest::newRow("PBar2") << QRect(0, 145, 337, 12) << false << QString();
        QTest::newRow("Panel6") << QRect(0, 157, 337, 29) << true << QString();
        QTest::newRow("RecordSI") << QRect(57, 5, 143, 20) << true << "Sampling Interval           'S";
        QTest::newRow("RecordSITime") << QRect(159, 4, 27, 21) << true << "1";
        QTest::newRow("saveas") << QRect(288, 4, 23, 21) << true << QString();
        QTest::newRow("DBGrid1") << QRect(0, 186, 337, 363) << true << QString();
        QTest::newRow("Print") << QRect(112, 495, 33, 25) << false << QString();
        // Chart tool bar and area
        QTest::newRow("CONokN") << QRect(5, 4, 25, 24) << true << QString();
        QTest::newRow("CONok") << QRect(5, 4, 25, 24) << false << QString();
        QTest::newRow("Label6") << QRect(194, 8, 200, 14) << true << "View measurement data per                set";
        QTest::newRow("Maxrecord") << QRect(335, 6, 41, 21) << true << "100";
        QTest::newRow("Bt10") << QRect(477, 6, 25, 21) << true << "1";
        QTest::newRow("Chtshow") << QRect(0, 33, 583, 516) << true << QString();
        QTest::newRow("lbl_time") << QRect(416, 10, 153, 13) << true << QString();
        QTest::newRow("TbFd") << QRect(393, 3, 25, 25) << false << QString();
        QTest::newRow("ComboBox1") << QRect(56, 483, 65, 21) << false << QString();
        // Diagnostics: covered ones stay shown, the rest are hidden
        QTest::newRow("Setmax") << QRect(248, 3, 81, 21) << true << "40000";
        QTest::newRow("SetFeature") << QRect(888, 552, 73, 25) << true << "SetFeature";
        QTest::newRow("BTCon") << QRect(888, 98, 105, 26) << true << "Connect";
        QTest::newRow("BtDiscon") << QRect(888, 98, 105, 26) << false << "Disconnect";
        QTest::newRow("Memo1") << QRect(848, 216, 321, 25) << false << QString();
        QTest::newRow("B2400") << QRect(1192, 24, 49, 17) << false << "2400";
        QTest::newRow("DevListBox") << QRect(872, 266, 211, 25) << false << QString();
        QTest::newRow("KD") << QRect(857, 240, 33, 38) << false << QString();
        QTest::newRow("USBtxt") << QRect(832, 27, 24, 13) << false << "6001";
    }

    void controlsStartWhereAndAsLaidOut()
    {
        QFETCH(QRect, geometry);
        QFETCH(bool, shown);
        QFETCH(QString, text);
        m_window->show();
        const QWidget* widget = control(QTest::currentDataTag());
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(widget->isVisible(), shown);
        QCOMPARE(shownText(widget), text);
    }

    void startStateAndCheckMarks()
    {
        const DecodeSettings& decoding = m_window->session().decodeSettings();
        const Recorder& recorder = m_window->session().recorder();
        const GaugeSettings& gauge = m_window->gauge().settings();
        QCOMPARE(decoding.RangeMax, 855);
        QCOMPARE(decoding.RangeMin, -50);
        QCOMPARE(recorder.recordNo(), 1);
        QCOMPARE(recorder.recordLimit(), 10000);
        QCOMPARE(gauge.GaugeText, QByteArray("4"));
        QCOMPARE(gauge.GaugeParam1, 60);
        QCOMPARE(gauge.GaugeValue, 400);
        QCOMPARE(gauge.GaugeScaleMax, 80);
        QCOMPARE(decoding.DecimalText, LocaleTexts::decimalSeparator(QLocale::system()));
        const double now = LocaleTexts::toDayCount(QDateTime::currentDateTime());
        QVERIFY(recorder.startTime() > now - 1.0 / 24 && recorder.startTime() <= now);

        QVERIFY(control<QCheckBox>("B2400")->isChecked());
        QVERIFY(!control<QCheckBox>("B4800")->isChecked());
        QVERIFY(!control<QCheckBox>("B9600")->isChecked());
        QVERIFY(control<QCheckBox>("SerialProtocolBox")->isChecked());
        QVERIFY(control<QCheckBox>("RepeatSet")->isChecked());
        QVERIFY(control<QCheckBox>("RecordSI")->isChecked());
        QVERIFY(!control<QCheckBox>("RecallData")->isChecked());
        QVERIFY(!named<QToolButton>(*m_window, "USBCon")->isChecked());
    }

    void timersStartAsLaidOut()
    {
        const struct {
            const char* name;
            int interval;
            bool running;
        } timers[] = {{"Trecord", 1000, true}, {"Timer1", 500, false}, {"Timer2", 1000, true}};
        for (const auto& expected : timers) {
            const auto* timer = m_window->findChild<QTimer*>(QString::fromLatin1(expected.name));
            QVERIFY2(timer, expected.name);
            QCOMPARE(timer->interval(), expected.interval);
            QCOMPARE(timer->isActive(), expected.running);
        }
        // The watchdog's timer waits for the next check that can change anything, and without a
        // connection there is none.
        const auto* watchdog = m_window->findChild<QTimer*>(QStringLiteral("ConTimer"));
        QVERIFY(watchdog);
        QVERIFY(watchdog->isSingleShot());
        QVERIFY(!watchdog->isActive());
    }

    // Every control that is shown but not part of the three regions must lie under the right
    // column, so the user sees none of them.
    void diagnosticControlsAreHiddenOrCovered()
    {
        showAndActivate();
        QWidget* client = m_window->centralWidget();
        QWidget* rightColumn = named<BevelPanel>(*m_window, "Panel7");
        // The diagnostic panel spans the client area beneath the three regions; its controls
        // keep their places in client coordinates.
        auto* diagnostics = named<QWidget>(*m_window, "DiagnosticPanel");
        QCOMPARE(diagnostics->geometry(), client->rect());
        const QList<QWidget*> regions = {named<BevelPanel>(*m_window, "Panel4"), named<BevelPanel>(*m_window, "Panel5"),
                                         rightColumn, diagnostics};
        for (QWidget* child : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(regions.contains(child), qPrintable(child->objectName()));
        int covered = 0;
        for (QWidget* child : diagnostics->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!child->isVisible())
                continue;
            const QRect onScreen = child->geometry() & client->rect();
            QVERIFY2(child->x() >= 832, qPrintable(child->objectName()));
            QVERIFY2(!onScreen.isEmpty(), qPrintable(child->objectName()));
            QWidget* top = client->childAt(onScreen.center());
            QVERIFY2(top == rightColumn || rightColumn->isAncestorOf(top), qPrintable(child->objectName()));
            ++covered;
        }
        QVERIFY(covered > 0);
    }

    void onlyThreeHintsShowAsToolTips()
    {
        QMap<QString, QString> toolTips;
        for (const QWidget* widget : m_window->centralWidget()->findChildren<QWidget*>()) {
            if (!widget->toolTip().isEmpty())
                toolTips.insert(widget->objectName(), widget->toolTip());
        }
        const QMap<QString, QString> expected = {{"RecordNew", "Close Data"},
                                                 {"OpenDataFiles", "Open old data files"},
                                                 {"saveas", "Save data files"}};
        QCOMPARE(toolTips, expected);
        QCOMPARE(control("BtPrint")->property("hint").toString(), QStringLiteral("Print"));
        QCOMPARE(control("Bt10")->property("hint").toString(), QStringLiteral("Page No."));
    }

    void tabWalksTheControlsInLayoutOrderStartingAtSetmax()
    {
        showAndActivate();
        const QStringList expected = {"Setmax",   "SetMin",     "SetMaxB",   "SetMinB",      "SetFeature",
                                      "HistoryListBox", "RecallCheck", "TimeH", "TimeM", "TimeS",
                                      "TimeInt",  "SendData",   "RecallData", "BitBtn1",     "DBGrid1",
                                      "RepeatSet", "RecordSI",  "RecordSITime", "Maxrecord", "Setmax"};
        QStringList walked;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QWidget* focused = QApplication::focusWidget();
            QVERIFY(focused);
            walked << focused->objectName();
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        QCOMPARE(walked, expected);
    }

    void keysReachCoveredControls()
    {
        showAndActivate();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5"));
        QCOMPARE(named<QLineEdit>(*m_window, "Setmax")->text(), QStringLiteral("5"));

        QSignalSpy pressed(named<QPushButton>(*m_window, "SetFeature"), &QPushButton::clicked);
        named<QPushButton>(*m_window, "SetFeature")->setFocus();
        QTest::keyClick(named<QPushButton>(*m_window, "SetFeature"), Qt::Key_Space);
        QCOMPARE(pressed.count(), 1);
    }

    void ctrlAStartsTheHiddenMenuCommandEvenInATextBox()
    {
        showAndActivate();
        QVERIFY(!named<QMenu>(*m_window, "Connect1")->menuAction()->isVisible());
        QCOMPARE(QApplication::focusWidget(), named<QLineEdit>(*m_window, "Setmax"));
        QSignalSpy started(named<QAction>(*m_window, "START1"), &QAction::triggered);

        QTest::keyClick(named<QLineEdit>(*m_window, "Setmax"), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(started.count(), 1);
        QCOMPARE(named<QLineEdit>(*m_window, "Setmax")->text(), QStringLiteral("40000"));

        named<QTableView>(*m_window, "DBGrid1")->setFocus();
        QTest::keyClick(named<QTableView>(*m_window, "DBGrid1"), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(started.count(), 2);
    }

    void menusHoldTheirItems()
    {
        QStringList shownOnBar;
        for (const QAction* item : m_window->menuBar()->actions()) {
            if (item->isVisible())
                shownOnBar << item->text();
        }
        QCOMPARE(shownOnBar, QStringList({"Record", "&Help"}));
        QVERIFY(!named<QAction>(*m_window, "Help1")->menu());
        QVERIFY(!named<QAction>(*m_window, "About")->isVisible());

        QStringList record;
        QStringList ticked;
        for (const QAction* item : named<QMenu>(*m_window, "Record1")->actions()) {
            record << (item->isSeparator() ? QStringLiteral("-") : item->text());
            if (item->isChecked())
                ticked << item->objectName();
        }
        QCOMPARE(record, QStringList({"New", "Save", "-", "1000", "5000", "10000", "50000", "100000", "limitless"}));
        QCOMPARE(ticked, QStringList({"N100001"}));
        QVERIFY(named<QAction>(*m_window, "limitess")->isCheckable());

        QStringList connect;
        for (const QAction* item : named<QMenu>(*m_window, "Connect1")->actions())
            connect << item->objectName() + "=" + item->text();
        QCOMPARE(connect, QStringList({"START1=START", "STOP1=STOP"}));
        QCOMPARE(named<QAction>(*m_window, "START1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    }

    void exitAnsweredNoKeepsTheWindowAndItsState()
    {
        showAndActivate();
        answerExitQuestion(IDNO);
        const Recorder& recorder = m_window->session().recorder();
        const int32_t recordNo = recorder.recordNo(), recordLimit = recorder.recordLimit();
        const double startTime = recorder.startTime();

        QVERIFY(!m_window->close());
        const QList<AnsweredMessages::Box>& asked = windowDialogs().boxes;
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("Are you ensure to exit the program?"));
        QCOMPARE(asked[0].caption, QStringLiteral("Tarvion TQ-612"));
        QCOMPARE(asked[0].flags, unsigned(MB_YESNO | MB_ICONEXCLAMATION));
        QCOMPARE(asked[0].flags, 0x34u);
        QVERIFY(m_window->isVisible());
        QCOMPARE(recorder.recordNo(), recordNo);
        QCOMPARE(recorder.recordLimit(), recordLimit);
        QCOMPARE(recorder.startTime(), startTime);
        QVERIFY(named<QTimer>(*m_window, "Trecord")->isActive());
    }

    // The program ends with its main window, even while the About window is open.
    void exitButtonAnsweredYesEndsTheProgram()
    {
        showAndActivate();
        m_window->AboutClick();
        answerExitQuestion(IDYES);

        constexpr int kStillRunning = 2;
        QTimer::singleShot(0, named<QPushButton>(*m_window, "BitBtn1"), [this] { QTest::mouseClick(named<QPushButton>(*m_window, "BitBtn1"), Qt::LeftButton); });
        QTimer::singleShot(2000, qApp, [] { QCoreApplication::exit(kStillRunning); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(windowDialogs().boxes.size(), 1);
        QVERIFY(!m_window->isVisible());
    }

    void aboutWindowOpensWithoutBlocking()
    {
        showAndActivate();
        auto* about = m_window->findChild<TForm1*>(QStringLiteral("Form1"));
        QVERIFY(about);
        QVERIFY(!about->isVisible());
        QVERIFY(about->isWindow());

        named<QAction>(*m_window, "About")->trigger();
        QVERIFY(about->isVisible());
        QVERIFY(!about->isModal());
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        QCOMPARE(about->frameGeometry().size(), QSize(377, 263));
        QVERIFY(about->findChildren<QWidget*>().isEmpty());
    }

    // Once the table fills the grid, it still cannot be edited, and Tab leaves it rather than
    // walking its cells.
    void filledGridIsReadOnlyAndTabLeavesIt()
    {
        showAndActivate();
        QStandardItemModel table(2, 4);
        QTableView* grid = named<QTableView>(*m_window, "DBGrid1");
        grid->setModel(&table);
        grid->setFocus();
        grid->setCurrentIndex(table.index(0, 0));

        QTest::keyClick(grid, Qt::Key_F2);
        QVERIFY(!grid->indexWidget(table.index(0, 0)) && !grid->findChild<QLineEdit*>());
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), named<QCheckBox>(*m_window, "RepeatSet"));
        QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        grid->setModel(nullptr);
    }

    void chartViewFillsTheChartAreaBeneathItsLabels()
    {
        showAndActivate();
        QWidget* view = named<ChartView>(*m_window);
        QCoreApplication::processEvents();
        BevelPanel* area = named<BevelPanel>(*m_window, "Chtshow");
        QCOMPARE(view->parentWidget(), area);
        QCOMPARE(view->geometry(), area->clientRect());
        QCOMPARE(view->focusPolicy(), Qt::NoFocus);
        QCOMPARE(area->childAt(named<QLabel>(*m_window, "lbl_time")->geometry().center()), named<QLabel>(*m_window, "lbl_time"));
    }

    // This test runs under a plain QApplication, which catches nothing: a handler's failure is
    // reported where the handler was connected, or it would end the test.
    void aHandlersFailureIsReportedWithoutReachingQt()
    {
        AnsweredMessages& answers = freshAnswers();
        m_window->session().readings().frameClosed(displayFrame('2', "12C4"));
        named<QPushButton>(*m_window, "Button4")->click();
        QCOMPARE(answers.errorReports(), QStringList{QStringLiteral("'12C4' is not a valid integer value.")});
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
