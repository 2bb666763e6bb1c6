#pragma once

#include "record/CompactRow.h"

#include <QByteArrayView>
#include <QObject>

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

// One row of the measurement table as read back. A text may be decoded into the row object
// itself, so a text is valid only as long as the row object it came from, and only until the
// table is emptied or loses that row.
class MeasurementRow {
public:
    std::optional<int32_t> no() const { return (m_present & 1) ? std::optional<int32_t>(m_no) : std::nullopt; }
    std::optional<QByteArrayView> time() const { return text(1); }
    std::optional<QByteArrayView> value() const { return text(2); }
    std::optional<QByteArrayView> unit() const { return text(3); }

    // field 1 = Time, 2 = Value, 3 = Unit.
    std::optional<QByteArrayView> text(int field) const
    {
        if (!(m_present & (1u << field)))
            return std::nullopt;
        if (m_shape) {
            switch (field) {
            case 1: return m_shape->decodeTime(m_word, m_time);
            case 2: return m_shape->decodeValue(m_word, m_value);
            default: return m_shape->unit();
            }
        }
        const qsizetype timeLength = qsizetype(m_word >> 5) & 31, valueLength = qsizetype(m_word >> 10) & 31;
        switch (field) {
        case 1: return QByteArrayView(m_text, timeLength);
        case 2: return QByteArrayView(m_text + timeLength, valueLength);
        default: return QByteArrayView(m_text + timeLength + valueLength, qsizetype(m_word >> 15) & 31);
        }
    }

private:
    friend class MeasurementTable;
    MeasurementRow(uint64_t word, const measurement_storage::RowShape* shape, const char* text, int32_t no,
                   uint8_t present)
        : m_word(word), m_shape(shape), m_text(text), m_no(no), m_present(present)
    {
    }

    // Where a compact row's Time and Value are spelt out when asked for; each field has its
    // own place, so asking for one leaves the view of another intact. Aligned, so that reading
    // a text just stored takes it straight from the store.
    alignas(16) mutable char m_time[16];
    mutable char m_value[8];
    uint64_t m_word;
    const measurement_storage::RowShape* m_shape;  // null for a row kept as written
    const char* m_text;                            // the texts of a row kept as written
    int32_t m_no;
    uint8_t m_present;
};

// The in-memory measurement table: the fields No (32-bit signed), Time, Value and Unit (texts
// of at most 20 bytes), each of which may hold no value at all, which is not the same as an
// empty text. Rows stay in the order they were appended; there is no deletion but emptying.
//
// Ten million rows must fit comfortably and appending must not slow down as the table grows,
// so nothing is ever reallocated: rows live in fixed-size chunks, one 64-bit word each (see
// CompactRow.h), and the texts of rows that are not the program's usual ones are packed into
// fixed-size pages, instead of one allocation per cell.
//
// Rows are added either in one call (appendRow) or through an edit buffer: append(), then set
// fields one at a time, then post(). A row left in the buffer is completed by the next
// operation that leaves editing when any of its fields was set, and dropped otherwise.
class MeasurementTable : public QObject {
    Q_OBJECT
public:
    enum Field : int { No = 0, Time = 1, Value = 2, Unit = 3 };
    static constexpr int kFieldCount = 4;
    static constexpr qsizetype kTextFieldSize = 20;

    explicit MeasurementTable(QObject* parent = nullptr);
    ~MeasurementTable() override;

    // Field names are matched without regard to case; -1 for a name that is not a field.
    static int fieldIndex(QByteArrayView name);

    int rowCount() const { return m_rowCount; }

    // Random access for the grid and the exporters; index must be below rowCount().
    MeasurementRow row(int index) const
    {
        using namespace measurement_storage;
        const Chunk& chunk = *m_chunks[size_t(index) >> kChunkShift];
        const int slot = index & (kChunkRows - 1);
        const uint64_t word = chunk.words[slot];
        const int64_t no = chunk.noBase + slot;
        if (word & 1) {
            const RowShape& shape = m_shapes.data()[(word >> 1) & (kShapeCount - 1)];
            return MeasurementRow(word, &shape, nullptr, int32_t(no + (int64_t(word) >> kCompactNoShift)),
                                  shape.present);
        }
        const char* text = textAt(chunk.textStart + ((word >> 20) & 0xFFFFFFFF));
        const int64_t noDelta = int64_t(word) >> kWrittenNoShift;
        int32_t written = 0;
        if (noDelta == kNoInPage) {
            std::memcpy(&written, text, sizeof written);
            text += sizeof written;
        }
        return MeasurementRow(word, nullptr, text, noDelta == kNoInPage ? written : int32_t(no + noDelta),
                              uint8_t(word >> 1) & 15);
    }

    // Appends and posts a complete row in one step; texts longer than 20 bytes are cut, and a
    // field given no value holds none.
    void appendRow(std::optional<int32_t> no, std::optional<QByteArrayView> time, std::optional<QByteArrayView> value,
                   std::optional<QByteArrayView> unit);

