#include "base/IntegerText.h"
#include "chart/ChartEngine.h"

#include <gtest/gtest.h>

namespace {

void fill(ChartEngine& engine, int series, int points)
{
    for (int i = 0; i < points; ++i)
        engine.append(series, i * 1.5, Qt::blue);
}

void setHorizontal(ChartEngine& engine, double minimum, double maximum)
{
    engine.setAxisMinimum(AxisId::Horizontal, -1e9);
    engine.setAxisMaximum(AxisId::Horizontal, maximum);
    engine.setAxisMinimum(AxisId::Horizontal, minimum);
}

}  // namespace

TEST(ChartEngine, StartsWithTheDesignedSeriesAndRanges)
{
    ChartEngine engine;
    ASSERT_EQ(engine.seriesCount(), 2);
    EXPECT_EQ(engine.series(0).name(), "Series1");
    EXPECT_EQ(engine.series(0).kind(), SeriesKind::FastLine);
    EXPECT_TRUE(engine.series(0).active());
    EXPECT_EQ(engine.series(1).kind(), SeriesKind::Area);
    EXPECT_FALSE(engine.series(1).active());
    EXPECT_EQ(engine.series(1).outlineColour(), QColor(0, 128, 255));
    EXPECT_EQ(engine.axis(AxisId::Horizontal).maximum, 100.0);
    EXPECT_EQ(engine.axis(AxisId::Vertical).minimum, -61.0);
    EXPECT_EQ(engine.axis(AxisId::Vertical).maximum, 60.0);
}

TEST(ChartEngine, AppendedPointsKeepValueAndColourUntilCleared)
{
    ChartEngine engine;
    engine.append(0, 1.25, Qt::blue);
    engine.append(0, -7.5, Qt::red);
    engine.append(0, 3.0, Qt::red);
    engine.append(0, 4.0, Qt::blue);
    ASSERT_EQ(engine.series(0).count(), 4);
    EXPECT_EQ(engine.series(1).count(), 0);
    EXPECT_EQ(engine.series(0).value(1), -7.5);
    EXPECT_EQ(engine.series(0).pointColour(0), QColor(Qt::blue));
    EXPECT_EQ(engine.series(0).pointColour(2), QColor(Qt::red));
    EXPECT_EQ(engine.series(0).pointColour(3), QColor(Qt::blue));

    engine.clear(0);
    EXPECT_EQ(engine.series(0).count(), 0);
    engine.append(0, 9.0, Qt::green);
    EXPECT_EQ(engine.series(0).value(0), 9.0);
    EXPECT_EQ(engine.series(0).pointColour(0), QColor(Qt::green));
}

TEST(ChartEngine, AxisEndsCannotCrossAndAFailedChangeKeepsTheAxis)
{
    for (AxisId id : {AxisId::Horizontal, AxisId::Vertical}) {
        ChartEngine engine;
        engine.setAxisMinimum(id, 10.0);
        engine.setAxisMaximum(id, 20.0);
        try {
            engine.setAxisMinimum(id, 20.5);
            ADD_FAILURE() << "minimum above maximum accepted";
        } catch (const ProgramError& e) {
            EXPECT_STREQ(e.what(), "Axis Minimum Value must be <= Maximum");
        }
        try {
            engine.setAxisMaximum(id, 9.5);
            ADD_FAILURE() << "maximum below minimum accepted";
        } catch (const ProgramError& e) {
            EXPECT_STREQ(e.what(), "Axis Maximum Value must be >= Minimum");
        }
        EXPECT_EQ(engine.axis(id).minimum, 10.0);
        EXPECT_EQ(engine.axis(id).maximum, 20.0);
        // Equal ends are allowed from either side.
        engine.setAxisMinimum(id, 20.0);
        engine.setAxisMaximum(id, 20.0);
        EXPECT_EQ(engine.axis(id).minimum, 20.0);
    }
}

struct ScrollCase {
    const char* name;
    int series1Points;
    int series2Points;
    bool series1Active;
    bool series2Active;
    double minimum, maximum;
    double offset;
    bool moves;
};

class ChartEngineScroll : public testing::TestWithParam<ScrollCase> {};

// Positions run 0 .. count - 1 in each series; the scroll moves only towards points beyond the axis.
TEST_P(ChartEngineScroll, MovesOnlyTowardsPointsBeyondTheAxis)
{
    const ScrollCase& c = GetParam();
    ChartEngine engine;
    fill(engine, 0, c.series1Points);
    fill(engine, 1, c.series2Points);
    engine.setActive(0, c.series1Active);
    engine.setActive(1, c.series2Active);
    setHorizontal(engine, c.minimum, c.maximum);

    EXPECT_EQ(engine.scrollHorizontal(c.offset), c.moves);
    const double shift = c.moves ? c.offset : 0.0;
    EXPECT_EQ(engine.axis(AxisId::Horizontal).minimum, c.minimum + shift);
    EXPECT_EQ(engine.axis(AxisId::Horizontal).maximum, c.maximum + shift);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChartEngineScroll, testing::Values(
    ScrollCase{"LastPointOnTheRightEnd", 101, 0, true, false, 1, 100, 100, false},
    ScrollCase{"LastPointBeyondTheRightEnd", 102, 0, true, false, 1, 100, 100, true},
    ScrollCase{"StartPointBelowTheLeftEnd", 5, 0, true, false, 1, 100, -100, true},
    ScrollCase{"StartPointOnTheLeftEnd", 5, 0, true, false, 0, 99, -100, false},
    ScrollCase{"OffsetZero", 500, 0, true, false, 1, 100, 0, false},
    ScrollCase{"InactiveSeriesDoesNotCount", 1, 500, true, false, 1, 100, 100, false},
    ScrollCase{"EmptyActiveSeriesIsIgnored", 0, 500, true, true, 1, 100, 100, true},
    ScrollCase{"OnlyEmptyActiveSeries", 0, 500, true, false, 1, 100, 100, false},
    ScrollCase{"AllSeriesCountWhenNoneIsActive", 1, 500, false, false, 1, 100, 100, true},
    ScrollCase{"NoPointsAnywhere", 0, 0, false, false, 1, 100, -100, false}),
    [](const testing::TestParamInfo<ScrollCase>& scroll) { return scroll.param.name; });

TEST(ChartEngine, TellsItsListenerWhereAPointLanded)
{
    ChartEngine engine;
    std::vector<ChartChange> changes;
    engine.setChangeListener([&](const ChartChange& c) { changes.push_back(c); });
    engine.append(1, 1.0, Qt::blue);
    engine.append(1, 2.0, Qt::blue);
    engine.scrollHorizontal(-10.0);  // refused: no point below the axis
    engine.setAxisMaximum(AxisId::Vertical, 70.0);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[1].kind, ChartChange::PointAppended);
    EXPECT_EQ(changes[1].series, 1);
    EXPECT_EQ(changes[1].position, 1);
    EXPECT_EQ(changes[2].kind, ChartChange::AxisChanged);
}
