#include "sim/SimulatedCableOutage.h"

#include <gtest/gtest.h>

#include <vector>

using namespace std::chrono_literals;

namespace {

// Holds the scheduled actions; the test runs them in order, as the timers would fire.
struct FakeTimers {
    struct Pending {
        std::chrono::milliseconds delay;
        std::function<void()> action;
    };
    std::vector<Pending> pending;

    RunLater runLater()
    {
        return [this](std::chrono::milliseconds delay, std::function<void()> action) {
            pending.push_back({delay, std::move(action)});
        };
    }
    std::chrono::milliseconds fireNext()
    {
        Pending next = std::move(pending.front());
        pending.erase(pending.begin());
        next.action();
        return next.delay;
    }
};

std::vector<QByteArray> pluggedInstances(SimulatedHidBackend& bus)
{
    std::vector<QByteArray> instances;
    for (const HidInterfaceInfo& device : bus.enumerate())
        instances.push_back(device.instance);
    return instances;
}

}  // namespace

TEST(SimulatedCableOutage, UnplugsTheCableOnlyAndBringsItBackAsANewInstance)
{
    SimulatedHidBackend bus;
    bus.plugDevice({});
    const auto cable = bus.plugCable();
    // The bus lists its devices in the order they were first plugged in.
    constexpr size_t kMouse = 0;
    constexpr size_t kCable = 1;
    const std::vector<QByteArray> before = pluggedInstances(bus);
    ASSERT_EQ(before.size(), 2u);
    FakeTimers timers;

    scheduleCableOutage(bus, cable, {12s, 4s}, timers.runLater());

    ASSERT_EQ(timers.pending.size(), 1u);
    EXPECT_EQ(pluggedInstances(bus), before) << "nothing happens before the first timer";

    EXPECT_EQ(timers.fireNext(), 12s);
    const std::vector<QByteArray> unplugged = pluggedInstances(bus);
    ASSERT_EQ(unplugged.size(), 1u);
    EXPECT_EQ(unplugged[0], before[kMouse]) << "the other device stays";

    ASSERT_EQ(timers.pending.size(), 1u);
    EXPECT_EQ(timers.fireNext(), 4s) << "the outage is timed from the unplugging";
    const std::vector<QByteArray> back = pluggedInstances(bus);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[kMouse], before[kMouse]);
    EXPECT_NE(back[kCable], before[kCable]);
    EXPECT_EQ(bus.enumerate()[kCable].productString, QStringLiteral("USB to Serial"));
    EXPECT_TRUE(timers.pending.empty()) << "one outage, not a cycle";
}
