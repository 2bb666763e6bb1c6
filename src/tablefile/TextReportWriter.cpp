#include "tablefile/TextReportWriter.h"

#include "record/MeasurementTable.h"
#include "tablefile/DecimalText.h"
#include "tablefile/ExportBuffer.h"
#include "tablefile/SmallCopy.h"

#include <cstring>

namespace {

// The longest line: an 11-character number, three 20-byte texts, three TABs and CR LF.
constexpr qsizetype kMaxLine = 11 + 3 * MeasurementTable::kTextFieldSize + 3 + 2;

bool isBlank(char c)
{
    return uchar(c) <= 0x20 || c == 0x7F;
}

char* putText(char* p, std::optional<QByteArrayView> text)
{
    const char* begin = text ? text->data() : nullptr;
    const char* end = text ? begin + text->size() : nullptr;
    while (begin != end && isBlank(*begin))
        ++begin;
    while (end != begin && isBlank(end[-1]))
        --end;
    if (begin == end) {
        std::memcpy(p, "NULL", 4);
        return p + 4;
    }
    return copySmall(p, begin, size_t(end - begin));
}

}  // namespace

void writeTextReport(const MeasurementTable& table, int rowsTotal, QByteArrayView dateText, ExportBuffer& out,
                          const ExportProgress& progress)
{
    out.append("Report created on: ");
    out.append(dateText);
    out.append("\r\n\r\nNo\tTime\tValue\tUnit\r\n");
    forEachExportRow(table, rowsTotal, progress, [&out](const MeasurementRow& row) {
        char* p = out.reserve(kMaxLine);
        if (const std::optional<int32_t> no = row.no())
            p = putDecimal(p, *no);
        *p++ = '\t';
        p = putText(p, row.time());
        *p++ = '\t';
        p = putText(p, row.value());
        *p++ = '\t';
        p = putText(p, row.unit());
        *p++ = '\r';
        *p++ = '\n';
        out.commit(p);
    });
}
