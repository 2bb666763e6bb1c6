#pragma once

#include <QByteArrayView>
#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace measurement_storage {

// 12 bytes per row; the row's three texts follow one another in a text page, at textOffset
// bytes past where the texts of its chunk start.
struct RowHead {
    uint32_t textOffset;
    int32_t no;
    uint8_t length[3];  // Time, Value, Unit
    uint8_t present;    // bit n set: field n holds a value
};

}  // namespace measurement_storage

// One row of the measurement table as read back. The texts point into the table and stay
// valid until the table is emptied.
class MeasurementRow {
public:
    std::optional<int32_t> no() const
    {
        return (m_head->present & 1) ? std::optional<int32_t>(m_head->no) : std::nullopt;
    }
    std::optional<QByteArrayView> time() const { return text(1); }
    std::optional<QByteArrayView> value() const { return text(2); }
    std::optional<QByteArrayView> unit() const { return text(3); }

    // field 1 = Time, 2 = Value, 3 = Unit.
    std::optional<QByteArrayView> text(int field) const
    {
        if (!(m_head->present & (1u << field)))
            return std::nullopt;
        const char* p = m_text;
        for (int i = 0; i < field - 1; ++i)
            p += m_head->length[i];
        return QByteArrayView(p, m_head->length[field - 1]);
    }

private:
    friend class MeasurementTable;
    MeasurementRow(const measurement_storage::RowHead* head, const char* text) : m_head(head), m_text(text) {}
    const measurement_storage::RowHead* m_head;
    const char* m_text;
};

// The in-memory measurement table: the fields No (32-bit signed), Time, Value and Unit (texts
// of at most 20 bytes), each of which may hold no value at all, which is not the same as an
// empty text. Rows stay in the order they were appended; there is no deletion but emptying.
//
// Ten million rows must fit comfortably and appending must not slow down as the table grows,
// so nothing is ever reallocated: rows live in fixed-size chunks and their texts are packed
// into fixed-size pages, instead of one allocation per cell.
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
        const Chunk& chunk = *m_chunks[size_t(index) >> kChunkShift];
        const measurement_storage::RowHead& head = chunk.heads[index & (kChunkRows - 1)];
        return MeasurementRow(&head, textAt(chunk.textStart + head.textOffset));
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
        uint64_t textStart;                              // the position of its first row's texts
        measurement_storage::RowHead heads[kChunkRows];  // left uninitialised until written
    };
    const char* textAt(uint64_t position) const
    {
        return m_textPages[size_t(position >> kTextPageShift)].get() + (position & (kTextPageSize - 1));
    }
    struct PendingRow;

    void store(std::optional<int32_t> no, const std::optional<QByteArrayView> (&texts)[3]);
    void announceBatch();
    void setCurrentRow(int row, bool atEnd);
    PendingRow& pendingFor(int field);

    std::vector<std::unique_ptr<Chunk>> m_chunks;
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
