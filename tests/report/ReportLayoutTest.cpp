#include "report/ReportLayout.h"

#include <gtest/gtest.h>

using namespace ReportGeometry;

namespace {

struct Split {
    const char* name;
    int rows;
    int pages;
    int rowsOnLastPage;
};

class ReportPages : public testing::TestWithParam<Split> {};

}  // namespace

TEST(ReportLayout, AnEmptyTableHasNoPages)
{
    EXPECT_EQ(ReportLayout(0).pageCount(), 0);
}

TEST(ReportLayout, EveryBandFitsInsideThePrintableArea)
{
    // Full pages end with the footer; the last page's rows end where the footer would start
    // and more.
    EXPECT_LE(ReportLayout::detailTop(ReportLayout::kRowsPerPage), ReportLayout::footerTop() + 1e-9);
    EXPECT_GT(ReportLayout::detailTop(ReportLayout::kRowsPerPage + 1), ReportLayout::footerTop());
    EXPECT_LE(ReportLayout::detailTop(ReportLayout::kRowsOnLastPage), kPrintableHeight + 1e-9);
    EXPECT_GT(ReportLayout::detailTop(ReportLayout::kRowsOnLastPage + 1), kPrintableHeight);
    EXPECT_DOUBLE_EQ(ReportLayout::footerTop() + kFooterHeight, kPrintableHeight);
}

TEST_P(ReportPages, RowsGoOnPagesInOrderAndOnlyTheLastHasNoFooter)
{
    const Split& split = GetParam();
    const ReportLayout layout(split.rows);
    ASSERT_EQ(layout.pageCount(), split.pages);
    int nextRow = 0;
    for (int i = 0; i < layout.pageCount(); ++i) {
        const ReportLayout::Page page = layout.page(i);
        EXPECT_EQ(page.firstRow, nextRow) << "page " << i;
        EXPECT_EQ(page.hasFooter, i < layout.pageCount() - 1) << "page " << i;
        EXPECT_GT(page.rowCount, 0) << "page " << i;
        EXPECT_LE(page.rowCount, page.hasFooter ? ReportLayout::kRowsPerPage : ReportLayout::kRowsOnLastPage);
        nextRow += page.rowCount;
    }
    EXPECT_EQ(nextRow, split.rows);
    EXPECT_EQ(layout.page(layout.pageCount() - 1).rowCount, split.rowsOnLastPage);
}

// 277 mm of printable height less the 19.8 mm page header and 10.6 mm column header leaves
// 246.6 mm: 37 rows of 6.6 mm, or 35 above a 10.6 mm footer.
INSTANTIATE_TEST_SUITE_P(Splits, ReportPages,
                         testing::Values(Split{"OneRow", 1, 1, 1}, Split{"FullSinglePage", 37, 1, 37},
                                         Split{"OneRowOver", 38, 2, 3}, Split{"Forty", 40, 2, 5},
                                         Split{"FortyOne", 41, 2, 6}, Split{"TwoFullPages", 72, 2, 37},
                                         Split{"ThirdPageStarts", 73, 3, 3}, Split{"Thousand", 1000, 29, 20},
                                         Split{"HundredThousand", 100000, 2858, 5}),
                         [](const testing::TestParamInfo<Split>& info) { return std::string(info.param.name); });
