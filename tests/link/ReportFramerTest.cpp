#include "base/IntegerText.h"
#include "link/ReportFramer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The framer's surroundings: the connect bar, the diagnostic panel, the reading road and the
// cable, each recording what reached it.
struct RecordingHost : ConnectionControls, FrameDiagnostics, ReadingTarget, ReportFramer::Cable {
    bool download = false;
    bool failDecode = false;
    std::vector<QByteArray> decoded, history, usbtxt, usbtxt1;
    int samplingOff = 0, stops = 0, releases = 0;
    QByteArray frameText;
    int32_t rangeMax = 855, rangeMin = -50;

    bool connectTicked() const override { return true; }
    void releaseConnectToggle() override {}
    void setConnectCaption(const QString&) override {}
    bool downloadTicked() const override { return download; }
    void setDownloadEnabled(bool) override {}
    void startNewRecording() override {}
    void connectionLost() override {}
    void switchOffSamplingInterval() override { ++samplingOff; }
    void frameClosed(const QByteArray& f) override { frameText = f; }
    void setMeasuringRange(int32_t max, int32_t min) override
    {
        rangeMax = max;
        rangeMin = min;
    }
    int32_t nextRecordNo() const override { return 1; }
    void decodeFrame(const QByteArray& frameText) override
    {
        decoded.push_back(frameText);
        if (failDecode)
            throw ProgramError("'12C4' is not a valid integer value");
    }
    void sendStopCommand() override { ++stops; }
    void showFrameText(const QByteArray& f) override { usbtxt.push_back(f); }
    void showMarkedFrameText(const QByteArray& f) override { usbtxt1.push_back(f); }
    void addHistoryLine(const QByteArray& l) override { history.push_back(l); }
    void releaseSyncHandle() override { ++releases; }
};

struct Framer : ::testing::Test {
    RecordingHost host;
    ReportFramer framer{host, host, host, host};

    void report(std::vector<uint8_t> data) { framer.handleReport(0, data.data(), uint16_t(data.size())); }
    // Sends the nine digits d1..d9 plus CR LF, split into reports of the given sizes, then an empty report.
    void frame(const char* digits, std::vector<int> split = {3, 5, 3})
    {
        std::vector<uint8_t> bytes;
        for (const char* p = digits; *p; ++p)
            bytes.push_back(uint8_t(0x30 | QByteArray(1, *p).toInt(nullptr, 16)));
        bytes.push_back(0x0D);
        bytes.push_back(0x0A);
        size_t at = 0;
        for (int n : split) {
            std::vector<uint8_t> r{uint8_t(0xF0 | n)};
            r.insert(r.end(), bytes.begin() + at, bytes.begin() + at + n);
            report(r);
            at += n;
        }
        report({0xF0, 0, 0});
    }
};

}  // namespace

TEST_F(Framer, BuildsTheFrameWithTheLastDigitInFrontAndDecodesLiveFrames)
{
    frame("125300100");  // status 1, digits 2 5 3 0, type 01
    ASSERT_EQ(host.decoded.size(), 1u);
    EXPECT_EQ(host.frameText, QByteArray("A125300100D"));
    EXPECT_EQ(ReportFramer::typeCode(host.frameText), "AD01");
    EXPECT_FALSE(framer.burstPending());
    EXPECT_TRUE(framer.burstHex().isEmpty());
    EXPECT_EQ(host.history.size(), 3u);
    EXPECT_EQ(host.releases, 1);
}

TEST_F(Framer, TheEdgeCaseBurstFromTheNibbles)
{
    // Nibbles 1 2 3 4 5 0 1 8 9 D A give A123450189D.
    report({0xF3, 0x31, 0x32, 0x33});
    report({0xF5, 0x34, 0x35, 0x30, 0x31, 0x38});
    report({0xF3, 0x39, 0x0D, 0x0A});
    report({0xF0});
    EXPECT_EQ(host.frameText, QByteArray("A123450189D"));
    EXPECT_EQ(ReportFramer::typeCode(host.frameText), "AD01");
}

