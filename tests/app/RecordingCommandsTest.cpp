// --recordings and --export-recording against real journals in a temporary folder.
#include "app/RecordingCommands.h"
#include "JournalRowAt.h"
#include "PrivateMounts.h"
#include "base/PosixFileSystem.h"
#include "record/MeasurementTable.h"
#include "journal/JournalDatabase.h"
#include "journal/RecordingCsv.h"
#include "journal/RecordingJournal.h"
#include "tablefile/TableImport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

namespace {

// What a command printed to one of its streams.
class Captured {
public:
    Captured() : m_stream(open_memstream(&m_buffer, &m_size)) {}
    ~Captured()
    {
        std::fclose(m_stream);
        std::free(m_buffer);
    }
    Captured(const Captured&) = delete;
    Captured& operator=(const Captured&) = delete;

    std::FILE* stream() const { return m_stream; }
    std::string text()
    {
        std::fflush(m_stream);
        return std::string(m_buffer, m_size);
    }

private:
    char* m_buffer = nullptr;
    size_t m_size = 0;
    std::FILE* m_stream;
};

JournalRow reading(int32_t no, double value, int offsetSeconds = 3600)
{
    const QDateTime at = QDateTime(QDate(2026, 12, 10), QTime(13, 14, 15, 250), Qt::OffsetFromUTC, offsetSeconds)
                             .addSecs(no);
    return journalRowAt(no, at, value, QByteArray::number(value, 'f', 1));
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

// The real file system on a disk that is full: every write fails as the system fails it.
class FullDisk : public PosixFileSystem {
public:
    std::error_code write(QFile&, QByteArrayView) const override
    {
        return std::make_error_code(std::errc::no_space_on_device);
    }
};

using Command = std::function<int(RecordingCommands&)>;

// What the command returned and printed, as one text.
std::string outcomeOf(const QString& folder, const Command& command)
{
    Captured out;
    Captured errors;
    RecordingCommands commands(QStringLiteral("tq612"), folder, out.stream(), errors.stream());
    const int code = command(commands);
    std::string text = "exit " + std::to_string(code) + "\n" + out.text();
    return errors.text().empty() ? text : text + "errors: " + errors.text();
}

// Every entry of the folder, hidden ones too, with its mode, size and a digest of its contents.
std::map<std::string, std::string> entriesOf(const QString& folder)
{
    std::map<std::string, std::string> entries;
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(all)) {
        struct stat status {};
        ::lstat(QFile::encodeName(entry.filePath()).constData(), &status);
        const QByteArray digest =
            QCryptographicHash::hash(contentsOf(entry.filePath()), QCryptographicHash::Sha256).toHex();
        entries[entry.fileName().toStdString()] =
            QStringLiteral("mode %1, %2 bytes, ").arg(status.st_mode, 0, 8).arg(status.st_size).toStdString()
            + digest.toStdString();
    }
    return entries;
}

const JournalRow kFirstRows[] = {reading(1, 20.0), reading(2, 20.5)};

// The first version's journal: a rollback journal, not a write-ahead log, and recordings whose ids
// could be used again; kFirstRows make its recording 1.
void writeFirstVersionJournal(const QString& path)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const char* const schema = R"sql(
        PRAGMA user_version = 1;
        CREATE TABLE recordings(id INTEGER PRIMARY KEY, started INTEGER NOT NULL, updated INTEGER NOT NULL,
                                status TEXT NOT NULL DEFAULT 'recording', saved_rows INTEGER NOT NULL DEFAULT 0);
        CREATE TABLE readings(recording INTEGER NOT NULL REFERENCES recordings(id), seq INTEGER NOT NULL,
                              no INTEGER, time TEXT, value_text TEXT, unit_text TEXT, taken_at INTEGER NOT NULL,
                              utc_offset INTEGER NOT NULL, value REAL, unit TEXT, PRIMARY KEY(recording, seq))
                              WITHOUT ROWID;
        INSERT INTO recordings(id, started, updated) VALUES(1, 0, 0);
    )sql";
    ASSERT_EQ(sqlite3_exec(db, schema, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO readings VALUES(1, ?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr),
              SQLITE_OK);
    int seq = 0;
    for (const JournalRow& row : kFirstRows) {
        sqlite3_reset(insert);
        sqlite3_bind_int(insert, 1, seq++);
        sqlite3_bind_int(insert, 2, *row.no);
        sqlite3_bind_text(insert, 3, row.time.constData(), int(row.time.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, row.valueText.constData(), int(row.valueText.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, row.unitText.constData(), int(row.unitText.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 6, row.takenAt.toMSecsSinceEpoch());
        sqlite3_bind_int(insert, 7, row.takenAt.offsetFromUtc());
        sqlite3_bind_double(insert, 8, *row.value);
        sqlite3_bind_text(insert, 9, row.unit.constData(), int(row.unit.size()), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE) << sqlite3_errmsg(db);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

// The listing, and recording 1 exported as CSV to `csv`: what both printed and the file written.
std::string listedAndExported(const QString& folder, const QString& csv)
{
    std::string text = outcomeOf(folder, [](RecordingCommands& c) { return c.list(); });
    text += outcomeOf(folder, [&](RecordingCommands& c) { return c.exportRecording(1, csv); });
    text += contentsOf(csv).toStdString();
    QFile::remove(csv);
    return text;
}

class RecordingCommandsTest : public ::testing::Test {
protected:
    // Four recordings: 1 emptied unsaved, 2 saved then emptied, 3 declined by a later run, and
    // 4, in another offset from UTC, saved after its first row and left as it was.
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        {
            RecordingJournal journal(folder());
            journal.append(reading(1, 20.0));
            journal.append(reading(2, 20.5));
            journal.startNewRecording();
            for (int no = 1; no <= 3; ++no)
                journal.append(reading(no, 21.0 + no));
            journal.markSaved(journal.savePoint());
            journal.startNewRecording();
            journal.append(reading(1, 30.0));
        }
        RecordingJournal later(folder());
        const std::optional<JournalRecording> offered = later.unsavedRecording();
        ASSERT_TRUE(offered && offered->id == 3);
        later.decline(3);
        JournalRow noValue = reading(8, 0, -18000);
        noValue.value.reset();
        noValue.unit = "F";
        later.append(reading(7, -4.25, -18000));
        later.markSaved(later.savePoint());
        later.append(noValue);
    }

    QString folder() const { return m_folder.path(); }
    QString path(const char* name) const { return m_folder.filePath(QString::fromUtf8(name)); }

    int run(const std::function<int(RecordingCommands&)>& command)
    {
        RecordingCommands commands(QStringLiteral("tq612"), folder(), m_out.stream(), m_errors.stream());
        return command(commands);
    }

    QTemporaryDir m_folder;
    Captured m_out;
    Captured m_errors;
};

TEST_F(RecordingCommandsTest, ListsEveryRecordingWithItsTimesRowsAndWhetherSaved)
{
    EXPECT_EQ(run([](RecordingCommands& c) { return c.list(); }), 0);
    EXPECT_EQ(m_out.text(),
              "ID  First                          Last                           Rows  Saved\n"
              " 1  2026-12-10T13:14:16.250+01:00  2026-12-10T13:14:17.250+01:00     2  not saved, emptied\n"
              " 2  2026-12-10T13:14:16.250+01:00  2026-12-10T13:14:18.250+01:00     3  saved, emptied\n"
              " 3  2026-12-10T13:14:16.250+01:00  2026-12-10T13:14:16.250+01:00     1  not saved, declined\n"
              " 4  2026-12-10T13:14:22.250-05:00  2026-12-10T13:14:23.250-05:00     2  1 of 2 saved\n");
    EXPECT_EQ(m_errors.text(), "");
}

TEST_F(RecordingCommandsTest, CsvHoldsTheJournalsRowsWhateverTheCaseOfItsName)
{
    EXPECT_EQ(run([&](RecordingCommands& c) { return c.exportRecording(4, path("four.CSV")); }), 0);
    const QByteArray csv = contentsOf(path("four.CSV"));
    EXPECT_EQ(csv.toStdString(), "No,Date and time,Value,Unit\r\n"
                   "7,2026-12-10T13:14:22.250-05:00,-4.25,\u00B0C\r\n"
                   "8,2026-12-10T13:14:23.250-05:00,,\u00B0F\r\n");
    EXPECT_EQ(m_out.text(), "Saved recording 4 (2 rows) to " + path("four.CSV").toStdString() + ".\n");
    EXPECT_EQ(m_errors.text(), "");
}

// The window's formats: what the file loads back as is the recording's table, row for row.
TEST_F(RecordingCommandsTest, TableFormatsLoadBackAsTheRecordingsTable)
{
    JournalDatabase journal(path(RecordingJournal::kFileName));
    const std::vector<JournalRow> rows = journal.rows(2);
    for (const char* name : {"two.xml", "two.txt", "two"}) {
        SCOPED_TRACE(name);
        Captured out;
        Captured errors;
        RecordingCommands commands(QStringLiteral("tq612"), folder(), out.stream(), errors.stream());
        ASSERT_EQ(commands.exportRecording(2, path(name)), 0) << errors.text();
        // The command's own line, as for CSV, not the window's message.
        EXPECT_EQ(out.text(), "Saved recording 2 (3 rows) to " + path(name).toStdString() + ".\n");
        EXPECT_EQ(errors.text(), "");

        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        MeasurementTable table;
        ASSERT_EQ(importTable(file, tableFileFormat(path(name)), table), ImportOutcome::Loaded);
        ASSERT_EQ(table.rowCount(), int(rows.size()));
        for (int i = 0; i < table.rowCount(); ++i) {
            const MeasurementRow row = table.row(i);
            EXPECT_EQ(row.no(), rows[size_t(i)].no);
            EXPECT_EQ(row.time().value_or("(none)").toByteArray().toStdString(), rows[size_t(i)].time.toStdString());
            EXPECT_EQ(row.value().value_or("(none)").toByteArray().toStdString(),
                      rows[size_t(i)].valueText.toStdString());
            EXPECT_EQ(row.unit().value_or("(none)").toByteArray().toStdString(), rows[size_t(i)].unitText.toStdString());
        }
    }
}

// A failure says why on the error stream, exits non-zero and leaves the file as it was.
TEST_F(RecordingCommandsTest, FailuresSaySoAndWriteNothing)
{
    writeFile(path("notafolder"), "a file");
    const FullDisk fullDisk;
    const struct {
        const char* what;
        int64_t id;
        const char* file;
        const char* says;
        const FileSystem* files = &systemFileSystem();
    } cases[] = {
        {"unknown id, csv", 99, "old.csv", "tq612: the journal holds no recording 99; --recordings lists"},
        {"unknown id, xml", 5, "old.xml", "the journal holds no recording 5"},
        {"csv not creatable", 4, "notafolder/four.csv", "tq612: cannot create"},
        {"data packet not creatable", 4, "notafolder/four.xml", "tq612: Cannot create file"},
        {"text report not creatable", 4, "notafolder/four.txt", "tq612: Could not save table to specified file"},
        {"csv on a full disk", 4, "full.csv", "full.csv: No space left on device", &fullDisk},
        {"data packet on a full disk", 4, "full.xml", "full.xml\". No space left on device", &fullDisk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString target = path(c.file);
        if (!target.contains(QStringLiteral("notafolder")))
            writeFile(target, "old contents");
        Captured out;
        Captured errors;
        RecordingCommands commands(QStringLiteral("tq612"), folder(), out.stream(), errors.stream(), *c.files);
        EXPECT_EQ(commands.exportRecording(c.id, target), RecordingCommands::kFailed);
        EXPECT_NE(errors.text().find(c.says), std::string::npos) << errors.text();
        EXPECT_EQ(out.text(), "");
        if (target.contains(QStringLiteral("notafolder")))
            EXPECT_FALSE(QFile::exists(target));
        else
            EXPECT_EQ(contentsOf(target), "old contents");
    }

    // A CSV is saved as a table is: a pipe in its place is refused and stays a pipe.
    const QString pipe = path("pipe.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    Captured out;
    Captured errors;
    RecordingCommands commands(QStringLiteral("tq612"), folder(), out.stream(), errors.stream());
    EXPECT_EQ(commands.exportRecording(4, pipe), RecordingCommands::kFailed);
    EXPECT_NE(errors.text().find("tq612: cannot create"), std::string::npos) << errors.text();
    EXPECT_NE(errors.text().find("pipe"), std::string::npos) << errors.text();
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(pipe).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    // Nothing but the journal's own files and what the cases wrote is left beside it: no
    // temporary files.
    QStringList left = QDir(folder()).entryList(QDir::Files);
    left.removeIf([](const QString& name) {
        return name.startsWith(QLatin1String("journal.sqlite"))
               || (name.startsWith(QLatin1String("recording-")) && name.endsWith(QLatin1String(".lock")));
    });
    left.sort();
    EXPECT_EQ(left, QStringList({"full.csv", "full.xml", "notafolder", "old.csv", "old.xml"}));
}

TEST(RecordingCommandsWithoutJournal, NoJournalMeansNoRecordingsAndNoneIsCreated)
{
    QTemporaryDir top;
    const QString folder = top.filePath(QStringLiteral("tq612"));
    const QString file = top.filePath(QStringLiteral("out.csv"));
    Captured out;
    Captured errors;
    RecordingCommands commands(QStringLiteral("tq612-demo"), folder, out.stream(), errors.stream());

    EXPECT_EQ(commands.list(), 0);
    EXPECT_EQ(out.text(), "No recordings yet: there is no journal at " + folder.toStdString() + "/journal.sqlite.\n");
    EXPECT_EQ(commands.exportRecording(1, file), RecordingCommands::kFailed);
    EXPECT_EQ(errors.text(),
              "tq612-demo: no recordings yet: there is no journal at " + folder.toStdString() + "/journal.sqlite.\n");
    EXPECT_FALSE(QFile::exists(folder));
    EXPECT_FALSE(QFile::exists(file));
}

TEST(RecordingCommandsWithoutJournal, ADamagedJournalIsAFailureOfBothCommands)
{
    QTemporaryDir folder;
    writeFile(folder.filePath(RecordingJournal::kFileName), QByteArray(8192, 'x'));
    Captured out;
    Captured errors;
    RecordingCommands commands(QStringLiteral("tq612"), folder.path(), out.stream(), errors.stream());

    EXPECT_EQ(commands.list(), RecordingCommands::kFailed);
    EXPECT_EQ(commands.exportRecording(1, folder.filePath(QStringLiteral("out.csv"))), RecordingCommands::kFailed);
    EXPECT_EQ(QString::fromStdString(errors.text()).count(QStringLiteral("tq612: cannot read the journal ")), 2)
        << errors.text();
    EXPECT_EQ(out.text(), "");
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("out.csv"))));
}

// A disk that fills up part of the way through a write, the system's own: the CSV export names
// the reason as the table formats do, and leaves nothing on it.
TEST(RecordingCommandsOnAFullDisk, TheReasonIsNamed)
{
    QTemporaryDir folder;
    QTemporaryDir small;
    {
        RecordingJournal journal(folder.path());
        for (int no = 1; no <= 2000; ++no)
            journal.append(reading(no, 20.0 + no / 10.0));
    }
    const PrivateMounts::Result full =
        PrivateMounts::runWith(PrivateMounts::smallDisk(small.path(), 16), [&] {
            std::string text;
            for (const char* name : {"big.csv", "big.xml"}) {
                const QString file = small.filePath(QString::fromLatin1(name));
                text += outcomeOf(folder.path(), [&](RecordingCommands& c) { return c.exportRecording(1, file); });
            }
            return text + "left: " + QDir(small.path()).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
        });
    if (!full.ran)
        GTEST_SKIP() << "no small file system of its own on this machine: " << full.text;
    EXPECT_EQ(full.text, "exit 1\nerrors: tq612: cannot write " + small.filePath("big.csv").toStdString()
                             + ": No space left on device\n"
                               "exit 1\nerrors: tq612: Cannot write file \""
                             + small.filePath("big.xml").toStdString() + "\". No space left on device\nleft: ");
}

// The commands only read: a journal this version wrote and closed, an empty file of its name and
// one from the first version are read alike on disk and on a read-only mount, and stay byte for
// byte as they were, with nothing new beside them.
TEST(RecordingCommandsOnlyRead, NothingChangesOnDiskAndAReadOnlyMountReadsAlike)
{
    const auto written = [](const QString& folder) {
        RecordingJournal journal(folder);
        for (const JournalRow& row : kFirstRows)
            journal.append(row);
    };
    const struct {
        const char* what;
        std::function<void(const QString& folder)> make;
        bool holdsTheRows;
    } cases[] = {
        {"written by this version", written, true},
        {"an empty file", [](const QString& folder) { writeFile(folder + "/journal.sqlite", ""); }, false},
        {"from the first version", [](const QString& folder) { writeFirstVersionJournal(folder + "/journal.sqlite"); },
         true},
    };
    std::string noReadOnlyMount;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        QTemporaryDir outputs;
        c.make(folder.path());
        const std::map<std::string, std::string> before = entriesOf(folder.path());
        const QString csv = outputs.filePath(QStringLiteral("one.csv"));
        const std::string expected =
            c.holdsTheRows ? "exit 0\n"
                             "ID  First                          Last                           Rows  Saved\n"
                             " 1  2026-12-10T13:14:16.250+01:00  2026-12-10T13:14:17.250+01:00     2  not saved\n"
                             "exit 0\nSaved recording 1 (2 rows) to " + csv.toStdString() + ".\n"
                             "No,Date and time,Value,Unit\r\n"
                             "1,2026-12-10T13:14:16.250+01:00,20,\u00B0C\r\n"
                             "2,2026-12-10T13:14:17.250+01:00,20.5,\u00B0C\r\n"
                           : "exit 0\nNo recordings yet in the journal " + folder.filePath("journal.sqlite").toStdString()
                                 + ".\n"
                                   "exit 1\nerrors: tq612: the journal holds no recording 1; --recordings lists the "
                                   "ones it holds.\n";
        EXPECT_EQ(listedAndExported(folder.path(), csv), expected);
        EXPECT_EQ(entriesOf(folder.path()), before);

        const PrivateMounts::Result readOnly = PrivateMounts::runWith(
            PrivateMounts::readOnly(folder.path()), [&] { return listedAndExported(folder.path(), csv); });
        if (readOnly.ran)
            EXPECT_EQ(readOnly.text, expected);
        else
            noReadOnlyMount = readOnly.text;
        EXPECT_EQ(entriesOf(folder.path()), before);
    }
    if (!noReadOnlyMount.empty())
        GTEST_SKIP() << "no read-only mount of its own on this machine (" << noReadOnlyMount
                     << "); the cases on disk ran";
}

// A program recording meanwhile keeps its latest rows in the write-ahead log beside the journal:
// the commands read them from there, and the program goes on recording.
TEST(RecordingCommandsOnlyRead, ReadWhatARunningRecordingHasWritten)
{
    QTemporaryDir folder;
    QTemporaryDir outputs;
    const QString csv = outputs.filePath(QStringLiteral("one.csv"));
    RecordingJournal journal(folder.path());
    for (const JournalRow& row : kFirstRows)
        journal.append(row);
    journal.flush();
    ASSERT_TRUE(QFile::exists(folder.filePath(QStringLiteral("journal.sqlite-wal"))));
    const std::string read = listedAndExported(folder.path(), csv);
    EXPECT_NE(read.find("     2  not saved\n"), std::string::npos) << read;
    EXPECT_NE(read.find("Saved recording 1 (2 rows)"), std::string::npos) << read;
    EXPECT_NE(read.find("2,2026-12-10T13:14:17.250+01:00,20.5,\u00B0C\r\n"), std::string::npos) << read;

    journal.append(reading(3, 21.0));
    journal.flush();
    EXPECT_TRUE(journal.keeping());
    const std::string later = outcomeOf(folder.path(), [](RecordingCommands& c) { return c.list(); });
    EXPECT_NE(later.find("     3  not saved\n"), std::string::npos) << later;
}

}  // namespace
