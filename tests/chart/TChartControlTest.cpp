#include "base/IntegerText.h"
#include "chart/ChartEngine.h"
#include "chart/TChartControl.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The pager as start-up leaves it: page size 100, value axis -50 .. 100.
class Pager : public testing::Test {
protected:
    Pager()
    {
        pager.SetYMaximum(100.0);
        pager.SetYMinimum(-50.0);
    }

    int32_t record(int points)
    {
        int32_t page = 0;
        for (int i = 0; i < points; ++i)
            page = pager.AddPoint(double(i % 37));
        return page;
    }

    std::pair<double, double> view() const
    {
        const ChartAxis& axis = engine.axis(AxisId::Horizontal);
        return {axis.minimum, axis.maximum};
    }

    static std::pair<double, double> range(double minimum, double maximum) { return {minimum, maximum}; }

    ChartEngine engine;
    TChartControl pager{engine, 100};
};

}  // namespace

TEST_F(Pager, StartsOnPageOneWithTheStartPointInEverySeries)
{
    EXPECT_EQ(pager.CurrentPage(), 1);
    EXPECT_EQ(pager.PageCount(), 1);
    EXPECT_EQ(pager.PageSize(), 100);
    EXPECT_FALSE(pager.HoldView());
    EXPECT_EQ(view(), range(1, 100));
    EXPECT_EQ(engine.axis(AxisId::Vertical).minimum, -50.0);
    EXPECT_EQ(engine.axis(AxisId::Vertical).maximum, 100.0);
    for (int s = 0; s < engine.seriesCount(); ++s) {
        ASSERT_EQ(engine.series(s).count(), 1);
        EXPECT_EQ(engine.series(s).value(0), 0.0);
        EXPECT_EQ(engine.series(s).pointColour(0), QColor(Qt::blue));
    }
    EXPECT_TRUE(engine.series(0).active());
}

TEST_F(Pager, FollowsTheNewestPageOnlyOncePointsPassTheView)
{
    EXPECT_EQ(record(99), 1);
    // The start point makes the 100th reading the 101st point: a second page, but nothing to show on it yet.
    EXPECT_EQ(pager.AddPoint(5.0), 2);
    EXPECT_EQ(pager.PageCount(), 2);
    EXPECT_EQ(view(), range(1, 100));
    EXPECT_EQ(pager.AddPoint(6.0), 2);
    EXPECT_EQ(view(), range(101, 200));
    EXPECT_EQ(engine.series(0).value(101), 6.0);
    EXPECT_EQ(engine.series(1).value(101), 6.0);
}

TEST_F(Pager, NewPageSizeGoesToTheLastPage)
{
    struct Case { int points; double first, last; };
    for (const Case& c : {Case{230, 201, 250}, Case{200, 151, 200}}) {
        ChartEngine chart;
        TChartControl sized(chart, 100);
        for (int i = 0; i < c.points; ++i)
            sized.AddPoint(1.0);
        sized.PreviousPage();
        sized.SetPageSize(50);
        EXPECT_EQ(sized.PageCount(), 5) << c.points;
        EXPECT_EQ(sized.CurrentPage(), 5) << c.points;
        EXPECT_FALSE(sized.HoldView());
        EXPECT_EQ(chart.axis(AxisId::Horizontal).minimum, c.first) << c.points;
        EXPECT_EQ(chart.axis(AxisId::Horizontal).maximum, c.last) << c.points;
    }
}

TEST_F(Pager, PagingPastEitherEndChangesNothing)
{
    // One page only.
    EXPECT_EQ(pager.FirstPage(), 1);
    EXPECT_EQ(pager.PreviousPage(), 1);
    EXPECT_EQ(pager.NextPage(), 1);
    EXPECT_EQ(pager.LastPage(), 1);
    EXPECT_FALSE(pager.HoldView());
    EXPECT_EQ(view(), range(1, 100));

    record(250);
    EXPECT_EQ(pager.NextPage(), 3);
    EXPECT_EQ(pager.LastPage(), 3);
    EXPECT_EQ(view(), range(201, 300));
    EXPECT_FALSE(pager.HoldView());

    EXPECT_EQ(pager.FirstPage(), 1);
    EXPECT_EQ(pager.PreviousPage(), 1);
    EXPECT_EQ(view(), range(1, 100));
    EXPECT_TRUE(pager.HoldView());
}

