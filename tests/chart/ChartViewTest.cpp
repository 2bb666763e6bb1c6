#include "chart/ChartView.h"
#include "chart/TChartControl.h"

#include <QAreaSeries>
#include <QFrame>
#include <QLabel>
#include <QLineSeries>
#include <QSignalSpy>
#include <QTest>
#include <QValueAxis>

namespace {

QLineSeries* lineOf(ChartView& view, int index)
{
    QAbstractSeries* shown = view.chart()->series().at(index);
    if (auto* area = qobject_cast<QAreaSeries*>(shown))
        return area->upperSeries();
    return qobject_cast<QLineSeries*>(shown);
}

QValueAxis* axisOf(ChartView& view, Qt::Alignment alignment)
{
    return qobject_cast<QValueAxis*>(view.chart()->axes(alignment == Qt::AlignBottom ? Qt::Horizontal : Qt::Vertical).at(0));
}

}  // namespace

class ChartViewTest : public QObject {
    Q_OBJECT
private slots:
    void showsOnlyThePointsInView();
    void manyPointsInViewBecomeAnEnvelope();
    void mouseZoomLastsUntilUndoneOrScrolled();
    void followsItsContainer();
    void hasTheChartsSettings();
    void rendersOnWhiteAtItsSize();
};

void ChartViewTest::showsOnlyThePointsInView()
{
    ChartEngine engine;
    ChartView view(engine);
    view.resize(583, 516);
    view.show();
    TChartControl pager(view.engine(), 100);
    QCoreApplication::processEvents();
    QLineSeries* line = lineOf(view, 0);
    QSignalSpy rebuilt(line, &QXYSeries::pointsReplaced);

    for (int i = 1; i <= 10050; ++i)
        pager.AddPoint(i % 50);
    // A burst of points is one rebuild, on the next pass of the event loop.
    QCOMPARE(rebuilt.count(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(rebuilt.count(), 1);

    // View 10001 .. 10100: its 50 points.
    QCOMPARE(line->count(), 50);
    QCOMPARE(line->at(0), QPointF(10001, 1));
    QCOMPARE(line->at(49), QPointF(10050, 0));
    QCOMPARE(lineOf(view, 1)->count(), 0);

    pager.PreviousPage();
    view.refreshNow();
    QCOMPARE(line->count(), 100);
    QCOMPARE(line->at(0).x(), 9901.0);
    QCOMPARE(line->at(99).x(), 10000.0);
    QCOMPARE(axisOf(view, Qt::AlignBottom)->min(), 9901.0);

    // Points beyond the held page change nothing on screen.
    rebuilt.clear();
    for (int i = 0; i < 500; ++i)
        pager.AddPoint(1.0);
    QCoreApplication::processEvents();
    QCOMPARE(rebuilt.count(), 0);

    // An inactive series draws nothing; made active, it shows its points too.
    view.engine().setActive(1);
    view.refreshNow();
    QVERIFY(view.chart()->series().at(1)->isVisible());
    QCOMPARE(lineOf(view, 1)->count(), 100);
}

void ChartViewTest::manyPointsInViewBecomeAnEnvelope()
{
    ChartEngine engine;
    ChartView view(engine);
    view.resize(583, 516);
    view.show();
    TChartControl pager(view.engine(), 200000);
    for (int i = 1; i <= 150000; ++i)
        pager.AddPoint(i % 2 ? 90.0 : -40.0);
    QCoreApplication::processEvents();
    const QLineSeries* line = lineOf(view, 0);
    const int columns = int(view.chart()->plotArea().width());
    QVERIFY(columns > 400);
    QVERIFY(line->count() <= 4 * columns);
    // Every column still swings over the full range.
    QList<QPointF> points = line->points();
    QCOMPARE(std::min_element(points.begin(), points.end(), [](auto a, auto b) { return a.y() < b.y(); })->y(), -40.0);
    QCOMPARE(std::max_element(points.begin(), points.end(), [](auto a, auto b) { return a.y() < b.y(); })->y(), 90.0);
}

void ChartViewTest::mouseZoomLastsUntilUndoneOrScrolled()
{
    ChartEngine engine;
    ChartView view(engine);
    view.resize(583, 516);
    view.show();
    TChartControl pager(view.engine(), 100);
    for (int i = 1; i <= 250; ++i)
        pager.AddPoint(i % 50);
    QCoreApplication::processEvents();
    QValueAxis* bottom = axisOf(view, Qt::AlignBottom);
    QLineSeries* line = lineOf(view, 0);
    const QRectF plot = view.chart()->plotArea();
    auto drag = [&](QPointF from, QPointF to) {
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, from.toPoint());
        QTest::mouseMove(view.viewport(), to.toPoint());
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, to.toPoint());
        QCoreApplication::processEvents();
    };

    const QPointF left = plot.topLeft() + QPointF(plot.width() * 0.2, 10), right = plot.bottomLeft() + QPointF(plot.width() * 0.4, -10);
    // Undoing with nothing zoomed keeps the labels.
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, left.toPoint());
    QCOMPARE(bottom->tickInterval(), 20.0);

    drag(left, right);
    QVERIFY(bottom->min() > 220 && bottom->max() < 245);
    QVERIFY(line->count() < 30);
    QCOMPARE(line->at(0).x(), bottom->min());

    // A reading inside the page leaves the zoom; dragging to the left undoes it.
    pager.AddPoint(7.0);
    QCoreApplication::processEvents();
    QVERIFY(bottom->max() < 245);
    drag(right, left);
    QCOMPARE(bottom->min(), 201.0);
    QCOMPARE(bottom->max(), 300.0);
    QCOMPARE(line->count(), 51);

    drag(left, right);
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, left.toPoint());
    QCOMPARE(bottom->min(), 201.0);
    QCOMPARE(bottom->tickInterval(), 20.0);

    // Paging replaces a zoom with the page.
    drag(left, right);
    pager.PreviousPage();
    QCoreApplication::processEvents();
    QVERIFY(!view.chart()->isZoomed());
    QCOMPARE(bottom->min(), 101.0);
    QCOMPARE(bottom->max(), 200.0);
}

