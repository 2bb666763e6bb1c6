#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What a device's reader has read and the GUI thread has not yet handled: input reports and read
// errors, in the order they came. The reader reads ahead into it while the GUI thread is busy, so
// that the device's own small queue never overflows; when this one is full, further reports are
// counted as lost instead of stored. Its storage grows with use, up to the capacity.
//
// Not synchronised: the reader thread's lock guards it.
class HidReportQueue {
public:
    // Ten minutes and more of reports at a report every 10 ms.
    static constexpr size_t kDefaultCapacity = 65536;

    struct Entry {
        bool readError = false;
        uint32_t error = 0;  // the read error's code
        uint32_t size = 0;   // bytes of the report, report ID included
    };

    HidReportQueue(uint16_t reportLength, size_t capacity = kDefaultCapacity);

    // Each returns false, and stores nothing, when the queue is full; a report is then counted.
    bool pushReport(const uint8_t* data, uint32_t size);
    bool pushReadError(uint32_t error);
    bool empty() const { return m_count == 0; }
    size_t size() const { return m_count; }
    // Removes the oldest entry; a report's bytes are copied into `report`, which keeps its size.
    Entry pop(std::vector<uint8_t>& report);
    // The reports lost since the last call.
    uint64_t takeLost();

private:
    bool reserveSlot();

    uint16_t m_reportLength;
    size_t m_capacity;
    std::vector<Entry> m_entries;
    std::vector<uint8_t> m_bytes;  // m_reportLength bytes for each slot of m_entries
    size_t m_head = 0;
    size_t m_count = 0;
    uint64_t m_lost = 0;
};
