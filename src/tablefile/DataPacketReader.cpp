#include "tablefile/DataPacketReader.h"

#include "base/IntegerText.h"
#include "record/MeasurementTable.h"
#include "tablefile/ChangeLogFilter.h"
#include "tablefile/ImportBlocks.h"
#include "tablefile/PacketXmlParser.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// The parser's UTF-8 turned back into the file's bytes (see createPacketXmlParser); false for a
// character that no byte stands for.
bool latin1FromUtf8(const char* text, std::vector<char>& bytes, QByteArrayView& result)
{
    const size_t length = std::strlen(text);
    const char* p = text;
    const char* const end = text + length;
    while (p != end && uchar(*p) < 0x80)
        ++p;
    if (p == end) {
        result = QByteArrayView(text, qsizetype(length));
        return true;
    }
    bytes.assign(text, p);
    while (p != end) {
        const uchar lead = uchar(*p);
        if (lead < 0x80) {
            bytes.push_back(char(lead));
            ++p;
        } else if ((lead & 0xFE) == 0xC2 && end - p >= 2) {  // U+0080..U+00FF
            bytes.push_back(char(((lead & 0x03) << 6) | (uchar(p[1]) & 0x3F)));
            p += 2;
        } else if (lead == 0xEE && end - p >= 3 && uchar(p[1]) == 0x80 && (uchar(p[2]) & 0xE0) == 0x80) {
            bytes.push_back(char(uchar(p[2]) & 0x1F));  // U+E000..U+E01F: a control byte
            p += 3;
        } else {
            return false;
        }
    }
    result = QByteArrayView(bytes.data(), qsizetype(bytes.size()));
    return true;
}

// The longest piece of markup a packet may hold: a start tag with its attributes, a comment,
// a reference. The parser keeps a piece whole until its end arrives and scans it again with
// every block, so without a bound one enormous tag would take memory without end and time
// growing with its square. A row this program writes is a few hundred bytes; the change log,
// the one long attribute of a packet, never reaches the parser (see ChangeLogFilter).
constexpr qint64 kLongestMarkup = 64 * 1024;

enum class FieldKind { Integer, Text };

struct PacketField {
    QByteArray name;  // as the parser hands it over, UTF-8
    FieldKind kind;
};

std::optional<FieldKind> fieldKind(const char* type)
{
    for (const char* integer : {"i4", "i2", "i1", "ui2", "ui1"}) {
        if (std::strcmp(type, integer) == 0)
            return FieldKind::Integer;
    }
    if (std::strcmp(type, "string") == 0)
        return FieldKind::Text;
    return std::nullopt;
}

// Follows the packet's elements and turns each ROW into one whole table row. The element
// nesting is checked as it goes; anything the packet format does not have stops the parse.
class DataPacketParser {
public:
    DataPacketParser(MeasurementTable& table) : m_table(table), m_parser(createPacketXmlParser())
    {
        XML_SetUserData(m_parser, this);
        XML_SetElementHandler(m_parser, &DataPacketParser::onStart, &DataPacketParser::onEnd);
        // A document type declaration is the only way to define entities; packets have none,
        // so refusing it leaves nothing but the predefined entities and character references.
        XML_SetStartDoctypeDeclHandler(m_parser, &DataPacketParser::onDoctype);
    }
    ~DataPacketParser() { XML_ParserFree(m_parser); }
    DataPacketParser(const DataPacketParser&) = delete;
    DataPacketParser& operator=(const DataPacketParser&) = delete;

    ImportOutcome read(QIODevice& in, const ImportProgress& progress, qint64 memoryCeiling)
    {
        ImportByteCount bytes(in, progress);
        const qint64 blockSize = importBlockSize(in);
        for (;;) {
            void* buffer = XML_GetBuffer(m_parser, int(blockSize));
            if (!buffer)
                return ImportOutcome::Failed;
            const qint64 got = readImportBlock(in, static_cast<char*>(buffer), blockSize);
            const qsizetype kept = m_changeLog.filter(static_cast<char*>(buffer), got);
            // The block and the unfinished markup before it; a row is at least "<ROW/>".
            const qint64 unstored = kept + kLongestMarkup;
            checkTableRoom(m_table, unstored / 6 + 1, unstored, memoryCeiling);
            {
                MeasurementTable::AppendBatch batch(m_table);
                if (XML_ParseBuffer(m_parser, int(kept), got == 0) != XML_STATUS_OK || m_failed)
                    return ImportOutcome::Failed;
            }
            // The parser's position is the start of the markup it has not finished.
            m_bytesParsed += kept;
            if (m_bytesParsed - XML_GetCurrentByteIndex(m_parser) > kLongestMarkup)
                return ImportOutcome::Failed;
            if (got == 0)
                return m_place == Place::Done ? ImportOutcome::Loaded : ImportOutcome::Failed;
            if (!bytes.add(got))
                return ImportOutcome::Cancelled;
        }
    }

private:
    // Where the parser is; each element moves it one step and its end tag one step back.
    enum class Place { Start, Packet, Metadata, Fields, Field, Params, RowData, Row, Done };

