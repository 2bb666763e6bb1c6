#include "link/DescribeDevice.h"
#include "link/HidDeviceReadThread.h"
#include "LinkTestSupport.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Received {
    bool onGuiThread;
    uint8_t reportId;
    QByteArray data;
};

// A device with numbered 4-byte input reports, claimed and ready to read.
class Reader : public SimulatedBusTest {
protected:
    void SetUp() override
    {
        SimulatedHidBackend::DeviceSpec setup;
        setup.product = QStringLiteral("Counter");
        setup.reportLengths = {5, 9, 0};
        id = bus->plugDevice(setup);
        makeController();
        device = controller->ClaimByIndex(0);
        ASSERT_NE(device, nullptr);
        device->SetWaitSlice(10);
    }
    void TearDown() override { delete device; }

    void queueCounted(int count)
    {
        std::vector<QByteArray> reports;
        for (int i = 0; i < count; ++i)
            reports.push_back(bytes({0x01, i, 0xAA, 0xBB}));
        bus->queueInputReports(id, reports);
    }

    // The attached devices the controller lists.
    int32_t listedDevices()
    {
        controller->SetOnEnumerate([](THidDevice*, int32_t) { return true; });
        return controller->EnumerateDevices();
    }

    THidDataEvent recorder()
    {
        return [this](THidDevice* from, uint8_t reportId, const uint8_t* data, uint16_t size) {
            EXPECT_EQ(from, device);
            received.push_back({QThread::currentThread() == qApp->thread(), reportId,
                                QByteArray(reinterpret_cast<const char*>(data), size)});
        };
    }

    SimulatedHidBackend::DeviceId id = 0;
    THidDevice* device = nullptr;
    std::vector<Received> received;
};

TEST_F(Reader, DeliversReportsInOrderOnTheGuiThreadWhileAModalLoopRuns)
{
    bool modalRunning = false;
    int deliveredInModalLoop = 0;
    device->SetReportHandler([&](THidDevice* from, uint8_t reportId, const uint8_t* data, uint16_t size) {
        recorder()(from, reportId, data, size);
        deliveredInModalLoop += modalRunning;
    });
    // A dialog opened by some handler: its own loop serves the hand-overs.
    QTimer::singleShot(0, [&] {
        QEventLoop modal;
        modalRunning = true;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &modal, [&] {
            if (received.size() == 50)
                modal.quit();
        });
        poll.start(1);
        queueCounted(50);
        modal.exec();
        modalRunning = false;
    });
    ASSERT_TRUE(processUntil([&] { return received.size() == 50 && !modalRunning; }));

    EXPECT_EQ(deliveredInModalLoop, 50);
    for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(received[i].onGuiThread);
        EXPECT_EQ(received[i].reportId, 1);
        EXPECT_EQ(received[i].data, bytes({i, 0xAA, 0xBB})) << "report " << i;
    }
}

// hidraw queues a report only for the files open when it arrives: the instrument's first frame,
// sent the moment the handler is set, must already find the reader's handle open.
TEST_F(Reader, ReportSentTheMomentTheHandlerIsSetIsDelivered)
{
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        received.clear();
        device->SetReportHandler(recorder());
        queueCounted(1);
        ASSERT_TRUE(processUntil([&] { return received.size() == 1; }, 2000));
        device->SetReportHandler({});
    }
}

