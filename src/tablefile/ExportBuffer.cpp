#include "tablefile/ExportBuffer.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

ExportBuffer::ExportBuffer(QIODevice& device)
    : m_device(device),
      m_buffers{std::make_unique_for_overwrite<char[]>(size_t(kCapacity)),
                std::make_unique_for_overwrite<char[]>(size_t(kCapacity))},
      m_pos(m_buffers[0].get()),
      m_end(m_buffers[0].get() + kCapacity),
      m_writer([this] { writerLoop(); })
{
}

ExportBuffer::~ExportBuffer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_writer.join();
}

void ExportBuffer::append(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        if (m_pos == m_end)
            handOver();
        const qsizetype n = std::min(bytes.size(), qsizetype(m_end - m_pos));
        std::memcpy(m_pos, bytes.data(), size_t(n));
        m_pos += n;
        bytes = bytes.sliced(n);
    }
}

void ExportBuffer::waitUntilWriterIdle(std::unique_lock<std::mutex>& lock)
{
    m_changed.wait(lock, [this] { return m_toWrite == nullptr; });
    if (!m_writeFailure.isEmpty())
        throw ExportWriteError(ExportWriteError::Stage::Write, m_writeFailure);
}

void ExportBuffer::handOver()
{
    char* const filled = m_buffers[m_filling].get();
    {
        std::unique_lock lock(m_mutex);
        waitUntilWriterIdle(lock);
        if (m_pos == filled)
            return;
        m_toWrite = filled;
        m_toWriteSize = m_pos - filled;
    }
    m_changed.notify_all();
    m_filling ^= 1;
    m_pos = m_buffers[m_filling].get();
    m_end = m_pos + kCapacity;
}

void ExportBuffer::finish()
{
    handOver();
    std::unique_lock lock(m_mutex);
    waitUntilWriterIdle(lock);
}

void ExportBuffer::writerLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_toWrite != nullptr || m_stop; });
        if (m_toWrite == nullptr)
            return;
        const char* p = m_toWrite;
        const char* const end = p + m_toWriteSize;
        lock.unlock();
        // A write cut short (a full disk, a size limit) is tried again for the rest, which then
        // fails with the reason.
        QString failure;
        while (p != end) {
            const qint64 written = m_device.write(p, end - p);
            if (written <= 0) {
                failure = m_device.errorString();
                break;
            }
            p += written;
        }
        lock.lock();
        if (!failure.isEmpty() && m_writeFailure.isEmpty())
            m_writeFailure = failure;
        m_toWrite = nullptr;
        m_changed.notify_all();
    }
}