    static void onStart(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        auto* parser = static_cast<DataPacketParser*>(self);
        bool accepted = false;
        try {
            accepted = parser->start(name, attributes);
        } catch (...) {
            // Nothing may unwind through the parser; a full table ends the load as a failure.
        }
        if (!accepted)
            parser->fail();
    }
    static void onEnd(void* self, const XML_Char* name)
    {
        static_cast<DataPacketParser*>(self)->end(name);
    }
    static void onDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int)
    {
        static_cast<DataPacketParser*>(self)->fail();
    }

    void fail()
    {
        m_failed = true;
        XML_StopParser(m_parser, XML_FALSE);
    }

    bool start(const char* name, const char** attributes)
    {
        const auto is = [name](const char* expected) { return std::strcmp(name, expected) == 0; };
        switch (m_place) {
        case Place::Start:
            return enter(is("DATAPACKET"), Place::Packet);
        case Place::Packet:
            if (is("METADATA")) {
                const bool first = !m_seenMetadata;
                m_seenMetadata = true;
                return enter(first, Place::Metadata);
            }
            return enter(is("ROWDATA") && m_seenMetadata, Place::RowData);
        case Place::Metadata:
            if (is("FIELDS"))
                return enter(m_fields.empty(), Place::Fields);
            return enter(is("PARAMS"), Place::Params);
        case Place::Fields:
            return is("FIELD") && addField(attributes) && enter(true, Place::Field);
        case Place::RowData:
            return is("ROW") && appendRow(attributes) && enter(true, Place::Row);
        default:
            return false;  // FIELD, PARAMS and ROW are empty; nothing follows the packet
        }
    }

    bool enter(bool allowed, Place place)
    {
        if (allowed)
            m_place = place;
        return allowed;
    }

    void end(const char*)
    {
        // The parser has already matched the end tag to its start tag.
        switch (m_place) {
        case Place::Packet: m_place = Place::Done; break;
        case Place::Metadata: case Place::RowData: m_place = Place::Packet; break;
        case Place::Fields: case Place::Params: m_place = Place::Metadata; break;
        case Place::Field: m_place = Place::Fields; break;
        case Place::Row: m_place = Place::RowData; break;
        default: break;
        }
    }

    bool addField(const char** attributes)
    {
        const char* name = nullptr;
        const char* type = nullptr;
        for (; *attributes; attributes += 2) {
            if (std::strcmp(attributes[0], "attrname") == 0)
                name = attributes[1];
            else if (std::strcmp(attributes[0], "fieldtype") == 0)
                type = attributes[1];
        }
        if (!name || !type || m_fields.size() == size_t(MeasurementTable::kFieldCount))
            return false;
        const std::optional<FieldKind> kind = fieldKind(type);
        if (!kind)
            return false;
        for (const PacketField& field : m_fields) {
            if (field.name == name)
                return false;
        }
        m_fields.push_back({QByteArray(name), *kind});
        return true;
    }

    // The values are checked and converted first and the row appended only when all of them
    // could be read, so a bad row never leaves part of itself behind.
    bool appendRow(const char** attributes)
    {
        std::optional<int32_t> no;
        std::optional<QByteArrayView> texts[3];
        for (; *attributes; attributes += 2) {
            const int field = fieldNamed(attributes[0]);
            if (field < 0) {
                if (std::strcmp(attributes[0], "RowState") == 0)
                    continue;
                return false;
            }
            if (!setValue(field, attributes[1], no, texts))
                return false;
        }
        m_table.appendRow(no, texts[0], texts[1], texts[2]);
        return true;
    }

    int fieldNamed(const char* name) const
    {
        for (size_t i = 0; i < m_fields.size(); ++i) {
            if (m_fields[i].name == name)
                return int(i);
        }
        return -1;
    }

    // Field i of the packet goes into field i of the table: a number put into a text field
    // is stored as its digits, a text put into No must be a whole number.
    bool setValue(int field, const char* value, std::optional<int32_t>& no, std::optional<QByteArrayView> (&texts)[3])
    {
        QByteArrayView bytes;
        std::vector<char>& storage = m_valueBytes[field];
        if (!latin1FromUtf8(value, storage, bytes))
            return false;
        int32_t number = 0;
        if (m_fields[size_t(field)].kind == FieldKind::Integer || field == MeasurementTable::No) {
            if (!tryParseIntegerText(bytes, number))
                return false;
        }
        if (field == MeasurementTable::No) {
            no = number;
        } else if (m_fields[size_t(field)].kind == FieldKind::Integer) {
            storage.resize(12);
            const int length = std::snprintf(storage.data(), storage.size(), "%d", number);
            texts[field - 1] = QByteArrayView(storage.data(), length);
        } else {
            texts[field - 1] = bytes;
        }
        return true;
    }

    MeasurementTable& m_table;
    XML_Parser m_parser;
    ChangeLogFilter m_changeLog;
    Place m_place = Place::Start;
    bool m_seenMetadata = false;
    bool m_failed = false;
    qint64 m_bytesParsed = 0;
    std::vector<PacketField> m_fields;
    std::vector<char> m_valueBytes[MeasurementTable::kFieldCount];
};

}  // namespace

ImportOutcome readDataPacket(QIODevice& in, MeasurementTable& table, const ImportProgress& progress,
                             qint64 memoryCeiling)
{
    return DataPacketParser(table).read(in, progress, memoryCeiling);
}
