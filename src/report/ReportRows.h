#pragma once

#include "report/ReportLayout.h"

#include <QString>
#include <QtGlobal>

class MeasurementTable;

// The table's rows as they stood when the report was opened. The rows are read from the table
// only when a page is drawn, so opening the report costs nothing however long the table is;
// rows appended later are left out. The table must outlive the report.
class ReportRows {
public:
    explicit ReportRows(const MeasurementTable& table);

    int count() const { return m_count; }

    // A field of a row as printed: the 8-bit texts converted from the local code page, the
    // number in decimal, an empty text for a field that holds no value. Throws ProgramError
    // once the table has been emptied, since the rows counted at opening are gone then.
    QString text(int row, ReportColumn column) const;

private:
    const MeasurementTable& m_table;
    int m_count;
    quint64 m_generation;
};
