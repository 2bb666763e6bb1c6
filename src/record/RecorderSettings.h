#pragma once

#include <QByteArrayView>
#include <array>
#include <cstdint>

// The sampling interval in whole seconds from the interval box's text. "", "-" and "+" mean 0.
// Texts the key filter cannot produce (pasted ones) never fail: the number their leading
// digits form is taken, so "12 s" is 12 and "abc" is 0; a negative number is 0, since a
// countdown below zero would never open the sampling gate again; more digits than 32 bits
// hold mean the longest interval there is.
int32_t intervalSeconds(QByteArrayView text);

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
