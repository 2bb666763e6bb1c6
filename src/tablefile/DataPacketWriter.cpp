#include "tablefile/DataPacketWriter.h"

#include "record/MeasurementTable.h"
#include "tablefile/DecimalText.h"
#include "tablefile/ExportBuffer.h"
#include "tablefile/SmallCopy.h"

#include <array>
#include <cstring>

namespace {

// What a byte becomes inside an attribute value; empty for bytes written as they are.
// Backslash is escaped too, as readers of this packet expect.
constexpr std::array<QByteArrayView, 256> kEscapes = [] {
    std::array<QByteArrayView, 256> escapes{};
    escapes['<'] = "&lt;";
    escapes['>'] = "&gt;";
    escapes['&'] = "&amp;";
    escapes['\''] = "&apos;";
    escapes['"'] = "&quot;";
    escapes['\r'] = "&#013;";
    escapes['\n'] = "&#010;";
    escapes['\t'] = "&#009;";
    escapes['\\'] = "&#092;";
    return escapes;
}();
constexpr qsizetype kLongestEscape = 6;

// <ROW RowState="4" No="-2147483648" and three attributes of 20 escaped bytes each, then />.
constexpr qsizetype kMaxRow = 17 + 17 + 3 * (8 + MeasurementTable::kTextFieldSize * kLongestEscape + 1) + 2;

char* put(char* p, QByteArrayView bytes)
{
    std::memcpy(p, bytes.data(), size_t(bytes.size()));
    return p + bytes.size();
}

char* putAttribute(char* p, QByteArrayView openQuote, std::optional<QByteArrayView> text)
{
    if (!text)
        return p;
    p = copySmall(p, openQuote.data(), size_t(openQuote.size()));
    bool plain = true;
    for (const char c : *text)
        plain &= kEscapes[uchar(c)].isEmpty();
    if (plain) {
        p = copySmall(p, text->data(), size_t(text->size()));
    } else {
        for (const char c : *text) {
            const QByteArrayView escape = kEscapes[uchar(c)];
            if (escape.isEmpty())
                *p++ = c;
            else
                p = put(p, escape);
        }
    }
    *p++ = '"';
    return p;
}

void writeChangeLog(int rowsLogged, ExportBuffer& out)
{
    if (rowsLogged == 0) {
        out.append("<PARAMS/>");
        return;
    }
    // Each logged insertion is the triple: row number, no earlier version (0), kind 4 = inserted.
    out.append("<PARAMS CHANGE_LOG=\"");
    for (int k = 1; k <= rowsLogged; ++k) {
        char* p = out.reserve(16);
        if (k > 1)
            *p++ = ' ';
        p = putDecimal(p, k);
        p = put(p, " 0 4");
        out.commit(p);
    }
    out.append("\"/>");
}

}  // namespace

void writeDataPacket(const MeasurementTable& table, int rowsTotal, ExportBuffer& out,
                          const ExportProgress& progress)
{
    out.append("<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
               "<FIELD attrname=\"No\" fieldtype=\"i4\"/>"
               "<FIELD attrname=\"Time\" fieldtype=\"string\" WIDTH=\"20\"/>"
               "<FIELD attrname=\"Value\" fieldtype=\"string\" WIDTH=\"20\"/>"
               "<FIELD attrname=\"Unit\" fieldtype=\"string\" WIDTH=\"20\"/>"
               "</FIELDS>");
    // Every appended row stays logged as an insertion until the table is emptied, so all the
    // rows written are in the log and each carries RowState 4.
    writeChangeLog(std::min(rowsTotal, table.changeLogCount()), out);
    out.append("</METADATA><ROWDATA>");
    forEachExportRow(table, rowsTotal, progress, [&out](const MeasurementRow& row) {
        char* p = out.reserve(kMaxRow);
        p = put(p, "<ROW RowState=\"4\"");
        if (const std::optional<int32_t> no = row.no()) {
            p = put(p, " No=\"");
            p = putDecimal(p, *no);
            *p++ = '"';
        }
        p = putAttribute(p, " Time=\"", row.time());
        p = putAttribute(p, " Value=\"", row.value());
        p = putAttribute(p, " Unit=\"", row.unit());
        p = put(p, "/>");
        out.commit(p);
    });
    out.append("</ROWDATA></DATAPACKET>");
}
