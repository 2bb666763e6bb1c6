#include "sim/SimulatedCable.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

const std::vector<uint8_t> kBaud2400 = {0x00, 0x60, 0x09, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00};
const std::vector<uint8_t> kBaud9600 = {0x00, 0x80, 0x25, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00};
const std::vector<uint8_t> kPoll = {0x00, 0x02, 0x5A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

std::vector<uint8_t> command(uint8_t value)
{
    return {0x00, 0x01, value, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}

// The frame's low nibbles as hex digits: d1..d9, then those of CR and LF.
std::string digitsOf(const QByteArray& frame)
{
    std::string text;
    for (const char byte : frame)
        text += "0123456789ABCDEF"[byte & 0x0F];
    return text;
}

// Reads the cable's reports the way the program's framer does: payload bytes gather into a
// burst until a report without payload closes it.
struct Listener {
    explicit Listener(SimulatedCable& cable) : cable(cable) {}

    void readFor(int64_t microseconds)
    {
        const int64_t end = cable.lastReportTime() + microseconds;
        while (cable.lastReportTime() < end)
            take(cable.nextReport());
    }

    void take(const SimulatedCable::InputReport& report)
    {
        ASSERT_EQ(report.bytes.size(), 11);
        ASSERT_EQ(report.bytes[0], 0) << "report ID";
        const uint8_t countByte = static_cast<uint8_t>(report.bytes[1]);
        ASSERT_EQ(countByte & 0xF0, 0xF0);
        const int count = countByte & 0x0F;
        ASSERT_LE(count, 9);
        if (count == 0) {
            if (!burst.isEmpty()) {
                frames.push_back(burst);
                frameTimes.push_back({burstStart, previousTime});
            } else if (previousWasEmpty) {
                idleSpacings.insert(report.time - previousTime);
            }
            burst.clear();
            ++emptyReports;
        } else {
            if (burst.isEmpty()) {
                burstStart = report.time;
                firstCounts.push_back(count);
            }
            payloadSizes.insert(count);
            burst += report.bytes.mid(2, count);
        }
        previousWasEmpty = count == 0;
        previousTime = report.time;
    }

    SimulatedCable& cable;
    QByteArray burst;
    int64_t burstStart = 0;
    int64_t previousTime = 0;
    bool previousWasEmpty = false;
    std::vector<QByteArray> frames;
    std::vector<std::pair<int64_t, int64_t>> frameTimes;
    std::vector<int> firstCounts;  // payload of each burst's first report
    std::set<int> payloadSizes;
    std::set<int64_t> idleSpacings;
    int emptyReports = 0;
};

class Cable : public ::testing::Test {
protected:
    void send(const std::vector<uint8_t>& report)
    {
        ASSERT_TRUE(cable.receiveOutputReport(report, cable.lastReportTime()));
    }

    SimulatedCable cable;
    Listener listener{cable};
};

TEST_F(Cable, LiveFramesComeSplitOneToNineBytesAtTheSerialRateWithEmptyReportsBetween)
{
    ASSERT_TRUE(cable.receiveFeatureReport(kBaud2400, 0));
    send(kPoll);
    send(command(SimulatedThermometer::kStartLive));
    listener.readFor(120'000'000);

    ASSERT_GE(listener.frames.size(), 200u);
    std::set<std::string> readings;
    for (const QByteArray& frame : listener.frames) {
        ASSERT_EQ(frame.size(), 11) << "a frame was split or merged";
        const std::string digits = digitsOf(frame);
        EXPECT_EQ(digits.substr(5, 2), "01");
        EXPECT_EQ(digits.substr(9, 2), "DA");  // CR LF
        EXPECT_EQ(digits[0], '1') << "Celsius with one decimal place";
        readings.insert(digits.substr(1, 4));
        const double value = std::stoi(digits.substr(2, 3)) / 10.0;  // " 215" is 21.5
        EXPECT_GT(value, 15.0);
        EXPECT_LT(value, 30.0);
    }
    EXPECT_GT(readings.size(), 3u) << "the temperature should move";
    EXPECT_EQ(listener.payloadSizes, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(listener.idleSpacings, (std::set<int64_t>{SimulatedCable::kIdleReportIntervalUs}));
    // The first report of a frame went out before the byte after its payload had arrived, the
    // last one after the frame's last byte: no report runs ahead of the serial line.
    for (size_t i = 0; i < listener.frameTimes.size(); ++i) {
        const auto [start, end] = listener.frameTimes[i];
        const int first = listener.firstCounts[i];
        if (first < 9)
            EXPECT_GT(end - start, SerialLine::byteArrival(10) - SerialLine::byteArrival(first));
        EXPECT_LE(end - start, SerialLine::byteArrival(10) - SerialLine::byteArrival(0) + SimulatedCable::kMaxGatherTimeUs);
    }
}

TEST_F(Cable, DownloadSendsTheStoredReadingsAndMarksTheLast)
{
    cable.thermometer().setStoredReadings({21.3, -4.5, 98.6});
    ASSERT_TRUE(cable.receiveFeatureReport(kBaud2400, 0));
    send(command(SimulatedThermometer::kStartDownload));
    listener.readFor(5'000'000);

    std::vector<std::string> digits;
    for (const QByteArray& frame : listener.frames)
        digits.push_back(digitsOf(frame).substr(0, 9));
    EXPECT_EQ(digits, (std::vector<std::string>{"1A2130700", "1AB450700", "1A9860799"}));
    EXPECT_EQ(cable.thermometer().mode(), SimulatedThermometer::Mode::Idle);
}

TEST_F(Cable, StopEndsTheStreamOnceTheFrameUnderWayIsOut)
{
    ASSERT_TRUE(cable.receiveFeatureReport(kBaud2400, 0));
    send(command(SimulatedThermometer::kStartLive));
    listener.readFor(3'000'000);
    const size_t before = listener.frames.size();
    ASSERT_GT(before, 0u);
    send(command(SimulatedThermometer::kStop));
    listener.readFor(10'000'000);
    EXPECT_LE(listener.frames.size(), before + 1);
    EXPECT_TRUE(listener.burst.isEmpty());
}

TEST_F(Cable, PassesNothingUntilSetTo2400Baud)
{
    ASSERT_TRUE(cable.receiveFeatureReport(kBaud9600, 0));
    send(command(SimulatedThermometer::kStartLive));
    listener.readFor(3'000'000);
    EXPECT_TRUE(listener.frames.empty());
    EXPECT_EQ(cable.baudRate(), 9600u);

    ASSERT_TRUE(cable.receiveFeatureReport(kBaud2400, cable.lastReportTime()));
    send(command(SimulatedThermometer::kStartLive));
    listener.readFor(3'000'000);
    EXPECT_FALSE(listener.frames.empty());
}

TEST(CableModel, AnnouncesItsModelOnPollWhenSoConfigured)
{
    SimulatedCable::Options options;
    options.thermometer.answerPollWithModel = true;
    options.thermometer.modelCode = "3073";
    SimulatedCable cable(options);
    Listener listener(cable);
    ASSERT_TRUE(cable.receiveFeatureReport(kBaud2400, 0));
    ASSERT_TRUE(cable.receiveOutputReport(kPoll, 0));
    ASSERT_TRUE(cable.receiveOutputReport(command(SimulatedThermometer::kStartLive), 0));
    listener.readFor(1'500'000);
    ASSERT_GE(listener.frames.size(), 2u);
    EXPECT_EQ(digitsOf(listener.frames[0]), "030731000DA");
    EXPECT_EQ(digitsOf(listener.frames[1]).substr(5, 2), "01");
}

TEST_F(Cable, SilentInstrumentLeavesOnlyEmptyReports)
{
    cable.thermometer().setSilent(true);
    ASSERT_TRUE(cable.receiveFeatureReport(kBaud2400, 0));
    send(command(SimulatedThermometer::kStartLive));
    listener.readFor(31'000'000);
    EXPECT_TRUE(listener.frames.empty());
    EXPECT_GE(listener.emptyReports, 3000);
}

struct ReadingCase {
    SimulatedThermometer::Reading reading;
    SimulatedThermometer::Unit unit;
    std::string digits;  // d1 and the display digits, or their beginning
};

class SpecialReadings : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(SpecialReadings, ShowAsTheInstrumentDoes)
{
    SimulatedCable cable;
    Listener listener(cable);
    cable.thermometer().setReading(GetParam().reading);
    cable.thermometer().setUnit(GetParam().unit);
    ASSERT_TRUE(cable.receiveFeatureReport(kBaud2400, 0));
    ASSERT_TRUE(cable.receiveOutputReport(command(SimulatedThermometer::kStartLive), 0));
    listener.readFor(1'000'000);
    ASSERT_FALSE(listener.frames.empty());
    EXPECT_EQ(digitsOf(listener.frames[0]).substr(0, GetParam().digits.size()), GetParam().digits);
}

INSTANTIATE_TEST_SUITE_P(
    Readings, SpecialReadings,
    ::testing::Values(
        ReadingCase{SimulatedThermometer::Reading::OverloadHigh, SimulatedThermometer::Unit::Celsius, "0A0FA"},
        ReadingCase{SimulatedThermometer::Reading::OverloadLow, SimulatedThermometer::Unit::Celsius, "0B0FA"},
        ReadingCase{SimulatedThermometer::Reading::Dashes, SimulatedThermometer::Unit::Fahrenheit, "2BBBB"},
        ReadingCase{SimulatedThermometer::Reading::Temperature, SimulatedThermometer::Unit::Fahrenheit, "3A70"}));

TEST(ThermometerDisplay, PlacesValuesAsFourDigitsWithSignAndPoint)
{
    using Unit = SimulatedThermometer::Unit;
    const struct {
        double value;
        Unit unit;
        std::array<uint8_t, 5> digits;
    } cases[] = {
        {21.5, Unit::Celsius, {1, 0xA, 2, 1, 5}},
        {0.5, Unit::Celsius, {1, 0xA, 0xA, 0, 5}},
        {-0.5, Unit::Celsius, {1, 0xA, 0xB, 0, 5}},
        {-12.3, Unit::Celsius, {1, 0xB, 1, 2, 3}},
        {70.7, Unit::Fahrenheit, {3, 0xA, 7, 0, 7}},
        {1234.4, Unit::Celsius, {0, 1, 2, 3, 4}},          // no room for the decimal
        {12345.0, Unit::Celsius, {0, 0xA, 0, 0xF, 0xA}},   // overload
        {-1234.0, Unit::Fahrenheit, {2, 0xB, 0, 0xF, 0xA}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SimulatedThermometer::displayDigits(c.value, c.unit), c.digits) << c.value;
}

}  // namespace
