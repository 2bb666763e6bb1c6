// The faulty file layer fails each kind of call it is told to, once and then no more, on a
// database in WAL mode and memory-mapped as the journal keeps it, and leaves SQLite's own layer
// the default.
#include "FaultyVfs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

namespace {

// What a test does to the database: the outcome, with the extended code of a failure.
using Step = int (*)(sqlite3* db, const QByteArray& path);

int execute(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? SQLITE_OK : sqlite3_extended_errcode(db);
}

// A fresh connection reads its pages from the file, through the memory map where it may.
int readEveryRow(sqlite3*, const QByteArray& path)
{
    sqlite3* reader = nullptr;
    sqlite3_open_v2(path.constData(), &reader, SQLITE_OPEN_READONLY, nullptr);
    int result = execute(reader, "PRAGMA mmap_size=1073741824");
    if (result == SQLITE_OK)
        result = execute(reader, "SELECT sum(length(text)) FROM rows");
    sqlite3_close(reader);
    return result;
}

int insertRow(sqlite3* db, const QByteArray&)
{
    return execute(db, "INSERT INTO rows(text) VALUES(randomblob(3000))");
}

int truncateLog(sqlite3* db, const QByteArray&)
{
    return sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr) == SQLITE_OK
               ? SQLITE_OK
               : sqlite3_extended_errcode(db);
}

}  // namespace

Q_DECLARE_METATYPE(FaultyVfs::Call)
Q_DECLARE_METATYPE(Step)

class FaultyVfsTest : public QObject {
    Q_OBJECT

private slots:
    void failsTheCallsItIsToldTo_data()
    {
        QTest::addColumn<FaultyVfs::Call>("call");
        QTest::addColumn<int>("error");
        QTest::addColumn<QByteArray>("suffix");
        QTest::addColumn<Step>("step");
        QTest::addColumn<int>("after");
        // Past the file's header, which is read before the map is made.
        QTest::newRow("read of a mapped page") << FaultyVfs::Call::Read << SQLITE_IOERR_READ << QByteArray("test.sqlite")
                                               << Step(&readEveryRow) << 5;
        QTest::newRow("write of the log")
            << FaultyVfs::Call::Write << SQLITE_FULL << QByteArray("-wal") << Step(&insertRow) << 0;
        QTest::newRow("sync of the log")
            << FaultyVfs::Call::Sync << SQLITE_IOERR_FSYNC << QByteArray("-wal") << Step(&insertRow) << 0;
        QTest::newRow("truncation of the log")
            << FaultyVfs::Call::Truncate << SQLITE_IOERR_TRUNCATE << QByteArray("-wal") << Step(&truncateLog) << 0;
    }
    void failsTheCallsItIsToldTo()
    {
        QFETCH(FaultyVfs::Call, call);
        QFETCH(int, error);
        QFETCH(QByteArray, suffix);
        QFETCH(Step, step);
        QFETCH(int, after);
        QTemporaryDir folder;
        const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("test.sqlite")));
        FaultyVfs vfs;
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(path.constData(), &db), SQLITE_OK);
        QCOMPARE(execute(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; "
                             "CREATE TABLE rows(text BLOB)"),
                 SQLITE_OK);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(insertRow(db, path), SQLITE_OK);
        QCOMPARE(execute(db, "PRAGMA wal_checkpoint"), SQLITE_OK);

        // Calls on other files, or of another kind, are not counted.
        vfs.fail(call, error, "-nothing", 0, -1);
        vfs.fail(call == FaultyVfs::Call::Read ? FaultyVfs::Call::Truncate : FaultyVfs::Call::Read, SQLITE_IOERR,
                 suffix, 0, -1);
        QCOMPARE(step(db, path), SQLITE_OK);
        QCOMPARE(vfs.failures(), 0);

        vfs.clear();
        vfs.fail(call, error, suffix, after, 1);
        QCOMPARE(step(db, path), error);
        QCOMPARE(vfs.failures(), 1);
        QCOMPARE(step(db, path), SQLITE_OK);
        QCOMPARE(vfs.failures(), 1);
        sqlite3_close(db);
    }

    // Counted calls go through until `after` have, and then fail until clear().
    void failsFromTheCallAfterTheGivenNumberUntilCleared()
    {
        QTemporaryDir folder;
        const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("test.sqlite")));
        FaultyVfs vfs;
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(path.constData(), &db), SQLITE_OK);
        QCOMPARE(execute(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; CREATE TABLE rows(text BLOB)"), SQLITE_OK);
        vfs.fail(FaultyVfs::Call::Sync, SQLITE_IOERR_FSYNC, "-wal", 2, -1);
        QCOMPARE(insertRow(db, path), SQLITE_OK);
        QCOMPARE(insertRow(db, path), SQLITE_OK);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(insertRow(db, path), SQLITE_IOERR_FSYNC);
        vfs.clear();
        QCOMPARE(insertRow(db, path), SQLITE_OK);
        QCOMPARE(vfs.failures(), 3);
        sqlite3_close(db);
    }

    void leavesUnixTheDefaultWhenGone()
    {
        {
            FaultyVfs vfs;
            QCOMPARE(sqlite3_vfs_find(nullptr)->zName, "faulty");
        }
        QCOMPARE(sqlite3_vfs_find(nullptr)->zName, "unix");
    }
};

QTEST_MAIN(FaultyVfsTest)
#include "FaultyVfsTest.moc"
