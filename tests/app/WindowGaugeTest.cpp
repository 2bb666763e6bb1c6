// The hidden dial gauge and the covered limit boxes in the real window: drawn at start-up,
// redrawn by the limits typed from the keyboard, enlarged and restored by its handler.
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <memory>

using namespace PlatformMessageBox;

namespace {

int countPixels(const QImage& picture, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            count += picture.pixel(x, y) == colour;
    }
    return count;
}

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kRed = qRgb(255, 0, 0);

}  // namespace

class WindowGaugeTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TFCOMM> m_window;

    // What KD1 shows: the picture drawn when the window was created, 31 x 36 pixels.
    QImage gaugePicture() const { return named<QLabel>(*m_window, "KD1")->pixmap().toImage(); }
    // The start-up needle's stub: on the form-sized panel it stands at x = 16 from y = 34 down,
    // below the squeezed scale and band.
    bool needleShown() const
    {
        const QImage picture = gaugePicture();
        return picture.pixel(16, 34) == kBlack && picture.pixel(16, 35) == kBlack;
    }

    void showAndActivate()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

private slots:
    void init() { m_window = std::make_unique<TFCOMM>(windowDialogs()); }
    void cleanup() { m_window.reset(); }

    void startUpDrawsTheScaleThenTheNeedle()
    {
        QVERIFY(named<QWidget>(*m_window, "KD")->isHidden());
        QCOMPARE(gaugePicture().size(), QSize(31, 36));
        QCOMPARE(m_window->gauge().settings().NeedleOld, (std::array<int32_t, 4>{16, 288, 16, 34}));
        QVERIFY(needleShown());
        QVERIFY(countPixels(gaugePicture(), kBlack) > 20);
        QCOMPARE(countPixels(gaugePicture(), kRed), 0);
        // The boxes show their texts, but nothing has read them yet.
        QCOMPARE(m_window->limitSettings().upperLimit(), 0.0f);
        QCOMPARE(m_window->limitSettings().lowerLimit(), 0.0f);
    }

    void digitsTypedRightAfterStartUpSetTheUpperLimit()
    {
        AnsweredMessages& answers = freshAnswers();
        showAndActivate();
        QCOMPARE(QApplication::focusWidget(), named<QLineEdit>(*m_window, "Setmax"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1a 0x0"));
        QCOMPARE(named<QLineEdit>(*m_window, "Setmax")->text(), QStringLiteral("100"));
        QCOMPARE(m_window->limitSettings().upperLimit(), 100.0f);
        // Each change redraws the scale, which wipes the start-up needle for good.
        QVERIFY(!needleShown());
        QCOMPARE(countPixels(gaugePicture(), kRed), 0);

        // Tab on to SetMaxB and tick it with the space bar: the band turns red above 100.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), named<QCheckBox>(*m_window, "SetMaxB"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(named<QCheckBox>(*m_window, "SetMaxB")->isChecked());
        QVERIFY(countPixels(gaugePicture(), kRed) > 0);
        QVERIFY(answers.errorReports().isEmpty());
    }

    void aSignAfterDigitsIsReportedAndKeepsTheLimit()
    {
        AnsweredMessages& answers = freshAnswers();
        showAndActivate();
        auto* upper = named<QLineEdit>(*m_window, "Setmax");
        named<QCheckBox>(*m_window, "SetMaxB")->setChecked(true);  // reads "40000"
        QCOMPARE(m_window->limitSettings().upperLimit(), 40000.0f);
        QTest::keyClicks(upper, QStringLiteral("12"));  // the text was selected: "12"
        QCOMPARE(m_window->limitSettings().upperLimit(), 12.0f);
        const QImage before = gaugePicture();
        QVERIFY(countPixels(before, kRed) > 0);

        QTest::keyClicks(upper, QStringLiteral("-"));
        QCOMPARE(upper->text(), QStringLiteral("12-"));
        QCOMPARE(answers.errorReports(), QStringList{QStringLiteral("'12-' is not a valid integer value.")});
        QCOMPARE(answers.boxes.back().flags, unsigned(MB_OK | MB_ICONHAND));
        QCOMPARE(m_window->limitSettings().upperLimit(), 12.0f);
        QCOMPARE(gaugePicture(), before);

        // Each keystroke that leaves the text invalid reports again; clearing reads 0.
        QTest::keyClicks(upper, QStringLiteral("3"));
        QCOMPARE(answers.errorReports().size(), 2);
        upper->clear();
        QCOMPARE(m_window->limitSettings().upperLimit(), 0.0f);
        QCOMPARE(answers.errorReports().size(), 2);
    }

    void aLoneMinusReadsAsZeroOnTheWayToANegativeLimit()
    {
        AnsweredMessages& answers = freshAnswers();
        auto* lower = named<QLineEdit>(*m_window, "SetMin");
        lower->clear();
        QTest::keyClicks(lower, QStringLiteral("-"));
        QCOMPARE(m_window->limitSettings().lowerLimit(), 0.0f);
        QTest::keyClicks(lower, QStringLiteral("5"));
        QCOMPARE(m_window->limitSettings().lowerLimit(), -5.0f);
        QVERIFY(answers.errorReports().isEmpty());
        // Ticking the box reads its text again. On the form-sized panel the band's first dots
        // lie under the later ones, so a limit that reddens half the band shows.
        lower->setText(QStringLiteral("5000"));
        QCOMPARE(countPixels(gaugePicture(), kRed), 0);
        named<QCheckBox>(*m_window, "SetMinB")->setChecked(true);
        QCOMPARE(m_window->limitSettings().lowerLimit(), 5000.0f);
        QVERIFY(countPixels(gaugePicture(), kRed) > 0);
    }

    void enlargingTwiceReturnsToTheFormerBounds()
    {
        showAndActivate();
        auto* panel = named<QWidget>(*m_window, "KD");
        auto* picture = named<QLabel>(*m_window, "KD1");
        auto* enlarge = named<QToolButton>(*m_window, "KdFd");
        auto* restore = named<QToolButton>(*m_window, "KdSx");
        auto* chart = named<QWidget>(*m_window, "Chtshow");
        const QRect normal = panel->geometry();
        const QSize outer = m_window->frameGeometry().size();

        m_window->KdFdClick();
        QCOMPARE(panel->geometry(), QRect(2, 28, outer.width() - 12, outer.height() - 80));
        QCOMPARE(picture->geometry(), QRect(2, 2, panel->width() - 40, panel->height() - 140));
        QVERIFY(chart->isHidden());
        QVERIFY(enlarge->isHidden());
        QVERIFY(!restore->isHidden());
        // The resize handler ran although the panel is hidden.
        QCOMPARE(restore->pos(), QPoint(panel->width() - 30, 5));
        QCOMPARE(enlarge->pos(), QPoint(panel->width() - 30, 5));
        QCOMPARE(m_window->gauge().settings().GaugeSavedBounds, (std::array<int32_t, 4>{33, 38, 240, 857}));
        QVERIFY(panel->isHidden());

        restore->click();
        QCOMPARE(panel->geometry(), normal);
        QCOMPARE(picture->geometry(), QRect(2, 2, 29, 34));
        QVERIFY(!chart->isHidden());
        QVERIFY(!enlarge->isHidden());
        QVERIFY(restore->isHidden());
        QCOMPARE(enlarge->pos(), QPoint(3, 5));
        // Neither step redraws: the start-up picture is only stretched.
        QVERIFY(needleShown());
    }
};

TQ612_WINDOW_TEST_MAIN(WindowGaugeTest)
#include "WindowGaugeTest.moc"
