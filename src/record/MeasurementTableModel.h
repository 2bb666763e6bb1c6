#pragma once

#include <QAbstractTableModel>
#include <QFont>

class MeasurementTable;

// Read-only view of the measurement table for the grid. It reads the table's rows in place and
// keeps only its own row count, so the view learns of new rows strictly inside
// beginInsertRows/endInsertRows even though the table stores them before it tells anyone.
class MeasurementTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MeasurementTableModel(const MeasurementTable* table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void onRowsAppended(int first, int last);
    void onEmptied();

    const MeasurementTable* m_table;
    int m_rows = 0;
    QFont m_cellFont;
    QFont m_unitFont;
};
