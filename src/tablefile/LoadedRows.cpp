#include "tablefile/LoadedRows.h"

#include "record/MeasurementTable.h"

#include <QByteArray>

#include <optional>

namespace {

struct KeptRow {
    std::optional<int32_t> no;
    std::optional<QByteArray> texts[3];
};

}  // namespace

LoadedRows::LoadedRows(MeasurementTable& table)
    : m_table(table), m_first(table.rowCount()), m_generation(table.generation())
{
}

ImportProgress LoadedRows::watch(const ImportProgress& progress)
{
    if (!progress)
        return {};
    return [this, &progress](qint64 bytesRead, qint64 bytesTotal) {
        const int before = m_table.rowCount();
        const bool goOn = progress(bytesRead, bytesTotal);
        if (m_table.generation() != m_generation) {
            // The table was emptied meanwhile: the load's earlier rows are gone with the rest.
            m_generation = m_table.generation();
            m_first = 0;
            m_recorded.clear();
            m_recorded.emplace_back(0, m_table.rowCount());
        } else if (m_table.rowCount() > before) {
            m_recorded.emplace_back(before, m_table.rowCount());
        }
        return goOn;
    };
}

void LoadedRows::takeBack()
{
    if (m_table.generation() != m_generation)
        return;  // emptied since the load last looked: its rows went with the rest
    std::vector<KeptRow> kept;
    for (const auto& [begin, end] : m_recorded) {
        for (int i = begin; i < end; ++i) {
            const MeasurementRow row = m_table.row(i);
            KeptRow& copy = kept.emplace_back();
            copy.no = row.no();
            for (int field = MeasurementTable::Time; field <= MeasurementTable::Unit; ++field) {
                if (const std::optional<QByteArrayView> text = row.text(field))
                    copy.texts[field - 1] = text->toByteArray();
            }
        }
    }
    m_table.removeRowsFrom(m_first);
    MeasurementTable::AppendBatch batch(m_table);
    for (const KeptRow& row : kept)
        m_table.appendRow(row.no, row.texts[0], row.texts[1], row.texts[2]);
}
