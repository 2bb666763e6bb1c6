// The table report over 10^5 rows: how long the preview takes to open and show its first page,
// how long a page turn takes, and how long every page takes to print into a PDF file.
//   cmake --build <build> --target report_bench && QT_QPA_PLATFORM=offscreen <build>/bench/report_bench [rows]
#include "font/LcdFont.h"
#include "record/MeasurementTable.h"
#include "report/ReportPageView.h"
#include "report/ReportPreview.h"
#include "report/ReportPrinting.h"
#include "report/TableReport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double millisecondsOf(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    registerLcdFont();
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;

    MeasurementTable table;
    for (int i = 0; i < rows; ++i) {
        char time[9];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", (i / 3600) % 24, (i / 60) % 60, i % 60);
        table.appendRow(i + 1, QByteArrayView(time, 8), " 25.3", "#");
    }

    std::optional<TableReport> report;
    std::optional<ReportPreview> preview;
    const double openMs = millisecondsOf([&] {
        report.emplace(table, QStringLiteral("3/5/24"));
        preview.emplace(*report, nullptr);
        preview->show();
        preview->findChild<ReportPageView*>()->grab();  // the first page drawn
    });
    const int pages = report->layout.pageCount();
    std::printf("rows: %d, pages: %d\n", rows, pages);
    std::printf("open the preview and draw its first page: %.1f ms\n", openMs);

    constexpr int kTurns = 20;
    const double turnMs = millisecondsOf([&] {
        for (int i = 1; i <= kTurns; ++i) {
            preview->showPage(i * (pages / kTurns));
            preview->findChild<ReportPageView*>()->grab();
        }
    }) / kTurns;
    std::printf("turn to a page and draw it: %.2f ms\n", turnMs);
    preview.reset();

    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("report.pdf")));
    setUpReportPrinter(printer);
    const double printMs = millisecondsOf([&] { printReport(*report, printer); });
    std::printf("print every page to PDF: %.2f s (%.2f ms a page), file %.1f MB\n", printMs / 1000, printMs / pages,
                QFileInfo(printer.outputFileName()).size() / 1e6);
    return 0;
}
