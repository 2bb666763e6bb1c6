// The unsaved rows of a damaged journal, copied into a new one: real journals, damaged as a disk
// or a crash damages them.
#include "JournalRowAt.h"
#include "journal/JournalDatabase.h"
#include "journal/JournalSalvage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <algorithm>
#include <limits>

namespace {

// The recordings of every journal damaged here, made in this order (ids 1 to 4).
struct Planned {
    int rows;
    int savedRows;
    const char* status;
};
constexpr Planned kPlanned[] = {
    {5, 0, "emptied"},
    {10, 10, "recording"},      // saved whole
    {3000, 2000, "recording"},  // saved in part, over many pages
    {20, 0, "recording"},
};

const QDateTime kNow(QDate(2027, 1, 5), QTime(9, 0), Qt::UTC);

JournalRow original(int recording, int64_t seq)
{
    // Offsets differ between recordings, so that a row carried over with the wrong one shows.
    const int offset = recording % 2 ? 3600 : -18000;
    const QDateTime at = QDateTime(QDate(2026, 12, 10), QTime(13, 14, 15, 250), Qt::OffsetFromUTC, offset)
                             .addSecs(recording * 100000 + seq);
    const double value = recording * 1000 + seq / 10.0;
    return journalRowAt(int32_t(seq + 1), at, value, QByteArray::number(value, 'f', 1));
}

// A minute before its first row, so that it cannot be taken for that row's time.
QDateTime startedOf(int recording)
{
    return original(recording, 0).takenAt.addSecs(-60);
}

// Zeroes pages first to last, or to the end of the file, whichever comes first.
void zeroPages(const QString& path, int first, int last)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray header = file.read(18);
    const int sizeField = uchar(header[16]) << 8 | uchar(header[17]);
    const qint64 pageSize = sizeField == 1 ? 65536 : sizeField;
    last = int(std::min<qint64>(last, file.size() / pageSize));
    QVERIFY(first <= last);
    file.seek((first - 1) * pageSize);
    file.write(QByteArray((last - first + 1) * pageSize, 0));
}

sqlite3* openReadOnly(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    return db;
}

int64_t number(sqlite3* db, const char* sql, int64_t parameter = 0)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    sqlite3_bind_int64(statement, 1, parameter);
    const int64_t found = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
    sqlite3_finalize(statement);
    return found;
}

enum Damage { Intact, OnlyInLog, ListZeroed, PagesZeroed, EveryOtherPageZeroed, AllButAStretchZeroed, Junk };

// The journal with kPlanned's recordings, moved aside as the writer moves a damaged one, then damaged.
QString writeDamagedJournal(const QTemporaryDir& folder, Damage damage)
{
    const QString path = folder.filePath(QStringLiteral("journal.sqlite"));
    const QString aside = path + QStringLiteral(".damaged-1");
    {
        JournalDatabase journal(path);
        journal.begin();
        for (int r = 0; r < int(std::size(kPlanned)); ++r) {
            const int64_t id = journal.createRecording(startedOf(r));
            for (int64_t seq = 0; seq < kPlanned[r].rows; ++seq)
                journal.appendRow(id, seq, original(r, seq));
            journal.setSavedRows(id, kPlanned[r].savedRows, kNow);
            journal.setStatus(id, QString::fromLatin1(kPlanned[r].status), kNow);
        }
        journal.commit();
        if (damage == OnlyInLog) {
            // What a crash leaves: the rows are in the write-ahead log, not yet in the database.
            QFile::copy(path, aside);
            QFile::copy(path + "-wal", aside + "-wal");
            return aside;
        }
    }
    QFile::rename(path, aside);
    if (damage == ListZeroed) {
        sqlite3* db = openReadOnly(aside);
        const int64_t root = number(db, "SELECT rootpage FROM sqlite_master WHERE name = 'recordings'");
        sqlite3_close(db);
        [&] { QCOMPARE(root, int64_t(2)); }();
        zeroPages(aside, 2, 2);
    } else if (damage == PagesZeroed) {
        zeroPages(aside, 31, 41);
    } else if (damage == EveryOtherPageZeroed) {
        for (int page = 5; page < 45; page += 2)
            zeroPages(aside, page, page);
    } else if (damage == AllButAStretchZeroed) {
        zeroPages(aside, 6, 24);
        zeroPages(aside, 31, std::numeric_limits<int>::max());
    } else if (damage == Junk) {
        QFile junk(aside);
        junk.open(QIODevice::WriteOnly | QIODevice::Truncate);
        junk.write(QByteArray(8192, 'x'));
    }
    return aside;
}

// The seqs of the recording's rows that SQLite still finds one by one: what a salvage can reach.
std::vector<int64_t> findableSeqs(const QString& path, int64_t recording, int rows)
{
    sqlite3* db = openReadOnly(path);
    std::vector<int64_t> found;
    for (int64_t seq = 0; seq < rows; ++seq) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT seq FROM readings WHERE recording = ?1 AND seq = ?2", -1, &statement, nullptr);
        sqlite3_bind_int64(statement, 1, recording);
        sqlite3_bind_int64(statement, 2, seq);
        if (sqlite3_step(statement) == SQLITE_ROW)
            found.push_back(seq);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return found;
}

