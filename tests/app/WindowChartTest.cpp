// The chart strip of the real window: page buttons, the page-size box and its timer, the date
// label.
#include "base/LocaleTexts.h"
#include "chart/ChartView.h"
#include "widgets/BevelPanel.h"
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QTimer>
#include <QToolButton>
#include <memory>

class WindowChartTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TFCOMM> m_window;

    const ChartAxis& horizontal() const { return named<ChartView>(*m_window)->engine().axis(AxisId::Horizontal); }
    const TChartControl& pager() const { return m_window->session().pager(); }
    QString pageLabel() const { return named<QToolButton>(*m_window, "Bt10")->text(); }

    void recordReadings(int count)
    {
        named<QCheckBox>(*m_window, "RecordSI")->setChecked(false);
        receiveReadings(*m_window, count);
    }

private slots:
    void init() { m_window = std::make_unique<TFCOMM>(windowDialogs()); }
    void cleanup() { m_window.reset(); }

    void startsOnPageOneOfTheStartRanges()
    {
        QCOMPARE(&pager().Chart(), &named<ChartView>(*m_window)->engine());
        QCOMPARE(named<ChartView>(*m_window)->parentWidget(), named<BevelPanel>(*m_window, "Chtshow"));
        QCOMPARE(pageLabel(), "1");
        QCOMPARE(horizontal().minimum, 1.0);
        QCOMPARE(horizontal().maximum, 100.0);
        const ChartAxis& vertical = named<ChartView>(*m_window)->engine().axis(AxisId::Vertical);
        QCOMPARE(vertical.minimum, -50.0);
        QCOMPARE(vertical.maximum, 100.0);
        QCOMPARE(named<QLabel>(*m_window, "lbl_time")->text(), QString());
    }

    void pageButtonsMoveThroughTheReadings()
    {
        recordReadings(250);
        QCOMPARE(pageLabel(), "3");
        QCOMPARE(horizontal().minimum, 201.0);

        const struct {
            QToolButton* button;
            const char* label;
            double firstShown;
        } steps[] = {
            {named<QToolButton>(*m_window, "BtFirst"), "1", 1.0},    {named<QToolButton>(*m_window, "BTPrevious"), "1", 1.0}, {named<QToolButton>(*m_window, "BtNext"), "2", 101.0},
            {named<QToolButton>(*m_window, "BTlast"), "3", 201.0},   {named<QToolButton>(*m_window, "BtNext"), "3", 201.0},   {named<QToolButton>(*m_window, "BTPrevious"), "2", 101.0},
        };
        for (const auto& step : steps) {
            step.button->click();
            QCOMPARE(pageLabel(), QString::fromLatin1(step.label));
            QCOMPARE(horizontal().minimum, step.firstShown);
        }

        // Looking back holds the view while readings go on; the last page follows again.
        recordReadings(100);
        QCOMPARE(pageLabel(), "2");
        QCOMPARE(horizontal().minimum, 101.0);
        named<QToolButton>(*m_window, "BTlast")->click();
        QCOMPARE(pageLabel(), "4");
        recordReadings(60);
        QCOMPARE(pageLabel(), "5");
        QCOMPARE(horizontal().minimum, 401.0);
    }

    void pageSizeAppliesHalfASecondAfterTheLastChange()
    {
        recordReadings(230);
        QElapsedTimer sinceFirstChange;
        sinceFirstChange.start();
        named<QLineEdit>(*m_window, "Maxrecord")->setText(QStringLiteral("5"));
        QTest::qWait(200);
        named<QLineEdit>(*m_window, "Maxrecord")->setText(QStringLiteral("50"));
        QTest::qWait(200);
        // A timer never fires early: 200 ms after the last change nothing is applied yet. On a
        // machine so loaded that the waits took longer, only the outcome can be checked.
        if (sinceFirstChange.elapsed() < 450) {
            QCOMPARE(pager().PageSize(), 100);
            QVERIFY(named<QTimer>(*m_window, "Timer1")->isActive());
        }

        QTRY_VERIFY(!named<QTimer>(*m_window, "Timer1")->isActive());
        QCOMPARE(pager().PageSize(), 50);
        QCOMPARE(pageLabel(), "5");
        QCOMPARE(horizontal().minimum, 201.0);
        QCOMPARE(horizontal().maximum, 250.0);
    }

    void pageSizeTextsThatAreNoSizeKeepTheSize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("beyond 32 bits") << QStringLiteral("99999999999");
    }

    void pageSizeTextsThatAreNoSizeKeepTheSize()
    {
        QFETCH(QString, text);
        AnsweredMessages& answers = freshAnswers();
        recordReadings(150);
        named<QToolButton>(*m_window, "BtFirst")->click();
        named<QLineEdit>(*m_window, "Maxrecord")->setText(text);
        QTRY_VERIFY(!named<QTimer>(*m_window, "Timer1")->isActive());
        QCOMPARE(pager().PageSize(), 100);
        QCOMPARE(pageLabel(), "1");
        QVERIFY(answers.boxes.isEmpty());
    }

    // With exactly one page of readings, the first page scrolls back to -99 .. 0, and a new
    // page size then fails on the axis. The error is reported, the timer keeps going and its
    // next tick finds the size stored and stops.
    void axisErrorIsReportedAndTheTimerTriesAgain()
    {
        AnsweredMessages& answers = freshAnswers();
        bool runningWhenReported = false;
        answers.answerBox = [&](const AnsweredMessages::Box&) {
            runningWhenReported = named<QTimer>(*m_window, "Timer1")->isActive();
            return int(PlatformMessageBox::IDOK);
        };
        recordReadings(100);
        named<QToolButton>(*m_window, "BtFirst")->click();
        QCOMPARE(horizontal().maximum, 0.0);
        named<QTimer>(*m_window, "Timer1")->setInterval(50);

        named<QLineEdit>(*m_window, "Maxrecord")->setText(QStringLiteral("50"));
        QTRY_COMPARE(answers.errorReports(), QStringList{"Axis Minimum Value must be <= Maximum."});
        QVERIFY(runningWhenReported);
        QCOMPARE(pager().PageSize(), 50);
        QTRY_VERIFY(!named<QTimer>(*m_window, "Timer1")->isActive());
        QCOMPARE(answers.errorReports().size(), 1);
        QCOMPARE(pageLabel(), "1");
    }

    void dateLabelShowsTodayFromTheFirstTick()
    {
        QTimer* timer = named<QTimer>(*m_window, "Timer2");
        timer->setInterval(10);
        QTRY_COMPARE(named<QLabel>(*m_window, "lbl_time")->text(),
                     QString::fromLocal8Bit(LocaleTexts::shortDateText(QDate::currentDate(), QLocale::system())));
        // The date changes only at midnight: until then the timer wakes once a minute.
        QVERIFY(timer->isActive());
        if (QTime::currentTime() < QTime(23, 58))
            QCOMPARE(timer->interval(), 60'000);
    }
};

TQ612_WINDOW_TEST_MAIN(WindowChartTest)
#include "WindowChartTest.moc"
