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
    // The model may show a new row a little after the table made it current, so follow on
    // both signals.
    auto follow = [view, table] {
        const int row = table->currentRow();
        const QAbstractItemModel* model = view->model();
        if (!model || row < 0 || row >= model->rowCount())
            return;
        view->selectRow(row);
        view->scrollTo(model->index(row, 0));
    };
    QObject::connect(table, &MeasurementTable::currentRowChanged, view, follow);
    if (QAbstractItemModel* model = view->model())
        QObject::connect(model, &QAbstractItemModel::rowsInserted, view, follow);
}

}  // namespace MeasurementGrid
