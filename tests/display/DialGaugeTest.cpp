// The dial gauge drawn into a picture: pixels read back where the geometry puts the labels, the
// band's dots and the needle.
#include "display/DialGauge.h"
#include "display/GaugeGeometry.h"
#include "display/LimitSettings.h"

#include <QPainter>
#include <QtTest>

#include <limits>

namespace {

struct PictureSurface : GaugeSurface {
    QSize panel;
    QImage image;
    int changes = 0;

    PictureSurface(QSize panelSize, QSize pictureSize) : panel(panelSize), image(pictureSize, QImage::Format_RGB32)
    {
        image.fill(Qt::gray);
    }
    QSize panelSize() const override { return panel; }
    QColor panelBackground() const override { return Qt::white; }
    QImage& picture() override { return image; }
    void pictureChanged() override { ++changes; }
};

struct Switches : LimitSwitches {
    bool upper = false;
    bool lower = false;
    bool upperLimitOn() const override { return upper; }
    bool lowerLimitOn() const override { return lower; }
};

// The start-up values of the gauge's variables.
GaugeSettings startUpSettings()
{
    GaugeSettings settings;
    settings.GaugeText = "4";
    settings.GaugeParam1 = 60;
    settings.GaugeValue = 400;
    settings.GaugeScaleMax = 80;
    return settings;
}

// The limit boxes, read as the window reads them.
struct Limits : LimitSettings {
    explicit Limits(float upper = 0.0f, float lower = 0.0f)
        : LimitSettings({.redrawScale = [] {}, .reportError = [](const QString&) {}})
    {
        readUpperLimit(QByteArray::number(qRound(upper)));
        readLowerLimit(QByteArray::number(qRound(lower)));
    }
};

// A gauge with the given settings and limits.
struct Gauge {
    Gauge(const GaugeSettings& settings, GaugeSurface& surface, const LimitSwitches& switches, Limits limits = Limits())
        : limits(std::move(limits)), gauge(surface, switches, this->limits)
    {
        gauge.settings() = settings;
    }
    Limits limits;
    DialGauge gauge;
};

QImage drawnScale(const GaugeSettings& settings, QSize panel, const Switches& switches = {}, Limits limits = Limits())
{
    PictureSurface surface(panel, panel);
    Gauge(settings, surface, switches, std::move(limits)).gauge.drawScale();
    return surface.image;
}

bool isWhite(QRgb pixel)
{
    return pixel == qRgb(255, 255, 255);
}

// A band dot's centre: its 2 x 2 box's middle, which the next dots along do not reach on a
// scale this coarse.
QRgb bandDotCentre(const QImage& picture, QSize panel, int step, int steps)
{
    const QPoint at = *GaugeGeometry(panel).pointAt(step, steps, 3);
    return picture.pixel(at + QPoint(1, 1));
}

}  // namespace

