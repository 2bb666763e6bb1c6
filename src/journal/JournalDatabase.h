#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// One journalled row: what the table shows, byte for byte, and what it cannot: the full date
// and time of the reading, the value as a number and the unit by name.
struct JournalRow {
    std::optional<int32_t> no;
    QByteArray time;
    QByteArray valueText;
    QByteArray unitText;
    QDateTime takenAt;  // with its offset from UTC
    std::optional<double> value;
    QByteArray unit;  // "C" or "F", empty when the frame named neither
    bool operator==(const JournalRow&) const = default;
};

// One recording as the journal lists it.
struct JournalRecording {
    int64_t id = 0;
    QDateTime first;  // of its first and last rows; invalid while it holds none
    QDateTime last;
    int64_t rows = 0;
    int64_t savedRows = 0;  // rows 0 .. savedRows - 1 went into a saved file
    QString status;         // "recording", "emptied", "declined"
    bool saved() const { return rows > 0 && savedRows >= rows; }
};

// Why the journal cannot keep readings safe, in words for the user.
class JournalError : public std::runtime_error {
public:
    enum class Kind { Unwritable, Full, Locked, Corrupt, Newer, Other };
    JournalError(Kind kind, const std::string& what) : std::runtime_error(what), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// The recording journal's SQLite database: its schema, and the statements that write and read
// it. One connection per thread; every failure throws JournalError.
//
// Schema (user_version 2; version 1 differed only in letting a removed recording's id be used again):
//   recordings(id INTEGER PRIMARY KEY AUTOINCREMENT, started INTEGER, updated INTEGER, status TEXT,
//              saved_rows INTEGER)                         -- times in ms since 1970 UTC
//   readings(recording, seq, no, time, value_text, unit_text, taken_at, utc_offset, value, unit)
//            PRIMARY KEY (recording, seq), WITHOUT ROWID   -- seq: the row's place, from 0, without gaps
//   readings_iso: a view of readings with taken_at as ISO 8601 text with its UTC offset
class JournalDatabase {
public:
    static constexpr int kSchemaVersion = 2;

    enum class Access {
        // Creates the file (0600) and its schema as needed, in WAL mode with full syncs.
        ReadWrite,
        // Changes nothing on disk, not even on a read-only folder or mount: no schema, no
        // write-ahead log of its own, no change of journal mode. A file without tables reads as a
        // journal without recordings.
        ReadOnly,
    };

    // Opens the database and checks its schema: a database from a newer version throws Newer,
    // one that is no database Corrupt. A link in place of the file (or of its write-ahead log)
    // is never followed: it throws Corrupt, so it is set aside like a damaged file.
    explicit JournalDatabase(const QString& path, Access access = Access::ReadWrite);
    ~JournalDatabase();
    JournalDatabase(const JournalDatabase&) = delete;
    JournalDatabase& operator=(const JournalDatabase&) = delete;

    // A read-only journal that nothing was writing is read without locks; throws Other when a
    // program began writing it since it was opened, so that what was read may be torn. Readers of
    // many rows call it at the end.
    void checkReadWhole() const;

    void begin();
    // The write-ahead log is never copied back into the database here (JournalCheckpointer does
    // that elsewhere), so a commit costs the log's one sync and no more.
    void commit();
    // Pages in the write-ahead log after the last commit.
    int logPages() const { return m_logPages; }
    void rollback() noexcept;

    // A new recording, started now; its id was never used before in this database.
    int64_t createRecording(const QDateTime& now);
    // No recording created from now on gets an id at or below `id`: ids that lock files beside
    // the database may still name are never handed out again, even by a new database.
    void keepIdsAbove(int64_t id);
    // Whether the recording is still there (housekeeping or another program may have removed it).
    bool holdsRecording(int64_t recording);
    void appendRow(int64_t recording, int64_t seq, const JournalRow& row);
    void setStatus(int64_t recording, const QString& status, const QDateTime& now);
    void setSavedRows(int64_t recording, int64_t savedRows, const QDateTime& now);

    std::vector<JournalRecording> recordings();
    std::optional<JournalRecording> recording(int64_t id);
    std::vector<JournalRow> rows(int64_t recording);
    // The same rows one at a time, so an export of ten million holds one row, not all of them.
    using RowVisitor = std::function<void(const JournalRow& row)>;
    // The row a statement stands on, from its columns no, time, value_text, unit_text, taken_at,
    // utc_offset, value and unit, the first of them at `first`.
    static JournalRow rowAt(sqlite3_stmt* statement, int first);
    void forEachRow(int64_t recording, const RowVisitor& visit);
    // The table's texts of every row of the recording, in order, straight from the database,
    // with the reading the chart plotted: a restore of a million rows builds nothing else.
    using TableRowVisitor = std::function<void(std::optional<int32_t> no, QByteArrayView time, QByteArrayView value,
                                               QByteArrayView unit, float reading)>;
    void forEachTableRow(int64_t recording, const TableRowVisitor& visit);
    // The recordings saved whole or emptied and not touched since `before`, oldest first.
    std::vector<int64_t> finishedBefore(const QDateTime& before);
    // Removes up to `rows` of the recording's rows, and the recording itself once none are left;
    // returns how many rows went. Each call is one short transaction, so a long recording is
    // removed in steps that never hold the journal up for long.
    int64_t removeSome(int64_t recording, int64_t rows);

private:
    // `doing` names what failed in the error, such as "reading the journal".
    void exec(const char* sql, const char* doing);
    sqlite3_stmt* prepare(const char* sql, const char* doing);
    [[noreturn]] void fail(int code, const char* doing);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_append = nullptr;
    bool m_empty = false;  // a file without the journal's tables, read only
    int m_logPages = 0;
    QByteArray m_file;
    QByteArray m_unlockedState;  // of the file when read without locks; empty otherwise
};
