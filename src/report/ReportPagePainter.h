#pragma once

class QPainter;
struct TableReport;

// Draws one page of the report. The painter's origin is the top left corner of the printable
// area (inside the margins); millimetres become device units through the paint device's
// resolution, so the same page comes out alike on a printer, in a PDF and in the preview.
// The page is not cleared first. pageIndex must be below the report's page count.
void paintReportPage(QPainter& painter, const TableReport& report, int pageIndex);
