#include "record/MeasurementTableModel.h"

#include "record/MeasurementTable.h"

#include <algorithm>

namespace {

constexpr int kColumnCount = 4;
const char* const kTitles[kColumnCount] = {"Measurement No.", "Time", "Value", "Unit"};

QFont pixelFont(const QString& family, int pixelSize)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace

MeasurementTableModel::MeasurementTableModel(const MeasurementTable* table, QObject* parent)
    : QAbstractTableModel(parent),
      m_table(table),
      m_rows(table->rowCount()),
      m_cellFont(pixelFont(QStringLiteral("Arial"), 12)),
      // The unit glyphs "#" and "?" are drawn by the LCD font as the degree signs.
      m_unitFont(pixelFont(QStringLiteral("Tarvion-A1"), 12))
{
    m_refresh.setSingleShot(true);
    connect(&m_refresh, &QTimer::timeout, this, &MeasurementTableModel::showPendingRows);
    connect(table, &MeasurementTable::rowsAppended, this, &MeasurementTableModel::onRowsAppended);
    connect(table, &MeasurementTable::rowsRemoved, this, &MeasurementTableModel::onRowsRemoved);
    connect(table, &MeasurementTable::emptied, this, &MeasurementTableModel::onEmptied);
}

int MeasurementTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int MeasurementTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant MeasurementTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        const MeasurementRow row = m_table->row(index.row());
        if (index.column() == MeasurementTable::No) {
            const std::optional<int32_t> no = row.no();
            return no ? QString::number(*no) : QString();
        }
        const std::optional<QByteArrayView> text = row.text(index.column());
        return text ? QString::fromLocal8Bit(*text) : QString();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case Qt::FontRole:
        return index.column() == MeasurementTable::Unit ? m_unitFont : m_cellFont;
    default:
        return {};
    }
}

QVariant MeasurementTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromLatin1(kTitles[section]);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    default:
        return {};
    }
}

void MeasurementTableModel::onRowsAppended(int, int last)
{
    if (last < kLargeTable) {
        showPendingRows();
        return;
    }
    if (m_refresh.isActive())
        return;
    // Even when a refresh is due, it waits for the event loop: a timer fires after the paints
    // that the appending handler asked for, so the reading on the LCD never waits for the grid.
    const qint64 sinceRefresh = m_sinceRefresh.isValid() ? m_sinceRefresh.elapsed() : kLargeTableRefreshMs;
    m_refresh.start(int(std::max<qint64>(0, kLargeTableRefreshMs - sinceRefresh)));
}

void MeasurementTableModel::showPendingRows()
{
    m_refresh.stop();
    const int rows = m_table->rowCount();
    if (rows <= m_rows)
        return;
    beginInsertRows(QModelIndex(), m_rows, rows - 1);
    m_rows = rows;
    endInsertRows();
    m_sinceRefresh.start();
}

void MeasurementTableModel::onRowsRemoved(int first)
{
    // Rows not shown yet need no telling.
    if (first >= m_rows)
        return;
    beginRemoveRows(QModelIndex(), first, m_rows - 1);
    m_rows = first;
    endRemoveRows();
}

void MeasurementTableModel::onEmptied()
{
    m_refresh.stop();
    beginResetModel();
    m_rows = 0;
    endResetModel();
}
