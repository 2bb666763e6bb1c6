#include "base/IntegerText.h"
#include "chart/ChartEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

// Whole numbers are kept narrow until the first value that is not; every value, before and
// after, reads back exactly.
TEST(ChartValues, EveryValueReadsBackExactly)
{
    const double kValues[] = {0.0, 25.0, -2147483648.0, 2147483647.0, 1372.0, -0.0, 2147483648.0, 0.1, -1e300,
                              std::numeric_limits<double>::infinity()};
    for (const double tail : kValues) {
        SCOPED_TRACE(tail);
        ChartValues values;
        for (const double v : {7.0, -50.0, 1855.0, tail, 3.0})
            values.append(v);
        ASSERT_EQ(values.size(), 5);
        EXPECT_EQ(values.at(0), 7.0);
        EXPECT_EQ(values.at(1), -50.0);
        EXPECT_EQ(values.at(2), 1855.0);
        EXPECT_EQ(values.at(3), tail);
        EXPECT_EQ(std::signbit(values.at(3)), std::signbit(tail));
        EXPECT_EQ(values.at(4), 3.0);
    }
    ChartValues notANumber;
    notANumber.append(1.0);
    notANumber.append(std::nan(""));
    EXPECT_EQ(notANumber.at(0), 1.0);
    EXPECT_TRUE(std::isnan(notANumber.at(1)));
}

// Filled alike, the series share their values; changed alone, one series never changes another.
TEST(ChartEngine, SeriesFilledAlikeShareTheirValuesAndStaySeparateWhenChangedAlone)
{
    ChartEngine engine;
    std::vector<ChartChange> changes;
    engine.setChangeListener([&](const ChartChange& c) { changes.push_back(c); });
    engine.appendToEverySeries(5.0, Qt::blue);
    engine.appendToEverySeries(6.5, Qt::red);
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_EQ(changes[3].series, 1);
    EXPECT_EQ(changes[3].position, 1);
    for (int s = 0; s < 2; ++s) {
        EXPECT_EQ(engine.series(s).count(), 2);
        EXPECT_EQ(engine.series(s).value(1), 6.5);
        EXPECT_EQ(engine.series(s).pointColour(1), QColor(Qt::red));
    }

    engine.append(1, 9.0, Qt::green);
    EXPECT_EQ(engine.series(0).count(), 2);
    EXPECT_EQ(engine.series(1).value(2), 9.0);
    engine.appendToEverySeries(1.0, Qt::blue);
    EXPECT_EQ(engine.series(0).value(2), 1.0);
    EXPECT_EQ(engine.series(1).value(3), 1.0);
    engine.clear(0);
    EXPECT_EQ(engine.series(1).count(), 4);

    engine.clearEverySeries();
    engine.appendToEverySeries(2.0, Qt::blue);
    EXPECT_EQ(engine.series(0).count(), 1);
    EXPECT_EQ(engine.series(1).count(), 1);
    EXPECT_EQ(engine.series(1).value(0), 2.0);
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
