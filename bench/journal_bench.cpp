// The recording journal. At ten million rows: a restore into the table, --recordings and the
// CSV export, each in a child process of its own, so that its time and peak memory are its own.
// At a million rows: how fast its writer thread commits them, how much disk each takes, and how
// fast a restore reads them back against loading the same rows from a text report.
//   cmake --build <build> --target journal_bench && <build>/bench/journal_bench [folder]
// The ten-million-row journal takes about a minute to fill; it is kept in the folder (default:
// the system's temporary folder) and used again by the next run. Each figure is printed; none is
// asserted.
#include "AnsweredMessages.h"
#include "JournalRowAt.h"
#include "app/RecordingCommands.h"
#include "record/MeasurementTable.h"
#include "journal/JournalDatabase.h"
#include "journal/RecordingJournal.h"
#include "tablefile/TableExport.h"
#include "tablefile/TableImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace {

constexpr int kRows = 1000000;
constexpr int kLargeRows = 10000000;
// Rows committed together while the large journal is filled.
constexpr int kFillBatch = 100000;

JournalRow rowAt(int i, const QDateTime& start)
{
    const double value = 20.0 + (i % 800) / 10.0;
    return journalRowAt(i + 1, start.addMSecs(int64_t(i) * 500), value, ' ' + QByteArray::number(value, 'f', 1));
}

// A child process's run: its time and its peak resident memory.
struct Run {
    double seconds = 0;
    double peakMegabytes = 0;
    bool succeeded = false;
};

// `work` in a child process, which starts with this process's memory as it is: keep it small.
Run runApart(const std::function<bool()>& work)
{
    std::fflush(nullptr);
    QElapsedTimer clock;
    clock.start();
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(work() ? 0 : 1);
    int status = 0;
    rusage usage {};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child)
        return {};
    return {clock.elapsed() / 1000.0, usage.ru_maxrss / 1024.0, WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

bool holdsLargeRecording(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    try {
        JournalDatabase journal(path, JournalDatabase::Access::ReadOnly);
        const std::vector<JournalRecording> recordings = journal.recordings();
        return recordings.size() == 1 && recordings.front().rows == kLargeRows;
    } catch (const JournalError&) {
        return false;
    }
}

// Straight through the database in large transactions: the journal's own writer thread would
// take several times as long.
bool fillLargeJournal(const QString& path)
{
    const QDateTime start(QDate(2026, 12, 1), QTime(8, 0), Qt::OffsetFromUTC, 3600);
    JournalDatabase journal(path);
    const int64_t recording = journal.createRecording(start);
    for (int first = 0; first < kLargeRows; first += kFillBatch) {
        journal.begin();
        for (int i = first; i < first + kFillBatch; ++i)
            journal.appendRow(recording, i, rowAt(i, start));
        journal.commit();
    }
    return true;
}

void printRun(const char* what, const Run& run)
{
    if (run.succeeded)
        std::printf("%s: %.2f s, peak %.0f MB\n", what, run.seconds, run.peakMegabytes);
    else
        std::printf("%s: failed\n", what);
}

void measureLargeJournal(const QString& folder)
{
    const QString journalFolder = QDir(folder).filePath(QStringLiteral("tq612-journal-bench-%1").arg(kLargeRows));
    const QString path = QDir(journalFolder).filePath(QLatin1String(RecordingJournal::kFileName));
    if (!holdsLargeRecording(path)) {
        QDir(journalFolder).removeRecursively();
        QDir().mkpath(journalFolder);
        printRun("filling a journal of 10^7 rows", runApart([&] { return fillLargeJournal(path); }));
    }

    printRun("a child that does nothing (the floor of each peak below)", runApart([] { return true; }));
    printRun("restore of 10^7 rows into the table", runApart([&] {
        JournalDatabase journal(path, JournalDatabase::Access::ReadOnly);
        MeasurementTable restored;
        journal.forEachTableRow(journal.recordings().front().id,
                                [&](std::optional<int32_t> no, QByteArrayView time, QByteArrayView value,
                                    QByteArrayView unit, float) { restored.appendRow(no, time, value, unit); });
        return restored.rowCount() == kLargeRows;
    }));

    std::FILE* const nowhere = std::fopen("/dev/null", "w");
    printRun("--recordings at 10^7 rows", runApart([&] {
        return RecordingCommands(QStringLiteral("journal_bench"), journalFolder, nowhere, stderr).list() == 0;
    }));
    QTemporaryDir exports(QDir(folder).filePath(QStringLiteral("journal-bench-XXXXXX")));
    const QString csv = exports.filePath(QStringLiteral("recording.csv"));
    printRun("CSV export of 10^7 rows", runApart([&] {
        return RecordingCommands(QStringLiteral("journal_bench"), journalFolder, nowhere, stderr)
                   .exportRecording(1, csv) == 0;
    }));
    std::printf("CSV file: %.0f MB\n", QFileInfo(csv).size() / 1e6);
    std::fclose(nowhere);
}

qint64 folderBytes(const QString& folder)
{
    qint64 bytes = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files))
        bytes += file.size();
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // First, while this process is small: each child starts as large as its parent.
    measureLargeJournal(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath());

    QTemporaryDir folder;
    const QDateTime start = QDateTime::currentDateTime();
    std::vector<JournalRow> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        rows.push_back(rowAt(i, start));

    // Handed over as fast as the GUI thread can, as a download's burst would be.
    QElapsedTimer clock;
    clock.start();
    qint64 handOverNs = 0;
    {
        RecordingJournal journal(folder.path());
        QElapsedTimer handing;
        handing.start();
        for (const JournalRow& row : rows)
            journal.append(row);
        handOverNs = handing.nsecsElapsed();
        journal.flush();
    }
    const double writeSeconds = clock.elapsed() / 1000.0;
    const qint64 bytes = folderBytes(folder.path());

    // A restore reads the rows and puts them into the table.
    clock.restart();
    MeasurementTable restored;
    {
        JournalDatabase database(folder.filePath(RecordingJournal::kFileName), JournalDatabase::Access::ReadOnly);
        database.forEachTableRow(database.recordings().front().id,
                                 [&](std::optional<int32_t> no, QByteArrayView time, QByteArrayView value,
                                     QByteArrayView unit, float) { restored.appendRow(no, time, value, unit); });
    }
    const double restoreSeconds = clock.elapsed() / 1000.0;

    const QString report = folder.filePath(QStringLiteral("rows.txt"));
    AnsweredMessages quiet;
    SaveTableToFile(restored, report, quiet);
    MeasurementTable loaded;
    clock.restart();
    LoadTableFromFile(report, loaded, false);
    const double loadSeconds = clock.elapsed() / 1000.0;
    if (loaded.rowCount() != kRows || restored.rowCount() != kRows)
        std::printf("rows lost: restored %d, loaded %d\n", restored.rowCount(), loaded.rowCount());

    std::printf("%d rows handed over in %.3f s (%.0f ns a row on the handing thread)\n", kRows, handOverNs / 1e9,
                double(handOverNs) / kRows);
    std::printf("restore of %d rows: %.2f s; loading them from a text report: %.2f s\n", kRows, restoreSeconds,
                loadSeconds);
    std::printf("writer throughput: %.0f rows/s\n", kRows / writeSeconds);
    std::printf("disk per journalled row: %.1f B\n", double(bytes) / kRows);
    std::printf("restore against text load: %.2f of the load's time\n", restoreSeconds / loadSeconds);
    return 0;
}
