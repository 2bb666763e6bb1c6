#include "link/HidReportQueue.h"

#include <algorithm>
#include <cstring>

HidReportQueue::HidReportQueue(uint16_t reportLength, size_t capacity)
    : m_reportLength(reportLength), m_capacity(std::max<size_t>(capacity, 1))
{
}

bool HidReportQueue::reserveSlot()
{
    if (m_count < m_entries.size())
        return true;
    if (m_count == m_capacity)
        return false;
    // Grown in order: the oldest entry moves to slot 0.
    const size_t slots = std::min(m_capacity, std::max<size_t>(16, m_entries.size() * 2));
    std::vector<Entry> entries(slots);
    std::vector<uint8_t> bytes(slots * m_reportLength);
    for (size_t i = 0; i < m_count; ++i) {
        const size_t from = (m_head + i) % m_entries.size();
        entries[i] = m_entries[from];
        std::memcpy(bytes.data() + i * m_reportLength, m_bytes.data() + from * m_reportLength, m_reportLength);
    }
    m_entries.swap(entries);
    m_bytes.swap(bytes);
    m_head = 0;
    return true;
}

bool HidReportQueue::pushReport(const uint8_t* data, uint32_t size)
{
    if (!reserveSlot()) {
        ++m_lost;
        return false;
    }
    const size_t slot = (m_head + m_count++) % m_entries.size();
    size = std::min<uint32_t>(size, m_reportLength);
    m_entries[slot] = Entry{false, 0, size};
    std::memcpy(m_bytes.data() + slot * m_reportLength, data, size);
    return true;
}

bool HidReportQueue::pushReadError(uint32_t error)
{
    if (!reserveSlot())
        return false;
    const size_t slot = (m_head + m_count++) % m_entries.size();
    m_entries[slot] = Entry{true, error, 0};
    return true;
}

HidReportQueue::Entry HidReportQueue::pop(std::vector<uint8_t>& report)
{
    if (m_count == 0)
        return {};
    const Entry entry = m_entries[m_head];
    if (!entry.readError)
        std::memcpy(report.data(), m_bytes.data() + m_head * m_reportLength, std::min<size_t>(entry.size, report.size()));
    m_head = (m_head + 1) % m_entries.size();
    --m_count;
    return entry;
}

uint64_t HidReportQueue::takeLost()
{
    const uint64_t lost = m_lost;
    m_lost = 0;
    return lost;
}
