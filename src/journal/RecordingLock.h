#pragma once

#include <QString>

#include <memory>

// A recording's lock file beside the journal. Ownership is the kernel's lock on the open file
// (flock), which goes with the process that holds it however that process ends, so what the file
// contains (nothing, after a power cut; junk) never matters. The file is never opened through a
// link: a link in its place is removed (the link, not its target) and a file made anew.
// Nothing in it is shared between threads: each lock is taken, moved and released by one thread
// (the journal's writer), and the descriptor and path never change once it is made.
class RecordingLock {
public:
    // The lock, or none while another open file holds it. Throws JournalError when the file
    // cannot be made.
    static std::unique_ptr<RecordingLock> tryTake(const QString& path);
    // Releases the lock and leaves the file.
    ~RecordingLock();
    RecordingLock(const RecordingLock&) = delete;
    RecordingLock& operator=(const RecordingLock&) = delete;

    // Removes the file, then releases the lock: for a recording that no program writes again.
    // Whoever opened the file before it went sees that it is gone once it has the lock.
    void remove();

private:
    RecordingLock(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}

    int m_fd;
    QString m_path;
};
