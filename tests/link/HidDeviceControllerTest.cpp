#include "link/DescribeDevice.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using DeviceSetup = SimulatedHidBackend::DeviceSpec;

DeviceSetup device(uint16_t vendor, uint16_t product, QString name = {}, QString serial = {})
{
    DeviceSetup setup;
    setup.vendorId = vendor;
    setup.productId = product;
    setup.product = std::move(name);
    setup.serialNumber = std::move(serial);
    return setup;
}

class DeviceList : public SimulatedBusTest {
protected:
    // Claims every device the way the window's device list does, keeping each description.
    std::vector<THidDevice*> claimAll()
    {
        std::vector<THidDevice*> claimed;
        controller->SetOnEnumerate([&](THidDevice* device, int32_t index) {
            EXPECT_TRUE(device->Announcing());
            descriptions.push_back(DescribeDevice(*device).toStdString());
            claimed.push_back(controller->ClaimByIndex(index));
            return true;
        });
        controller->EnumerateDevices();
        return claimed;
    }

    std::vector<std::string> descriptions;
    std::vector<std::string> events;
};

TEST_F(DeviceList, ListsDevicesInDiscoveryOrderAndHandsEachOutOnce)
{
    bus->plugDevice(device(0x046D, 0xC31C, "Keyboard", "K1"));
    bus->plugCable();
    bus->plugDevice(device(0xabcd, 0x00ef));
    bus->plugDevice(device(0x1111, 0x2222, "USB to Serial", "0001"));
    makeController();

    const std::vector<THidDevice*> claimed = claimAll();
    EXPECT_EQ(descriptions, (std::vector<std::string>{"Keyboard (Serial=K1)", "USB to Serial",
                                                      "Device VID=ABCD PID=00EF", "USB to Serial (Serial=0001)"}));
    ASSERT_EQ(claimed.size(), 4u);
    for (THidDevice* held : claimed) {
        EXPECT_TRUE(held->Claimed());
        EXPECT_FALSE(held->Announcing());
    }
    EXPECT_EQ(claimed[1]->VendorID(), SimulatedHidBackend::kCableVendorId);
    EXPECT_EQ(controller->ClaimByIndex(0), nullptr) << "already claimed";
    EXPECT_EQ(controller->ClaimByIndex(-1), nullptr);
    EXPECT_EQ(controller->ClaimByIndex(4), nullptr);

    // Released, each is listed again in its place, unclaimed.
    for (THidDevice* held : claimed)
        delete held;
    for (int32_t i = 0; i < 4; ++i) {
        THidDevice* again = controller->ClaimByIndex(i);
        ASSERT_NE(again, nullptr) << i;
        EXPECT_EQ(DescribeDevice(*again).toStdString(), descriptions[size_t(i)]);
        delete again;
    }
    EXPECT_EQ(controller->ClaimByIndex(4), nullptr);
}

TEST_F(DeviceList, EnumerationStopsWhenTheHandlerSaysSoOrThereIsNoHandler)
{
    for (int i = 0; i < 3; ++i)
        bus->plugDevice(device(0x1000, uint16_t(i)));
    makeController();
    EXPECT_EQ(controller->EnumerateDevices(), 1);
    std::vector<int32_t> seen;
    controller->SetOnEnumerate([&](THidDevice*, int32_t index) {
        seen.push_back(index);
        return index < 1;
    });
    EXPECT_EQ(controller->EnumerateDevices(), 2);
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 1}));
}

TEST_F(DeviceList, AssigningTheChangeHandlerReportsTheCurrentStateOnce)
{
    bus->plugCable();
    makeController();
    struct Window {
        int changes = 0;
        void HidCtlDeviceChange(QObject*) { ++changes; }
    } window;

    EXPECT_FALSE(controller->ChangeReported());
    controller->SetOnDeviceChange({&window, &Window::HidCtlDeviceChange});
    EXPECT_EQ(window.changes, 1);
    EXPECT_TRUE(controller->ChangeReported());
    controller->SetOnDeviceChange([&](QObject*) { ++window.changes; });  // reported already
    controller->DeviceChange();                                        // nothing changed
    EXPECT_EQ(window.changes, 1);
}

