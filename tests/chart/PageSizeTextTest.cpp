#include "chart/ChartEngine.h"
#include "chart/PageSizeText.h"
#include "chart/TChartControl.h"

#include <gtest/gtest.h>

TEST(PageSizeText, OnlyASizeOfAtLeastOneWithin32BitsCounts)
{
    struct Case { const char* text; std::optional<int32_t> size; };
    for (const Case& c : {Case{"250", 250}, Case{"1", 1}, Case{"007", 7}, Case{"2147483647", 2147483647},
                          Case{"", std::nullopt}, Case{"0", std::nullopt}, Case{"000", std::nullopt},
                          Case{"2147483648", std::nullopt}, Case{"99999999999", std::nullopt},
                          Case{"-5", std::nullopt}, Case{"12a", std::nullopt}})
        EXPECT_EQ(pageSizeFromText(c.text), c.size) << '"' << c.text << '"';
}

TEST(PageSizeText, AnUnusableTextKeepsThePageSize)
{
    ChartEngine engine;
    TChartControl pager(engine, 100);
    for (int i = 0; i < 230; ++i)
        pager.AddPoint(1.0);

    EXPECT_EQ(applyPageSizeText(pager, ""), 3);
    EXPECT_EQ(applyPageSizeText(pager, "0"), 3);
    EXPECT_EQ(pager.PageSize(), 100);
    EXPECT_EQ(applyPageSizeText(pager, "50"), 5);
    EXPECT_EQ(pager.PageSize(), 50);
}
