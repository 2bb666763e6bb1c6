#include "record/MeasurementTable.h"

#include "base/IntegerText.h"

#include <QByteArray>

#include <algorithm>
#include <climits>
#include <cstring>

using measurement_storage::RowHead;

static_assert(sizeof(RowHead) == 12, "a row's head is what a row costs besides its texts");

namespace {

constexpr QByteArrayView kFieldNames[MeasurementTable::kFieldCount] = {"No", "Time", "Value", "Unit"};
constexpr qsizetype kMaxRowText = 3 * MeasurementTable::kTextFieldSize;

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

void MeasurementTable::store(std::optional<int32_t> no, const std::optional<QByteArrayView> (&texts)[3])
{
    if (m_rowCount == INT_MAX)
        throw ProgramError("The measurement table is full");
    if (m_textPageUsed > kTextPageSize - kMaxRowText) {
        // A row's texts never straddle two pages; the few bytes left at the end stay unused.
        m_textPages.push_back(std::make_unique_for_overwrite<char[]>(size_t(kTextPageSize)));
        m_textPageUsed = 0;
    }
    const uint64_t position = (uint64_t(m_textPages.size() - 1) << kTextPageShift) + uint64_t(m_textPageUsed);
    const int slot = m_rowCount & (kChunkRows - 1);
    if (slot == 0) {
        m_chunks.push_back(std::make_unique_for_overwrite<Chunk>());
        m_chunks.back()->textStart = position;
    }
    Chunk& chunk = *m_chunks.back();
    RowHead& head = chunk.heads[slot];
    char* const start = m_textPages.back().get() + m_textPageUsed;
    char* out = start;
    head.textOffset = uint32_t(position - chunk.textStart);
    head.no = no.value_or(0);
    head.present = no ? 1 : 0;
    for (int i = 0; i < 3; ++i) {
        const QByteArrayView text = texts[i] ? cut(*texts[i]) : QByteArrayView();
        out = copyText(out, text);
        head.length[i] = uint8_t(text.size());
        if (texts[i])
            head.present |= uint8_t(1u << (i + 1));
    }
    m_textPageUsed += out - start;

    const int index = m_rowCount++;
    if (m_openBatches > 0)
        return;
    emit rowsAppended(index, index);
    setCurrentRow(index, false);
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
    // where the texts of the last of them end.
    if (first == 0) {
        m_textPages.clear();
        m_textPageUsed = kTextPageSize;
    } else {
        const Chunk& chunk = *m_chunks[size_t(first - 1) >> kChunkShift];
        const RowHead& kept = chunk.heads[(first - 1) & (kChunkRows - 1)];
        const uint64_t position = chunk.textStart + kept.textOffset;
        m_textPages.resize(size_t(position >> kTextPageShift) + 1);
        m_textPageUsed = qsizetype(position & (kTextPageSize - 1)) + kept.length[0] + kept.length[1] + kept.length[2];
    }
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
    if (m_pending)
        bytes += qsizetype(sizeof(PendingRow));
    return bytes;
}

qsizetype MeasurementTable::growthBound(qsizetype rows, qsizetype textBytes) const
{
    // Each count is one higher for the chunk and the page in use, which may be full already,
    // and the lists of both may double their capacity to take the new ones.
    const qsizetype chunks = rows / kChunkRows + 1;
    const qsizetype pages = textBytes / (kTextPageSize - kMaxRowText) + 1;
    const qsizetype lists = 2 * qsizetype(sizeof(m_chunks[0])) *
                            (qsizetype(m_chunks.size()) + chunks + qsizetype(m_textPages.size()) + pages);
    return chunks * qsizetype(sizeof(Chunk)) + pages * kTextPageSize + lists;
}
