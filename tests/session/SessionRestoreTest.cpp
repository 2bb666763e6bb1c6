// A recording an earlier run left in the journal, offered to a later session and restored whole
// or not at all, over a real journal in a temporary folder.
#include "AnsweredMessages.h"
#include "journal/FaultyVfs.h"
#include "JournalRowAt.h"
#include "ScreenlessPanels.h"
#include "record/MeasurementTable.h"
#include "session/MeasurementSession.h"
#include "journal/RecordingJournal.h"
#include "sim/SimulatedHidBackend.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

namespace {

// Enough rows that reading them back spans dozens of pages and more than one block of the restore.
constexpr int kRows = 5000;

JournalRow reading(int32_t no)
{
    const QDateTime at = QDateTime(QDate(2026, 12, 10), QTime(13, 14, 15), Qt::OffsetFromUTC, 3600).addSecs(no);
    // Past 100 now and then, so the restored peak widens the value axis.
    const double value = 20.0 + no % 900 / 10.0;
    return journalRowAt(no, at, value, " " + QByteArray::number(value, 'f', 1));
}

QByteArray tableText(const JournalRow& row)
{
    return QByteArray::number(*row.no) + "|" + row.time + "|" + row.valueText + "|" + row.unitText;
}

// The rows go into the main file, where the restore must read them from.
void checkpoint(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

}  // namespace

class SessionRestoreTest : public QObject {
    Q_OBJECT

private slots:
    void restoresWholeOrNotAtAll_data()
    {
        QTest::addColumn<int>("savedRows");
        QTest::addColumn<bool>("readFails");
        QTest::addColumn<QString>("questionEnd");
        QTest::newRow("read error part-way") << 0 << true << QStringLiteral(") was not saved. Restore it?");
        QTest::newRow("clean") << 0 << false << QStringLiteral(") was not saved. Restore it?");
        QTest::newRow("saved in part")
            << 2000 << false
            << QStringLiteral(") was saved only in part: its last 3000 readings were not saved. Restore it?");
        QTest::newRow("saved all but one")
            << kRows - 1 << false
            << QStringLiteral(") was saved only in part: its last reading was not saved. Restore it?");
    }
    void restoresWholeOrNotAtAll()
    {
        QFETCH(int, savedRows);
        QFETCH(bool, readFails);
        QFETCH(QString, questionEnd);
        FaultyVfs disk;
        QTemporaryDir folder;
        std::vector<JournalRow> written;
        {
            RecordingJournal earlier(folder.path());
            for (int32_t no = 1; no <= kRows; ++no) {
                written.push_back(reading(no));
                earlier.append(written.back());
                if (no == savedRows)
                    earlier.markSaved(earlier.savePoint());
            }
        }
        checkpoint(folder.filePath(RecordingJournal::kFileName));

        AnsweredMessages dialogs;
        QStringList events;
        dialogs.answerBox = [&](const AnsweredMessages::Box&) {
            // Once the question is answered, so that only reading the rows back meets the bad page.
            if (readFails)
                disk.fail(FaultyVfs::Call::Read, SQLITE_IOERR_READ, RecordingJournal::kFileName, 20);
            return int(PlatformMessageBox::IDYES);
        };
        dialogs.answerMessage = [&events](const AnsweredMessages::Message&) {
            events << QStringLiteral("message");
            return 1;
        };
        ScreenlessPanels panels;
        MeasurementSession later(panels.ports(dialogs), std::make_shared<SimulatedHidBackend>(), {}, folder.path());
        int appended = 0;
        connect(&later.table(), &MeasurementTable::rowsAppended, this,
                [&appended](int first, int last) { appended += last - first + 1; });
        QList<int32_t> pagesShown;
        connect(&later, &MeasurementSession::pageShown, this, [&pagesShown](int32_t page) { pagesShown << page; });
        later.offerRestore({
            .step = [&events](qint64 done, qint64 total) {
                events << QStringLiteral("%1 of %2").arg(done).arg(total);
                return true;
            },
            .close = [&events] { events << QStringLiteral("close"); },
        });
        disk.clear();

        QCOMPARE(dialogs.boxes.size(), 1);
        QVERIFY(dialogs.boxes[0].text.startsWith(QStringLiteral("The last recording (5000 readings, from ")));
        QVERIFY2(dialogs.boxes[0].text.endsWith(questionEnd), qPrintable(dialogs.boxes[0].text));
        const MeasurementTable& table = later.table();
        if (readFails) {
            QCOMPARE(disk.failures(), 1);
            QVERIFY(appended > 0);
            QCOMPARE(table.rowCount(), 0);
            QCOMPARE(later.recorder().recordNo(), 1);
            QCOMPARE(later.recorder().rowCount(), 0);
            QCOMPARE(later.chart().series(0).count(), int64_t(1));
            QVERIFY(pagesShown.isEmpty());
            QCOMPARE(dialogs.messages.size(), 1);
            QCOMPARE(dialogs.messages[0].kind, MessageKind::Warning);
            const QString& told = dialogs.messages[0].text;
            QVERIFY2(told.startsWith(QStringLiteral("The last recording could not be restored: ")), qPrintable(told));
            QVERIFY(told.endsWith(QStringLiteral(". It stays in the journal and is offered again at the next start.")));
            QCOMPARE(events.mid(events.size() - 2), QStringList({QStringLiteral("close"), QStringLiteral("message")}));
            // Released while this session still runs, and still a recording of its own.
            later.journal()->flush();
            RecordingJournal again(folder.path());
            const std::optional<JournalRecording> offered = again.unsavedRecording();
            QVERIFY(offered);
            QCOMPARE(offered->rows, int64_t(kRows));
            QCOMPARE(offered->savedRows, int64_t(savedRows));
            return;
        }
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(table.rowCount(), kRows);
        for (int i = 0; i < kRows; ++i)
            QCOMPARE(rowText(table, i), tableText(written[i]));
        QCOMPARE(later.recorder().recordNo(), kRows + 1);
        QCOMPARE(later.recorder().rowCount(), kRows);
        QCOMPARE(events, QStringList({QStringLiteral("4096 of 5000"), QStringLiteral("close")}));

        // On the chart as if just recorded: the same points, page, view and value axis.
        ChartEngine recordedChart;
        TChartControl recorded(recordedChart, 100);
        for (const JournalRow& row : written)
            recorded.AddPoint(double(float(*row.value)));
        const ChartEngine& chart = later.chart();
        QCOMPARE(chart.series(0).count(), int64_t(kRows + 1));
        for (int64_t p = 0; p <= kRows; ++p)
            QCOMPARE(chart.series(0).value(p), recordedChart.series(0).value(p));
        QCOMPARE(pagesShown, QList<int32_t>({recorded.CurrentPage()}));
        QCOMPARE(later.pager().CurrentPage(), 51);
        QCOMPARE(chart.axis(AxisId::Horizontal).minimum, recordedChart.axis(AxisId::Horizontal).minimum);
        QCOMPARE(chart.axis(AxisId::Horizontal).maximum, recordedChart.axis(AxisId::Horizontal).maximum);
        QCOMPARE(chart.axis(AxisId::Vertical).maximum, 200.0);
        QCOMPARE(later.recorder().peakValue(), double(float(109.9)));
    }

