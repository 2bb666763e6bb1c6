#include "ExportBuffer.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

ExportBuffer::ExportBuffer(QIODevice& device)
    : m_device(device),
      m_buffer(std::make_unique_for_overwrite<char[]>(size_t(kCapacity))),
      m_pos(m_buffer.get()),
      m_end(m_buffer.get() + kCapacity)
{
}

void ExportBuffer::append(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        if (m_pos == m_end)
            flush();
        const qsizetype n = std::min(bytes.size(), qsizetype(m_end - m_pos));
        std::memcpy(m_pos, bytes.data(), size_t(n));
        m_pos += n;
        bytes = bytes.sliced(n);
    }
}

void ExportBuffer::flush()
{
    // A write cut short (a full disk, a size limit) is tried again for the rest, which then
    // fails with the system's reason.
    for (const char* p = m_buffer.get(); p != m_pos;) {
        const qint64 written = m_device.write(p, m_pos - p);
        if (written <= 0)
            throw ExportWriteError(ExportWriteError::Stage::Write, m_device.errorString());
        p += written;
    }
    m_pos = m_buffer.get();
}
