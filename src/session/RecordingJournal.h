#pragma once

#include "session/JournalDatabase.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QLockFile;

// Keeps every recorded row safe on disk as it arrives: the crash-safe journal. The GUI thread only
// hands rows and marks over; a writer thread of its own looks for them every 50 ms and commits
// what it finds in one transaction, synced to disk, so a row is on disk well within a quarter of
// a second of being handed over and a burst (a download) goes in batches.
//
// A recording runs from one emptying of the table to the next. Each recording this program
// writes holds a lock file beside the database while the program runs, so a second instance can
// tell its own recordings from those a crashed run left behind.
//
// When the journal cannot keep readings (the folder not writable, the disk full, the database
// locked, damaged or from a newer version) it says so once through failed() and keeps nothing
// more; the caller's recording goes on without it.
class RecordingJournal : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kFileName = "journal.sqlite";
    // Saved or emptied recordings untouched this long are removed when the journal opens.
    static constexpr int kKeepFinishedDays = 30;

    // $XDG_STATE_HOME/tq612, or ~/.local/state/tq612 without it.
    static QString defaultFolder();

    // Opens the database in folder, creating both as needed; a damaged database is moved aside
    // (kept, never deleted) and a new one started.
    explicit RecordingJournal(const QString& folder, QObject* parent = nullptr);
    // Writes what was handed over, then stops the writer.
    ~RecordingJournal() override;

    // Whether rows handed over still reach the disk.
    bool keeping() const { return !m_broken.load(); }

    // The last recording an earlier run left with rows neither saved nor emptied; read on the
    // calling thread, after what was handed over is written, for the question at start-up.
    std::optional<JournalRecording> unsavedRecording();
    std::vector<JournalRow> rowsOf(int64_t recording);
    // The table's texts of the recording's rows, in order; false when they cannot be read.
    bool readTableRows(int64_t recording, const JournalDatabase::TableRowVisitor& visit);
    // Goes on with the recording: rows handed over later follow its last one.
    void adopt(const JournalRecording& recording);
    // The user chose not to restore it: it stays, and is not offered again.
    void decline(int64_t recording);

    // From the GUI thread; none of these waits on the disk.
    void append(JournalRow row);
    // The table was emptied: the recording ends, the next row starts another.
    void startNewRecording();
    // The number of rows of the current recording handed over so far: what a save started now
    // holds.
    int64_t savePoint() const { return m_rowsHandedOver; }
    // A save that held the rows up to savePoint succeeded.
    void markSaved(int64_t savePoint);

    // Waits until everything handed over is on disk (or the journal gave up).
    void flush();
    // The database file.
    QString path() const { return m_path; }

signals:
    // Once, in words for the user: why readings are not being kept safe.
    void failed(const QString& reason);

private:
    struct Command {
        enum Kind { Append, NewRecording, MarkSaved, Adopt, Decline } kind;
        JournalRow row;
        int64_t number = 0;  // rows saved, the adopted or declined recording
        int64_t rows = 0;    // the adopted recording's rows
    };

    void open();
    void hand(Command command);
    void writeLoop();
    void write(const std::vector<Command>& batch);
    void apply(const Command& command);
    void lockRecording(int64_t recording);
    void giveUp(const JournalError& error);
    QString lockPath(int64_t recording) const;

    QString m_folder;
    QString m_path;
    std::atomic<bool> m_broken{false};
    bool m_reported = false;

    // The GUI thread's side.
    int64_t m_rowsHandedOver = 0;

    // Shared with the writer, under m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_written;
    std::vector<Command> m_pending;
    uint64_t m_handed = 0;
    uint64_t m_done = 0;
    bool m_stopping = false;
    bool m_flushing = false;

    // The writer's own.
    std::unique_ptr<JournalDatabase> m_database;
    int64_t m_recording = 0;  // 0 until the current recording's first row
    int64_t m_nextSeq = 0;
    std::unique_ptr<QLockFile> m_lock;

    std::thread m_writer;
};