TEST_F(DeviceList, UnpluggedClaimedDeviceIsReportedOnceAndStaysListedUntilReleased)
{
    const auto cableId = bus->plugCable();
    bus->plugDevice(device(0x1000, 0x0001, "Mouse"));
    makeController();
    controller->SetOnDeviceUnplug([&](THidDevice*) { events.push_back("unplug"); });
    controller->SetOnRemoval([&](THidDevice* device) {
        EXPECT_TRUE(device->Announcing());
        EXPECT_FALSE(device->Attached());
        events.push_back("removal of " + DescribeDevice(*device).toStdString());
    });
    controller->SetOnDeviceChange([&](QObject*) { events.push_back("change"); });
    events.clear();
    const std::vector<THidDevice*> claimed = claimAll();
    THidDevice* cable = claimed[0];
    std::vector<uint32_t> errors;
    cable->SetErrorHandler([&](THidDevice*, uint32_t error) { errors.push_back(error); });
    cable->SetReportHandler([](THidDevice*, uint8_t, const uint8_t*, uint16_t) {});

    bus->unplug(cableId);
    ASSERT_TRUE(processUntil([&] { return !events.empty() && events.back() == "change"; }));
    EXPECT_EQ(events, (std::vector<std::string>{"unplug", "removal of USB to Serial", "change"}));
    EXPECT_FALSE(cable->Attached());
    EXPECT_FALSE(cable->OpenSyncHandle());
    ASSERT_TRUE(processUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors.front(), uint32_t(SimulatedHidBackend::DeviceGone));

    controller->DeviceChange();
    EXPECT_EQ(events.size(), 3u) << "a removal is reported once";

    // The cable keeps its place in front of the mouse until it is released, and then leaves.
    delete claimed[1];
    THidDevice* mouse = controller->ClaimByIndex(1);
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(DescribeDevice(*mouse), "Mouse");
    delete cable;
    delete mouse;
    mouse = controller->ClaimByIndex(0);
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(DescribeDevice(*mouse), "Mouse");
    EXPECT_EQ(controller->ClaimByIndex(1), nullptr);
    delete mouse;
}

TEST_F(DeviceList, PluggedInDeviceArrivesUnclaimedAndWithoutErrorHandler)
{
    bus->plugDevice(device(0x1000, 0x0001, "Mouse"));
    makeController();
    const THidDataErrorEvent errorHandler = [](THidDevice*, uint32_t) {};
    controller->SetOnDeviceDataError(errorHandler);
    THidDevice* arrived = nullptr;
    controller->SetOnArrival([&](THidDevice* device) {
        EXPECT_TRUE(device->Announcing());
        events.push_back("arrival of " + DescribeDevice(*device).toStdString());
        arrived = device;
    });
    controller->SetOnDeviceChange([&](QObject*) { events.push_back("change"); });
    events.clear();

    bus->plugCable();
    ASSERT_TRUE(processUntil([&] { return !events.empty() && events.back() == "change"; }));
    EXPECT_EQ(events, (std::vector<std::string>{"arrival of USB to Serial", "change"}));
    ASSERT_NE(arrived, nullptr);
    EXPECT_FALSE(arrived->Claimed());
    EXPECT_FALSE(arrived->Announcing());
    EXPECT_FALSE(arrived->ErrorHandler());
    THidDevice* mouse = controller->ClaimByIndex(0);
    ASSERT_NE(mouse, nullptr);
    EXPECT_TRUE(mouse->ErrorHandler() == errorHandler);
    THidDevice* cable = controller->ClaimByIndex(1);
    EXPECT_EQ(cable, arrived) << "listed after the devices that were there";
    delete mouse;
    delete cable;
}

TEST_F(DeviceList, ReleasedDeviceIsReplacedByAFreshObjectKeepingItsHandlersAndWaitSlice)
{
    bus->plugCable();
    makeController();
    THidDevice* cable = controller->ClaimByIndex(0);
    ASSERT_NE(cable, nullptr);
    int reports = 0;
    const THidDataEvent reportHandler = [&reports](THidDevice*, uint8_t, const uint8_t*, uint16_t) { ++reports; };
    const THidPlugEvent unplugHandler = [](THidDevice*) {};
    cable->SetWaitSlice(250);
    cable->SetReportHandler(reportHandler);
    cable->SetUnplugHandler(unplugHandler);
    cable->SetErrorHandler([](THidDevice*, uint32_t) {});
    ASSERT_TRUE(processUntil([&] { return reports > 0; }));

    delete cable;
    THidDevice* fresh = nullptr;
    controller->SetOnEnumerate([&](THidDevice* device, int32_t) {
        fresh = device;
        return true;
    });
    ASSERT_EQ(controller->EnumerateDevices(), 1);
    EXPECT_FALSE(fresh->Claimed());
    reports = 0;
    processFor(50);
    EXPECT_EQ(reports, 0) << "an unclaimed device is not read";
    EXPECT_EQ(fresh->WaitSlice(), 250);
    EXPECT_TRUE(fresh->ReportHandler() == reportHandler);
    EXPECT_TRUE(fresh->UnplugHandler() == unplugHandler);
    EXPECT_FALSE(fresh->ErrorHandler());

    THidDevice* again = controller->ClaimByIndex(0);
    ASSERT_EQ(again, fresh);
    EXPECT_TRUE(processUntil([&] { return reports > 0; })) << "claiming starts the reader of a device that has a report handler";
    delete again;
}