class DialGaugeTest : public QObject {
    Q_OBJECT

private slots:
    void labelsStandAtTheirAnchors()
    {
        // Set "2" has labels and no major dots; an unknown set has neither, so what differs
        // between the two pictures is the labels' ink.
        const QSize panel(440, 200);
        GaugeSettings settings = startUpSettings();
        settings.GaugeScaleMax = 40;
        settings.GaugeText = "2";
        const QImage labelled = drawnScale(settings, panel);
        settings.GaugeText = "none";
        const QImage bare = drawnScale(settings, panel);

        const std::pair<QPoint, const char*> expected[] = {
            {{-2, 157}, "-20"}, {{29, 96}, "-15"}, {{78, 49}, "-10"}, {{141, 19}, "-5"}, {{217, 8}, "0"},
            {{284, 18}, "5"},   {{344, 49}, "10"}, {{393, 96}, "15"}, {{425, 157}, "20"},
        };
        QImage reference(panel, QImage::Format_RGB32);
        reference.fill(Qt::white);
        {
            QPainter painter(&reference);
            painter.setFont(gaugeLabelFont());
            for (const auto& [topLeft, text] : expected)
                painter.drawText(QRect(topLeft, QSize(40, 20)), Qt::AlignLeft | Qt::AlignTop, QString::fromLatin1(text));
        }
        int inked = 0;
        for (int y = 0; y < panel.height(); ++y) {
            for (int x = 0; x < panel.width(); ++x) {
                if (!isWhite(bare.pixel(x, y)))
                    continue;  // under a band dot, which is drawn over the labels
                const bool drawn = labelled.pixel(x, y) != bare.pixel(x, y);
                const bool wanted = !isWhite(reference.pixel(x, y));
                QVERIFY2(drawn == wanted, qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
                inked += drawn;
            }
        }
        QVERIFY(inked > 100);
    }

    void bandDotsTurnRedBeyondTheTickedLimits_data()
    {
        QTest::addColumn<bool>("upperOn");
        QTest::addColumn<float>("upper");
        QTest::addColumn<bool>("lowerOn");
        QTest::addColumn<float>("lower");
        QTest::addColumn<int>("firstRed");
        QTest::addColumn<int>("lastRed");
        QTest::newRow("upper limit 100") << true << 100.0f << false << 0.0f << 17 << 80;
        QTest::newRow("lower limit 0") << false << 0.0f << true << 0.0f << 0 << 5;
        QTest::newRow("limits set, boxes clear") << false << 100.0f << false << 0.0f << -1 << -1;
    }

    void bandDotsTurnRedBeyondTheTickedLimits()
    {
        QFETCH(bool, upperOn);
        QFETCH(float, upper);
        QFETCH(bool, lowerOn);
        QFETCH(float, lower);
        QFETCH(int, firstRed);
        QFETCH(int, lastRed);
        // A coarse scale (81 band dots), so neighbouring dots do not cover each other's centre.
        const QSize panel(440, 200);
        GaugeSettings settings = startUpSettings();
        settings.GaugeScaleMax = 8;
        Switches switches;
        switches.upper = upperOn;
        switches.lower = lowerOn;
        const QImage picture = drawnScale(settings, panel, switches, Limits(upper, lower));
        for (int j = 0; j <= 80; ++j) {
            const QRgb expected = j >= firstRed && j <= lastRed ? qRgb(255, 0, 0) : qRgb(0, 0, 0);
            QVERIFY2(bandDotCentre(picture, panel, j, 80) == expected, qPrintable(QStringLiteral("step %1").arg(j)));
        }
    }

    void needleStandsUprightThroughTheTopAtStartUp()
    {
        // The picture reaches below the arc's ends, where the needle's base lies.
        const QSize panel(440, 200);
        PictureSurface surface(panel, QSize(440, 480));
        Switches switches;
        Gauge test(startUpSettings(), surface, switches);
        DialGauge& gauge = test.gauge;
        gauge.drawScale();
        gauge.drawNeedle(gauge.settings().GaugeValue);
        QCOMPARE(surface.changes, 2);
        QCOMPARE(gauge.settings().NeedleOld, (std::array<int32_t, 4>{220, 450, 220, 34}));

        for (int y = 34; y <= 450; ++y) {
            QCOMPARE(surface.image.pixel(220, y), qRgb(0, 0, 0));
            QVERIFY(isWhite(surface.image.pixel(216, y)));
            QVERIFY(isWhite(surface.image.pixel(224, y)));
        }
        QVERIFY(isWhite(surface.image.pixel(220, 455)));

        // A new needle paints over the old one; the scale's top is no part of it.
        gauge.drawNeedle(0);
        QCOMPARE(gauge.settings().NeedleOld, (std::array<int32_t, 4>{789, 450, 20, 174}));
        for (int y = 40; y <= 450; ++y) {
            if (std::abs(y - 246) > 2)
                QVERIFY2(isWhite(surface.image.pixel(220, y)), qPrintable(QString::number(y)));
        }
        // The new needle runs from (20, 174) down to the right, through x = 220 near y = 246.
        bool crossed = false;
        for (int y = 244; y <= 248; ++y)
            crossed |= surface.image.pixel(220, y) == qRgb(0, 0, 0);
        QVERIFY(crossed);
    }

    void percentModeShiftsTheNeedleOnAThousandSteps()
    {
        // 400 on the percent scale is 500 of 1000 steps, upright whatever GaugeScaleMax says.
        const QSize panel(440, 200);
        GaugeSettings settings = startUpSettings();
        settings.GaugePercentMode = 1;
        settings.GaugeScaleMax = 50;
        PictureSurface surface(panel, panel);
        Switches switches;
        Gauge test(settings, surface, switches);
        test.gauge.drawNeedle(400);
        QCOMPARE(test.gauge.settings().NeedleOld, (std::array<int32_t, 4>{220, 450, 220, 34}));
    }

    void aNeedleThatDividesByZeroIsLeftOut()
    {
        // On this panel's arc, position -10 of 10 steps lies at angle 0: the base's sine is 0.
        const QSize panel(5795, 831);
        GaugeSettings settings = startUpSettings();
        settings.GaugeScaleMax = 1;
        PictureSurface surface(panel, QSize(200, 1100));
        surface.image.fill(Qt::white);
        Switches switches;
        Gauge test(settings, surface, switches);
        DialGauge& gauge = test.gauge;
        gauge.drawNeedle(0);
        const std::array<int32_t, 4> drawn{182, 1081, 20, 805};
        QCOMPARE(gauge.settings().NeedleOld, drawn);
        QVERIFY(!isWhite(surface.image.pixel(101, 944)) || !isWhite(surface.image.pixel(101, 943)));

        gauge.drawNeedle(-10);
        QCOMPARE(gauge.settings().NeedleOld, drawn);
        QCOMPARE(surface.image.pixel(101, 944), qRgb(255, 255, 255));
        QCOMPARE(surface.image.pixel(101, 943), qRgb(255, 255, 255));
        QCOMPARE(surface.changes, 2);
    }

    void oddPanelsDrawWithoutFailing()
    {
        // The form's own 33 x 38 panel: a small distorted arc inside the 31 x 36 picture.
        PictureSurface formSized(QSize(33, 38), QSize(31, 36));
        Switches switches;
        Gauge test(startUpSettings(), formSized, switches);
        DialGauge& gauge = test.gauge;
        gauge.drawScale();
        int black = 0;
        for (int y = 0; y < 36; ++y) {
            for (int x = 0; x < 31; ++x)
                black += formSized.image.pixel(x, y) == qRgb(0, 0, 0);
        }
        QVERIFY(black > 0);
        for (int32_t position : {-2000, 5000, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()})
            gauge.drawNeedle(position);
        gauge.drawNeedle(400);
        QCOMPARE(gauge.settings().NeedleOld, (std::array<int32_t, 4>{16, 288, 16, 34}));

        // A panel 60 pixels high has no rise: nothing of the scale has a place, the picture is
        // cleared and the needle is left out.
        PictureSurface noRise(QSize(440, 60), QSize(440, 60));
        Gauge flat(startUpSettings(), noRise, switches);
        DialGauge& flatGauge = flat.gauge;
        flatGauge.drawScale();
        flatGauge.drawNeedle(400);
        QImage white(QSize(440, 60), QImage::Format_RGB32);
        white.fill(Qt::white);
        QCOMPARE(noRise.image, white);
        QCOMPARE(flatGauge.settings().NeedleOld, (std::array<int32_t, 4>{0, 0, 0, 0}));
    }
};

QTEST_MAIN(DialGaugeTest)
#include "DialGaugeTest.moc"
