#include "record/MeasurementGrid.h"
#include "record/MeasurementTable.h"
#include "record/MeasurementTableModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

class MeasurementTableModelTest : public QObject {
    Q_OBJECT
private slots:
    void showsFieldsWithTitlesAlignmentAndFonts();
    void insertsRowsAfterAnnouncingThemAndResetsOnEmpty();
    void gridFollowsTheNewestRowWithGivenColumnWidths();
    void aLargeTableShowsNewRowsInBatches();
    void removesTheNewestRowsWhereItShowsThem();
};

void MeasurementTableModelTest::showsFieldsWithTitlesAlignmentAndFonts()
{
    MeasurementTable table;
    table.appendRow(-3, "10:15:02", " 23.5", "#");
    table.append();  // every field missing but Value, which is empty
    table.setFieldByName("value", "");
    table.post();
    MeasurementTableModel model(&table);  // made over a filled table

    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 4);
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    const QStringList titles = {"Measurement No.", "Time", "Value", "Unit"};
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), titles[c]);
        QCOMPARE(model.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::Alignment(Qt::AlignCenter));
    }
    const QStringList first = {"-3", "10:15:02", " 23.5", "#"};
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(model.data(model.index(0, c)).toString(), first[c]);
        QCOMPARE(model.data(model.index(1, c)).toString(), QString());
        QCOMPARE(model.data(model.index(0, c), Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::Alignment(Qt::AlignCenter));
        const QFont font = model.data(model.index(1, c), Qt::FontRole).value<QFont>();
        QCOMPARE(font.family(), c == 3 ? QString("Tarvion-A1") : QString("Arial"));
        QCOMPARE(font.pixelSize(), 12);
    }
    QVERIFY(!model.data(model.index(2, 0)).isValid());
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
}

void MeasurementTableModelTest::insertsRowsAfterAnnouncingThemAndResetsOnEmpty()
{
    MeasurementTable table;
    MeasurementTableModel model(&table);
    QList<int> countsWhenAnnounced;
    connect(&model, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [&] { countsWhenAnnounced << model.rowCount(); });
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy aboutToReset(&model, &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    table.appendRow(1, "a", "b", "#");
    table.appendRow(2, "c", "d", "?");
    QCOMPARE(countsWhenAnnounced, QList<int>({0, 1}));
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted[1][1].toInt(), 1);
    QCOMPARE(inserted[1][2].toInt(), 1);
    QCOMPARE(model.data(model.index(1, 3)).toString(), QString("?"));

    table.empty();
    QCOMPARE(aboutToReset.count(), 1);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 0);
    table.appendRow(1, "e", "f", "#");
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.data(model.index(0, 1)).toString(), QString("e"));
}

void MeasurementTableModelTest::gridFollowsTheNewestRowWithGivenColumnWidths()
{
    MeasurementTable table;
    MeasurementTableModel model(&table);
    QTableView view;
    view.setModel(&model);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.resize(337, 363);
    MeasurementGrid::applyColumnWidths(&view);
    MeasurementGrid::followCurrentRow(&view, &table);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QCOMPARE(QList<int>({view.columnWidth(0), view.columnWidth(1), view.columnWidth(2), view.columnWidth(3)}),
             QList<int>({106, 74, 80, 49}));
    for (int i = 1; i <= 300; ++i)
        table.appendRow(i, "12:00:00", " 25.3", "#");
    QCOMPARE(view.currentIndex().row(), 299);
    QCOMPARE(view.selectionModel()->selectedRows().size(), 1);
    QCOMPARE(view.selectionModel()->selectedRows().first().row(), 299);
    QVERIFY(view.viewport()->rect().contains(view.visualRect(model.index(299, 0))));

    table.empty();
    QCOMPARE(view.selectionModel()->selectedRows().size(), 0);
    table.appendRow(1, "12:00:01", " 25.4", "#");
    QCOMPARE(view.currentIndex().row(), 0);
}

void MeasurementTableModelTest::aLargeTableShowsNewRowsInBatches()
{
    MeasurementTable table;
    MeasurementTableModel model(&table);
    for (int i = 1; i <= MeasurementTableModel::kLargeTable; ++i)
        table.appendRow(i, "12:00:00", " 25.3", "#");
    QCOMPARE(model.rowCount(), MeasurementTableModel::kLargeTable);  // small tables: row by row
    QTableView view;
    view.setModel(&model);
    MeasurementGrid::followCurrentRow(&view, &table);

    QTest::qWait(MeasurementTableModel::kLargeTableRefreshMs);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    // The first after a quiet spell shows at the event loop's next turn, after the paints that
    // the appending handler asked for.
    table.appendRow(1, "12:00:01", " 25.4", "#");
    QCOMPARE(model.rowCount(), table.rowCount() - 1);
    QTRY_COMPARE_WITH_TIMEOUT(model.rowCount(), table.rowCount(), MeasurementTableModel::kLargeTableRefreshMs / 2);
    for (int i = 0; i < 50; ++i)
        table.appendRow(2 + i, "12:00:02", " 25.5", "#");
    QCOMPARE(model.rowCount(), table.rowCount() - 50);
    QTRY_COMPARE(model.rowCount(), table.rowCount());
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(inserted.last().at(1).toInt(), table.rowCount() - 50);
    QCOMPARE(view.currentIndex().row(), table.rowCount() - 1);  // the grid still follows

    table.appendRow(99, "12:00:03", " 25.6", "#");
    table.empty();  // a pending batch is dropped with the rows
    QCOMPARE(model.rowCount(), 0);
    QTest::qWait(MeasurementTableModel::kLargeTableRefreshMs + 50);
    QCOMPARE(model.rowCount(), 0);
}

// A failed load takes back the rows it appended; the grid loses those it shows, and learns of
// nothing for those it was not told of yet.
void MeasurementTableModelTest::removesTheNewestRowsWhereItShowsThem()
{
    MeasurementTable table;
    MeasurementTableModel model(&table);
    for (int i = 0; i < 10; ++i)
        table.appendRow(i, "12:00:00", " 25.3", "#");
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    table.removeRowsFrom(4);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed[0][1].toInt(), 4);
    QCOMPARE(removed[0][2].toInt(), 9);
    QCOMPARE(model.rowCount(), 4);

    {
        MeasurementTable::AppendBatch batch(table);
        for (int i = 0; i < 5; ++i)
            table.appendRow(100 + i, "12:00:01", " 25.4", "#");
        table.removeRowsFrom(6);
        QCOMPARE(removed.size(), 1);
    }
    QCOMPARE(model.rowCount(), 6);
    QCOMPARE(model.data(model.index(5, 0)).toString(), QString("101"));
}

QTEST_MAIN(MeasurementTableModelTest)
#include "MeasurementTableModelTest.moc"