TEST_F(Pager, HoldsAnEarlierPageUntilTheLastIsReachedAgain)
{
    record(450);
    pager.FirstPage();
    EXPECT_EQ(pager.NextPage(), 2);
    EXPECT_TRUE(pager.HoldView());

    EXPECT_EQ(record(100), 2);
    EXPECT_EQ(pager.PageCount(), 6);
    EXPECT_EQ(view(), range(101, 200));

    // The same size again leaves everything as it is.
    pager.SetPageSize(100);
    EXPECT_EQ(pager.CurrentPage(), 2);
    EXPECT_TRUE(pager.HoldView());

    for (int page = 3; page <= 5; ++page)
        EXPECT_EQ(pager.NextPage(), page);
    EXPECT_TRUE(pager.HoldView());
    EXPECT_EQ(pager.NextPage(), 6);
    EXPECT_FALSE(pager.HoldView());
    EXPECT_EQ(view(), range(501, 600));
    EXPECT_EQ(record(51), 7);
    EXPECT_EQ(view(), range(601, 700));
}

TEST_F(Pager, LastPageResumesFollowing)
{
    record(450);
    pager.PreviousPage();
    pager.PreviousPage();
    EXPECT_EQ(pager.CurrentPage(), 3);
    record(100);
    EXPECT_EQ(view(), range(201, 300));

    EXPECT_EQ(pager.LastPage(), 6);
    EXPECT_FALSE(pager.HoldView());
    EXPECT_EQ(view(), range(501, 600));
    EXPECT_EQ(record(51), 7);
    EXPECT_EQ(view(), range(601, 700));
}

// With exactly one page of readings the view follows to page 2 without moving; going back then
// lands below the start point, where a new page size cannot set the axis minimum to 1.
TEST_F(Pager, FirstPageFromAnUnmovedSecondPage)
{
    EXPECT_EQ(record(100), 2);
    EXPECT_EQ(pager.FirstPage(), 1);
    EXPECT_EQ(view(), range(-99, 0));
    EXPECT_EQ(pager.NextPage(), 2);
    EXPECT_EQ(view(), range(1, 100));
    EXPECT_FALSE(pager.HoldView());

    pager.FirstPage();
    try {
        pager.SetPageSize(50);
        FAIL() << "no axis error";
    } catch (const ProgramError& e) {
        EXPECT_STREQ(e.what(), "Axis Minimum Value must be <= Maximum");
    }
    // The size is stored before the axis fails; the rest of the change never happens.
    EXPECT_EQ(pager.PageSize(), 50);
    EXPECT_EQ(pager.PageCount(), 2);
    EXPECT_EQ(pager.CurrentPage(), 1);
    EXPECT_EQ(view(), range(-99, 0));
    // A second try finds the size unchanged and does nothing.
    EXPECT_NO_THROW(pager.SetPageSize(50));
}

TEST_F(Pager, ResetClearsThePointsAndReturnsToTheFirstPage)
{
    record(250);
    EXPECT_EQ(pager.Reset(), 1);
    EXPECT_EQ(view(), range(1, 100));
    EXPECT_EQ(pager.PageCount(), 3);
    EXPECT_FALSE(pager.HoldView());
    for (int s = 0; s < engine.seriesCount(); ++s) {
        ASSERT_EQ(engine.series(s).count(), 1);
        EXPECT_EQ(engine.series(s).value(0), 0.0);
    }
    EXPECT_EQ(engine.axis(AxisId::Vertical).maximum, 100.0);

    EXPECT_EQ(pager.AddPoint(3.0), 1);
    EXPECT_EQ(pager.PageCount(), 1);
    EXPECT_EQ(view(), range(1, 100));
}

