#include "record/MeasurementTable.h"

#include "base/IntegerText.h"

#include <QByteArray>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr QByteArrayView kFieldNames[MeasurementTable::kFieldCount] = {"No", "Time", "Value", "Unit"};
// The most a row kept as written puts into a text page: its No and three full texts.
constexpr qsizetype kMaxWrittenRow = 4 + 3 * MeasurementTable::kTextFieldSize;

QByteArrayView cut(QByteArrayView text)
{
    return text.first(std::min(text.size(), MeasurementTable::kTextFieldSize));
}

// An empty view may carry no pointer at all, which memcpy must not be given.
char* copyText(char* out, QByteArrayView text)
{
    if (!text.isEmpty())
        std::memcpy(out, text.data(), size_t(text.size()));
    return out + text.size();
}

}  // namespace

// The row being filled through the edit buffer, with the same layout limits as a stored row.
struct MeasurementTable::PendingRow {
    int32_t no = 0;
    char text[3][kTextFieldSize];
    uint8_t length[3] = {0, 0, 0};
    uint8_t present = 0;
    bool modified = false;

    void setText(int field, QByteArrayView value)
    {
        value = cut(value);
        copyText(text[field - 1], value);
        length[field - 1] = uint8_t(value.size());
        present |= uint8_t(1u << field);
        modified = true;
    }
};

MeasurementTable::MeasurementTable(QObject* parent) : QObject(parent) {}

MeasurementTable::~MeasurementTable() = default;

