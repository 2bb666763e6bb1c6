// A table built from the input, written in both formats through the real writers into memory,
// then read back by a plain reading of each format's rules and compared with what went in.
// The data packet is also loaded back through the program's own import, which must give the
// table that was saved.
#include "record/MeasurementTable.h"
#include "tablefile/DataPacketWriter.h"
#include "tablefile/ExportBuffer.h"
#include "tablefile/TableFileFormat.h"
#include "tablefile/TableImport.h"
#include "tablefile/TextReportWriter.h"

#include <QBuffer>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct Row {
    std::optional<int32_t> no;
    std::optional<std::string> texts[3];  // Time, Value, Unit
};

QByteArrayView view(const std::string& s)
{
    return QByteArrayView(s.data(), qsizetype(s.size()));
}

// Input, row after row: a head byte (bit 0: No present, bits 1-3: Time, Value, Unit present,
// bit 4: built through the edit buffer), No as four bytes when present, then for each present
// text a length byte (its low five bits, so texts longer than a field occur) and the text.
std::vector<Row> buildTable(const uint8_t* data, size_t size, MeasurementTable& table)
{
    std::vector<Row> rows;
    auto take = [&](size_t n) {
        n = std::min(n, size);
        std::string bytes(reinterpret_cast<const char*>(data), n);
        data += n;
        size -= n;
        return bytes;
    };
    while (size > 0) {
        const uint8_t head = uint8_t(take(1)[0]);
        Row row;
        if (head & 1) {
            const std::string bytes = take(4);
            uint32_t no = 0;
            std::memcpy(&no, bytes.data(), bytes.size());
            row.no = int32_t(no);
        }
        for (int field = 0; field < 3; ++field) {
            if (head & (2 << field)) {
                const std::string length = take(1);
                row.texts[field] = take(length.empty() ? 0 : uint8_t(length[0]) & 31);
            }
        }
        auto text = [&row](int field) -> std::optional<QByteArrayView> {
            return row.texts[field] ? std::optional(view(*row.texts[field])) : std::nullopt;
        };
        if (head & 16) {
            table.append();
            if (row.no)
                table.setField(MeasurementTable::No, *row.no);
            for (int field = 0; field < 3; ++field)
                if (row.texts[field])
                    table.setField(MeasurementTable::Time + field, *text(field));
            table.post();
        } else {
            table.appendRow(row.no, text(0), text(1), text(2));
        }
        for (auto& t : row.texts)
            if (t && t->size() > 20)
                t->resize(20);  // a text field holds 20 bytes
        rows.push_back(std::move(row));
    }
    return rows;
}

template <class Write>
std::string writeToMemory(Write write)
{
    QByteArray bytes;
    QBuffer device(&bytes);
    device.open(QIODevice::WriteOnly);
    {
        ExportBuffer out(device);
        write(out);
        out.finish();
    }
    return bytes.toStdString();
}

// Reads a file from the front, failing the run at the first byte that is not as the rules say.
class Reader {
public:
    explicit Reader(std::string_view file) : m_rest(file) {}

    void expect(std::string_view bytes)
    {
        check(m_rest.substr(0, bytes.size()) == bytes);
        m_rest.remove_prefix(bytes.size());
    }
    bool skip(std::string_view bytes)
    {
        if (m_rest.substr(0, bytes.size()) != bytes)
            return false;
        m_rest.remove_prefix(bytes.size());
        return true;
    }
    std::string until(char end)
    {
        const size_t at = m_rest.find(end);
        check(at != std::string_view::npos);
        std::string taken(m_rest.substr(0, at));
        m_rest.remove_prefix(at);
        return taken;
    }
    char take()
    {
        check(!m_rest.empty());
        const char c = m_rest.front();
        m_rest.remove_prefix(1);
        return c;
    }
    bool atEnd() const { return m_rest.empty(); }

private:
    std::string_view m_rest;
};

// Text report: date line, empty line, titles, then per row No (left out when there is none),
// and the three texts without leading and trailing blanks and control characters, NULL when
// nothing is left; TAB between cells, CR LF after every line.
void readTextReport(const std::string& file, const std::vector<Row>& rows, size_t written)
{
    auto blank = [](char c) { return uint8_t(c) <= ' ' || c == 0x7F; };
    Reader in(file);
    in.expect("Report created on: 05.03.24\r\n\r\nNo\tTime\tValue\tUnit\r\n");
    for (size_t i = 0; i < written; ++i) {
        const std::string no = in.until('\t');
        check(no == (rows[i].no ? std::to_string(*rows[i].no) : std::string()));
        for (int field = 0; field < 3; ++field) {
            in.expect("\t");
            std::string text = rows[i].texts[field].value_or("");
            while (!text.empty() && blank(text.back()))
                text.pop_back();
            while (!text.empty() && blank(text.front()))
                text.erase(0, 1);
            in.expect(text.empty() ? "NULL" : text);
        }
        in.expect("\r\n");
    }
    check(in.atEnd());
}

