#pragma once

#include "base/FileWriteError.h"

#include <QByteArrayView>
#include <QString>

class QIODevice;

#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

// The table's files are replaced as every file the program saves is.
using ExportWriteError = FileWriteError;

// Output for a file of up to a gigabyte. Writers format straight into a large buffer: reserve
// room for the longest thing they may write, then commit where they ended. A full buffer goes
// to a writer thread in one piece while formatting carries on in a second buffer, so the file
// is written about as fast as one big write would, not after all the formatting.
// The writer thread owns nothing but the buffer it is writing and touches the device only
// between hand-overs, so the device is never used by two threads at once.
class ExportBuffer {
public:
    static constexpr qsizetype kCapacity = 1 << 20;

    // The device stays open and owned by the caller; nothing is written to it after finish() or
    // the destructor returns.
    explicit ExportBuffer(QIODevice& device);
    ~ExportBuffer();
    ExportBuffer(const ExportBuffer&) = delete;
    ExportBuffer& operator=(const ExportBuffer&) = delete;

    char* reserve(qsizetype bytes)
    {
        if (m_end - m_pos < bytes)
            handOver();
        return m_pos;
    }
    void commit(char* end) { m_pos = end; }
    void append(QByteArrayView bytes);

    // Writes out everything committed so far. Throws ExportWriteError, as reserve() and append()
    // do once an earlier write has failed.
    void finish();

private:
    void handOver();
    void waitUntilWriterIdle(std::unique_lock<std::mutex>& lock);
    void writerLoop();

    QIODevice& m_device;
    std::unique_ptr<char[]> m_buffers[2];
    int m_filling = 0;
    char* m_pos;
    char* m_end;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    const char* m_toWrite = nullptr;  // set by the formatting side, cleared by the writer
    qsizetype m_toWriteSize = 0;
    QString m_writeFailure;  // the device's reason; empty while every write has succeeded
    bool m_stop = false;
    std::thread m_writer;  // last, so it starts after everything above exists
};