int MeasurementTable::fieldIndex(QByteArrayView name)
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (name.compare(kFieldNames[i], Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

uint64_t MeasurementTable::textEnd() const
{
    return m_textPages.empty() ? 0
                               : (uint64_t(m_textPages.size() - 1) << kTextPageShift) + uint64_t(m_textPageUsed);
}

qsizetype MeasurementTable::writtenSize(uint64_t word)
{
    const bool noInPage = (word & 2) && (int64_t(word) >> measurement_storage::kWrittenNoShift) ==
                                            measurement_storage::kNoInPage;
    return (noInPage ? 4 : 0) + qsizetype((word >> 5) & 31) + qsizetype((word >> 10) & 31) +
           qsizetype((word >> 15) & 31);
}

void MeasurementTable::store(std::optional<int32_t> no, const std::optional<QByteArrayView> (&given)[3])
{
    if (m_rowCount == INT_MAX)
        throw ProgramError("The measurement table is full");
    const int slot = m_rowCount & (kChunkRows - 1);
    if (slot == 0) {
        m_chunks.push_back(std::make_unique_for_overwrite<Chunk>());
        Chunk& chunk = *m_chunks.back();
        chunk.textStart = textEnd();
        chunk.textPagesAtStart = uint32_t(m_textPages.size());
        chunk.textPageUsedAtStart = uint32_t(m_textPageUsed);
        chunk.noBase = 0;
        chunk.noBaseSlot = -1;
    }
    Chunk& chunk = *m_chunks.back();
    uint8_t present = no ? 1 : 0;
    QByteArrayView texts[3];
    for (int i = 0; i < 3; ++i) {
        if (given[i]) {
            texts[i] = cut(*given[i]);
            present |= uint8_t(1u << (i + 1));
        }
    }
    int64_t noDelta = 0;
    if (no) {
        if (chunk.noBaseSlot < 0) {
            chunk.noBase = int64_t(*no) - slot;
            chunk.noBaseSlot = slot;
        }
        noDelta = int64_t(*no) - chunk.noBase - slot;
    }
    uint64_t word = m_shapes.encode(present, noDelta, texts, m_rowCount);
    if (word == 0)
        word = storeAsWritten(chunk, present, no.value_or(0), noDelta, texts);
    chunk.words[slot] = word;

    const int index = m_rowCount++;
    if (m_openBatches > 0)
        return;
    emit rowsAppended(index, index);
    setCurrentRow(index, false);
}

uint64_t MeasurementTable::storeAsWritten(Chunk& chunk, uint8_t present, int32_t no, int64_t noDelta,
                                          const QByteArrayView (&texts)[3])
{
    using namespace measurement_storage;
    const bool noInPage = (present & 1) && (noDelta <= kNoInPage || noDelta >= -kNoInPage);
    const qsizetype size = (noInPage ? 4 : 0) + texts[0].size() + texts[1].size() + texts[2].size();
    // A row's texts never straddle two pages; the few bytes left at the end stay unused. Even a
    // row without texts points into a page that is there.
    if (kTextPageSize - m_textPageUsed < std::max<qsizetype>(size, 1)) {
        m_textPages.push_back(std::make_unique_for_overwrite<char[]>(size_t(kTextPageSize)));
        m_textPageUsed = 0;
    }
    const uint64_t position = textEnd();
    char* out = m_textPages.back().get() + m_textPageUsed;
    if (noInPage) {
        std::memcpy(out, &no, sizeof no);
        out += sizeof no;
    }
    for (const QByteArrayView& text : texts)
        out = copyText(out, text);
    m_textPageUsed += size;
    const int64_t noField = noInPage ? kNoInPage : noDelta;
    return uint64_t(present) << 1 | uint64_t(texts[0].size()) << 5 | uint64_t(texts[1].size()) << 10 |
           uint64_t(texts[2].size()) << 15 | (position - chunk.textStart) << 20 | uint64_t(noField) << kWrittenNoShift;
}

MeasurementTable::AppendBatch::AppendBatch(MeasurementTable& table) : m_table(table)
{
    if (m_table.m_openBatches++ == 0)
        m_table.m_batchFirstRow = m_table.m_rowCount;
}

MeasurementTable::AppendBatch::~AppendBatch()
{
    if (--m_table.m_openBatches == 0)
        m_table.announceBatch();
}

void MeasurementTable::announceBatch()
{
    if (m_rowCount <= m_batchFirstRow)
        return;
    emit rowsAppended(m_batchFirstRow, m_rowCount - 1);
    setCurrentRow(m_rowCount - 1, false);
}

void MeasurementTable::appendRow(std::optional<int32_t> no, std::optional<QByteArrayView> time,
                                 std::optional<QByteArrayView> value, std::optional<QByteArrayView> unit)
{
    finishEditing();
    const std::optional<QByteArrayView> texts[3] = {time, value, unit};
    store(no, texts);
}

void MeasurementTable::append()
{
    finishEditing();
    m_pending = std::make_unique<PendingRow>();
}

MeasurementTable::PendingRow& MeasurementTable::pendingFor(int field)
{
    if (field < 0 || field >= kFieldCount)
        throw ProgramError("Field index out of range");
    if (!m_pending)
        throw ProgramError("Cannot set a field: no row is being appended");
    return *m_pending;
}

void MeasurementTable::setField(int field, QByteArrayView text)
{
    PendingRow& row = pendingFor(field);
    if (field == No) {
        row.no = parseIntegerText(text.toByteArray());
        row.present |= 1;
        row.modified = true;
    } else {
        row.setText(field, text);
    }
}

void MeasurementTable::setField(int field, int32_t number)
{
    PendingRow& row = pendingFor(field);
    if (field == No) {
        row.no = number;
        row.present |= 1;
        row.modified = true;
    } else {
        row.setText(field, QByteArray::number(number));
    }
}

namespace {
int fieldOrThrow(QByteArrayView name)
{
    const int field = MeasurementTable::fieldIndex(name);
    if (field < 0)
        throw ProgramError("Field '" + name.toByteArray().toStdString() + "' not found");
    return field;
}
}  // namespace

void MeasurementTable::setFieldByName(QByteArrayView name, QByteArrayView text)
{
    setField(fieldOrThrow(name), text);
}

void MeasurementTable::setFieldByName(QByteArrayView name, int32_t number)
{
    setField(fieldOrThrow(name), number);
}

void MeasurementTable::post()
{
    if (!m_pending)
        return;
    const std::unique_ptr<PendingRow> row = std::move(m_pending);
    std::optional<QByteArrayView> texts[3];
    for (int i = 0; i < 3; ++i) {
        if (row->present & (1u << (i + 1)))
            texts[i] = QByteArrayView(row->text[i], row->length[i]);
    }
    store((row->present & 1) ? std::optional<int32_t>(row->no) : std::nullopt, texts);
}

void MeasurementTable::finishEditing()
{
    if (m_pending && m_pending->modified)
        post();
    m_pending.reset();
}

void MeasurementTable::setCurrentRow(int row, bool atEnd)
{
    m_atEnd = atEnd;
    if (row == m_currentRow)
        return;
    m_currentRow = row;
    emit currentRowChanged(row);
}

void MeasurementTable::first()
{
    finishEditing();
    setCurrentRow(m_rowCount > 0 ? 0 : -1, m_rowCount == 0);
}

void MeasurementTable::next()
{
    finishEditing();
    if (m_currentRow + 1 < m_rowCount)
        setCurrentRow(m_currentRow + 1, false);
    else
        m_atEnd = true;
}

void MeasurementTable::last()
{
    finishEditing();
    setCurrentRow(m_rowCount - 1, m_rowCount == 0);
}

void MeasurementTable::empty()
{
    m_pending.reset();
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_textPages.clear();
    m_textPages.shrink_to_fit();
    m_textPageUsed = kTextPageSize;
    m_shapes.clear();
    m_rowCount = 0;
    m_batchFirstRow = 0;
    ++m_generation;
    emit emptied();
    setCurrentRow(-1, true);
}

void MeasurementTable::removeRowsFrom(int first)
{
    if (first < 0 || first >= m_rowCount)
        return;
    const int last = m_rowCount - 1;
    // Texts are stored in the order the rows were appended, so those of the rows that stay end
    // where the texts of the last of them kept as written end, or where its chunk started.
    if (first == 0) {
        m_textPages.clear();
        m_textPageUsed = kTextPageSize;
    } else {
        Chunk& chunk = *m_chunks[size_t(first - 1) >> kChunkShift];
        const int lastSlot = (first - 1) & (kChunkRows - 1);
        size_t pages = chunk.textPagesAtStart;
        qsizetype used = chunk.textPageUsedAtStart;
        for (int slot = lastSlot; slot >= 0; --slot) {
            const uint64_t word = chunk.words[slot];
            if (!(word & 1)) {
                const uint64_t position = chunk.textStart + ((word >> 20) & 0xFFFFFFFF);
                pages = size_t(position >> kTextPageShift) + 1;
                used = qsizetype(position & (kTextPageSize - 1)) + writtenSize(word);
                break;
            }
        }
        m_textPages.resize(pages);
        m_textPageUsed = used;
        if (chunk.noBaseSlot > lastSlot) {
            chunk.noBase = 0;
            chunk.noBaseSlot = -1;
        }
    }
    m_shapes.removeFrom(first);
    m_chunks.resize(size_t(first + kChunkRows - 1) >> kChunkShift);
    m_rowCount = first;
    m_batchFirstRow = std::min(m_batchFirstRow, first);
    ++m_generation;
    emit rowsRemoved(first, last);
    if (m_currentRow >= first)
        setCurrentRow(first - 1, first == 0);
}

qsizetype MeasurementTable::memoryUsage() const
{
    qsizetype bytes = qsizetype(sizeof(*this));
    bytes += qsizetype(m_chunks.capacity() * sizeof(m_chunks[0]) + m_chunks.size() * sizeof(Chunk));
    bytes += qsizetype(m_textPages.capacity() * sizeof(m_textPages[0])) + qsizetype(m_textPages.size()) * kTextPageSize;
    bytes += m_shapes.memoryUsage();
    if (m_pending)
        bytes += qsizetype(sizeof(PendingRow));
    return bytes;
}

qsizetype MeasurementTable::growthBound(qsizetype rows, qsizetype textBytes) const
{
    // Each count is one higher for the chunk and the page in use, which may be full already,
    // and the lists of both may double their capacity to take the new ones. Rows that do not fit
    // a shape may put their No into a page beside their texts, and the shapes may be made.
    const qsizetype chunks = rows / kChunkRows + 1;
    const qsizetype pages = (textBytes + 4 * rows) / (kTextPageSize - kMaxWrittenRow) + 1;
    const qsizetype lists = 2 * qsizetype(sizeof(m_chunks[0])) *
                            (qsizetype(m_chunks.size()) + chunks + qsizetype(m_textPages.size()) + pages);
    const qsizetype shapes = measurement_storage::RowShapes::kMemoryUsageMax - m_shapes.memoryUsage();
    return chunks * qsizetype(sizeof(Chunk)) + pages * kTextPageSize + lists + shapes;
}
