#include "link/CableReports.h"

#include <gtest/gtest.h>

using namespace CableReports;

TEST(CableReports, FeatureReportPicksTheSlowestTickedRate)
{
    const auto stored = featureReport({false, false, true});
    EXPECT_EQ(std::vector<uint8_t>(stored.begin(), stored.end()),
              (std::vector<uint8_t>{0x00, 0x60, 0x09, 0, 0, 3, 0, 0, 0, 0}));
    EXPECT_EQ(featureHistoryLine(stored), "60 09 00 00 03 00 00 00 00 00 ");
    EXPECT_EQ(featureReport({true, true, false})[1], 0xC0);
    EXPECT_EQ(featureReport({true, false, false})[2], 0x25);
    const auto none = featureReport({});
    EXPECT_EQ(none[1], 0);
    EXPECT_EQ(none[2], 0);
}

TEST(CableReports, OutputReportsTakeTheDevicesLength)
{
    EXPECT_EQ(commandReport(kStop, 9), (std::vector<uint8_t>{0, 1, 0x5B, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pollReport(9), (std::vector<uint8_t>{0, 2, 0x5A, 0, 0, 0, 0, 0, 0}));
    const auto big = commandReport(kStartLive, 200);  // beyond the 65-byte buffer: zero-padded
    ASSERT_EQ(big.size(), 200u);
    EXPECT_EQ(big[2], 90);
    EXPECT_EQ(big[199], 0);
    EXPECT_EQ(outputHistoryLine(commandReport(kStop, 9), 9), "01 5B 00 00 00 00 00 00 00 ");
}
