#pragma once

#include <QString>

// Saving and loading pick the file format from the name: ".xml" in any case is the XML data
// packet, every other name (".xls", ".txt", none at all) the tab-separated text report.
enum class TableFileFormat { TextReport, DataPacket };

// The extension runs from the last "." of the final path component, so a dot in a folder name
// does not count.
TableFileFormat tableFileFormat(const QString& fileName);