TEST_F(Pager, ValueAxisIsSetOnlyWhenTheValueChanges)
{
    // Moved behind the pager's back, so a call that touched the axis would show.
    engine.setAxisMaximum(AxisId::Vertical, 300.0);
    engine.setAxisMinimum(AxisId::Vertical, -70.0);
    pager.SetYMaximum(100.0);
    pager.SetYMinimum(-50.0);
    EXPECT_EQ(engine.axis(AxisId::Vertical).maximum, 300.0);
    EXPECT_EQ(engine.axis(AxisId::Vertical).minimum, -70.0);

    pager.SetYMaximum(200.0);
    EXPECT_EQ(engine.axis(AxisId::Vertical).maximum, 200.0);
    EXPECT_EQ(pager.YMaximum(), 200.0);

    // The value is kept even when the axis refuses it.
    EXPECT_THROW(pager.SetYMaximum(-80.0), ProgramError);
    EXPECT_EQ(pager.YMaximum(), -80.0);
    EXPECT_EQ(engine.axis(AxisId::Vertical).maximum, 200.0);
}

// The page count divides by the page size, so a size below 1 must never be stored.
TEST_F(Pager, RefusesPageSizesBelowOne)
{
    record(150);
    for (int32_t size : {0, -1, INT32_MIN}) {
        EXPECT_THROW(pager.SetPageSize(size), ProgramError) << size;
        EXPECT_EQ(pager.PageSize(), 100);
        EXPECT_EQ(view(), range(101, 200));
    }
    EXPECT_EQ(pager.AddPoint(1.0), 2);
    ChartEngine other;
    EXPECT_THROW(TChartControl(other, 0), ProgramError);
}

// Many points added at once (a restored recording) must leave the chart exactly as adding them
// one by one does: same points, page count, page in view and view, following or holding.
TEST(PagerInBulk, LeavesTheChartAsAddingOneByOneDoes)
{
    struct Case {
        const char* name;
        int32_t pageSize;
        int earlierPoints;
        int32_t (TChartControl::*paging)();  // after the earlier points, or none
        int added;
    };
    const Case cases[] = {
        {"a fresh chart, pages filled and one begun", 100, 0, nullptr, 331},
        {"exactly one page of readings", 100, 0, nullptr, 100},
        {"one point a page", 1, 0, nullptr, 7},
        {"after a new size left the view a page short", 50, 200, nullptr, 120},
        {"holding an earlier page", 100, 250, &TChartControl::PreviousPage, 500},
        {"holding the first page", 10, 35, &TChartControl::FirstPage, 3},
        {"nothing", 100, 20, nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChartEngine oneByOneChart;
        ChartEngine bulkChart;
        TChartControl oneByOne(oneByOneChart, 100);
        TChartControl bulk(bulkChart, 100);
        std::vector<float> added;
        for (int i = 0; i < c.added; ++i)
            added.push_back(float(i % 41) + 0.25f);
        for (TChartControl* pager : {&oneByOne, &bulk}) {
            for (int i = 0; i < c.earlierPoints; ++i)
                pager->AddPoint(double(i % 13));
            pager->SetPageSize(c.pageSize);
            if (c.paging)
                (pager->*c.paging)();
        }
        int32_t page = oneByOne.CurrentPage();
        for (const float value : added)
            page = oneByOne.AddPoint(double(value));

        EXPECT_EQ(bulk.AddPoints(added), page);
        EXPECT_EQ(bulk.PageCount(), oneByOne.PageCount());
        EXPECT_EQ(bulk.HoldView(), oneByOne.HoldView());
        EXPECT_EQ(bulkChart.axis(AxisId::Horizontal).minimum, oneByOneChart.axis(AxisId::Horizontal).minimum);
        EXPECT_EQ(bulkChart.axis(AxisId::Horizontal).maximum, oneByOneChart.axis(AxisId::Horizontal).maximum);
        for (int s = 0; s < bulkChart.seriesCount(); ++s) {
            ASSERT_EQ(bulkChart.series(s).count(), oneByOneChart.series(s).count());
            for (int64_t p = 0; p < bulkChart.series(s).count(); ++p) {
                ASSERT_EQ(bulkChart.series(s).value(p), oneByOneChart.series(s).value(p)) << p;
                ASSERT_EQ(bulkChart.series(s).pointColour(p), oneByOneChart.series(s).pointColour(p)) << p;
            }
        }
    }
}