    // A restored recording as long as the record limit, or longer, records nothing more: the user
    // is asked at once, as when a reading reaches the limit, instead of readings going unrecorded.
    void rowsAtOrPastTheLimitAskAtOnce_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("asked");
        QTest::newRow("below") << 19 << 20 << false;
        QTest::newRow("at") << 20 << 20 << true;
        QTest::newRow("past") << 30 << 20 << true;
    }
    void rowsAtOrPastTheLimitAskAtOnce()
    {
        QFETCH(int, rows);
        QFETCH(int, limit);
        QFETCH(bool, asked);
        QTemporaryDir folder;
        {
            RecordingJournal earlier(folder.path());
            for (int32_t no = 1; no <= rows; ++no)
                earlier.append(reading(no));
        }
        AnsweredMessages dialogs;
        dialogs.answerBox = [](const AnsweredMessages::Box& box) {
            return int(box.text.startsWith(QStringLiteral("Measurement data exceeds")) ? PlatformMessageBox::IDCANCEL
                                                                                       : PlatformMessageBox::IDYES);
        };
        ScreenlessPanels panels;
        MeasurementSession later(panels.ports(dialogs), std::make_shared<SimulatedHidBackend>(), {}, folder.path());
        later.recorder().setLimit(limit);
        later.offerRestore({});

        QCOMPARE(later.table().rowCount(), rows);
        QCOMPARE(dialogs.boxes.size(), asked ? 2 : 1);
        if (asked)
            QCOMPARE(dialogs.boxes[1].text, QStringLiteral("Measurement data exceeds 20 sets!Save and remove on-screen "
                                                           "data before proceeding next measurement."));
    }
};

QTEST_MAIN(SessionRestoreTest)
#include "SessionRestoreTest.moc"
