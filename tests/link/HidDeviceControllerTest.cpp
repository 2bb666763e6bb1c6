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
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(claimed[i], controller->Device(i));
        EXPECT_TRUE(claimed[i]->Claimed());
        EXPECT_FALSE(claimed[i]->Announcing());
    }
    EXPECT_EQ(controller->Device(1)->VendorID(), SimulatedHidBackend::kCableVendorId);
    EXPECT_EQ(controller->ClaimByIndex(0), nullptr) << "already claimed";
    EXPECT_EQ(controller->ClaimByIndex(-1), nullptr);
    EXPECT_EQ(controller->ClaimByIndex(4), nullptr);

    for (THidDevice* held : claimed)
        delete held;
    EXPECT_EQ(controller->DeviceCount(), 4);
    EXPECT_FALSE(controller->Device(0)->Claimed());
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
    ASSERT_TRUE(cable->Reading());

    bus->unplug(cableId);
    ASSERT_TRUE(processUntil([&] { return !events.empty() && events.back() == "change"; }));
    EXPECT_EQ(events, (std::vector<std::string>{"unplug", "removal of USB to Serial", "change"}));
    EXPECT_EQ(controller->DeviceCount(), 2);
    EXPECT_EQ(controller->Device(0), cable);
    EXPECT_FALSE(cable->Attached());
    EXPECT_FALSE(cable->OpenSyncHandle());
    ASSERT_TRUE(processUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors.front(), uint32_t(SimulatedHidBackend::DeviceGone));

    controller->DeviceChange();
    EXPECT_EQ(events.size(), 3u) << "a removal is reported once";

    delete cable;
    EXPECT_EQ(controller->DeviceCount(), 1);
    EXPECT_EQ(controller->Device(0), claimed[1]);
    delete claimed[1];
}

TEST_F(DeviceList, PluggedInDeviceArrivesUnclaimedAndWithoutErrorHandler)
{
    bus->plugDevice(device(0x1000, 0x0001, "Mouse"));
    makeController();
    const THidDataErrorEvent errorHandler = [](THidDevice*, uint32_t) {};
    controller->SetOnDeviceDataError(errorHandler);
    controller->SetOnArrival([&](THidDevice* device) {
        EXPECT_TRUE(device->Announcing());
        events.push_back("arrival of " + DescribeDevice(*device).toStdString());
    });
    controller->SetOnDeviceChange([&](QObject*) { events.push_back("change"); });
    events.clear();

    bus->plugCable();
    ASSERT_TRUE(processUntil([&] { return !events.empty() && events.back() == "change"; }));
    EXPECT_EQ(events, (std::vector<std::string>{"arrival of USB to Serial", "change"}));
    ASSERT_EQ(controller->DeviceCount(), 2);
    THidDevice* arrived = controller->Device(1);
    EXPECT_FALSE(arrived->Claimed());
    EXPECT_FALSE(arrived->Announcing());
    EXPECT_FALSE(arrived->ErrorHandler());
    EXPECT_TRUE(controller->Device(0)->ErrorHandler() == errorHandler);
}

TEST_F(DeviceList, ReleasedDeviceIsReplacedByAFreshObjectKeepingItsHandlersAndWaitSlice)
{
    bus->plugCable();
    makeController();
    THidDevice* cable = controller->ClaimByIndex(0);
    ASSERT_NE(cable, nullptr);
    const THidDataEvent reportHandler = [](THidDevice*, uint8_t, const uint8_t*, uint16_t) {};
    const THidPlugEvent unplugHandler = [](THidDevice*) {};
    cable->SetWaitSlice(250);
    cable->SetReportHandler(reportHandler);
    cable->SetUnplugHandler(unplugHandler);
    cable->SetErrorHandler([](THidDevice*, uint32_t) {});
    ASSERT_TRUE(cable->Reading());

    delete cable;
    ASSERT_EQ(controller->DeviceCount(), 1);
    THidDevice* fresh = controller->Device(0);
    EXPECT_FALSE(fresh->Claimed());
    EXPECT_FALSE(fresh->Reading());
    EXPECT_EQ(fresh->WaitSlice(), 250);
    EXPECT_TRUE(fresh->ReportHandler() == reportHandler);
    EXPECT_TRUE(fresh->UnplugHandler() == unplugHandler);
    EXPECT_FALSE(fresh->ErrorHandler());

    THidDevice* again = controller->ClaimByIndex(0);
    ASSERT_EQ(again, fresh);
    EXPECT_TRUE(again->Reading()) << "claiming starts the reader of a device that has a report handler";
    delete again;
}

TEST_F(DeviceList, ControllerHandlersReachOnlyDevicesThatStillHaveThePreviousOne)
{
    bus->plugCable();
    bus->plugCable();
    makeController();
    THidDevice* own = controller->ClaimByIndex(0);
    THidDevice* shared = controller->ClaimByIndex(1);
    const THidDataEvent ownHandler = [](THidDevice*, uint8_t, const uint8_t*, uint16_t) {};
    own->SetReportHandler(ownHandler);
    own->SetUnplugHandler([](THidDevice*) {});

    // The window binds its method; a handler made anew from the same method is the same one.
    struct Window {
        void ReadUSBData(THidDevice*, uint8_t, const uint8_t*, uint16_t) {}
    } window;
    controller->SetOnDeviceData({&window, &Window::ReadUSBData});
    EXPECT_TRUE(own->ReportHandler() == ownHandler);
    EXPECT_TRUE(shared->ReportHandler() == THidDataEvent(&window, &Window::ReadUSBData));
    EXPECT_TRUE(shared->Reading());
    controller->SetOnDeviceData({});
    EXPECT_FALSE(shared->ReportHandler());
    EXPECT_FALSE(shared->Reading());
    EXPECT_TRUE(own->Reading());

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
    THidDevice* device = controller->Device(0);
    const auto opens = [](THidDevice* d) {
        return std::vector<bool>{d->OpenSyncHandle(), d->OpenReadHandle(), d->OpenWriteHandle()};
    };
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
    THidDevice* device = controller->Device(0);
    for (const auto& [value, result] : std::vector<std::pair<int32_t, int32_t>>{
             {9, 100}, {10, 10}, {10000, 10000}, {10001, 10000}, {-5, 10000}, {0, 10000}}) {
        device->SetWaitSlice(value);
        EXPECT_EQ(device->WaitSlice(), result) << value;
    }
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

    ASSERT_EQ(controller->DeviceCount(), 2);
    const std::vector<THidDevice*> claimed = claimAll();
    EXPECT_EQ(descriptions, (std::vector<std::string>{"Locked", "USB to Serial"}));
    THidDevice* lockedDevice = claimed[0];
    EXPECT_FALSE(lockedDevice->ReadWriteAccess());
    EXPECT_EQ(lockedDevice->AccessProblem(),
              "No permission to open /dev/simhidraw1 read-write; add a udev rule giving your user access");
    lockedDevice->SetReportHandler([](THidDevice*, uint8_t, const uint8_t*, uint16_t) {});
    EXPECT_FALSE(lockedDevice->Reading());
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
    held->SetUnplugHandler([&](THidDevice*) { ++unplugs; });
    held->SetReportHandler([](THidDevice*, uint8_t, const uint8_t*, uint16_t) {});
    ASSERT_TRUE(held->Reading());

    controller.reset();
    EXPECT_FALSE(held->Reading());
    EXPECT_FALSE(held->Attached());
    EXPECT_EQ(held->Controller(), nullptr);
    EXPECT_EQ(unplugs, 1);
    delete held;
}

}  // namespace
