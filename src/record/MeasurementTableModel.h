#pragma once

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QFont>
#include <QTimer>

class MeasurementTable;

// Read-only view of the measurement table for the grid. It reads the table's rows in place and
// keeps only its own row count, so the view learns of new rows strictly inside
// beginInsertRows/endInsertRows even though the table stores them before it tells anyone.
//
// A table view recomputes the position of every row after each insertion, which costs
// milliseconds at millions of rows. Once the table is large, new rows are therefore shown at
// most every kLargeTableRefreshMs, and never before the event loop has painted what the
// appending handler changed, so the cost of a reading stays the same however many rows the
// table holds and the live reading is on screen before the grid takes its turn; small tables
// show each row at once.
class MeasurementTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MeasurementTableModel(const MeasurementTable* table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static constexpr int kLargeTable = 1000;
    static constexpr int kLargeTableRefreshMs = 100;

    // Shows the rows appended since the last refresh now.
    void showPendingRows();

private:
    void onRowsAppended(int first, int last);
    void onRowsRemoved(int first);
    void onEmptied();

    const MeasurementTable* m_table;
    int m_rows = 0;
    QElapsedTimer m_sinceRefresh;
    QTimer m_refresh;
    QFont m_cellFont;
    QFont m_unitFont;
};
