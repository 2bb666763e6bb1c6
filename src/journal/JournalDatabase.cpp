#include "journal/JournalDatabase.h"

#include <QFile>
#include <QUrl>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How long a statement waits for another program's transaction before the journal gives up.
constexpr int kBusyTimeoutMs = 2000;

// Readings are the user's own: no other local user reads them.
constexpr mode_t kFileMode = 0600;

// AUTOINCREMENT, so that the id of a removed recording never names another one: a program that
// still writes to it (or its lock file) cannot mix its rows into a stranger's.
const char* const kRecordingsTable = R"sql(
CREATE TABLE recordings(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  started INTEGER NOT NULL,
  updated INTEGER NOT NULL,
  status TEXT NOT NULL DEFAULT 'recording',
  saved_rows INTEGER NOT NULL DEFAULT 0
);
)sql";

const char* const kSchema = R"sql(
CREATE TABLE readings(
  recording INTEGER NOT NULL REFERENCES recordings(id),
  seq INTEGER NOT NULL,
  no INTEGER,
  time TEXT,
  value_text TEXT,
  unit_text TEXT,
  taken_at INTEGER NOT NULL,
  utc_offset INTEGER NOT NULL,
  value REAL,
  unit TEXT,
  PRIMARY KEY(recording, seq)
) WITHOUT ROWID;
CREATE VIEW readings_iso AS
SELECT recording, seq, no, time, value_text, unit_text,
       strftime('%Y-%m-%dT%H:%M:%f', taken_at / 1000.0, 'unixepoch', utc_offset || ' seconds')
         || CASE WHEN utc_offset < 0 THEN '-' ELSE '+' END
         || printf('%02d:%02d', abs(utc_offset) / 3600, abs(utc_offset) % 3600 / 60) AS taken_at,
       value, unit
FROM readings;
)sql";

JournalError::Kind kindOf(int code)
{
    switch (code & 0xFF) {
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return JournalError::Kind::Unwritable;
    case SQLITE_FULL:
        return JournalError::Kind::Full;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return JournalError::Kind::Locked;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return JournalError::Kind::Corrupt;
    default:
        return JournalError::Kind::Other;
    }
}

QDateTime dateTimeOf(int64_t msSinceEpoch, int utcOffsetSeconds)
{
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch, Qt::OffsetFromUTC, utcOffsetSeconds);
}

// Texts are kept byte for byte, as the table holds them; the instrument's are plain ASCII, so
// other tools read them as the UTF-8 text SQLite expects.
QByteArrayView textView(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return QByteArrayView(text, sqlite3_column_bytes(statement, column));
}

QByteArray textColumn(sqlite3_stmt* statement, int column)
{
    return textView(statement, column).toByteArray();
}

void bindText(sqlite3_stmt* statement, int index, const QByteArray& bytes)
{
    sqlite3_bind_text(statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

// Finalizes a prepared statement when it goes out of scope.
struct Statement {
    sqlite3_stmt* handle;
    ~Statement() { sqlite3_finalize(handle); }
    operator sqlite3_stmt*() const { return handle; }
};

bool isLink(const QByteArray& path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool exists(const QByteArray& path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0;
}

// The journal's files are created 0600 (SQLite gives its log and index the database's mode), and
// those an earlier version left readable by others are narrowed.
void keepPrivate(const QByteArray& file)
{
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kFileMode);
    if (fd < 0)
        return;  // SQLite's own open then says why
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0777) != kFileMode)
        ::fchmod(fd, kFileMode);
    ::close(fd);
}

// What changes when a program writes the file: its identity, size and time of change.
QByteArray fileState(const QByteArray& path)
{
    struct stat info;
    if (::stat(path.constData(), &info) != 0)
        return "gone";
    return QByteArray::number(qulonglong(info.st_ino)) + ' ' + QByteArray::number(qlonglong(info.st_size)) + ' '
           + QByteArray::number(qlonglong(info.st_mtim.tv_sec)) + '.' + QByteArray::number(qlonglong(info.st_mtim.tv_nsec));
}

// A URI, so that the query can say how to read; the path's own '?' and '#' are escaped.
QByteArray readOnlyUri(const QString& path, bool immutable)
{
    return QByteArray("file:") + QUrl::toPercentEncoding(path, "/") + "?mode=ro" + (immutable ? "&immutable=1" : "");
}

}  // namespace

