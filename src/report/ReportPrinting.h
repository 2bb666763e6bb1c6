#pragma once

#include <functional>

class QPrinter;
struct TableReport;

// Gives the printer the report's page: A4 portrait, 10 mm margins, one copy, one side, all pages.
void setUpReportPrinter(QPrinter& printer);

// Asked before each page with the pages printed so far and the pages to print in all;
// false stops printing.
using ReportPrintProgress = std::function<bool(int printed, int total)>;

// Prints the pages in the printer's page range (every page when it has none) onto a printer set
// up with setUpReportPrinter. Returns false when stopped through progress; the job is then
// abandoned. Throws ProgramError when the printer cannot be started or the job not finished.
// Printed into a file, the file appears only when every page is out; stopped or failed, no new
// file is left and an earlier one of that name stays as it was.
bool printReport(const TableReport& report, QPrinter& printer, const ReportPrintProgress& progress = {});
