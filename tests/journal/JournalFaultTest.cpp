// The recording journal under a disk that errs for a while, a damaged file, and links and
// permissions that would hand the readings to someone else.
#include "FaultyVfs.h"
#include "app/PrivateMounts.h"
#include "JournalRowAt.h"
#include "journal/JournalDatabase.h"
#include "journal/RecordingJournal.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

JournalRow reading(int32_t no)
{
    const QDateTime at = QDateTime(QDate(2026, 12, 10), QTime(13, 14, 15), Qt::OffsetFromUTC, 3600).addSecs(no);
    return journalRowAt(no, at, 20.0 + no / 10.0, " " + QByteArray::number(20.0 + no / 10.0, 'f', 1));
}

// The numbers of the rows the journal holds, recording by recording, in order.
QList<int32_t> journalled(const QString& path)
{
    JournalDatabase database(path, JournalDatabase::Access::ReadOnly);
    QList<int32_t> numbers;
    for (const JournalRecording& recording : database.recordings()) {
        for (const JournalRow& row : database.rows(recording.id))
            numbers << *row.no;
    }
    return numbers;
}

QList<int32_t> numbersFrom(int32_t first, int32_t last)
{
    QList<int32_t> numbers;
    for (int32_t no = first; no <= last; ++no)
        numbers << no;
    return numbers;
}