JournalDatabase::JournalDatabase(const QString& path, Access access) : m_file(QFile::encodeName(path))
{
    const QByteArray& file = m_file;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        if (isLink(file + suffix))
            throw JournalError(JournalError::Kind::Corrupt, "the journal's file " + (file + suffix).toStdString()
                                                                + " is a link, not the journal itself");
    }
    int flags = SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
    QByteArray name = file;
    if (access == Access::ReadWrite) {
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        for (const char* suffix : {"", "-wal", "-shm"}) {
            if (*suffix == 0 || exists(file + suffix))
                keepPrivate(file + suffix);
        }
    } else {
        // Without a write-ahead log nothing is being written (a writer keeps one while it has
        // the database open), so the file can be read as it is, with no index file beside it:
        // this is what lets a read-only folder or mount be read at all.
        flags |= SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
        const bool unlocked = !exists(file + "-wal");
        if (unlocked)
            m_unlockedState = fileState(file);
        name = readOnlyUri(path, unlocked);
    }
    // Each connection stays on the thread that opened it, so SQLite need not lock around every call.
    const int opened = sqlite3_open_v2(name.constData(), &m_db, flags, nullptr);
    if (opened != SQLITE_OK) {
        const JournalError error(kindOf(opened), std::string("cannot open the journal: ")
                                                     + (m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(opened)));
        sqlite3_close(m_db);
        throw error;
    }
    try {
        sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
        if (access == Access::ReadWrite) {
            exec("PRAGMA journal_mode=WAL", "opening the journal");
            exec("PRAGMA synchronous=FULL", "opening the journal");
            // Replaces SQLite's own copying of the log after a commit.
            sqlite3_wal_hook(
                m_db,
                [](void* self, sqlite3*, const char*, int pages) {
                    static_cast<JournalDatabase*>(self)->m_logPages = pages;
                    return SQLITE_OK;
                },
                this);
            // Reading a long recording back straight from the mapped file saves copying every page.
            exec("PRAGMA mmap_size=1073741824", "opening the journal");
        }
        Statement version{prepare("PRAGMA user_version", "opening the journal")};
        if (sqlite3_step(version) != SQLITE_ROW)
            fail(sqlite3_errcode(m_db), "reading the journal's version");
        const int found = sqlite3_column_int(version, 0);
        sqlite3_reset(version);
        if (found > kSchemaVersion)
            throw JournalError(JournalError::Kind::Newer, "the journal was written by a newer version of the program");
        m_empty = found == 0;
        if (access == Access::ReadWrite && found < kSchemaVersion) {
            begin();
            if (found == 0) {
                exec(kRecordingsTable, "setting up the journal");
                exec(kSchema, "setting up the journal");
            } else {
                // Only the recordings' ids changed: they are copied into a table that never
                // hands out an id twice.
                exec("ALTER TABLE recordings RENAME TO recordings_v1", "setting up the journal");
                exec(kRecordingsTable, "setting up the journal");
                exec("INSERT INTO recordings SELECT id, started, updated, status, saved_rows FROM recordings_v1;"
                     "DROP TABLE recordings_v1;",
                     "setting up the journal");
            }
            exec("PRAGMA user_version=2", "setting up the journal");
            commit();
            m_empty = false;
        }
        if (access == Access::ReadWrite)
            m_append = prepare("INSERT INTO readings(recording, seq, no, time, value_text, unit_text, taken_at, "
                               "utc_offset, value, unit) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                               "opening the journal");
    } catch (...) {
        sqlite3_finalize(m_append);
        sqlite3_close(m_db);
        throw;
    }
}

JournalDatabase::~JournalDatabase()
{
    sqlite3_finalize(m_append);
    sqlite3_close(m_db);
}

void JournalDatabase::fail(int code, const char* doing)
{
    throw JournalError(kindOf(code), std::string(doing) + ": " + sqlite3_errmsg(m_db));
}

void JournalDatabase::exec(const char* sql, const char* doing)
{
    const int result = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK)
        fail(result, doing);
}

sqlite3_stmt* JournalDatabase::prepare(const char* sql, const char* doing)
{
    sqlite3_stmt* statement = nullptr;
    const int result = sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
    if (result != SQLITE_OK)
        fail(result, doing);
    return statement;
}

void JournalDatabase::checkReadWhole() const
{
    if (!m_unlockedState.isEmpty() && (exists(m_file + "-wal") || fileState(m_file) != m_unlockedState))
        throw JournalError(JournalError::Kind::Other,
                           "a program began recording into the journal while it was read; run the command again");
}

void JournalDatabase::begin()
{
    exec("BEGIN IMMEDIATE", "writing the journal");
}

void JournalDatabase::commit()
{
    exec("COMMIT", "writing the journal");
}

