#include "LinkTestSupport.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// The simulated bus queues input reports as hidraw does: per open file, from the open on.
class SimulatedQueues : public SimulatedBusTest {
protected:
    std::shared_ptr<HidHandle> openForReading()
    {
        uint32_t error = 0;
        const std::vector<HidInterfaceInfo> devices = bus->enumerate();
        EXPECT_EQ(devices.size(), 1u);
        return bus->open(devices.at(0), HidAccess::Read, error);
    }
    QByteArray read(HidHandle& handle)
    {
        std::vector<uint8_t> buffer(4);
        const HidReadResult result = handle.readInputReport(buffer, 0);
        if (result.status != HidReadResult::Completed)
            return {};
        return QByteArray(reinterpret_cast<const char*>(buffer.data()), result.bytesRead);
    }

    SimulatedHidBackend::DeviceId id = bus->plugDevice({.reportLengths = {4, 0, 0}});
};

TEST_F(SimulatedQueues, EachOpenHandleGetsTheReportsSentWhileItWasOpen)
{
    bus->queueInputReports(id, {bytes({0, 1, 1, 1})});  // nobody listens: lost
    const auto first = openForReading();
    bus->queueInputReports(id, {bytes({0, 2, 2, 2})});
    const auto second = openForReading();
    bus->queueInputReports(id, {bytes({0, 3, 3, 3})});

    EXPECT_EQ(read(*first), bytes({0, 2, 2, 2}));
    EXPECT_EQ(read(*first), bytes({0, 3, 3, 3}));
    EXPECT_EQ(read(*first), QByteArray());
    EXPECT_EQ(read(*second), bytes({0, 3, 3, 3}));
    EXPECT_EQ(read(*second), QByteArray());
}

TEST_F(SimulatedQueues, KeepsSixtyFourUnreadReportsAndDropsNewerOnes)
{
    const auto handle = openForReading();
    std::vector<QByteArray> reports;
    for (int i = 0; i < 70; ++i)
        reports.push_back(bytes({0, i, 0, 0}));
    bus->queueInputReports(id, reports);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(read(*handle), bytes({0, i, 0, 0}));
    EXPECT_EQ(read(*handle), QByteArray());
}

// Unplugged, a handle still gives what was queued, then fails; plugged in again, the device is
// a new one that old handles never reach.
TEST_F(SimulatedQueues, UnpluggedHandleDrainsThenFailsAndStaysDeadAfterReplug)
{
    const auto handle = openForReading();
    bus->queueInputReports(id, {bytes({0, 1, 1, 1})});
    bus->unplug(id);
    EXPECT_EQ(read(*handle), bytes({0, 1, 1, 1}));
    std::vector<uint8_t> buffer(4);
    EXPECT_EQ(handle->readInputReport(buffer, 0).status, HidReadResult::Failed);

    bus->replug(id);
    const auto fresh = openForReading();
    bus->queueInputReports(id, {bytes({0, 2, 2, 2})});
    EXPECT_EQ(read(*fresh), bytes({0, 2, 2, 2}));
    const HidReadResult old = handle->readInputReport(buffer, 0);
    EXPECT_EQ(old.status, HidReadResult::Failed);
    EXPECT_EQ(old.error, bus->notAttachedError());
}

}  // namespace