mode_t modeOf(const QString& path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

bool isLink(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

}  // namespace

class JournalFaultTest : public QObject {
    Q_OBJECT

private slots:
    // A fault that passes stops the journal only while it lasts: the rows wait, are written when
    // it works again, and each change is told once.
    void aPassingFaultIsOutwaitedAndToldOnceEachWay_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("words");
        QTest::newRow("one failed sync") << "sync" << "";
        QTest::newRow("a full disk for a second") << "full" << "is full";
        QTest::newRow("another program's lock for three seconds") << "locked" << "locked";
    }
    void aPassingFaultIsOutwaitedAndToldOnceEachWay()
    {
        QFETCH(QString, fault);
        QFETCH(QString, words);
        QTemporaryDir folder;
        FaultyVfs disk;
        RecordingJournal journal(folder.path());
        QSignalSpy failed(&journal, &RecordingJournal::failed);
        QSignalSpy recovered(&journal, &RecordingJournal::recovered);
        for (int32_t no = 1; no <= 10; ++no)
            journal.append(reading(no));
        journal.flush();
        QVERIFY(journal.keeping());

        sqlite3* holder = nullptr;
        if (fault == QLatin1String("sync")) {
            disk.fail(FaultyVfs::Call::Sync, SQLITE_IOERR_FSYNC, "-wal");
        } else if (fault == QLatin1String("full")) {
            disk.fail(FaultyVfs::Call::Write, SQLITE_FULL, "-wal", 0, -1);
        } else {
            QCOMPARE(sqlite3_open(QFile::encodeName(journal.path()).constData(), &holder), SQLITE_OK);
            QCOMPARE(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        for (int32_t no = 11; no <= 30; ++no)
            journal.append(reading(no));
        journal.flush();
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 5000);
        QVERIFY(!journal.keeping());
        QVERIFY2(failed[0][0].toString().contains(words), qPrintable(failed[0][0].toString()));
        if (fault == QLatin1String("full")) {
            QTest::qWait(1000);
            disk.clear();
        } else if (holder) {
            QTest::qWait(3000);
            sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(holder);
        }
        // The first try comes within a second; a passing lock may need the next one.
        QTRY_COMPARE_WITH_TIMEOUT(recovered.size(), 1, 5000);
        QVERIFY(journal.keeping());
        QVERIFY2(recovered[0][0].toString().contains(QStringLiteral("20 readings that had waited are now kept")),
                 qPrintable(recovered[0][0].toString()));
        for (int32_t no = 31; no <= 35; ++no)
            journal.append(reading(no));
        journal.flush();
        QCOMPARE(journalled(journal.path()), numbersFrom(1, 35));
        QCOMPARE(failed.size(), 1);
    }

    // Copying the log back into the database, and that copy's sync, never hold a commit up: on a
    // disk whose database syncs crawl, rows still reach the disk as fast as the log syncs.
    void aSlowCopyOfTheLogHoldsNoCommitUp()
    {
        QTemporaryDir folder;
        FaultyVfs disk;
        RecordingJournal journal(folder.path());
        int32_t no = 1;
        journal.append(reading(no++));
        journal.flush();
        disk.slowSyncs("journal.sqlite", std::chrono::milliseconds(1000));
        qint64 slowest = 0;
        // Enough rows that the log fills past its copying point more than once.
        for (int batch = 0; batch < 30; ++batch) {
            for (int i = 0; i < 5000; ++i)
                journal.append(reading(no++));
            QElapsedTimer clock;
            clock.start();
            journal.flush();
            slowest = std::max(slowest, clock.elapsed());
        }
        QVERIFY2(slowest < 700, qPrintable(QStringLiteral("a flush took %1 ms").arg(slowest)));
        disk.clear();
    }

    // Every episode of not keeping readings is told, also after a damaged journal was replaced.
    void everyEpisodeIsToldOnce()
    {
        QTemporaryDir folder;
        QFile damaged(folder.filePath(RecordingJournal::kFileName));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(8192, 'x'));
        damaged.close();
        FaultyVfs disk;
        RecordingJournal journal(folder.path());
        QSignalSpy failed(&journal, &RecordingJournal::failed);
        QSignalSpy recovered(&journal, &RecordingJournal::recovered);
        journal.append(reading(1));
        journal.flush();
        QTRY_COMPARE(failed.size(), 1);
        QVERIFY(failed[0][0].toString().contains(QStringLiteral("was damaged")));

        int32_t no = 2;
        for (int episode = 1; episode <= 2; ++episode) {
            disk.fail(FaultyVfs::Call::Write, SQLITE_IOERR_WRITE, "-wal", 0, -1);
            journal.append(reading(no++));
            journal.flush();
            QTRY_COMPARE(failed.size(), 1 + episode);
            QVERIFY(failed.last()[0].toString().startsWith(QStringLiteral("Readings are not being kept safe")));
            journal.append(reading(no++));
            disk.clear();
            QTRY_COMPARE_WITH_TIMEOUT(recovered.size(), episode, 5000);
            QVERIFY(recovered.last()[0].toString().contains(QStringLiteral("2 readings that had waited")));
        }
        journal.flush();
        QCOMPARE(journalled(journal.path()), numbersFrom(1, 5));
    }

    // Whatever page SQLite finds damaged, the file is set aside and the readable rows of its
    // unsaved recording are offered from a new journal.
    void aDamagedPageSetsTheFileAsideAndItsUnsavedRowsAreSalvaged_data()
    {
        QTest::addColumn<int>("firstPage");
        QTest::addColumn<int>("lastPage");
        QTest::addColumn<bool>("allRead");
        QTest::newRow("the recordings' page") << 2 << 2 << true;
        QTest::newRow("pages of rows") << 31 << 41 << false;
    }
    void aDamagedPageSetsTheFileAsideAndItsUnsavedRowsAreSalvaged()
    {
        QFETCH(int, firstPage);
        QFETCH(int, lastPage);
        QFETCH(bool, allRead);
        QTemporaryDir folder;
        const QString path = folder.filePath(RecordingJournal::kFileName);
        {
            RecordingJournal journal(folder.path());
            for (int32_t no = 1; no <= 3000; ++no)
                journal.append(reading(no));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        for (int page = firstPage; page <= lastPage; ++page) {
            file.seek(qint64(page - 1) * 4096);
            file.write(QByteArray(4096, 0));
        }
        file.close();

        RecordingJournal journal(folder.path());
        QSignalSpy failed(&journal, &RecordingJournal::failed);
        const std::optional<JournalRecording> offered = journal.unsavedRecording();
        QVERIFY(offered);
        QVERIFY(journal.keeping());
        QTRY_COMPARE(failed.size(), 1);
        const QString told = failed[0][0].toString();
        QVERIFY2(told.contains(QStringLiteral("was damaged")), qPrintable(told));
        QList<int32_t> numbers;
        QVERIFY(journal.readTableRows(offered->id, [&numbers](std::optional<int32_t> no, auto...) { numbers << *no; }));
        QCOMPARE(offered->rows, int64_t(numbers.size()));
        if (allRead) {
            QCOMPARE(numbers, numbersFrom(1, 3000));
        } else {
            QVERIFY(numbers.size() > 2000 && numbers.size() < 3000);
            QVERIFY(std::is_sorted(numbers.begin(), numbers.end()));
            QVERIFY2(told.contains(QStringLiteral("%1 readings could not be read").arg(3000 - numbers.size())),
                     qPrintable(told));
        }
        QCOMPARE(QDir(folder.path()).entryList({QStringLiteral("journal.sqlite.damaged-*[0-9]")}).size(), 1);
    }

    // A link where a journal file belongs is set aside (the link itself) and never written
    // through; whatever it points at stays as it was.
    void aLinkInTheJournalsPlaceIsSetAsideNotFollowed_data()
    {
        QTest::addColumn<QString>("linked");
        QTest::addColumn<bool>("dangling");
        QTest::newRow("the database, to another program's database") << "" << false;
        QTest::newRow("the database, to nothing") << "" << true;
        QTest::newRow("the write-ahead log") << "-wal" << false;
    }
    void aLinkInTheJournalsPlaceIsSetAsideNotFollowed()
    {
        QFETCH(QString, linked);
        QFETCH(bool, dangling);
        QTemporaryDir folder;
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("other.sqlite"));
        if (!dangling) {
            sqlite3* other = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(target).constData(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "CREATE TABLE mine(x)", nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(other);
        }
        QFile targetFile(target);
        const QByteArray before = targetFile.open(QIODevice::ReadOnly) ? targetFile.readAll() : QByteArray();
        targetFile.close();
        const QString path = folder.filePath(RecordingJournal::kFileName);
        if (!linked.isEmpty()) {
            RecordingJournal create(folder.path());
            create.flush();
        }
        QVERIFY(QFile::link(target, path + linked));
        {
            RecordingJournal journal(folder.path());
            QSignalSpy failed(&journal, &RecordingJournal::failed);
            journal.append(reading(1));
            journal.flush();
            QVERIFY(journal.keeping());
            QTRY_COMPARE(failed.size(), 1);
            QVERIFY2(failed[0][0].toString().contains(QStringLiteral("It was kept as")),
                     qPrintable(failed[0][0].toString()));
        }
        QCOMPARE(QFile::exists(target), !dangling);
        if (!dangling) {
            QVERIFY(targetFile.open(QIODevice::ReadOnly));
            QCOMPARE(targetFile.readAll(), before);
        }
        QVERIFY(!isLink(path));
        QCOMPARE(journalled(path), QList<int32_t>{1});
        const QStringList aside = QDir(folder.path()).entryList({QStringLiteral("journal.sqlite.damaged-*")},
                                                                QDir::Files | QDir::System, QDir::Name);
        QVERIFY(!aside.isEmpty());
        QVERIFY(isLink(folder.filePath(aside[0] + linked)));
    }

    // A journal that nothing writes is read without locks (a read-only mount allows no other
    // way); a reader whom a new writer overtook says so instead of passing on a torn read.
    void aLocklessReadThatAWriterOvertookIsRefused()
    {
        QTemporaryDir folder;
        { RecordingJournal journal(folder.path()); journal.append(reading(1)); }
        JournalDatabase reader(folder.filePath(RecordingJournal::kFileName), JournalDatabase::Access::ReadOnly);
        QCOMPARE(reader.rows(reader.recordings().at(0).id).size(), size_t(1));
        reader.checkReadWhole();
        RecordingJournal writer(folder.path());
        writer.append(reading(2));
        writer.flush();
        QVERIFY_THROWS_EXCEPTION(JournalError, reader.checkReadWhole());
    }

    // The reason names what cannot be written: the journal's file, when only it is read-only.
    void aReadOnlyJournalFileIsNamedAsTheFile()
    {
        QTemporaryDir folder;
        {
            RecordingJournal create(folder.path());
            create.append(reading(1));
        }
        const QString path = folder.filePath(RecordingJournal::kFileName);
        const QByteArray file = QFile::encodeName(path);
        const PrivateMounts::Result result = PrivateMounts::runWith(
            [&file]() -> std::optional<std::string> {
                if (::mount(file.constData(), file.constData(), nullptr, MS_BIND, nullptr) != 0
                    || ::mount(nullptr, file.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
                    return PrivateMounts::systemFailure("cannot make the journal's file read-only");
                return std::nullopt;
            },
            [&folder] {
                RecordingJournal journal(folder.path());
                QSignalSpy failed(&journal, &RecordingJournal::failed);
                journal.append(reading(2));
                journal.flush();
                return failed.wait(5000) ? failed[0][0].toString().toStdString() : std::string("nothing told");
            });
        if (!result.ran)
            QSKIP(result.text.c_str());
        const QString told = QString::fromStdString(result.text);
        QVERIFY2(told.contains(QStringLiteral("the file %1 cannot be written").arg(path)), qPrintable(told));
    }

    // Readings are the user's own, whatever the umask.
    void onlyTheUserReadsTheJournal()
    {
        QTemporaryDir top;
        const mode_t umaskBefore = ::umask(022);
        const QString folder = top.filePath(QStringLiteral("state/tq612"));
        {
            RecordingJournal journal(folder);
            journal.append(reading(1));
            journal.flush();
            QCOMPARE(modeOf(folder), mode_t(0700));
            for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::System))
                QVERIFY2(modeOf(folder + QLatin1Char('/') + name) == 0600, qPrintable(name));
        }
        // A journal an earlier version left readable by all is narrowed.
        QVERIFY(QFile::setPermissions(folder + QStringLiteral("/journal.sqlite"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup));
        { RecordingJournal journal(folder); journal.flush(); }
        QCOMPARE(modeOf(folder + QStringLiteral("/journal.sqlite")), mode_t(0600));
        ::umask(umaskBefore);
    }
};

QTEST_GUILESS_MAIN(JournalFaultTest)
#include "JournalFaultTest.moc"
