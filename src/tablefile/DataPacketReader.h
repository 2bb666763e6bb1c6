#pragma once

#include "tablefile/TableImport.h"

// The XML data packet half of importTable.
ImportOutcome readDataPacket(QIODevice& in, MeasurementTable& table, const ImportProgress& progress,
                             qint64 memoryCeiling);
