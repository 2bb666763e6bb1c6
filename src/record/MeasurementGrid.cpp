#include "record/MeasurementGrid.h"

#include "record/MeasurementTable.h"
#include "record/MeasurementTableModel.h"
#include "widgets/WidgetFactory.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTableView>

namespace MeasurementGrid {

QTableView* create(QWidget* parent)
{
    using namespace WidgetFactory;
    auto* grid = placed(new QTableView(parent), "DBGrid1", QRect(0, 186, 337, 363));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setShowGrid(true);
    grid->setTabKeyNavigation(false);  // Tab leaves the grid for the record bar
    grid->setFont(pixelFont(QStringLiteral("Arial"), 12));
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(18);

    QHeaderView* titles = grid->horizontalHeader();
    titles->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11));
    titles->setDefaultAlignment(Qt::AlignCenter);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    return grid;
}

void show(QTableView* view, MeasurementTable* table)
{
    auto* model = new MeasurementTableModel(table, table);
    model->setObjectName(QStringLiteral("Data1"));
    view->setModel(model);
    applyColumnWidths(view);
    followCurrentRow(view, table);
}

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
