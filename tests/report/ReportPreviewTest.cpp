// The preview window: paging through a long report and what a page shows.
#include "font/LcdFont.h"
#include "NamedControl.h"
#include "record/MeasurementTable.h"
#include "report/ReportPageView.h"
#include "report/ReportPreview.h"
#include "report/TableReport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>
#include <QtTest>

namespace {

void fillTable(MeasurementTable& table, int rows)
{
    for (int i = 0; i < rows; ++i)
        table.appendRow(i + 1, "10:15:00", "21.5", "#");
}

// Pixels noticeably darker than the paper in the band of the page where the rows are.
int inkInRows(const QImage& image)
{
    int ink = 0;
    for (int y = image.height() / 5; y < image.height() / 2; ++y)
        for (int x = image.width() / 10; x < image.width() * 9 / 10; ++x)
            ink += qGray(image.pixel(x, y)) < 128;
    return ink;
}

}  // namespace

class ReportPreviewTest : public QObject {
    Q_OBJECT
private slots:
    void pagesThroughAHundredThousandRows()
    {
        MeasurementTable table;
        fillTable(table, 100000);
        const TableReport report(table, QStringLiteral("3/5/24"));
        ReportPreview preview(report, nullptr);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        auto* label = named<QLabel>(preview, "PreviewPageLabel");
        QCOMPARE(label->text(), QStringLiteral("Page 1 of 2858"));
        QVERIFY(!button(preview, "PreviewPrevious")->isEnabled());

        button(preview, "PreviewNext")->click();
        QCOMPARE(label->text(), QStringLiteral("Page 2 of 2858"));
        button(preview, "PreviewLast")->click();
        QCOMPARE(label->text(), QStringLiteral("Page 2858 of 2858"));
        QVERIFY(!button(preview, "PreviewNext")->isEnabled());
        QTest::keyClick(&preview, Qt::Key_PageUp);
        QCOMPARE(label->text(), QStringLiteral("Page 2857 of 2858"));
        QTest::keyClick(&preview, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(label->text(), QStringLiteral("Page 1 of 2858"));
    }

    void aPageShowsItsRowsAtEveryZoom()
    {
        MeasurementTable table;
        fillTable(table, 40);
        const TableReport report(table, QStringLiteral("3/5/24"));
        ReportPreview preview(report, nullptr);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        auto* view = named<ReportPageView>(preview);
        auto* zoom = named<QComboBox>(preview, "PreviewZoom");
        for (int choice = 0; choice < zoom->count(); ++choice) {
            zoom->setCurrentIndex(choice);
            const QImage page = view->grab().toImage();
            QVERIFY2(inkInRows(page) > 0, qPrintable(zoom->currentText()));
        }
        zoom->setCurrentText(QStringLiteral("200 %"));
        const int wide = view->width();
        zoom->setCurrentText(QStringLiteral("50 %"));
        QVERIFY(view->width() * 3 < wide);
    }

private:
    static QToolButton* button(const QWidget& preview, const char* name) { return named<QToolButton>(preview, name); }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    registerLcdFont();
    ReportPreviewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ReportPreviewTest.moc"