// An attribute value: the five named entities and decimal character references stand for
// their byte; '<', '&' and the quote cannot stand there raw, and neither can TAB, CR and LF,
// which an XML reader would turn into spaces. Every other byte stands for itself.
std::string attributeValue(Reader& in)
{
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&apos;", '\''}, {"&quot;", '"'}};
    std::string value;
    for (;;) {
        const char c = in.take();
        if (c == '"')
            return value;
        check(c != '<' && c != '\t' && c != '\r' && c != '\n');
        if (c != '&') {
            value += c;
            continue;
        }
        if (in.skip("#")) {
            const std::string digits = in.until(';');
            in.expect(";");
            check(!digits.empty() && digits.size() <= 3 &&
                  digits.find_first_not_of("0123456789") == std::string::npos && std::stoi(digits) <= 255);
            value += char(std::stoi(digits));
            continue;
        }
        bool known = false;
        for (const auto& [entity, byte] : kEntities) {
            if (in.skip(entity.substr(1))) {
                value += byte;
                known = true;
                break;
            }
        }
        check(known);
    }
}

// Data packet: the fixed field list, a change log with one insertion per row written, then a
// ROW with RowState 4 per row and an attribute for each field that holds a value.
void readDataPacket(const std::string& file, const std::vector<Row>& rows, size_t written)
{
    Reader in(file);
    in.expect("<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
              "<FIELD attrname=\"No\" fieldtype=\"i4\"/>"
              "<FIELD attrname=\"Time\" fieldtype=\"string\" WIDTH=\"20\"/>"
              "<FIELD attrname=\"Value\" fieldtype=\"string\" WIDTH=\"20\"/>"
              "<FIELD attrname=\"Unit\" fieldtype=\"string\" WIDTH=\"20\"/>"
              "</FIELDS>");
    if (written == 0) {
        in.expect("<PARAMS/>");
    } else {
        in.expect("<PARAMS CHANGE_LOG=\"");
        for (size_t k = 1; k <= written; ++k) {
            if (k > 1)
                in.expect(" ");
            in.expect(std::to_string(k) + " 0 4");
        }
        in.expect("\"/>");
    }
    in.expect("</METADATA><ROWDATA>");
    static const char* const kNames[] = {"Time", "Value", "Unit"};
    for (size_t i = 0; i < written; ++i) {
        in.expect("<ROW");
        std::optional<std::string> no, texts[3];
        bool rowState = false;
        while (in.skip(" ")) {
            const std::string name = in.until('=');
            in.expect("=\"");
            const std::string value = attributeValue(in);
            std::optional<std::string>* slot = name == "No" ? &no : nullptr;
            for (int field = 0; field < 3; ++field)
                if (name == kNames[field])
                    slot = &texts[field];
            if (name == "RowState") {
                check(!rowState && value == "4");
                rowState = true;
                continue;
            }
            check(slot && !*slot);
            *slot = value;
        }
        in.expect("/>");
        check(rowState);
        check(no == (rows[i].no ? std::optional(std::to_string(*rows[i].no)) : std::nullopt));
        for (int field = 0; field < 3; ++field)
            check(texts[field] == rows[i].texts[field]);
    }
    in.expect("</ROWDATA></DATAPACKET>");
    check(in.atEnd());
}

// The program's own import of the packet gives back the rows that were written.
void loadDataPacket(const std::string& file, const std::vector<Row>& rows, size_t written)
{
    QByteArray bytes(file.data(), qsizetype(file.size()));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    MeasurementTable table;
    check(importTable(device, TableFileFormat::DataPacket, table) == ImportOutcome::Loaded);
    check(size_t(table.rowCount()) == written);
    for (size_t i = 0; i < written; ++i) {
        const MeasurementRow row = table.row(int(i));
        check(row.no() == rows[i].no);
        for (int field = 0; field < 3; ++field) {
            const std::optional<QByteArrayView> text = row.text(MeasurementTable::Time + field);
            check(text.has_value() == rows[i].texts[field].has_value());
            if (text)
                check(*text == view(*rows[i].texts[field]));
        }
    }
}

}  // namespace

// The first byte says how many of the last rows are left out of the save (rows appended after
// it started); the rest builds the table.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t leftOut = data[0] & 3;
    MeasurementTable table;
    const std::vector<Row> rows = buildTable(data + 1, size - 1, table);
    check(size_t(table.rowCount()) == rows.size());
    const size_t written = rows.size() - std::min(leftOut, rows.size());

    const std::string report = writeToMemory([&](ExportBuffer& out) {
        writeTextReport(table, int(written), "05.03.24", out, {});
    });
    readTextReport(report, rows, written);

    const std::string packet = writeToMemory([&](ExportBuffer& out) {
        writeDataPacket(table, int(written), out, {});
    });
    readDataPacket(packet, rows, written);
    loadDataPacket(packet, rows, written);
    return 0;
}
