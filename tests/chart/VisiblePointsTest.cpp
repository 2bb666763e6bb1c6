#include "chart/ChartEngine.h"
#include "chart/VisiblePoints.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

ChartEngine engineWith(int points, double (*valueAt)(int))
{
    ChartEngine engine;
    for (int i = 0; i < points; ++i)
        engine.append(0, valueAt(i), Qt::blue);
    return engine;
}

double position(int i) { return i; }

// Noise with a few spikes, so each column has its extremes somewhere in the middle.
double noisy(int i) { return std::sin(i * 0.37) * 10.0 + (i % 997 == 0 ? 500.0 : 0.0) - (i % 1201 == 0 ? 400.0 : 0.0); }

}  // namespace

// The line runs to the ends of the axis and stops there: a point outside becomes the point where
// its segment crosses the end.
TEST(VisiblePoints, LineIsCutAtTheEndsOfTheRange)
{
    const ChartEngine engine = engineWith(1001, position);
    struct Case { double minX, maxX; qsizetype count; double first, last; };
    for (const Case& c : {Case{101, 200, 100, 101, 200}, Case{-99, 0, 1, 0, 0}, Case{950.5, 2000, 51, 950.5, 1000},
                          Case{300.5, 300.7, 2, 300.5, 300.7}, Case{99.25, 100.5, 3, 99.25, 100.5}}) {
        const QList<QPointF> points = visiblePoints(engine.series(0), c.minX, c.maxX, 500);
        ASSERT_EQ(points.size(), c.count) << c.minX;
        EXPECT_EQ(points.front(), QPointF(c.first, c.first)) << c.minX;
        EXPECT_EQ(points.back(), QPointF(c.last, c.last)) << c.minX;
    }
    for (auto [minX, maxX] : {std::pair{1002.0, 1100.0}, std::pair{-300.0, -1.5}, std::pair{1e300, 1e301}, std::pair{1000.5, 1001.0}})
        EXPECT_TRUE(visiblePoints(engine.series(0), minX, maxX, 500).isEmpty()) << minX;
    EXPECT_TRUE(visiblePoints(ChartEngine().series(0), 0, 100, 500).isEmpty());

    // A chart's first page: the start point at 0 lies left of the axis, which starts at 1.
    ChartEngine chart;
    for (double v : {0.0, 25.0, 26.0})
        chart.append(0, v, Qt::blue);
    EXPECT_EQ(visiblePoints(chart.series(0), 1, 100, 500), (QList<QPointF>{{1, 25}, {2, 26}}));
}

// Many points per pixel column: each column must still reach its own lowest and highest value,
// and the line must start and end where the full data does.
TEST(VisiblePoints, ManyPointsReduceToTheSameEnvelopePerColumn)
{
    const int n = 100000;
    const int columns = 300;
    const ChartEngine engine = engineWith(n, noisy);
    // 256 positions per column, so the test places points in columns exactly as the code does.
    const double minX = 1000.0, maxX = 1000.0 + 256.0 * columns;
    const QList<QPointF> points = visiblePoints(engine.series(0), minX, maxX, columns);
    ASSERT_LE(points.size(), 4 * columns);

    auto columnOf = [&](double x) { return std::clamp(int(std::floor((x - minX) * columns / (maxX - minX))), 0, columns - 1); };
    std::map<int, std::pair<double, double>> full, reduced;
    auto widen = [](std::map<int, std::pair<double, double>>& m, int column, double v) {
        auto [it, fresh] = m.try_emplace(column, v, v);
        it->second.first = std::min(it->second.first, v);
        it->second.second = std::max(it->second.second, v);
    };
    for (int p = int(minX); p <= int(maxX); ++p)
        widen(full, columnOf(p), noisy(p));
    for (const QPointF& pt : points) {
        ASSERT_EQ(pt.y(), noisy(int(pt.x())));
        widen(reduced, columnOf(pt.x()), pt.y());
    }
    EXPECT_EQ(reduced, full);
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end(), [](auto a, auto b) { return a.x() < b.x(); }));
    EXPECT_EQ(points.front().x(), minX);
    EXPECT_EQ(points.back().x(), maxX);
}
