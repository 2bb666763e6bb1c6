#pragma once

#include "journal/JournalCheckpointer.h"
#include "journal/JournalDatabase.h"
#include "journal/RecordingLock.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Keeps every recorded row safe on disk as it arrives: the crash-safe journal. The GUI thread only
// hands rows and marks over; a writer thread of its own commits them in one transaction, synced to
// disk, kCommitDelay after the first of them arrived (at once after a commit that took longer), so
// a row is on disk within a quarter of a second on a disk that syncs in under 100 ms, and within
// one sync's time on a slower one; a burst (a download) goes in batches.
//
// A recording runs from one emptying of the table to the next. Each recording a program writes,
// or has offered to restore, is held by a kernel lock on its lock file beside the database
// (RecordingLock), so another copy can tell live recordings from those a crashed run left
// behind, and never offers, declines, adopts or removes a live one.
//
// When the journal cannot keep readings (the folder not writable, the disk full, the database
// locked, an I/O error) it says so once through failed(), keeps the rows that wait in memory (up
// to kMaxWaitingRows) and tries again, first within a second, then less often, at most every 30
// seconds; once they are written it says so through recovered(). Only a database from a newer
// version is given up for the rest of the run. A database that SQLite finds damaged, at open or
// later, is moved aside (kept, never deleted) and a new one started, into which the readable
// rows of its unsaved recordings are salvaged.
class RecordingJournal : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kFileName = "journal.sqlite";
    // Saved or emptied recordings untouched this long are removed, a step at a time, by the writer.
    static constexpr int kKeepFinishedDays = 30;
    static constexpr std::chrono::milliseconds kCommitDelay{50};
    static constexpr size_t kMaxWaitingRows = 1 << 20;

    // $XDG_STATE_HOME/tq612, or ~/.local/state/tq612 without it.
    static QString defaultFolder();

    // Opens the database in folder (created 0700) on the writer thread, creating it as needed;
    // returns at once.
    explicit RecordingJournal(const QString& folder, QObject* parent = nullptr);
    // Writes what was handed over (one last try while the journal fails), then stops the writer.
    ~RecordingJournal() override;

    // Whether rows handed over reach the disk now.
    bool keeping() const { return !m_failing.load(); }

    // The last recording an earlier run left with rows neither saved nor emptied, now claimed by
    // this program until adopt(), decline() or leaveOffered(); none when its last recording was
    // saved or another running program holds it. Waits for what was handed over.
    std::optional<JournalRecording> unsavedRecording();
    std::vector<JournalRow> rowsOf(int64_t recording);
    // The table's texts of the recording's rows, in order, read whole or not at all: false, with
    // the reason in words in `failure`, when any of them could not be read (what `visit` was
    // given must then be dropped). Reading never turns the journal off.
    bool readTableRows(int64_t recording, const JournalDatabase::TableRowVisitor& visit, QString* failure = nullptr);
    // Goes on with the claimed recording: rows handed over later follow its last one.
    void adopt(const JournalRecording& recording);
    // The user chose not to restore the claimed recording: it stays, and is not offered again.
    void decline(int64_t recording);
    // The claimed recording could not be restored: it stays offered to the next start.
    void leaveOffered(int64_t recording);

    // From the GUI thread; none of these waits on the disk.
    void append(JournalRow row);
    // The table was emptied: the recording ends, the next row starts another.
    void startNewRecording();
    // The number of rows of the current recording handed over so far: what a save started now
    // holds.
    int64_t savePoint() const { return m_rowsHandedOver; }
    // A save that held the rows up to savePoint succeeded.
    void markSaved(int64_t savePoint);
    // Rows of the current recording handed over since the last successful save while the
    // journal cannot keep readings: the table alone holds them.
    int64_t unkeptRows() const;

    // Waits until everything handed over is on disk, or waits in memory while the journal fails.
    void flush();
    // The database file.
    QString path() const { return m_path; }

