#pragma once

#include "tablefile/TableImport.h"

// The text report half of importTable.
ImportOutcome readTextReport(QIODevice& in, MeasurementTable& table, const ImportProgress& progress,
                             qint64 memoryCeiling, TextReportPlace& place);