// A stopped reader's handle goes with it: what arrived while nobody read is not handed to the
// next reader as if it were new.
TEST_F(Reader, ReportsFromWhileStoppedAreNotDeliveredLater)
{
    device->SetReportHandler(recorder());
    device->SetReportHandler({});
    queueCounted(3);
    device->SetReportHandler(recorder());
    bus->queueInputReports(id, {bytes({0x01, 9, 0xAA, 0xBB})});
    ASSERT_TRUE(processUntil([&] { return !received.empty(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QCoreApplication::processEvents();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].data, bytes({9, 0xAA, 0xBB}));
}

// The device keeps 64 unread reports per handle; the reader keeps reading while the GUI thread is
// busy, so 640 reports sent during a stall all arrive, in order, and none is told lost.
TEST_F(Reader, ReadsAheadWhileTheGuiThreadIsBusy)
{
    std::vector<uint64_t> lost;
    controller->SetOnReportsLost([&](THidDevice*, uint64_t count) { lost.push_back(count); });
    device->SetReportHandler(recorder());
    // 16 reports every 20 ms leave the reader 80 ms before the device's own queue is full.
    for (int batch = 0; batch < 40; ++batch) {
        std::vector<QByteArray> reports;
        for (int i = 0; i < 16; ++i)
            reports.push_back(bytes({0x01, (batch * 16 + i) & 0xFF, batch, 0xBB}));
        bus->queueInputReports(id, reports);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(processUntil([&] { return received.size() == 640; }));
    for (size_t i = 0; i < 640; ++i)
        ASSERT_EQ(received[i].data, bytes({int(i & 0xFF), int(i / 16), 0xBB})) << "report " << i;
    EXPECT_TRUE(lost.empty());
}

// Stopping never waits for the GUI thread; what was read and not yet handed over goes with the
// reader.
TEST_F(Reader, StopDoesNotWaitForTheGuiThread)
{
    device->SetReportHandler(recorder());
    queueCounted(3);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    device->SetReportHandler({});

    queueCounted(3);
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QCoreApplication::processEvents();
    EXPECT_TRUE(received.empty()) << "nothing is handed over once stopped";
}

// A report that only repeats the one before it waits for news, briefly; news is never held.
TEST_F(Reader, ARepeatedReportWaitsForTheNextNewOneButOnlyBriefly)
{
    device->SetWaitSlice(1000);  // the hold, not the wait slice, must end the wait
    device->SetReportHandler(recorder());
    const QByteArray idle = bytes({0x01, 0xF0, 0, 0});
    bus->queueInputReports(id, {bytes({0x01, 0xF2, 0x41, 0x42}), idle});
    ASSERT_TRUE(processUntil([&] { return received.size() == 2; }));

    QElapsedTimer held;
    held.start();
    bus->queueInputReports(id, {idle, idle});
    while (held.elapsed() < THidDeviceReadThread::kRepeatHoldMs / 2) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(received.size(), 2u) << "repeats are held back";
    ASSERT_TRUE(processUntil([&] { return received.size() == 4; })) << "and handed over once the hold runs out";

    bus->queueInputReports(id, {idle, bytes({0x01, 0xF1, 0x43, 0}), idle});
    ASSERT_TRUE(processUntil([&] { return received.size() == 7; }));
    const QByteArray news = bytes({0xF2, 0x41, 0x42}), empty = bytes({0xF0, 0, 0});
    const QByteArray expected[] = {news, empty, empty, empty, empty, bytes({0xF1, 0x43, 0}), empty};
    for (size_t i = 0; i < received.size(); ++i)
        EXPECT_EQ(received[i].data, expected[i]) << "report " << i;
}

TEST_F(Reader, HandlerMayStopItsOwnReaderOrReleaseItsDevice)
{
    struct Ending {
        bool onReadError;
        bool release;
    };
    for (const Ending ending : {Ending{false, false}, Ending{false, true}, Ending{true, true}}) {
        SCOPED_TRACE(testing::Message() << "read error " << ending.onReadError << ", release " << ending.release);
        int calls = 0;
        const auto end = [&](THidDevice* from) {
            ++calls;
            if (!ending.release) {
                from->SetReportHandler({});
                return;
            }
            delete from;
            device = nullptr;
        };
        if (!device)
            device = controller->ClaimByIndex(0);
        device->SetWaitSlice(10);
        device->SetErrorHandler([&](THidDevice* from, uint32_t) { end(from); });
        device->SetReportHandler([&](THidDevice* from, uint8_t, const uint8_t*, uint16_t) { end(from); });
        if (ending.onReadError)
            bus->failReads(id, 3);
        else
            queueCounted(3);
        ASSERT_TRUE(processUntil([&] { return calls > 0; }));
        // The reader ends after the handler has returned, with more waiting for it.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QCoreApplication::processEvents();
        EXPECT_EQ(calls, 1);
        bus->failReads(id, 0);
    }
    EXPECT_EQ(listedDevices(), 1);
}

// The owner hears of a failing handler on the GUI thread; the reader goes on, and a device the
// controller lists later (here the fresh object after a release) reports to the same place.
TEST_F(Reader, FailingHandlerReachesTheOwnersCallbackAndReadingGoesOn)
{
    std::vector<std::string> failures;
    controller->SetOnHandlerFailure([&](const QString& message) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        failures.push_back(message.toStdString());
    });
    const auto failOnOneAndThree = [&](THidDevice* from, uint8_t reportId, const uint8_t* data, uint16_t size) {
        recorder()(from, reportId, data, size);
        if (data[0] == 1)
            throw ProgramError("'12C4' is not a valid integer value");
        if (data[0] == 3)
            throw 42;
    };
    device->SetReportHandler(failOnOneAndThree);
    queueCounted(5);
    ASSERT_TRUE(processUntil([&] { return received.size() == 5; }));
    EXPECT_EQ(failures, (std::vector<std::string>{"'12C4' is not a valid integer value", "Unknown error"}));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(received[i].data.at(0), i);
    queueCounted(1);
    ASSERT_TRUE(processUntil([&] { return received.size() == 6; })) << "the reader goes on";

    delete device;
    device = controller->ClaimByIndex(0);
    ASSERT_NE(device, nullptr);
    device->SetReportHandler(failOnOneAndThree);
    queueCounted(2);
    ASSERT_TRUE(processUntil([&] { return received.size() == 8; }));
    EXPECT_EQ(failures.size(), 3u);
    EXPECT_EQ(failures.back(), "'12C4' is not a valid integer value");
}

// The reader must not go back to the device for the callback once the handler has freed it.
TEST_F(Reader, HandlerThatReleasesItsDeviceAndThenFailsIsStillReported)
{
    std::vector<std::string> failures;
    controller->SetOnHandlerFailure([&](const QString& message) { failures.push_back(message.toStdString()); });
    device->SetErrorHandler([&](THidDevice* from, uint32_t) {
        delete from;
        device = nullptr;
        throw ProgramError("released, then failed");
    });
    device->SetReportHandler(recorder());
    bus->failReads(id, 3);
    ASSERT_TRUE(processUntil([&] { return !failures.empty(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QCoreApplication::processEvents();
    EXPECT_EQ(failures, std::vector<std::string>{"released, then failed"});
    EXPECT_EQ(listedDevices(), 1);
}

TEST_F(Reader, ReadErrorsReachTheErrorHandlerAndReadingResumes)
{
    std::vector<uint32_t> errors;
    device->SetErrorHandler([&](THidDevice* from, uint32_t error) {
        EXPECT_EQ(from, device);
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        errors.push_back(error);
    });
    const uint32_t failure = SimulatedHidBackend::ReadFailed;
    bus->failReads(id, 3, failure);
    device->SetReportHandler(recorder());
    queueCounted(2);
    ASSERT_TRUE(processUntil([&] { return received.size() == 2; }));
    EXPECT_EQ(errors, (std::vector<uint32_t>{failure, failure, failure}));
    EXPECT_EQ(device->ErrorText(failure), "Input/output error");
}

TEST_F(Reader, ClosingTheSyncHandleBetweenReportsLeavesTheReaderAlone)
{
    device->SetReportHandler([&](THidDevice* from, uint8_t reportId, const uint8_t* data, uint16_t size) {
        recorder()(from, reportId, data, size);
        from->SetInputBufferCount(0);
        from->CloseSyncHandle();
    });
    queueCounted(20);
    ASSERT_TRUE(processUntil([&] { return received.size() == 20; }));
    queueCounted(1);
    EXPECT_TRUE(processUntil([&] { return received.size() == 21; })) << "the reader goes on";
}

// The thermometer's cable through the whole layer: what the program sends, and the frames that
// come back when the reports are gathered the way the program's framer gathers them.
TEST_F(SimulatedBusTest, CableCarriesCommandsAndFramesThroughTheLayer)
{
    const auto cableId = bus->plugCable();
    makeController();
    THidDevice* cable = controller->ClaimByIndex(0);
    ASSERT_NE(cable, nullptr);
    EXPECT_EQ(DescribeDevice(*cable), "USB to Serial");
    const THidCaps caps = cable->ReadCaps();
    EXPECT_EQ(caps.InputReportByteLength, 11);
    EXPECT_EQ(caps.OutputReportByteLength, 9);
    EXPECT_EQ(caps.FeatureReportByteLength, 10);

    const QByteArray baud = bytes({0x00, 0x60, 0x09, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00});
    const QByteArray poll = bytes({0x00, 0x02, 0x5A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    const QByteArray live = bytes({0x00, 0x01, 0x5A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    const QByteArray stop = bytes({0x00, 0x01, 0x5B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    EXPECT_TRUE(cable->SendFeatureReport(data(baud), baud.size()));
    uint32_t written = 10;
    EXPECT_TRUE(cable->WriteOutputReport(data(poll), caps.OutputReportByteLength, written));
    EXPECT_EQ(written, 9u);

    QByteArray burst;
    std::vector<QByteArray> frames;
    int reportsSinceFrame = 0;
    cable->SetReportHandler([&](THidDevice* from, uint8_t reportId, const uint8_t* data, uint16_t size) {
        EXPECT_EQ(reportId, 0);
        ASSERT_EQ(size, 10);
        const int count = data[0] & 0x0F;
        if (count >= 1 && count <= 9) {
            burst.append(reinterpret_cast<const char*>(data + 1), count);
        } else if (!burst.isEmpty()) {
            frames.push_back(std::exchange(burst, {}));
            from->SetInputBufferCount(0);
            from->CloseSyncHandle();
            reportsSinceFrame = 0;
        }
        ++reportsSinceFrame;
    });
    EXPECT_TRUE(cable->WriteOutputReport(data(live), caps.OutputReportByteLength, written));
    ASSERT_TRUE(processUntil([&] { return frames.size() >= 3; }));
    EXPECT_TRUE(cable->WriteOutputReport(data(stop), caps.OutputReportByteLength, written));
    // The reader has read ahead of the handler: the frames sent before the stop still come, then
    // the cable goes quiet.
    ASSERT_TRUE(processUntil([&] { return reportsSinceFrame >= 300; }));

    for (const QByteArray& frame : frames) {
        ASSERT_EQ(frame.size(), 11);
        EXPECT_EQ(frame.right(2), "\r\n");
        EXPECT_EQ(frame.at(5) & 0x0F, 0);
        EXPECT_EQ(frame.at(6) & 0x0F, 1);
    }
    using Report = SimulatedHidBackend::ReceivedReport;
    EXPECT_EQ(bus->receivedReports(cableId), (std::vector<Report>{{Report::Feature, baud},
                                                                  {Report::Output, poll},
                                                                  {Report::Output, live},
                                                                  {Report::Output, stop}}));
    delete cable;
}

}  // namespace

namespace {

// The demo's pacing: the clock runs (here twice as fast), reads wait for it. Faster, a slow
// build could fall behind the 64 reports the cable buffers and lose bytes, as a real one would.
TEST(RealTimeCable, DeliversFramesAsTheClockRuns)
{
    auto bus = std::make_shared<SimulatedHidBackend>(
        SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::RealTime, 2.0});
    bus->plugCable();
    THidDeviceController controller(bus, nullptr);
    THidDevice* cable = controller.ClaimByIndex(0);
    ASSERT_NE(cable, nullptr);
    const QByteArray baud = bytes({0x00, 0x60, 0x09, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00});
    const QByteArray live = bytes({0x00, 0x01, 0x5A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    ASSERT_TRUE(cable->SendFeatureReport(data(baud), baud.size()));

    int emptyReports = 0;
    int frames = 0;
    int pending = 0;
    cable->SetReportHandler([&](THidDevice*, uint8_t, const uint8_t* data, uint16_t) {
        const int count = data[0] & 0x0F;
        if (count > 0) {
            pending += count;
        } else {
            ++emptyReports;
            if (pending > 0) {
                EXPECT_EQ(pending, 11);
                ++frames;
            }
            pending = 0;
        }
    });
    uint32_t written = 0;
    ASSERT_TRUE(cable->WriteOutputReport(data(live), live.size(), written));
    ASSERT_TRUE(processUntil([&] { return frames >= 3; }));
    EXPECT_GT(emptyReports, frames);
    delete cable;
}

}  // namespace
