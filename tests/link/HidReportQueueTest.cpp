#include "link/HidReportQueue.h"

#include <gtest/gtest.h>

// Growing while the ring has wrapped around, and filling up, keep the order; read errors keep
// their place among the reports, and only reports count as lost.
TEST(HidReportQueue, KeepsOrderWhileGrowingAndCountsReportsThatDoNotFit)
{
    HidReportQueue queue(3, 40);
    std::vector<uint8_t> report(3);
    int pushed = 0;
    int popped = 0;
    const auto push = [&](int count) {
        for (int i = 0; i < count; ++i, ++pushed) {
            const uint8_t bytes[3] = {uint8_t(pushed), uint8_t(pushed >> 8), 0xEE};
            queue.pushReport(bytes, pushed % 7 == 0 ? 2 : 3);
        }
    };
    const auto popAndCheck = [&](int count) {
        for (int i = 0; i < count; ++i, ++popped) {
            const HidReportQueue::Entry entry = queue.pop(report);
            ASSERT_FALSE(entry.readError);
            ASSERT_EQ(entry.size, popped % 7 == 0 ? 2u : 3u) << popped;
            EXPECT_EQ(report[0], uint8_t(popped));
            EXPECT_EQ(report[1], uint8_t(popped >> 8));
        }
    };
    push(12);
    popAndCheck(10);
    push(14);  // wraps around in its 16 slots
    // Full: the read error makes it grow, wrapped as it is.
    EXPECT_TRUE(queue.pushReadError(5));
    popAndCheck(16);
    EXPECT_TRUE(queue.pop(report).readError);
    EXPECT_TRUE(queue.empty());

    push(45);
    EXPECT_EQ(queue.size(), 40u);
    EXPECT_FALSE(queue.pushReadError(6));
    EXPECT_EQ(queue.takeLost(), 5u);
    EXPECT_EQ(queue.takeLost(), 0u);
    popAndCheck(40);
    EXPECT_TRUE(queue.empty());
}
