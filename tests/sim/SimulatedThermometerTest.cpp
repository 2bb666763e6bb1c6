#include "sim/SimulatedThermometer.h"

#include <gtest/gtest.h>

namespace {

// Where the reading stands after `seconds` of live frames.
double celsiusAfterLiveFrames(double changePerSecond, int64_t seconds)
{
    SimulatedThermometer::Options options;
    options.changePerSecond = changePerSecond;
    SimulatedThermometer thermometer(options);
    thermometer.receive(QByteArray(1, char(SimulatedThermometer::kStartLive)), 0);
    int frames = 0;
    thermometer.transmitUntil(seconds * 1'000'000, [&](int64_t, const QByteArray&) { ++frames; });
    EXPECT_GT(frames, 10);
    return thermometer.celsius();
}

}  // namespace

// The demo's speed option must change how far the reading moves, not where it wanders around
// or which way it goes: the same seed walks the same path, scaled.
TEST(SimulatedThermometer, ChangePerSecondScalesTheWanderAroundRoomTemperature)
{
    const double room = SimulatedThermometer::Options{}.roomTemperature;
    const double slow = celsiusAfterLiveFrames(0.1, 20) - room;
    const double fast = celsiusAfterLiveFrames(2.0, 20) - room;

    ASSERT_NE(slow, 0.0);
    EXPECT_NEAR(fast / slow, 20.0, 1e-9);
    EXPECT_EQ(celsiusAfterLiveFrames(0.0, 20), room);
}
