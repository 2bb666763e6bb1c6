#pragma once

class QTableView;
class QWidget;
class MeasurementTable;

// The grid that shows the measurement table: read-only, whole rows selected, the column widths,
// and following the table's current row so that each new row is selected and scrolled into view.
namespace MeasurementGrid {

// DBGrid1, empty until a table is shown in it.
QTableView* create(QWidget* parent);
// Shows the table through a read-only model that belongs to the table (Data1), so it goes with
// it and the grid never reads a gone table.
void show(QTableView* view, MeasurementTable* table);

void applyColumnWidths(QTableView* view);
void followCurrentRow(QTableView* view, const MeasurementTable* table);

}  // namespace MeasurementGrid
