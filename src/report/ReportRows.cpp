#include "report/ReportRows.h"

#include "base/ProgramError.h"
#include "record/MeasurementTable.h"

ReportRows::ReportRows(const MeasurementTable& table)
    : m_table(table), m_count(table.rowCount()), m_generation(table.generation())
{
}

QString ReportRows::text(int row, ReportColumn column) const
{
    if (m_table.generation() != m_generation || row >= m_table.rowCount())
        throw ProgramError("The table was emptied while its report was open; open the report again.");
    const MeasurementRow fields = m_table.row(row);
    if (column == ReportColumn::No) {
        const auto no = fields.no();
        return no ? QString::number(*no) : QString();
    }
    const auto text = fields.text(int(column));
    return text ? QString::fromLocal8Bit(text->data(), text->size()) : QString();
}