signals:
    // Once an episode, in words for the user: why readings are not being kept safe.
    void failed(const QString& reason);
    // Once an episode ends, in words for the user: readings are kept again.
    void recovered(const QString& text);

private:
    struct Command {
        enum Kind { Open, Append, NewRecording, MarkSaved, Adopt, Decline, LeaveOffered, FindUnsaved } kind;
        JournalRow row;
        int64_t number = 0;  // rows saved, the adopted, declined or released recording
        int64_t rows = 0;    // the adopted recording's rows
    };
    // What the writer has made of the current recording, kept aside while a batch is tried.
    struct Position {
        int64_t recording = 0;  // 0 until the current recording's first row
        int64_t nextSeq = 0;
    };

    void hand(Command command);
    void writeLoop();
    // Writes what waits; false when the journal failed and it must wait for the next try.
    bool writeWaiting();
    void apply(const Command& command);
    void openDatabase();
    void closeDatabase();
    void replaceDamagedDatabase();
    std::optional<JournalRecording> findUnsaved();
    void tidyStep();
    void startFailing(const JournalError& error);
    void tellRecovered(int64_t waited);
    void tell(void (RecordingJournal::*signal)(const QString&), const QString& text);
    QString lockPath(int64_t recording) const;

    // Set before the writer starts and never changed, so both threads read them without a lock.
    QString m_folder;
    QString m_path;
    // Written by the writer as an episode of failing starts and ends, read by the GUI thread
    // (keeping(), unkeptRows()) at any time: a lone flag, so atomic rather than under m_mutex.
    std::atomic<bool> m_failing{false};

    // The GUI thread's own; the writer only ever sees the commands made from them.
    int64_t m_rowsHandedOver = 0;
    int64_t m_rowsSaved = 0;  // of the current recording

    // Shared by the GUI thread and the writer: every member below is read and written only under
    // m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_wake;     // the GUI thread wakes the writer: work, a flush, the stop
    std::condition_variable m_written;  // the writer wakes flush() once a batch is done
    std::vector<Command> m_pending;     // the GUI thread adds, the writer takes them all
    std::chrono::steady_clock::time_point m_firstPendingAt;  // set by the GUI thread with the first of m_pending
    uint64_t m_handed = 0;  // commands handed over, counted by the GUI thread
    uint64_t m_done = 0;    // commands dealt with, counted by the writer
    bool m_stopping = false;  // set by the destructor, read by the writer
    bool m_flushing = false;  // set and cleared by flush(), read by the writer
    std::optional<JournalRecording> m_found;  // what FindUnsaved found: the writer sets, the GUI thread reads

    // The writer's own: no other thread touches them while it runs (it sets up and closes them
    // itself, before the destructor's join).
    std::unique_ptr<JournalDatabase> m_database;
    std::unique_ptr<JournalCheckpointer> m_checkpointer;  // of m_database's file
    Position m_position;
    std::unique_ptr<RecordingLock> m_lock;   // the current recording's
    int64_t m_lockedRecording = 0;
    std::unique_ptr<RecordingLock> m_claim;  // the recording offered to the user
    int64_t m_claimedRecording = 0;
    // Locks of recordings this program is done with, released once that is committed.
    std::vector<std::unique_ptr<RecordingLock>> m_afterCommit;
    std::deque<Command> m_waiting;           // handed over, not yet written
    size_t m_waitingRows = 0;
    int64_t m_rowsDropped = 0;               // rows that found no room to wait
    std::optional<JournalError> m_failure;   // the episode of failing that is going on
    bool m_givenUp = false;                  // a newer version's database: nothing is tried again
    std::chrono::steady_clock::time_point m_nextTry;
    std::chrono::milliseconds m_retryDelay{0};
    std::vector<int64_t> m_toTidy;           // finished recordings housekeeping removes
    bool m_tidyListed = false;
    std::chrono::steady_clock::time_point m_tidyFrom;

    // The GUI thread's: started by the constructor, joined by the destructor.
    std::thread m_writer;
};
