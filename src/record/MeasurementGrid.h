#pragma once

class QTableView;
class MeasurementTable;

// What the grid needs beyond its model: the column widths, and following the table's current
// row so that each new row is selected and scrolled into view.
namespace MeasurementGrid {

void applyColumnWidths(QTableView* view);
void followCurrentRow(QTableView* view, const MeasurementTable* table);

}  // namespace MeasurementGrid
