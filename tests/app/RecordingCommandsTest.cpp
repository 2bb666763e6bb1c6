// --recordings and --export-recording against real journals in a temporary folder.
#include "app/RecordingCommands.h"
#include "JournalRowAt.h"
#include "record/MeasurementTable.h"
#include "session/JournalDatabase.h"
#include "session/RecordingCsv.h"
#include "session/RecordingJournal.h"
#include "tablefile/TableImport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
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

class RecordingCommandsTest : public ::testing::Test {
protected:
    // Four recordings: 1 emptied unsaved, 2 saved then emptied, 3 declined by a later run, and
    // 4, in another offset from UTC, left as it was.
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
        later.decline(3);
        JournalRow noValue = reading(8, 0, -18000);
        noValue.value.reset();
        noValue.unit = "F";
        later.append(reading(7, -4.25, -18000));
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
              " 4  2026-12-10T13:14:22.250-05:00  2026-12-10T13:14:23.250-05:00     2  not saved\n");
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
        EXPECT_NE(out.text().find(path(name).toStdString()), std::string::npos) << out.text();
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
    const struct {
        const char* what;
        int64_t id;
        const char* file;
        const char* says;
    } cases[] = {
        {"unknown id, csv", 99, "old.csv", "tq612: the journal holds no recording 99; --recordings lists"},
        {"unknown id, xml", 5, "old.xml", "the journal holds no recording 5"},
        {"csv not creatable", 4, "notafolder/four.csv", "tq612: cannot create"},
        {"data packet not creatable", 4, "notafolder/four.xml", "tq612: Cannot create file"},
        {"text report not creatable", 4, "notafolder/four.txt", "tq612: Could not save table to specified file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString target = path(c.file);
        if (!target.contains(QStringLiteral("notafolder")))
            writeFile(target, "old contents");
        Captured out;
        Captured errors;
        RecordingCommands commands(QStringLiteral("tq612"), folder(), out.stream(), errors.stream());
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
    // Nothing but the journal and what the cases wrote is left beside it: no temporary files.
    QStringList left = QDir(folder()).entryList(QDir::Files);
    left.removeIf([](const QString& name) { return name.startsWith(QLatin1String("journal.sqlite")); });
    left.sort();
    EXPECT_EQ(left, QStringList({"notafolder", "old.csv", "old.xml"}));
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

}  // namespace
