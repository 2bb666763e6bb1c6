#include "journal/JournalSalvage.h"

#include "journal/SkippingScan.h"

#include <QFile>

#include <sqlite3.h>

#include <limits>
#include <map>
#include <optional>

namespace {

constexpr int64_t kNoBound = std::numeric_limits<int64_t>::max();

// A statement on the damaged journal; null when it cannot even be prepared (a damaged schema, or
// no database at all).
class Query {
public:
    Query(sqlite3* db, const char* sql)
    {
        if (db)
            sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
    }
    ~Query() { sqlite3_finalize(m_statement); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    explicit operator bool() const { return m_statement != nullptr; }
    operator sqlite3_stmt*() const { return m_statement; }

private:
    sqlite3_stmt* m_statement = nullptr;
};

QByteArray textColumn(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return QByteArray(text, sqlite3_column_bytes(statement, column));
}

// What the damaged journal's list of recordings says of one of them.
struct Listed {
    QDateTime started;
    QByteArray status;
    int64_t savedRows = 0;
};

// The damaged journal, read only: everything in it that can still be read, and nothing else.
class DamagedJournal {
public:
    explicit DamagedJournal(const QString& path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW,
                            nullptr)
            != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
            return;
        }
        // Finds more of the damage when a page is read, before a torn cell is taken for a row.
        sqlite3_exec(m_db, "PRAGMA cell_size_check=ON", nullptr, nullptr, nullptr);
    }
    ~DamagedJournal() { sqlite3_close(m_db); }
    DamagedJournal(const DamagedJournal&) = delete;
    DamagedJournal& operator=(const DamagedJournal&) = delete;

    // Every recording the list names, and every other one its readings name (without what the
    // list would have said of it).
    std::map<int64_t, std::optional<Listed>> recordings()
    {
        std::map<int64_t, std::optional<Listed>> found;
        if (Query list{m_db, "SELECT id, started, status, saved_rows FROM recordings WHERE id >= ?1 ORDER BY id"}) {
            SkippingScan scan(list, kNoBound);
            for (bool more = scan.seek(0); more; more = scan.next())
                found[scan.key()] = Listed{QDateTime::fromMSecsSinceEpoch(sqlite3_column_int64(list, 1), Qt::UTC),
                                           textColumn(list, 2), sqlite3_column_int64(list, 3)};
        }
        // One seek to each recording's first row, not a walk over all of them.
        if (Query named{m_db, "SELECT recording FROM readings WHERE recording >= ?1 ORDER BY recording"}) {
            SkippingScan scan(named, kNoBound);
            for (bool more = scan.seek(0); more; more = scan.seekPast())
                found.try_emplace(scan.key());
        }
        return found;
    }

    // The number of the recording's rows, from its last one; none when that cannot be read.
    std::optional<int64_t> rowCount(int64_t recording)
    {
        Query last{m_db, "SELECT max(seq) FROM readings WHERE recording = ?1"};
        if (!last)
            return std::nullopt;
        sqlite3_bind_int64(last, 1, recording);
        if (sqlite3_step(last) != SQLITE_ROW)
            return std::nullopt;
        return sqlite3_column_type(last, 0) == SQLITE_NULL ? 0 : sqlite3_column_int64(last, 0) + 1;
    }

    // More rows than any recording in the file can hold: the bound of a search for rows past
    // damage when the recording's last row cannot be read.
    int64_t rowsAtMost()
    {
        // A row takes its cell's place on the page, its size and a header of a byte for each
        // of its ten columns at least.
        constexpr int64_t kLeastRowBytes = 2 + 1 + 1 + 10;
        Query size{m_db, "SELECT page_count * page_size FROM pragma_page_count, pragma_page_size"};
        if (!size || sqlite3_step(size) != SQLITE_ROW)
            return kNoBound;
        return sqlite3_column_int64(size, 0) / kLeastRowBytes;
    }

    // Visits the recording's rows that can be read, in order, with their seq.
    template <typename Visit>
    void forEachRow(int64_t recording, int64_t highestSeq, Visit visit)
    {
        Query select{m_db, "SELECT seq, no, time, value_text, unit_text, taken_at, utc_offset, value, unit "
                           "FROM readings WHERE recording = ?2 AND seq >= ?1 ORDER BY seq"};
        if (!select)
            return;
        sqlite3_bind_int64(select, 2, recording);
        SkippingScan scan(select, highestSeq);
        for (bool more = scan.seek(0); more; more = scan.next())
            visit(scan.key(), JournalDatabase::rowAt(select, 1));
    }

private:
    sqlite3* m_db = nullptr;
};

SalvagedRecording copyRecording(DamagedJournal& damaged, int64_t damagedId, const std::optional<Listed>& listed,
                                std::optional<int64_t> rowCount, JournalDatabase& into, const QDateTime& now)
{
    SalvagedRecording copied{.damagedId = damagedId};
    const int64_t savedRows = listed ? listed->savedRows : 0;
    int64_t stillSaved = 0;
    int64_t highestSeen = -1;
    const int64_t highestSeq = rowCount ? *rowCount - 1 : damaged.rowsAtMost();
    damaged.forEachRow(damagedId, highestSeq, [&](int64_t seq, const JournalRow& row) {
        if (copied.id == 0)
            copied.id = into.createRecording(listed ? listed->started : row.takenAt);
        into.appendRow(copied.id, copied.rows++, row);
        if (seq < savedRows)
            ++stillSaved;
        highestSeen = seq;
    });
    copied.unreadable = rowCount.value_or(highestSeen + 1) - copied.rows;
    if (stillSaved > 0)
        into.setSavedRows(copied.id, stillSaved, now);
    return copied;
}

}  // namespace

int64_t JournalSalvage::rows() const
{
    int64_t sum = 0;
    for (const SalvagedRecording& recording : recordings)
        sum += recording.rows;
    return sum;
}

int64_t JournalSalvage::unreadable() const
{
    int64_t sum = 0;
    for (const SalvagedRecording& recording : recordings)
        sum += recording.unreadable;
    return sum;
}

JournalSalvage salvageUnsavedRecordings(const QString& damagedPath, JournalDatabase& into, const QDateTime& now)
{
    DamagedJournal damaged(damagedPath);
    JournalSalvage salvage;
    into.begin();
    try {
        for (const auto& [id, listed] : damaged.recordings()) {
            const std::optional<int64_t> rowCount = damaged.rowCount(id);
            // A recording whose last row cannot be read may hold rows never saved.
            const bool unsaved = !rowCount || *rowCount > (listed ? listed->savedRows : 0);
            if (!unsaved || (listed && listed->status != "recording"))
                continue;
            const SalvagedRecording copied = copyRecording(damaged, id, listed, rowCount, into, now);
            // Of a recording none of whose rows can be read, and not even how many there were,
            // there is nothing to tell.
            if (copied.rows > 0 || copied.unreadable > 0)
                salvage.recordings.push_back(copied);
        }
        into.commit();
    } catch (...) {
        into.rollback();
        throw;
    }
    return salvage;
}
