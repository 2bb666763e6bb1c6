#pragma once

#include "report/ReportLayout.h"
#include "report/ReportRows.h"

#include <QString>

// The report over the measurement table as the preview and the printer see it: the rows counted
// when it was opened, their pages, and the date printed in the page header.
struct TableReport {
    TableReport(const MeasurementTable& table, QString date)
        : rows(table), layout(rows.count()), dateText(std::move(date))
    {
    }

    ReportRows rows;
    ReportLayout layout;
    QString dateText;  // the current date in the user's short date format
};
