#include "MeasurementGrid.h"

#include "MeasurementTable.h"

#include <QAbstractItemModel>
#include <QTableView>

namespace MeasurementGrid {

void applyColumnWidths(QTableView* view)
{
    constexpr int kWidths[] = {106, 74, 80, 49};
    for (int column = 0; column < 4; ++column)
        view->setColumnWidth(column, kWidths[column]);
}

void followCurrentRow(QTableView* view, const MeasurementTable* table)
{
    QObject::connect(table, &MeasurementTable::currentRowChanged, view, [view](int row) {
        if (row < 0 || row >= view->model()->rowCount())
            return;
        view->selectRow(row);
        view->scrollTo(view->model()->index(row, 0));
    });
}

}  // namespace MeasurementGrid
