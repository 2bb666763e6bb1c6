#include "report/ReportPrinting.h"

#include "base/ProgramError.h"
#include "report/PrintOutputFile.h"
#include "report/ReportPagePainter.h"
#include "report/TableReport.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

void setUpReportPrinter(QPrinter& printer)
{
    using namespace ReportGeometry;
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(kMargin, kMargin, kMargin, kMargin), QPageLayout::Millimeter));
    printer.setFullPage(false);
    printer.setCopyCount(1);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setPrintRange(QPrinter::AllPages);
}

bool printReport(const TableReport& report, QPrinter& printer, const ReportPrintProgress& progress)
{
    const int pageCount = report.layout.pageCount();
    int first = 1;
    int last = pageCount;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(1, printer.fromPage());
        last = std::min(pageCount, printer.toPage() > 0 ? printer.toPage() : pageCount);
    }
    const int total = std::max(0, last - first + 1);
    if (total == 0)
        return true;

    const QString where = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    // Before the painter, so that a painter left active by a failure ends before the file goes.
    PrintOutputFile output(printer);
    QPainter painter;
    if (!painter.begin(&printer))
        throw ProgramError(QStringLiteral("Could not start printing on %1").arg(where).toStdString());
    for (int page = first; page <= last; ++page) {
        if (progress && !progress(page - first, total)) {
            printer.abort();
            return false;
        }
        if (page > first)
            printer.newPage();
        paintReportPage(painter, report, page - 1);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw ProgramError(QStringLiteral("Could not finish printing on %1").arg(where).toStdString());
    output.putInPlace();
    if (progress)
        progress(total, total);
    return true;
}
