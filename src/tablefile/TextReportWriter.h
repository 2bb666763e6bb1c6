#pragma once

#include "tablefile/ExportRows.h"

#include <QByteArrayView>

class ExportBuffer;
class MeasurementTable;

// The tab-separated text report: a date line, an empty line, the column titles, then one line
// per row; every line ends in CR LF. Texts lose leading and trailing blanks and control
// characters and are written as NULL when nothing is left; No is written as it is, or not at
// all when the row has none.
void writeTextReport(const MeasurementTable& table, int rowsTotal, QByteArrayView dateText, ExportBuffer& out,
                          const ExportProgress& progress);