QList<int> offsetsOf(const std::vector<JournalRow>& rows)
{
    QList<int> offsets;
    for (const JournalRow& row : rows)
        offsets.append(row.takenAt.offsetFromUtc());
    return offsets;
}

}  // namespace

class JournalSalvageTest : public QObject {
    Q_OBJECT

private slots:
    void copiesTheReadableRowsOfUnsavedRecordings_data()
    {
        QTest::addColumn<int>("damage");
        QTest::addColumn<QList<int>>("back");  // kPlanned's recordings that come back, in order
        QTest::addColumn<bool>("listRead");    // whether the list of recordings could be read
        QTest::addColumn<bool>("rowsLost");
        QTest::addColumn<bool>("lastRowLost");  // so unreadable rows are known only up to the last one read
        QTest::newRow("intact") << int(Intact) << QList<int>{2, 3} << true << false << false;
        QTest::newRow("rows only in the write-ahead log")
            << int(OnlyInLog) << QList<int>{2, 3} << true << false << false;
        QTest::newRow("list of recordings zeroed")
            << int(ListZeroed) << QList<int>{0, 1, 2, 3} << false << false << false;
        QTest::newRow("pages 31 to 41 zeroed") << int(PagesZeroed) << QList<int>{2, 3} << true << true << false;
        // The saved recording's rows are all gone, its last one with them: nothing of it comes back.
        QTest::newRow("every other page zeroed")
            << int(EveryOtherPageZeroed) << QList<int>{2, 3} << true << true << false;
        // A readable stretch between damaged ones, with the last page gone: a search for rows that
        // went on doubling its jumps would pass over the stretch and find nothing after it.
        QTest::newRow("all but pages 25 to 30 zeroed from page 6 on")
            << int(AllButAStretchZeroed) << QList<int>{2} << true << true << true;
        QTest::newRow("no database at all") << int(Junk) << QList<int>{} << true << false << false;
    }

    void copiesTheReadableRowsOfUnsavedRecordings()
    {
        QFETCH(int, damage);
        QFETCH(QList<int>, back);
        QFETCH(bool, listRead);
        QFETCH(bool, rowsLost);
        QFETCH(bool, lastRowLost);
        QTemporaryDir folder;
        const QString damaged = writeDamagedJournal(folder, Damage(damage));
        if (QTest::currentTestFailed())
            return;
        const QString freshPath = folder.filePath(QStringLiteral("fresh.sqlite"));
        JournalDatabase fresh(freshPath);
        const JournalSalvage salvage = salvageUnsavedRecordings(damaged, fresh, kNow);

        QCOMPARE(salvage.recordings.size(), size_t(back.size()));
        const std::vector<JournalRecording> copied = fresh.recordings();
        QCOMPARE(copied.size(), size_t(back.size()));
        sqlite3* freshDb = openReadOnly(freshPath);
        int64_t rows = 0;
        for (qsizetype i = 0; i < back.size(); ++i) {
            const int r = back[i];
            const SalvagedRecording& salvaged = salvage.recordings[i];
            QCOMPARE(salvaged.damagedId, int64_t(r + 1));
            QCOMPARE(salvaged.id, copied[i].id);
            const std::vector<int64_t> findable = findableSeqs(damaged, r + 1, kPlanned[r].rows);
            QCOMPARE(salvaged.rows, int64_t(findable.size()));
            QVERIFY(!findable.empty());
            const int64_t known = lastRowLost ? findable.back() + 1 : kPlanned[r].rows;
            QCOMPARE(salvaged.unreadable, known - int64_t(findable.size()));
            rows += salvaged.rows;

            std::vector<JournalRow> expected;
            for (int64_t seq : findable)
                expected.push_back(original(r, seq));
            const std::vector<JournalRow> read = fresh.rows(salvaged.id);
            QVERIFY(read == expected);
            QCOMPARE(offsetsOf(read), offsetsOf(expected));
            QCOMPARE(copied[i].status, QStringLiteral("recording"));
            const auto stillSaved = std::count_if(findable.begin(), findable.end(),
                                                  [&](int64_t seq) { return seq < kPlanned[r].savedRows; });
            QCOMPARE(copied[i].savedRows, listRead ? int64_t(stillSaved) : 0);
            QCOMPARE(number(freshDb, "SELECT started FROM recordings WHERE id = ?1", salvaged.id),
                     (listRead ? startedOf(r) : expected.front().takenAt).toMSecsSinceEpoch());
        }
        sqlite3_close(freshDb);
        QCOMPARE(salvage.rows(), rows);
        QCOMPARE(salvage.unreadable() > 0, rowsLost);
    }
};

QTEST_GUILESS_MAIN(JournalSalvageTest)
#include "JournalSalvageTest.moc"
