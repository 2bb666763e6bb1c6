#pragma once

#include <QDate>
#include <QLocale>

#include <functional>

class MeasurementTable;
struct TableReport;

// The record bar's print command: opens the report over the whole table in the preview, from
// which the user prints, and waits for the preview to close. While the preview is open the
// printing flag is set; it is cleared again however the preview ends, a failure going on to the
// caller after that. Readings go on being recorded meanwhile: the report keeps the rows the table
// had when it was opened.
//
// An empty table is not previewed: there is no page to show, so the user is told instead.
class TablePrintCommand {
public:
    struct Steps {
        // Shows the preview and returns once it is closed.
        std::function<void(const TableReport&)> showPreview;
        std::function<void()> tellTableEmpty;
        // The preview leaves the window to repaint when it has gone.
        std::function<void()> repaintWindow;
    };

    TablePrintCommand(bool& printingFlag, Steps steps);

    // date and locale give the date in the page header.
    void run(const MeasurementTable& table, const QDate& date, const QLocale& locale);

private:
    bool& m_printing;
    Steps m_steps;
};