void ChartViewTest::followsItsContainer()
{
    ChartEngine engine;
    QFrame container;
    container.resize(583, 516);
    auto* label = new QLabel(QStringLiteral("date"), &container);
    auto* view = new ChartView(engine, &container);
    container.show();
    QCOMPARE(view->objectName(), QStringLiteral("ChtshowView"));
    QCOMPARE(view->geometry(), container.rect());
    // The date label sits on the chart, so it stays above the view.
    QCOMPARE(container.children().indexOf(view), 0);
    QVERIFY(container.children().indexOf(label) > 0);
    container.resize(700, 400);
    QCOMPARE(view->geometry(), QRect(0, 0, 700, 400));
}

void ChartViewTest::hasTheChartsSettings()
{
    ChartEngine engine;
    ChartView view(engine);
    view.resize(500, 400);
    view.show();
    QCoreApplication::processEvents();
    QChart* chart = view.chart();
    QVERIFY(!chart->legend()->isVisible());
    QCOMPARE(chart->title(), QStringLiteral("  "));
    QCOMPARE(chart->titleBrush().color(), QColor(Qt::blue));
    QCOMPARE(chart->titleFont().pixelSize(), 13);
    QCOMPARE(chart->margins(), QMargins(0, 8, 25, 4));
    QVERIFY(view.rubberBand() == QChartView::RectangleRubberBand);

    QValueAxis* bottom = axisOf(view, Qt::AlignBottom);
    QCOMPARE(bottom->titleText(), QStringLiteral("Measurement No."));
    QCOMPARE(bottom->titleBrush().color(), QColor(Qt::blue));
    QCOMPARE(bottom->titleFont().pixelSize(), 11);
    QValueAxis* left = axisOf(view, Qt::AlignLeft);
    QCOMPARE(left->titleText(), QStringLiteral("Temp."));
    QCOMPARE(left->linePen().color(), QColor(0, 64, 128));
    QCOMPARE(left->linePen().style(), Qt::DashLine);
    QCOMPARE(left->minorTickCount(), 4);
    QCOMPARE(left->min(), -61.0);
    QCOMPARE(left->max(), 60.0);

    QCOMPARE(lineOf(view, 0)->pen().color(), QColor(Qt::blue));
    QVERIFY(chart->series().at(0)->isVisible());
    QVERIFY(!chart->series().at(1)->isVisible());
    QCOMPARE(qobject_cast<QAreaSeries*>(chart->series().at(1))->pen().color(), QColor(0, 128, 255));
}

void ChartViewTest::rendersOnWhiteAtItsSize()
{
    ChartEngine engine;
    QFrame container;
    container.resize(583, 516);
    auto* view = new ChartView(engine, &container);
    TChartControl pager(view->engine(), 100);
    pager.SetYMaximum(100.0);
    pager.SetYMinimum(-50.0);
    for (int i = 1; i <= 350; ++i)
        pager.AddPoint(25.0 + 30.0 * std::sin(i / 9.0) + (i % 7));
    container.show();
    QCoreApplication::processEvents();

    const QImage image = view->renderImage();
    QCOMPARE(image.size(), QSize(583, 516));
    QCOMPARE(image.pixelColor(2, 2), QColor(Qt::white));
    QCOMPARE(image.pixelColor(580, 513), QColor(Qt::white));
    int blue = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            blue += c.blue() > 200 && c.red() < 80 && c.green() < 80;
        }
    QVERIFY2(blue > 100, qPrintable(QString::number(blue)));
    QCOMPARE(axisOf(*view, Qt::AlignLeft)->min(), -50.0);
    QCOMPARE(axisOf(*view, Qt::AlignBottom)->min(), 301.0);
}

QTEST_MAIN(ChartViewTest)
#include "ChartViewTest.moc"
