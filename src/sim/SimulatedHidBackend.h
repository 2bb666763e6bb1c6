#pragma once

#include "link/HidBackend.h"
#include "sim/SimulatedCable.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A HID bus in memory: the thermometer's cable and any other devices, plugged in and out at
// run time. Reads block on the simulation's clock, which runs in real time (or scaled), or,
// for tests, jumps ahead so that reads never wait for time to pass.
//
// Plugging, unplugging and watchChanges() belong to the GUI thread, where device changes are
// announced; everything else is safe from any thread.
class SimulatedHidBackend : public HidBackend {
public:
    using DeviceId = int;

    static constexpr uint16_t kCableVendorId = 0x0612;
    static constexpr uint16_t kCableProductId = 0x2400;

    enum class Pacing {
        RealTime,  // the clock follows the system clock, times timeScale
        Fast,      // no waiting: each cable report is there when it is read
    };
    struct Options {
        Pacing pacing = Pacing::RealTime;
        double timeScale = 1.0;
    };

    enum class Access {
        ReadWrite,
        AccessZeroOnly,  // opening for reading or writing is refused
        Unopenable,
    };

    // The bus's own error codes, with texts a user of the real cable would recognise.
    enum Error : uint32_t {
        DeviceGone = 1,     // unplugged, handed back or never there
        AccessDenied,       // the device's Access refuses the open
        NotOpenForReading,  // a read on a handle opened without read access
        ReadFailed,         // failReads()'s failure unless it is given another
    };

    struct DeviceSpec {
        uint16_t vendorId = 0x1234;
        uint16_t productId = 0x5678;
        uint16_t versionNumber = 0x0100;
        QString product;
        QString serialNumber;  // empty: none
        // Set to model a platform whose serial-number query answers a device without a serial
        // number with the device's language-ID list (string index 0).
        std::optional<std::u16string> languageIds;
        bool languageIdsReadable = true;
        Access access = Access::ReadWrite;
        bool identifiable = true;
        HidReportLengths reportLengths{9, 9, 0};
    };

    struct ReceivedReport {
        enum Kind { Feature, Output };
        Kind kind;
        QByteArray bytes;
        bool operator==(const ReceivedReport&) const = default;
    };

    SimulatedHidBackend();
    explicit SimulatedHidBackend(Options options);
    ~SimulatedHidBackend() override;
    SimulatedHidBackend(const SimulatedHidBackend&) = delete;
    SimulatedHidBackend& operator=(const SimulatedHidBackend&) = delete;

    // Plugging and unplugging announce a device change.
    DeviceId plugDevice(DeviceSpec setup);
    // "USB to Serial" without a serial number, with a thermometer at its far end.
    DeviceId plugCable(SimulatedCable::Options options = {});
    void unplug(DeviceId id);
    // The device comes back as a new instance, as a USB device does when plugged in again.
    void replug(DeviceId id);

    // Input reports for a device other than a cable, report ID first, sent now: each handle open
    // for reading gets them in this order (up to 64 unread), a handle opened later does not.
    void queueInputReports(DeviceId id, std::vector<QByteArray> reports);
    // The next `count` reads of the device fail with `error`.
    void failReads(DeviceId id, int count, uint32_t error = ReadFailed);
    // Every feature and output report the device took, in order.
    std::vector<ReceivedReport> receivedReports(DeviceId id) const;
    // Runs `action` on a cable with the simulation held still, e.g. to set the thermometer.
    void withCable(DeviceId id, const std::function<void(SimulatedCable& cable)>& action);

    std::vector<HidInterfaceInfo> enumerate() override;
    std::shared_ptr<HidHandle> open(const HidInterfaceInfo& device, HidAccess access, uint32_t& error) override;
    bool watchChanges(std::function<void()> changed) override;
    QByteArray errorText(uint32_t error) const override;
    QByteArray accessProblem(const HidInterfaceInfo& device, uint32_t error) const override;
    uint32_t notAttachedError() const override { return DeviceGone; }

private:
    struct Bus;
    struct Device;
    class Handle;

    void announceChange();

    std::shared_ptr<Bus> m_bus;
    std::function<void()> m_changed;
    std::unique_ptr<QObject> m_changeContext;
};