TEST_F(Framer, CountsEmptyReportsAndTreatsCountsAboveNineAsEmpty)
{
    report({0xF2, 0x31, 0x32});
    EXPECT_EQ(framer.reportCount(), 0);
    report({0xFA, 1, 2, 3});  // n = 10: no payload, closes the burst
    EXPECT_FALSE(framer.burstPending());
    EXPECT_EQ(host.frameText, "12");
    report({0xF0});
    report({});  // Size 0 is not counted
    EXPECT_EQ(framer.reportCount(), 2);
    EXPECT_TRUE(host.decoded.empty());  // a short frame matches no type
}

TEST_F(Framer, AReportAnnouncingMoreThanItHoldsContributesWhatItHolds)
{
    report({0xF9, 0x31, 0x32});
    report({0xF0});
    EXPECT_EQ(host.frameText, "12");
}

TEST_F(Framer, HistoryLineFormat)
{
    const uint8_t data[] = {0xF2, 0x31, 0x32, 0, 0, 0, 0, 0};
    EXPECT_EQ(ReportFramer::historyLine(0, data, 8), "R 00  F2 31 32 00 00 00 00 00 ");
}

TEST_F(Framer, DownloadModeDecodesStoredReadingsAndStopsOnTheEndMark)
{
    host.download = true;
    frame("125300100");  // a live frame: not decoded in download mode
    frame("125300700");
    EXPECT_EQ(host.decoded.size(), 1u);
    EXPECT_EQ(host.stops, 0);
    frame("125300799");  // the last stored reading: recorded, then Stop
    EXPECT_EQ(host.decoded.size(), 2u);
    EXPECT_EQ(host.stops, 1);
    EXPECT_EQ(host.samplingOff, 3);
    frame("125300199");  // any frame with the mark stops, decoded or not
    EXPECT_EQ(host.stops, 2);
}

TEST_F(Framer, AModelFrameSetsTheRangeAndIsNotDecoded)
{
    frame("030631000");  // model frame, code 3063 in the display digits
    EXPECT_TRUE(host.decoded.empty());
    EXPECT_EQ(host.rangeMax, 1555);
    EXPECT_EQ(host.rangeMin, -50);
    EXPECT_EQ(host.usbtxt1.size(), 1u);
}

TEST_F(Framer, ModelCodes)
{
    const struct { const char* code; int32_t max; } cases[] = {
        {"3051", 855}, {"3052", 1055}, {"3053", 1255}, {"3063", 1555}, {"3073", 1855},
        {"3061", 1055}, {"3062", 1255}, {"3071", 1255}, {"3072", 1555},
    };
    for (const auto& c : cases) {
        const auto range = ReportFramer::modelRange(QByteArray("A0") + c.code + "10000");
        ASSERT_TRUE(range) << c.code;
        EXPECT_EQ(range->max, c.max) << c.code;
        EXPECT_EQ(range->min, -50);
    }
    EXPECT_FALSE(ReportFramer::modelRange("A030991000D"));
    host.rangeMax = 1555;
    frame("030991000");
    EXPECT_EQ(host.rangeMax, 1555);
}

TEST_F(Framer, DiagnosticMarkOn100)
{
    frame("010000100");
    ASSERT_EQ(host.usbtxt1.size(), 1u);
    EXPECT_EQ(host.usbtxt1[0], "A010000100D");
}

TEST_F(Framer, ADecoderFailureStillClosesTheBurstAndThenReachesTheCaller)
{
    host.failDecode = true;
    EXPECT_THROW(frame("112C40100"), ProgramError);
    EXPECT_FALSE(framer.burstPending());
    EXPECT_TRUE(framer.burstHex().isEmpty());
    EXPECT_EQ(host.releases, 1);
    host.failDecode = false;
    frame("125300100");
    EXPECT_EQ(host.decoded.back(), "A125300100D");
}

TEST_F(Framer, AFailedStoredReadingWithTheEndMarkStillStopsTheDownload)
{
    host.download = true;
    host.failDecode = true;
    EXPECT_THROW(frame("112C40799"), ProgramError);
    EXPECT_EQ(host.stops, 1);
}

TEST_F(Framer, BurstsLongerThanElevenBytesAreCut)
{
    report({0xF9, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39});
    report({0xF5, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E});
    // A burst that is never closed keeps no more than its frame.
    for (int i = 0; i < 100000; ++i)
        report({0xF9, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(framer.burstHex().size(), 22);
    report({0xF0});
    EXPECT_EQ(host.frameText, "B123456789A");
}