TEST_F(DeviceList, ControllerHandlersReachOnlyDevicesThatStillHaveThePreviousOne)
{
    bus->plugCable();
    bus->plugCable();
    makeController();
    THidDevice* own = controller->ClaimByIndex(0);
    THidDevice* shared = controller->ClaimByIndex(1);
    int ownReports = 0;
    const THidDataEvent ownHandler = [&ownReports](THidDevice*, uint8_t, const uint8_t*, uint16_t) { ++ownReports; };
    own->SetReportHandler(ownHandler);
    own->SetUnplugHandler([](THidDevice*) {});

    // The window binds its method; a handler made anew from the same method is the same one.
    struct Window {
        int reports = 0;
        void ReadUSBData(THidDevice*, uint8_t, const uint8_t*, uint16_t) { ++reports; }
    } window;
    controller->SetOnDeviceData({&window, &Window::ReadUSBData});
    EXPECT_TRUE(own->ReportHandler() == ownHandler);
    EXPECT_TRUE(shared->ReportHandler() == THidDataEvent(&window, &Window::ReadUSBData));
    EXPECT_TRUE(processUntil([&] { return window.reports > 0; })) << "the new handler reads";
    controller->SetOnDeviceData({});
    EXPECT_FALSE(shared->ReportHandler());
    ownReports = 0;
    EXPECT_TRUE(processUntil([&] { return ownReports > 0; })) << "a device's own handler stays";

    const THidPlugEvent unplugHandler = [](THidDevice*) {};
    controller->SetOnDeviceUnplug(unplugHandler);
    EXPECT_TRUE(shared->UnplugHandler() == unplugHandler);
    EXPECT_FALSE(own->UnplugHandler() == unplugHandler);

    EXPECT_EQ(controller->DevThreadSleepTime(), 100);
    shared->SetWaitSlice(300);
    controller->SetDevThreadSleepTime(50);
    EXPECT_EQ(own->WaitSlice(), 50);
    EXPECT_EQ(shared->WaitSlice(), 300);
    EXPECT_EQ(controller->Version(), "1.0.22");

    delete own;
    delete shared;
}

