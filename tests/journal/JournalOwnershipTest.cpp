// Which program owns a journalled recording: lock files held by the kernel, claims made before a
// recording is offered, and housekeeping that leaves live recordings alone.
#include "JournalRowAt.h"
#include "journal/JournalDatabase.h"
#include "journal/RecordingJournal.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

namespace {

JournalRow reading(int32_t no)
{
    const QDateTime at = QDateTime(QDate(2026, 12, 10), QTime(13, 14, 15), Qt::OffsetFromUTC, 3600).addSecs(no);
    return journalRowAt(no, at, 20.0, " 20.0");
}

// What a program that crashed while recording leaves: an unsaved recording of `rows` rows.
void leaveCrashedRecording(const QString& folder, int32_t rows)
{
    RecordingJournal journal(folder);
    for (int32_t no = 1; no <= rows; ++no)
        journal.append(reading(no));
}

QList<int32_t> numbersOf(const QString& path, int64_t recording)
{
    JournalDatabase database(path, JournalDatabase::Access::ReadOnly);
    QList<int32_t> numbers;
    for (const JournalRow& row : database.rows(recording))
        numbers << *row.no;
    return numbers;
}

void execute(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

int64_t lastRecording(const QString& path)
{
    JournalDatabase database(path, JournalDatabase::Access::ReadOnly);
    return database.recordings().back().id;
}

// Housekeeping starts a few seconds after the journal opens.
constexpr int kHousekeepingDoneMs = 5000;

}  // namespace

class JournalOwnershipTest : public QObject {
    Q_OBJECT

private slots:
    // Ownership is the kernel's lock on the open file: whatever a power cut or another program
    // left in a lock file neither hides a crashed recording nor stops the journal.
    void lockFilesOwnNothingByTheirContent_data()
    {
        QTest::addColumn<QString>("lock");
        QTest::addColumn<QString>("left");
        QTest::newRow("the crashed recording's, empty") << "recording-1.lock" << "empty";
        QTest::newRow("the crashed recording's, junk") << "recording-1.lock" << "junk";
        QTest::newRow("the next recording's, junk") << "recording-2.lock" << "junk";
        QTest::newRow("the next recording's, a link") << "recording-2.lock" << "link";
    }
    void lockFilesOwnNothingByTheirContent()
    {
        QFETCH(QString, lock);
        QFETCH(QString, left);
        QTemporaryDir folder;
        QTemporaryDir elsewhere;
        leaveCrashedRecording(folder.path(), 3);
        const QString lockPath = folder.filePath(lock);
        QFile::remove(lockPath);
        const QString target = elsewhere.filePath(QStringLiteral("precious"));
        QFile precious(target);
        QVERIFY(precious.open(QIODevice::WriteOnly));
        precious.write("keep me");
        precious.close();
        if (left == QLatin1String("link")) {
            QVERIFY(QFile::link(target, lockPath));
        } else {
            QFile file(lockPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (left == QLatin1String("junk"))
                file.write("12345\nsomewhere\n\xff\xfe");
        }

        RecordingJournal journal(folder.path());
        QSignalSpy failed(&journal, &RecordingJournal::failed);
        const std::optional<JournalRecording> offered = journal.unsavedRecording();
        QVERIFY(offered);
        QCOMPARE(offered->rows, int64_t(3));
        journal.decline(offered->id);
        journal.append(reading(1));
        journal.flush();
        QVERIFY(journal.keeping());
        QTest::qWait(20);
        QCOMPARE(failed.size(), 0);
        QCOMPARE(numbersOf(journal.path(), lastRecording(journal.path())), QList<int32_t>{1});
        QVERIFY(precious.open(QIODevice::ReadOnly));
        QCOMPARE(precious.readAll(), QByteArray("keep me"));
    }

    // A copy claims a recording before it asks about it; what it claimed no other copy offers,
    // declines or adopts, and the rows of each copy stay in its own recording.
    void aRecordingIsOfferedToOneCopyOnly()
    {
        QTemporaryDir folder;
        leaveCrashedRecording(folder.path(), 3);
        RecordingJournal first(folder.path());
        RecordingJournal second(folder.path());
        const std::optional<JournalRecording> offered = first.unsavedRecording();
        QVERIFY(offered);
        QVERIFY(!second.unsavedRecording());
        // The second copy's No to a recording it was never given changes nothing.
        second.decline(offered->id);
        second.append(reading(100));
        first.adopt(*offered);
        first.append(reading(4));
        first.flush();
        second.flush();
        QCOMPARE(numbersOf(first.path(), offered->id), (QList<int32_t>{1, 2, 3, 4}));
        QCOMPARE(numbersOf(first.path(), lastRecording(first.path())), QList<int32_t>{100});
        JournalDatabase database(first.path(), JournalDatabase::Access::ReadOnly);
        QCOMPARE(database.recording(offered->id)->status, QStringLiteral("recording"));
    }

    // A recording that could not be restored is offered to the next copy that asks.
    void aRecordingLeftOfferedIsOfferedAgain()
    {
        QTemporaryDir folder;
        leaveCrashedRecording(folder.path(), 2);
        RecordingJournal first(folder.path());
        const std::optional<JournalRecording> offered = first.unsavedRecording();
        QVERIFY(offered);
        RecordingJournal second(folder.path());
        QVERIFY(!second.unsavedRecording());
        first.leaveOffered(offered->id);
        first.flush();
        const std::optional<JournalRecording> again = second.unsavedRecording();
        QVERIFY(again);
        QCOMPARE(again->id, offered->id);
    }

    // Housekeeping by a copy whose clock runs a month ahead leaves a live recording alone, and
    // removes a finished one without its id ever naming another recording.
    void housekeepingLeavesLiveRecordingsAloneAndIdsAreNeverReused()
    {
        QTemporaryDir folder;
        RecordingJournal live(folder.path());
        live.append(reading(1));
        live.markSaved(live.savePoint());
        live.flush();
        const int64_t liveId = lastRecording(live.path());
        {
            RecordingJournal finished(folder.path());
            finished.append(reading(1));
            finished.startNewRecording();
        }
        const int64_t finishedId = lastRecording(live.path());
        QVERIFY(finishedId > liveId);
        execute(live.path(), "UPDATE recordings SET updated = updated - 31 * 86400000");

        {
            RecordingJournal ahead(folder.path());
            QTest::qWait(kHousekeepingDoneMs);
            ahead.flush();
        }
        JournalDatabase database(live.path(), JournalDatabase::Access::ReadOnly);
        QVERIFY(database.recording(liveId));
        QVERIFY(!database.recording(finishedId));
        live.append(reading(2));
        live.startNewRecording();
        live.append(reading(1));
        live.flush();
        QCOMPARE(numbersOf(live.path(), liveId), (QList<int32_t>{1, 2}));
        QVERIFY(lastRecording(live.path()) > finishedId);
    }

    // Rows never land in a recording that another program removed: they start a new one.
    void rowsNeverLandInARecordingThatIsGone()
    {
        QTemporaryDir folder;
        RecordingJournal journal(folder.path());
        journal.append(reading(1));
        journal.flush();
        const int64_t removed = lastRecording(journal.path());
        execute(journal.path(), "DELETE FROM readings; DELETE FROM recordings;");
        journal.append(reading(2));
        journal.flush();
        const int64_t now = lastRecording(journal.path());
        QVERIFY(now != removed);
        QCOMPARE(numbersOf(journal.path(), now), QList<int32_t>{2});
        QCOMPARE(numbersOf(journal.path(), removed), QList<int32_t>{});
    }
};

QTEST_GUILESS_MAIN(JournalOwnershipTest)
#include "JournalOwnershipTest.moc"
