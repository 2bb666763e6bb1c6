#pragma once

#include <array>
#include <cstdint>

// The record-limit items of the Record menu. The item whose limit is the current record limit
// carries the check mark, so choosing one unticks the others.
struct RecordLimitItem {
    const char* objectName;
    const char* caption;
    int32_t limit;
};

inline constexpr std::array<RecordLimitItem, 6> kRecordLimitItems{{
    {"N10001", "1000", 1000},
    {"N50001", "5000", 5000},
    {"N100001", "10000", 10000},
    {"N500001", "50000", 50000},
    {"N1000001", "100000", 100000},
    {"limitess", "limitless", 10000000},  // a limit all the same
}};

inline bool isRecordLimitTicked(const RecordLimitItem& item, int32_t recordLimit)
{
    return item.limit == recordLimit;
}
