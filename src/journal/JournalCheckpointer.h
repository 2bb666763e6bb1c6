#pragma once

#include <QByteArray>

#include <condition_variable>
#include <mutex>
#include <thread>

// Copies the journal's write-ahead log back into the database on a thread and connection of its
// own, so that a commit never waits for that copy and its sync: on a slow disk the rows handed
// over then lag at most one commit behind. Started by the first request; sleeps between them.
// Made, asked and destroyed by one thread (the journal's writer); only the members under m_mutex
// are shared with the copying thread.
class JournalCheckpointer {
public:
    explicit JournalCheckpointer(QByteArray path) : m_path(std::move(path)) {}
    // Waits for a copy under way.
    ~JournalCheckpointer();
    JournalCheckpointer(const JournalCheckpointer&) = delete;
    JournalCheckpointer& operator=(const JournalCheckpointer&) = delete;

    // Asks for a copy; returns at once. Requests made while one runs make one more.
    void request();

private:
    void run();

    QByteArray m_path;  // set before the copying thread starts, never changed: read without a lock
    std::mutex m_mutex;
    std::condition_variable m_wake;  // the owner wakes the copying thread, which waits under m_mutex
    bool m_requested = false;  // under m_mutex: set by request(), cleared by the copying thread
    bool m_stopping = false;   // under m_mutex: set by the destructor, read by the copying thread
    std::thread m_thread;      // the owner's alone: started by request(), joined by the destructor
};