void JournalDatabase::rollback() noexcept
{
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

int64_t JournalDatabase::createRecording(const QDateTime& now)
{
    Statement insert{prepare("INSERT INTO recordings(started, updated) VALUES(?, ?)", "writing the journal")};
    sqlite3_bind_int64(insert, 1, now.toMSecsSinceEpoch());
    sqlite3_bind_int64(insert, 2, now.toMSecsSinceEpoch());
    const int result = sqlite3_step(insert);
    if (result != SQLITE_DONE)
        fail(result, "writing the journal");
    return sqlite3_last_insert_rowid(m_db);
}

void JournalDatabase::appendRow(int64_t recording, int64_t seq, const JournalRow& row)
{
    sqlite3_stmt* s = m_append;
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    sqlite3_bind_int64(s, 1, recording);
    sqlite3_bind_int64(s, 2, seq);
    if (row.no)
        sqlite3_bind_int(s, 3, *row.no);
    bindText(s, 4, row.time);
    bindText(s, 5, row.valueText);
    bindText(s, 6, row.unitText);
    sqlite3_bind_int64(s, 7, row.takenAt.toMSecsSinceEpoch());
    sqlite3_bind_int(s, 8, row.takenAt.offsetFromUtc());
    if (row.value)
        sqlite3_bind_double(s, 9, *row.value);
    if (!row.unit.isEmpty())
        bindText(s, 10, row.unit);
    const int result = sqlite3_step(s);
    if (result != SQLITE_DONE)
        fail(result, "writing the journal");
}

void JournalDatabase::setStatus(int64_t recording, const QString& status, const QDateTime& now)
{
    Statement update{prepare("UPDATE recordings SET status = ?, updated = ? WHERE id = ?", "writing the journal")};
    bindText(update, 1, status.toLocal8Bit());
    sqlite3_bind_int64(update, 2, now.toMSecsSinceEpoch());
    sqlite3_bind_int64(update, 3, recording);
    const int result = sqlite3_step(update);
    if (result != SQLITE_DONE)
        fail(result, "writing the journal");
}

void JournalDatabase::setSavedRows(int64_t recording, int64_t savedRows, const QDateTime& now)
{
    Statement update{prepare("UPDATE recordings SET saved_rows = max(saved_rows, ?), updated = ? WHERE id = ?",
                                     "writing the journal")};
    sqlite3_bind_int64(update, 1, savedRows);
    sqlite3_bind_int64(update, 2, now.toMSecsSinceEpoch());
    sqlite3_bind_int64(update, 3, recording);
    const int result = sqlite3_step(update);
    if (result != SQLITE_DONE)
        fail(result, "writing the journal");
}

std::vector<JournalRecording> JournalDatabase::recordings()
{
    if (m_empty)
        return {};
    // A recording's rows are numbered from 0 without gaps, so its last row tells their number
    // without reading them all.
    Statement select{prepare(
        "SELECT r.id, r.status, r.saved_rows, l.seq, "
        "  f.taken_at, f.utc_offset, l.taken_at, l.utc_offset "
        "FROM recordings r "
        "LEFT JOIN readings f ON f.recording = r.id AND f.seq = 0 "
        "LEFT JOIN readings l ON l.recording = r.id "
        "  AND l.seq = (SELECT max(seq) FROM readings WHERE recording = r.id) "
        "ORDER BY r.id",
        "reading the journal")};
    std::vector<JournalRecording> found;
    int result;
    while ((result = sqlite3_step(select)) == SQLITE_ROW) {
        JournalRecording recording;
        recording.id = sqlite3_column_int64(select, 0);
        recording.status = QString::fromUtf8(textColumn(select, 1));
        recording.savedRows = sqlite3_column_int64(select, 2);
        if (sqlite3_column_type(select, 3) != SQLITE_NULL)
            recording.rows = sqlite3_column_int64(select, 3) + 1;
        if (sqlite3_column_type(select, 4) != SQLITE_NULL)
            recording.first = dateTimeOf(sqlite3_column_int64(select, 4), sqlite3_column_int(select, 5));
        if (sqlite3_column_type(select, 6) != SQLITE_NULL)
            recording.last = dateTimeOf(sqlite3_column_int64(select, 6), sqlite3_column_int(select, 7));
        found.push_back(recording);
    }
    if (result != SQLITE_DONE)
        fail(result, "reading the journal");
    return found;
}

std::optional<JournalRecording> JournalDatabase::recording(int64_t id)
{
    for (const JournalRecording& recording : recordings()) {
        if (recording.id == id)
            return recording;
    }
    return std::nullopt;
}

std::vector<JournalRow> JournalDatabase::rows(int64_t recording)
{
    std::vector<JournalRow> found;
    forEachRow(recording, [&found](const JournalRow& row) { found.push_back(row); });
    return found;
}

JournalRow JournalDatabase::rowAt(sqlite3_stmt* statement, int first)
{
    JournalRow row;
    if (sqlite3_column_type(statement, first) != SQLITE_NULL)
        row.no = sqlite3_column_int(statement, first);
    row.time = textColumn(statement, first + 1);
    row.valueText = textColumn(statement, first + 2);
    row.unitText = textColumn(statement, first + 3);
    row.takenAt = dateTimeOf(sqlite3_column_int64(statement, first + 4), sqlite3_column_int(statement, first + 5));
    if (sqlite3_column_type(statement, first + 6) != SQLITE_NULL)
        row.value = sqlite3_column_double(statement, first + 6);
    row.unit = textColumn(statement, first + 7);
    return row;
}

void JournalDatabase::forEachRow(int64_t recording, const RowVisitor& visit)
{
    Statement select{prepare("SELECT no, time, value_text, unit_text, taken_at, utc_offset, value, unit "
                             "FROM readings WHERE recording = ? ORDER BY seq",
                             "reading the journal")};
    sqlite3_bind_int64(select, 1, recording);
    int result;
    while ((result = sqlite3_step(select)) == SQLITE_ROW)
        visit(rowAt(select, 0));
    if (result != SQLITE_DONE)
        fail(result, "reading the journal");
}

void JournalDatabase::forEachTableRow(int64_t recording, const TableRowVisitor& visit)
{
    Statement select{
        prepare("SELECT no, time, value_text, unit_text, value FROM readings WHERE recording = ? ORDER BY seq",
                "reading the journal")};
    sqlite3_bind_int64(select, 1, recording);
    int result;
    while ((result = sqlite3_step(select)) == SQLITE_ROW) {
        std::optional<int32_t> no;
        if (sqlite3_column_type(select, 0) != SQLITE_NULL)
            no = sqlite3_column_int(select, 0);
        visit(no, textView(select, 1), textView(select, 2), textView(select, 3), float(sqlite3_column_double(select, 4)));
    }
    if (result != SQLITE_DONE)
        fail(result, "reading the journal");
}

void JournalDatabase::keepIdsAbove(int64_t id)
{
    // sqlite_sequence holds the highest id handed out; it has no row before the first one.
    Statement raise{prepare("UPDATE sqlite_sequence SET seq = max(seq, ?1) WHERE name = 'recordings'", "writing the journal")};
    sqlite3_bind_int64(raise, 1, id);
    int result = sqlite3_step(raise);
    if (result != SQLITE_DONE)
        fail(result, "writing the journal");
    if (sqlite3_changes64(m_db) == 0) {
        Statement insert{prepare("INSERT INTO sqlite_sequence(name, seq) VALUES('recordings', ?1)", "writing the journal")};
        sqlite3_bind_int64(insert, 1, id);
        result = sqlite3_step(insert);
        if (result != SQLITE_DONE)
            fail(result, "writing the journal");
    }
}

bool JournalDatabase::holdsRecording(int64_t recording)
{
    Statement select{prepare("SELECT 1 FROM recordings WHERE id = ?", "reading the journal")};
    sqlite3_bind_int64(select, 1, recording);
    const int result = sqlite3_step(select);
    if (result != SQLITE_ROW && result != SQLITE_DONE)
        fail(result, "reading the journal");
    return result == SQLITE_ROW;
}

std::vector<int64_t> JournalDatabase::finishedBefore(const QDateTime& before)
{
    Statement select{prepare("SELECT id FROM recordings r WHERE updated < ? AND (status = 'emptied' OR saved_rows >= "
                             " coalesce((SELECT max(seq) + 1 FROM readings WHERE recording = r.id), 0)) ORDER BY id",
                             "tidying the journal")};
    sqlite3_bind_int64(select, 1, before.toMSecsSinceEpoch());
    std::vector<int64_t> found;
    int result;
    while ((result = sqlite3_step(select)) == SQLITE_ROW)
        found.push_back(sqlite3_column_int64(select, 0));
    if (result != SQLITE_DONE)
        fail(result, "tidying the journal");
    return found;
}

int64_t JournalDatabase::removeSome(int64_t recording, int64_t rows)
{
    begin();
    try {
        // From the last row down, so that what is left of a recording removed half-way is still
        // numbered from 0 without gaps.
        Statement remove{prepare("DELETE FROM readings WHERE recording = ?1 AND seq > "
                                 "(SELECT max(seq) FROM readings WHERE recording = ?1) - ?2",
                                 "tidying the journal")};
        sqlite3_bind_int64(remove, 1, recording);
        sqlite3_bind_int64(remove, 2, rows);
        int result = sqlite3_step(remove);
        if (result != SQLITE_DONE)
            fail(result, "tidying the journal");
        const int64_t removed = sqlite3_changes64(m_db);
        if (removed == 0) {
            Statement forget{prepare("DELETE FROM recordings WHERE id = ?", "tidying the journal")};
            sqlite3_bind_int64(forget, 1, recording);
            result = sqlite3_step(forget);
            if (result != SQLITE_DONE)
                fail(result, "tidying the journal");
        }
        commit();
        return removed;
    } catch (...) {
        rollback();
        throw;
    }
}
