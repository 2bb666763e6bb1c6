// The recording journal at a million rows: how fast its writer thread commits them, how much disk
// each takes, and how fast a restore reads them back against loading the same rows from a text
// report. Each figure is printed; none is asserted.
#include "AnsweredMessages.h"
#include "JournalRowAt.h"
#include "record/MeasurementTable.h"
#include "session/JournalDatabase.h"
#include "session/RecordingJournal.h"
#include "tablefile/TableExport.h"
#include "tablefile/TableImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kRows = 1000000;

JournalRow rowAt(int i, const QDateTime& start)
{
    const double value = 20.0 + (i % 800) / 10.0;
    return journalRowAt(i + 1, start.addMSecs(int64_t(i) * 500), value, ' ' + QByteArray::number(value, 'f', 1));
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
        JournalDatabase database(folder.filePath(RecordingJournal::kFileName));
        database.forEachTableRow(database.recordings().front().id,
                                 [&](std::optional<int32_t> no, QByteArrayView time, QByteArrayView value,
                                     QByteArrayView unit) { restored.appendRow(no, time, value, unit); });
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
