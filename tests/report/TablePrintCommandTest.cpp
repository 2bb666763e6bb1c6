#include "base/ProgramError.h"
#include "record/MeasurementTable.h"
#include "report/TablePrintCommand.h"
#include "report/TableReport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// The command with its steps recorded: what the flag was while the preview was up, what the
// preview was given, and whether the window was repainted afterwards.
class PrintCommand : public testing::Test {
protected:
    PrintCommand()
    {
        for (int i = 1; i <= 3; ++i)
            table.appendRow(i, "10:00:00", "21.5", "#");
    }

    void run(std::function<void(const TableReport&)> preview)
    {
        TablePrintCommand command(printing, {.showPreview =
                                                 [&, preview](const TableReport& report) {
                                                     flagDuringPreview = printing;
                                                     repaintedBeforeClose = repaints > 0;
                                                     preview(report);
                                                 },
                                             .tellTableEmpty = [&] { ++emptyNotices; },
                                             .repaintWindow = [&] { ++repaints; }});
        command.run(table, QDate(2024, 3, 5), QLocale(QLocale::English, QLocale::UnitedStates));
    }

    MeasurementTable table;
    bool printing = false;
    std::optional<bool> flagDuringPreview;
    bool repaintedBeforeClose = false;
    int repaints = 0;
    int emptyNotices = 0;
};

}  // namespace

TEST_F(PrintCommand, TheFlagIsSetExactlyWhileThePreviewIsOpen)
{
    run([](const TableReport&) {});
    EXPECT_EQ(flagDuringPreview, true);
    EXPECT_FALSE(printing);
    EXPECT_FALSE(repaintedBeforeClose);
    EXPECT_EQ(repaints, 1);
}

TEST_F(PrintCommand, AFailingPreviewClearsTheFlagAndTheFailureGoesOn)
{
    EXPECT_THROW(run([](const TableReport&) { throw ProgramError("no printer"); }), ProgramError);
    EXPECT_EQ(flagDuringPreview, true);
    EXPECT_FALSE(printing);
    EXPECT_EQ(repaints, 1);
}

TEST_F(PrintCommand, ThePreviewShowsTheRowsCountedWhenItOpened)
{
    run([&](const TableReport& report) {
        table.appendRow(4, "10:00:01", "21.6", "#");
        EXPECT_EQ(report.rows.count(), 3);
        EXPECT_EQ(report.layout.rowCount(), 3);
        EXPECT_EQ(report.dateText, QStringLiteral("3/5/24"));
    });
    ASSERT_TRUE(flagDuringPreview.has_value());
}

TEST_F(PrintCommand, AnEmptyTableIsNotPreviewedAndTheUserIsTold)
{
    table.empty();
    run([](const TableReport&) {});
    EXPECT_FALSE(flagDuringPreview.has_value());
    EXPECT_EQ(emptyNotices, 1);
    EXPECT_FALSE(printing);
}

TEST(ReportRows, FieldsAsPrinted)
{
    MeasurementTable table;
    table.appendRow(-7, "10:15:02", "\xB0" "23.5", "#");
    table.appendRow(std::nullopt, {}, "", "?");
    table.append();
    table.setField(MeasurementTable::Unit, "?");
    table.post();  // a row whose Time and Value hold no value
    const ReportRows rows(table);
    EXPECT_EQ(rows.text(0, ReportColumn::No), QStringLiteral("-7"));
    EXPECT_EQ(rows.text(0, ReportColumn::Value), QString::fromLocal8Bit("\xB0" "23.5"));
    EXPECT_EQ(rows.text(0, ReportColumn::Unit), QStringLiteral("#"));
    EXPECT_EQ(rows.text(1, ReportColumn::No), QString());
    EXPECT_EQ(rows.text(2, ReportColumn::Time), QString());
    EXPECT_EQ(rows.text(2, ReportColumn::Unit), QStringLiteral("?"));
}

TEST(ReportRows, RowsOfAnEmptiedTableAreNotReadEvenWhenAsManyCameBack)
{
    MeasurementTable table;
    table.appendRow(1, "10:00:00", "21.5", "#");
    const ReportRows rows(table);
    table.empty();
    table.appendRow(2, "11:00:00", "22.5", "#");
    EXPECT_THROW(rows.text(0, ReportColumn::Time), ProgramError);
}