TEST_F(DeviceList, HandlesOpenOnlyWhileTheDeviceIsAttachedAndClaimedOrAnnounced)
{
    const auto id = bus->plugCable();
    makeController();
    const auto opens = [](THidDevice* d) {
        return std::vector<bool>{d->OpenSyncHandle(), d->OpenReadHandle(), d->OpenWriteHandle()};
    };
    THidDevice* device = nullptr;
    controller->SetOnEnumerate([&](THidDevice* announced, int32_t) {
        device = announced;
        EXPECT_EQ(opens(announced), (std::vector<bool>{true, true, true}));
        return true;
    });
    ASSERT_EQ(controller->EnumerateDevices(), 1);
    EXPECT_EQ(opens(device), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(device->ProductString(), "") << "an unclaimed device reads nothing";
    EXPECT_EQ(device->ReadCaps().InputReportByteLength, 0);

    ASSERT_EQ(controller->ClaimByIndex(0), device);
    EXPECT_EQ(opens(device), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(device->ProductString(), "USB to Serial");

    bus->unplug(id);
    ASSERT_TRUE(processUntil([&] { return !device->Attached(); }));
    EXPECT_EQ(opens(device), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(device->ProductString(), "USB to Serial") << "kept from before";
    delete device;
}

TEST_F(DeviceList, WaitSliceTakesOnlyValuesAbove9UpTo10000)
{
    bus->plugCable();
    makeController();
    THidDevice* device = controller->ClaimByIndex(0);
    ASSERT_NE(device, nullptr);
    for (const auto& [value, result] : std::vector<std::pair<int32_t, int32_t>>{
             {9, 100}, {10, 10}, {10000, 10000}, {10001, 10000}, {-5, 10000}, {0, 10000}}) {
        device->SetWaitSlice(value);
        EXPECT_EQ(device->WaitSlice(), result) << value;
    }
    delete device;
}

TEST(HidDeviceController, OnlyOneControllerAtATime)
{
    auto bus = std::make_shared<SimulatedHidBackend>();
    auto first = std::make_unique<THidDeviceController>(bus, nullptr);
    try {
        THidDeviceController second(bus, nullptr);
        FAIL() << "a second controller was created";
    } catch (const EControllerError& error) {
        EXPECT_STREQ(error.what(), "Only one THidDeviceController allowed per program");
    }
    first.reset();
    EXPECT_NO_THROW(THidDeviceController(bus, nullptr));
}

TEST_F(DeviceList, DevicesThatCannotBeOpenedOrIdentifiedAreLeftOutAndAccessZeroOnesNeverRead)
{
    DeviceSetup locked = device(0x2000, 0x0001, "Locked");
    locked.access = SimulatedHidBackend::Access::AccessZeroOnly;
    DeviceSetup unopenable = device(0x2000, 0x0002, "Unopenable");
    unopenable.access = SimulatedHidBackend::Access::Unopenable;
    DeviceSetup anonymous = device(0x2000, 0x0003, "Anonymous");
    anonymous.identifiable = false;
    bus->plugDevice(locked);
    bus->plugDevice(unopenable);
    bus->plugDevice(anonymous);
    bus->plugCable();
    makeController();

    const std::vector<THidDevice*> claimed = claimAll();
    ASSERT_EQ(claimed.size(), 2u);
    EXPECT_EQ(descriptions, (std::vector<std::string>{"Locked", "USB to Serial"}));
    THidDevice* lockedDevice = claimed[0];
    EXPECT_FALSE(lockedDevice->ReadWriteAccess());
    EXPECT_EQ(lockedDevice->AccessProblem(),
              "No permission to open /dev/simhidraw1 read-write; add a udev rule giving your user access");
    // A reader would fail to read and tell the error handler.
    int calls = 0;
    lockedDevice->SetErrorHandler([&](THidDevice*, uint32_t) { ++calls; });
    lockedDevice->SetReportHandler([&](THidDevice*, uint8_t, const uint8_t*, uint16_t) { ++calls; });
    processFor(100);
    EXPECT_EQ(calls, 0) << "nothing reads the device";
    const QByteArray feature(10, '\0');
    EXPECT_FALSE(lockedDevice->SendFeatureReport(data(feature), feature.size()));

    EXPECT_TRUE(claimed[1]->ReadWriteAccess());
    EXPECT_TRUE(claimed[1]->AccessProblem().isEmpty());
    for (THidDevice* held : claimed)
        delete held;
}

TEST_F(DeviceList, SerialNumberCountsOnlyWhereItDiffersFromTheLanguageIdList)
{
    struct Case {
        QString serial;
        std::optional<std::u16string> languageIds;
        bool readable;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"K1", std::nullopt, true, "K1"},            // no such echo on this platform
        {"", std::nullopt, true, ""},
        {"", u"\u0409", true, ""},                   // the answer is the language-ID list itself
        {"", std::u16string(u"\u0409\u0407"), true, ""},
        {"ABC", u"\u0409", true, "ABC"},
        {"\u0409X", u"\u0409", true, ""},            // equal within the list's length
        {"ABC", u"\u0409", false, ""},               // a list that cannot be read proves nothing
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        DeviceSetup setup = device(0x3000, uint16_t(i), "Device", cases[i].serial);
        setup.languageIds = cases[i].languageIds;
        setup.languageIdsReadable = cases[i].readable;
        bus->plugDevice(setup);
    }
    makeController();
    const std::vector<THidDevice*> claimed = claimAll();
    ASSERT_EQ(claimed.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(claimed[i]->SerialString().toStdString(), cases[i].expected) << "case " << i;
        delete claimed[i];
    }
}

TEST_F(DeviceList, DestroyingTheControllerStopsReadersAndUnplugsWhatHoldersStillHave)
{
    bus->plugCable();
    bus->plugCable();
    makeController();
    THidDevice* held = controller->ClaimByIndex(0);
    int unplugs = 0;
    int reads = 0;
    held->SetUnplugHandler([&](THidDevice*) { ++unplugs; });
    held->SetErrorHandler([&](THidDevice*, uint32_t) { ++reads; });
    held->SetReportHandler([&](THidDevice*, uint8_t, const uint8_t*, uint16_t) { ++reads; });
    ASSERT_TRUE(processUntil([&] { return reads > 0; }));

    controller.reset();
    EXPECT_FALSE(held->Attached());
    EXPECT_EQ(unplugs, 1);
    // A reader left running would fail on the closed handle and tell the error handler.
    reads = 0;
    processFor(100);
    EXPECT_EQ(reads, 0);
    delete held;
}

}  // namespace
