#pragma once

#include "tablefile/ExportRows.h"

class ExportBuffer;
class MeasurementTable;

// The XML data packet: the table's field list, its change log and its rows, on one line with
// no indentation. Texts are written byte for byte but for the characters that must be escaped;
// a field without a value gets no attribute. The packet names no encoding: bytes from 0x80 up
// are the system's 8-bit code page, as they are in the table.
void writeDataPacket(const MeasurementTable& table, int rowsTotal, ExportBuffer& out,
                          const ExportProgress& progress);
