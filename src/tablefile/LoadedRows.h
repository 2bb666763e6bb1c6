#pragma once

#include "tablefile/TableImport.h"

#include <utility>
#include <vector>

class MeasurementTable;

// The rows a load appends, told apart from the readings recorded while its progress lets
// events through, so that a packet that fails can take back exactly its own rows. Only the
// few recorded rows are ever copied: never a second copy of what the file holds.
class LoadedRows {
public:
    explicit LoadedRows(MeasurementTable& table);

    // `progress` as the load must call it: rows appended while it runs are not the load's.
    ImportProgress watch(const ImportProgress& progress);

    // Removes the rows the load appended; those recorded meanwhile stay, in their order, after
    // the rows that were there before the load.
    void takeBack();

private:
    MeasurementTable& m_table;
    int m_first;
    quint64 m_generation;
    std::vector<std::pair<int, int>> m_recorded;  // [begin, end) of rows the load did not append
};
