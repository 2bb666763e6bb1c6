// The recording journal on a real SQLite database in a temporary folder.
#include "JournalRowAt.h"
#include "journal/JournalDatabase.h"
#include "journal/RecordingJournal.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

namespace {

JournalRow reading(int32_t no, double value, int offsetSeconds = 3600)
{
    const QDateTime at = QDateTime(QDate(2026, 12, 10), QTime(13, 14, 15, 250), Qt::OffsetFromUTC, offsetSeconds)
                             .addSecs(no);
    return journalRowAt(no, at, value, " " + QByteArray::number(value, 'f', 1));
}

QString one(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    QString text;
    if (sqlite3_step(statement) == SQLITE_ROW)
        text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return text;
}

}  // namespace

class RecordingJournalTest : public QObject {
    Q_OBJECT

private slots:
    void keepsEveryFieldAndToolsReadIsoTimes()
    {
        QTemporaryDir folder;
        std::vector<JournalRow> written{reading(1, 25.3), reading(2, -4.5, -18000), reading(5, 100.0, 0)};
        written[1].unit = "F";
        written[1].unitText = "?";
        written[2].value.reset();
        written[2].no.reset();
        {
            RecordingJournal journal(folder.path());
            for (const JournalRow& row : written)
                journal.append(row);
        }
        JournalDatabase database(folder.filePath(RecordingJournal::kFileName));
        const std::vector<JournalRecording> recordings = database.recordings();
        QCOMPARE(recordings.size(), size_t(1));
        QCOMPARE(recordings[0].rows, int64_t(3));
        QCOMPARE(recordings[0].first, written[0].takenAt);
        QCOMPARE(recordings[0].last.offsetFromUtc(), 0);
        const std::vector<JournalRow> read = database.rows(recordings[0].id);
        QCOMPARE(read.size(), written.size());
        for (size_t i = 0; i < read.size(); ++i) {
            QVERIFY(read[i] == written[i]);
            QCOMPARE(read[i].takenAt.offsetFromUtc(), written[i].takenAt.offsetFromUtc());
        }

        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(folder.filePath(RecordingJournal::kFileName)).constData(), &db),
                 SQLITE_OK);
        QCOMPARE(one(db, "SELECT taken_at FROM readings_iso WHERE seq = 0"), QStringLiteral("2026-12-10T13:14:16.250+01:00"));
        QCOMPARE(one(db, "SELECT taken_at FROM readings_iso WHERE seq = 1"), QStringLiteral("2026-12-10T13:14:17.250-05:00"));
        QCOMPARE(one(db, "PRAGMA journal_mode"), QStringLiteral("wal"));
        QCOMPARE(one(db, "PRAGMA integrity_check"), QStringLiteral("ok"));
        sqlite3_close(db);
    }

    // What an earlier run left is offered once, with what saving, emptying and declining change.
    void offersOnlyTheUnsavedRecordingOfAnEarlierRun()
    {
        QTemporaryDir folder;
        {
            RecordingJournal journal(folder.path());
            QVERIFY(!journal.unsavedRecording());
            journal.append(reading(1, 20.0));
            journal.startNewRecording();  // the first recording is emptied
            journal.append(reading(1, 21.0));
            journal.append(reading(2, 22.0));
            journal.markSaved(journal.savePoint());
            journal.append(reading(3, 23.0));
            journal.flush();
            // Still this program's own recording while it runs, so a second one leaves it be.
            RecordingJournal second(folder.path());
            QVERIFY(!second.unsavedRecording());
        }
        RecordingJournal later(folder.path());
        std::optional<JournalRecording> unsaved = later.unsavedRecording();
        QVERIFY(unsaved);
        QCOMPARE(unsaved->rows, int64_t(3));
        QCOMPARE(unsaved->savedRows, int64_t(2));
        QCOMPARE(unsaved->last, reading(3, 0).takenAt);

        // Going on with it: later rows follow its last one, and a save of them all leaves
        // nothing to offer.
        later.adopt(*unsaved);
        later.append(reading(4, 24.0));
        QCOMPARE(later.savePoint(), int64_t(4));
        later.flush();
        QCOMPARE(later.rowsOf(unsaved->id).size(), size_t(4));
        later.markSaved(later.savePoint());
        later.flush();
        RecordingJournal third(folder.path());
        QVERIFY(!third.unsavedRecording());
    }

    // A journal of the first version, whose recordings' ids could come back, is taken over with
    // its recordings; from then on no id is handed out twice.
    void aFirstVersionJournalIsTakenOverWithItsRecordings()
    {
        QTemporaryDir folder;
        {
            RecordingJournal journal(folder.path());
            journal.append(reading(1, 20.0));
            journal.startNewRecording();
            journal.append(reading(1, 21.0));
            journal.append(reading(2, 22.0));
        }
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(folder.filePath(RecordingJournal::kFileName)).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, R"sql(
            ALTER TABLE recordings RENAME TO current;
            CREATE TABLE recordings(id INTEGER PRIMARY KEY, started INTEGER NOT NULL, updated INTEGER NOT NULL,
                                    status TEXT NOT NULL DEFAULT 'recording', saved_rows INTEGER NOT NULL DEFAULT 0);
            INSERT INTO recordings SELECT * FROM current;
            DROP TABLE current;
            DELETE FROM sqlite_sequence;
            PRAGMA user_version = 1;)sql", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);

        RecordingJournal journal(folder.path());
        const std::optional<JournalRecording> unsaved = journal.unsavedRecording();
        QVERIFY(unsaved);
        QCOMPARE(unsaved->id, int64_t(2));
        QCOMPARE(unsaved->rows, int64_t(2));
        journal.adopt(*unsaved);
        journal.append(reading(3, 23.0));
        journal.flush();
        QCOMPARE(journal.rowsOf(2).size(), size_t(3));
        // The last recording removed by hand: its id is still not handed out again.
        {
            sqlite3* handle = nullptr;
            sqlite3_open(QFile::encodeName(journal.path()).constData(), &handle);
            QCOMPARE(one(handle, "PRAGMA user_version"), QStringLiteral("2"));
            sqlite3_exec(handle, "DELETE FROM readings WHERE recording = 2; DELETE FROM recordings WHERE id = 2;",
                         nullptr, nullptr, nullptr);
            sqlite3_close(handle);
        }
        journal.append(reading(4, 24.0));
        journal.flush();
        JournalDatabase database(journal.path(), JournalDatabase::Access::ReadOnly);
        QCOMPARE(database.recordings().back().id, int64_t(3));
    }

    void aDeclinedRecordingStaysButIsNotOfferedAgain()
    {
        QTemporaryDir folder;
        {
            RecordingJournal journal(folder.path());
            journal.append(reading(1, 20.0));
        }
        {
            RecordingJournal journal(folder.path());
            const std::optional<JournalRecording> unsaved = journal.unsavedRecording();
            QVERIFY(unsaved);
            journal.decline(unsaved->id);
        }
        RecordingJournal journal(folder.path());
        QVERIFY(!journal.unsavedRecording());
        JournalDatabase database(folder.filePath(RecordingJournal::kFileName));
        QCOMPARE(database.recordings().at(0).status, QStringLiteral("declined"));
        QCOMPARE(database.recordings().at(0).rows, int64_t(1));
    }

    // Each fault is told once, in words, and the journal then keeps nothing more.
    void faultsAreToldOnce_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("words");
        QTest::newRow("folder not writable") << "unwritable" << "cannot be written";
        QTest::newRow("newer version") << "newer" << "newer version";
        QTest::newRow("locked past the timeout") << "locked" << "locked";
    }
    void faultsAreToldOnce()
    {
        QFETCH(QString, fault);
        QFETCH(QString, words);
        QTemporaryDir top;
        QString folder = top.path();
        sqlite3* holder = nullptr;
        const QByteArray path = QFile::encodeName(top.filePath(RecordingJournal::kFileName));
        if (fault == QLatin1String("unwritable")) {
            // A folder that cannot be made: its parent is a file.
            QFile file(top.filePath(QStringLiteral("file")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            folder = file.fileName() + QStringLiteral("/journal");
        } else {
            { RecordingJournal create(folder); }
            QCOMPARE(sqlite3_open(path.constData(), &holder), SQLITE_OK);
            if (fault == QLatin1String("newer"))
                QCOMPARE(sqlite3_exec(holder, "PRAGMA user_version = 99", nullptr, nullptr, nullptr), SQLITE_OK);
            else
                QCOMPARE(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        RecordingJournal journal(folder);
        QSignalSpy told(&journal, &RecordingJournal::failed);
        journal.append(reading(1, 20.0));
        journal.append(reading(2, 21.0));
        journal.flush();
        QTRY_COMPARE(told.size(), 1);
        QVERIFY2(told[0][0].toString().contains(words), qPrintable(told[0][0].toString()));
        QVERIFY(told[0][0].toString().startsWith(QStringLiteral("Readings are not being kept safe")));
        QVERIFY(!journal.keeping());
        journal.append(reading(3, 22.0));
        journal.flush();
        QTest::qWait(50);
        QCOMPARE(told.size(), 1);
        sqlite3_close(holder);
    }

    // An error names what the journal was doing: a listing that only reads must not say it was
    // writing, and a start-up that finds the file damaged says it was opening it.
    void errorsSayWhatTheJournalWasDoing_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("words");
        const QByteArray damaged(8192, 'x');
        QTest::newRow("damaged, opened to record") << damaged << "open to record" << "opening the journal: ";
        QTest::newRow("damaged, listed") << damaged << "list" << "reading the journal";
        // A file without tables reads as a journal without recordings, and cannot take one.
        QTest::newRow("no tables, written") << QByteArray() << "write" << "writing the journal: ";
    }
    void errorsSayWhatTheJournalWasDoing()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, action);
        QFETCH(QString, words);
        QTemporaryDir folder;
        const QString path = folder.filePath(RecordingJournal::kFileName);
        QFile journal(path);
        QVERIFY(journal.open(QIODevice::WriteOnly));
        journal.write(file);
        journal.close();
        QString error;
        try {
            if (action == QLatin1String("open to record")) {
                JournalDatabase opened(path);
            } else if (action == QLatin1String("list")) {
                JournalDatabase(path, JournalDatabase::Access::ReadOnly).recordings();
            } else {
                JournalDatabase(path, JournalDatabase::Access::ReadOnly).createRecording(QDateTime::currentDateTime());
            }
        } catch (const JournalError& e) {
            error = QString::fromUtf8(e.what());
        }
        QVERIFY2(error.startsWith(words), qPrintable(error));
    }

    void aDamagedDatabaseIsKeptAsideAndANewOneStarted()
    {
        QTemporaryDir folder;
        QFile damaged(folder.filePath(RecordingJournal::kFileName));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(8192, 'x'));
        damaged.close();

        RecordingJournal journal(folder.path());
        QSignalSpy told(&journal, &RecordingJournal::failed);
        journal.append(reading(1, 20.0));
        journal.flush();
        QVERIFY(journal.keeping());
        QTRY_COMPARE(told.size(), 1);
        QVERIFY(told[0][0].toString().contains(QStringLiteral("was damaged")));
        const QStringList aside = QDir(folder.path()).entryList({QStringLiteral("journal.sqlite.damaged-*")});
        QCOMPARE(aside.size(), 1);
        QFile kept(folder.filePath(aside[0]));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray(8192, 'x'));
        JournalDatabase fresh(journal.path());
        QCOMPARE(fresh.recordings().size(), size_t(1));
    }

    void finishedRecordingsGoAfterThirtyDaysUnsavedOnesNever()
    {
        QTemporaryDir folder;
        {
            RecordingJournal journal(folder.path());
            journal.append(reading(1, 20.0));  // 1: emptied
            journal.startNewRecording();
            journal.append(reading(1, 21.0));  // 2: saved whole
            journal.markSaved(journal.savePoint());
            journal.startNewRecording();
            journal.append(reading(1, 22.0));  // 3: left unsaved
        }
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(folder.filePath(RecordingJournal::kFileName)).constData(), &db);
        sqlite3_exec(db, "UPDATE recordings SET status = 'recording' WHERE id = 2;"
                         "UPDATE recordings SET updated = updated - 31 * 86400000", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        // Housekeeping waits for the window to be up, then goes a step at a time.
        RecordingJournal reopened(folder.path());
        const auto left = [&reopened] { return JournalDatabase(reopened.path(), JournalDatabase::Access::ReadOnly).recordings(); };
        QTRY_COMPARE_WITH_TIMEOUT(left().size(), size_t(1), 10000);
        QCOMPARE(left()[0].id, int64_t(3));
    }
};

QTEST_GUILESS_MAIN(RecordingJournalTest)
#include "RecordingJournalTest.moc"