    // Rows appended while a batch is open are announced together when the last open batch
    // closes: one rowsAppended for all of them and one move of the current row. Loading
    // millions of rows would otherwise spend most of its time telling the grid about each one.
    class AppendBatch {
    public:
        explicit AppendBatch(MeasurementTable& table);
        ~AppendBatch();
        AppendBatch(const AppendBatch&) = delete;
        AppendBatch& operator=(const AppendBatch&) = delete;

    private:
        MeasurementTable& m_table;
    };

    // Edit buffer. Setting a field throws ProgramError when no row is being appended, when the
    // field does not exist, or when a text put into No is not a whole number. Texts put into
    // Time, Value and Unit are cut to 20 bytes; a number put into them is stored as its text.
    void append();
    void setField(int field, QByteArrayView text);
    void setField(int field, int32_t number);
    void setFieldByName(QByteArrayView name, QByteArrayView text);
    void setFieldByName(QByteArrayView name, int32_t number);
    // Stores the row being appended, whether or not any field was set.
    void post();
    // Stores the row being appended if any field was set, drops it otherwise.
    void finishEditing();

    // The current row: the last one posted, or where navigation moved it; -1 when empty.
    // Navigation leaves editing first.
    int currentRow() const { return m_currentRow; }
    void first();
    void next();
    void last();
    bool atEnd() const { return m_atEnd; }

    // Removes every row and restarts the change log; a row being appended is dropped.
    void empty();

    // Removes the newest rows, from `first` to the last, and gives their memory back: what a
    // load that failed had appended. The change log loses them with them. Readers that counted
    // rows learn of it through generation(), as of an emptying.
    void removeRowsFrom(int first);

    // Every appended row is logged as an insertion until the table is emptied, and nothing
    // else commits or clears the log, so the log holds exactly the rows in order.
    int changeLogCount() const { return m_rowCount; }

    // Changes whenever the table is emptied or loses rows, so a long reader can tell that the
    // rows it counted on are gone even if as many have been appended again meanwhile.
    quint64 generation() const { return m_generation; }

    // Bytes held by the table's storage.
    qsizetype memoryUsage() const;
    // The most that appending `rows` rows with `textBytes` bytes of text in all could add to
    // memoryUsage(), for a reader that must stop before the table outgrows the memory.
    qsizetype growthBound(qsizetype rows, qsizetype textBytes) const;

signals:
    // Emitted after the rows first..last have been stored.
    void rowsAppended(int first, int last);
    // Emitted after the rows first..last, the last ones, have been removed.
    void rowsRemoved(int first, int last);
    void emptied();
    void currentRowChanged(int row);

private:
    static constexpr int kChunkShift = 12;
    static constexpr int kChunkRows = 1 << kChunkShift;
    static constexpr int kTextPageShift = 16;
    static constexpr qsizetype kTextPageSize = qsizetype(1) << kTextPageShift;

    // Texts are placed by their position in the text pages taken one after another: page
    // position >> kTextPageShift, at the position's low bits in it. A chunk's rows have theirs
    // within a few pages, so a row keeps 32 bits of it where a pointer would take 64.
    struct Chunk {
        uint64_t textStart;  // the position where the texts of its rows start
        // What the text pages held when the chunk was started, to go back to.
        uint32_t textPagesAtStart;
        uint32_t textPageUsedAtStart;
        // The No of a row is noBase + its slot + what its word adds, so a No counting up with
        // the rows adds nothing. Set by the first row with a No (noBaseSlot), 0 until then.
        int64_t noBase;
        int32_t noBaseSlot;
        uint64_t words[kChunkRows];  // left uninitialised until written
    };
    const char* textAt(uint64_t position) const
    {
        return m_textPages[size_t(position >> kTextPageShift)].get() + (position & (kTextPageSize - 1));
    }
    uint64_t textEnd() const;
    static qsizetype writtenSize(uint64_t word);
    uint64_t storeAsWritten(Chunk& chunk, uint8_t present, int32_t no, int64_t noDelta,
                            const QByteArrayView (&texts)[3]);
    struct PendingRow;

    void store(std::optional<int32_t> no, const std::optional<QByteArrayView> (&texts)[3]);
    void announceBatch();
    void setCurrentRow(int row, bool atEnd);
    PendingRow& pendingFor(int field);

    std::vector<std::unique_ptr<Chunk>> m_chunks;
    measurement_storage::RowShapes m_shapes;
    std::vector<std::unique_ptr<char[]>> m_textPages;
    qsizetype m_textPageUsed = kTextPageSize;  // bytes used in the last page
    int m_rowCount = 0;
    int m_currentRow = -1;
    bool m_atEnd = true;
    quint64 m_generation = 0;
    std::unique_ptr<PendingRow> m_pending;
    int m_openBatches = 0;
    int m_batchFirstRow = 0;
};
