#include "session/JournalDatabase.h"


#include <sqlite3.h>

namespace {

// How long a statement waits for another program's transaction before the journal gives up.
constexpr int kBusyTimeoutMs = 2000;

const char* const kSchema = R"sql(
CREATE TABLE recordings(
  id INTEGER PRIMARY KEY,
  started INTEGER NOT NULL,
  updated INTEGER NOT NULL,
  status TEXT NOT NULL DEFAULT 'recording',
  saved_rows INTEGER NOT NULL DEFAULT 0
);
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

}  // namespace

JournalDatabase::JournalDatabase(const QString& path)
{
    const QByteArray file = path.toLocal8Bit();
    // Each connection stays on the thread that opened it, so SQLite need not lock around every call.
    const int opened = sqlite3_open_v2(file.constData(), &m_db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (opened != SQLITE_OK) {
        const JournalError error(kindOf(opened), std::string("cannot open the journal: ")
                                                     + (m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(opened)));
        sqlite3_close(m_db);
        throw error;
    }
    try {
        sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=FULL");
        // Reading a long recording back straight from the mapped file saves copying every page.
        exec("PRAGMA mmap_size=1073741824");
        Statement version{prepare("PRAGMA user_version")};
        if (sqlite3_step(version) != SQLITE_ROW)
            fail(sqlite3_errcode(m_db), "reading the journal's version");
        const int found = sqlite3_column_int(version, 0);
        if (found > kSchemaVersion)
            throw JournalError(JournalError::Kind::Newer, "the journal was written by a newer version of the program");
        if (found == 0) {
            begin();
            exec(kSchema);
            exec("PRAGMA user_version=1");
            commit();
        }
        m_append = prepare("INSERT INTO readings(recording, seq, no, time, value_text, unit_text, taken_at, "
                           "utc_offset, value, unit) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
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

void JournalDatabase::exec(const char* sql)
{
    const int result = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK)
        fail(result, "writing the journal");
}

sqlite3_stmt* JournalDatabase::prepare(const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    const int result = sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
    if (result != SQLITE_OK)
        fail(result, "reading the journal");
    return statement;
}

void JournalDatabase::begin()
{
    exec("BEGIN IMMEDIATE");
}

void JournalDatabase::commit()
{
    exec("COMMIT");
}

void JournalDatabase::rollback() noexcept
{
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

int64_t JournalDatabase::createRecording(const QDateTime& now)
{
    Statement insert{prepare("INSERT INTO recordings(started, updated) VALUES(?, ?)")};
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
    Statement update{prepare("UPDATE recordings SET status = ?, updated = ? WHERE id = ?")};
    bindText(update, 1, status.toLocal8Bit());
    sqlite3_bind_int64(update, 2, now.toMSecsSinceEpoch());
    sqlite3_bind_int64(update, 3, recording);
    const int result = sqlite3_step(update);
    if (result != SQLITE_DONE)
        fail(result, "writing the journal");
}

void JournalDatabase::setSavedRows(int64_t recording, int64_t savedRows, const QDateTime& now)
{
    Statement update{prepare("UPDATE recordings SET saved_rows = max(saved_rows, ?), updated = ? WHERE id = ?")};
    sqlite3_bind_int64(update, 1, savedRows);
    sqlite3_bind_int64(update, 2, now.toMSecsSinceEpoch());
    sqlite3_bind_int64(update, 3, recording);
    const int result = sqlite3_step(update);
    if (result != SQLITE_DONE)
        fail(result, "writing the journal");
}

std::vector<JournalRecording> JournalDatabase::recordings()
{
    Statement select{prepare(
        "SELECT r.id, r.status, r.saved_rows, "
        "  (SELECT count(*) FROM readings WHERE recording = r.id), "
        "  f.taken_at, f.utc_offset, l.taken_at, l.utc_offset "
        "FROM recordings r "
        "LEFT JOIN readings f ON f.recording = r.id AND f.seq = 0 "
        "LEFT JOIN readings l ON l.recording = r.id "
        "  AND l.seq = (SELECT max(seq) FROM readings WHERE recording = r.id) "
        "ORDER BY r.id")};
    std::vector<JournalRecording> found;
    int result;
    while ((result = sqlite3_step(select)) == SQLITE_ROW) {
        JournalRecording recording;
        recording.id = sqlite3_column_int64(select, 0);
        recording.status = QString::fromUtf8(textColumn(select, 1));
        recording.savedRows = sqlite3_column_int64(select, 2);
        recording.rows = sqlite3_column_int64(select, 3);
        if (sqlite3_column_type(select, 4) != SQLITE_NULL) {
            recording.first = dateTimeOf(sqlite3_column_int64(select, 4), sqlite3_column_int(select, 5));
            recording.last = dateTimeOf(sqlite3_column_int64(select, 6), sqlite3_column_int(select, 7));
        }
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

void JournalDatabase::forEachRow(int64_t recording, const RowVisitor& visit)
{
    Statement select{prepare("SELECT no, time, value_text, unit_text, taken_at, utc_offset, value, unit "
                             "FROM readings WHERE recording = ? ORDER BY seq")};
    sqlite3_bind_int64(select, 1, recording);
    int result;
    while ((result = sqlite3_step(select)) == SQLITE_ROW) {
        JournalRow row;
        if (sqlite3_column_type(select, 0) != SQLITE_NULL)
            row.no = sqlite3_column_int(select, 0);
        row.time = textColumn(select, 1);
        row.valueText = textColumn(select, 2);
        row.unitText = textColumn(select, 3);
        row.takenAt = dateTimeOf(sqlite3_column_int64(select, 4), sqlite3_column_int(select, 5));
        if (sqlite3_column_type(select, 6) != SQLITE_NULL)
            row.value = sqlite3_column_double(select, 6);
        row.unit = textColumn(select, 7);
        visit(row);
    }
    if (result != SQLITE_DONE)
        fail(result, "reading the journal");
}

void JournalDatabase::forEachTableRow(int64_t recording, const TableRowVisitor& visit)
{
    Statement select{prepare("SELECT no, time, value_text, unit_text FROM readings WHERE recording = ? ORDER BY seq")};
    sqlite3_bind_int64(select, 1, recording);
    int result;
    while ((result = sqlite3_step(select)) == SQLITE_ROW) {
        std::optional<int32_t> no;
        if (sqlite3_column_type(select, 0) != SQLITE_NULL)
            no = sqlite3_column_int(select, 0);
        visit(no, textView(select, 1), textView(select, 2), textView(select, 3));
    }
    if (result != SQLITE_DONE)
        fail(result, "reading the journal");
}

void JournalDatabase::removeFinishedBefore(const QDateTime& before)
{
    begin();
    try {
        exec("CREATE TEMP TABLE IF NOT EXISTS finished(id INTEGER PRIMARY KEY); DELETE FROM finished;");
        Statement pick{prepare("INSERT INTO finished SELECT id FROM recordings r WHERE updated < ? AND "
                               "(status = 'emptied' OR saved_rows >= "
                               " (SELECT count(*) FROM readings WHERE recording = r.id))")};
        sqlite3_bind_int64(pick, 1, before.toMSecsSinceEpoch());
        const int result = sqlite3_step(pick);
        if (result != SQLITE_DONE)
            fail(result, "tidying the journal");
        exec("DELETE FROM readings WHERE recording IN (SELECT id FROM finished);"
             "DELETE FROM recordings WHERE id IN (SELECT id FROM finished);");
        commit();
    } catch (...) {
        rollback();
        throw;
    }
}

