#include "tablefile/TableFileFormat.h"

TableFileFormat tableFileFormat(const QString& fileName)
{
    const qsizetype nameStart = fileName.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < nameStart)
        return TableFileFormat::TextReport;
    return fileName.mid(dot).compare(QLatin1String(".xml"), Qt::CaseInsensitive) == 0 ? TableFileFormat::DataPacket
                                                                                        : TableFileFormat::TextReport;
}
