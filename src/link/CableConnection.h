#pragma once

#include "link/CableConnectionPorts.h"
#include "link/ReportFramer.h"
#include "link/WatchdogGrid.h"

#include <QByteArray>
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class HidBackend;
class QTimer;
class THidDevice;
class THidDeviceController;

// The link to the interface cable: lists the HID devices and claims each of them, picks the
// cable from the list, sends its feature, poll and command reports, hands its input reports to
// the report framer and watches that the meter keeps talking. Lives on the GUI thread; the reader
// threads reach it only through the HID layer's hand-over.
class CableConnection : public QObject, private ReportFramer::Cable {
    Q_OBJECT
public:
    // Milliseconds of a clock that never goes back; the watchdog's ticks are counted on it.
    using Clock = std::function<int64_t()>;
    static int64_t steadyMilliseconds();

    // backend: the platform's (createPlatformHidBackend()) or a simulated bus. Lists the devices
    // present at once, through the ports. Throws EControllerError when another HID controller
    // exists.
    CableConnection(std::shared_ptr<HidBackend> backend, const CableConnectionPorts& ports, QObject* parent,
                    Clock clock = &CableConnection::steadyMilliseconds);
    // Gives the claimed devices back and stops their readers; calls no port.
    ~CableConnection() override;

    THidDeviceController* controller() const { return m_controller; }
    // The cable selected in the device list when it was last looked up; owned by the list.
    THidDevice* currentDevice() const { return m_CurrentDevice; }
    // A frame was decoded, from either link: the meter is talking, so the watchdog's three-tick
    // cycle starts again.
    void frameDecoded();
    ReportFramer& framer() { return m_framer; }

    // Connects when the connect toggle is down (offering to empty the table first when a
    // download is asked for), disconnects when it is up.
    void connectOrDisconnect();
    // Binds or unbinds the cable's report handler as the Read button stands.
    void followReadButton();
    void clearHistory();
    // The watchdog (ConTimer): runs the checks of every 10 ms tick up to now, as a timer ticking
    // every 10 ms and checking every third tick would have run them (the silent meter given up,
    // the keep-alive poll), shows the toggle's caption, and sets the watchdog timer for the next
    // check that can change anything. Nothing is due while no connection is up.
    void checkWatchdog();
    // Single-shot; its timeout must run checkWatchdog(). Its owner connects it, so that a
    // failure reaches the user as every other handler's does.
    QTimer* watchdogTimer() const { return m_watchdogTimer; }
    // When, on the clock, the watchdog timer is due; none while it waits for nothing.
    std::optional<int64_t> watchdogDue() const { return m_watchdogDue; }
    void sendFeatureReport();
    void sendCommand(uint8_t value);
    void sendPoll();

private:
    struct ListedDevice {
        THidDevice* device;  // claimed: ours until released
        QByteArray line;     // as shown in the device list
    };

    // The HID controller's events.
    bool listDevice(THidDevice* device, int32_t index);
    void rebuildDeviceList(QObject* sender);
    void noteArrival(THidDevice* device);
    void noteRemoval(THidDevice* device);
    void noteReadError(THidDevice* device, uint32_t error);
    void noteLostReports(uint64_t lost);
    void frameReport(THidDevice* device, uint8_t reportId, const uint8_t* data, uint16_t size);

    void releaseListedDevices();
    THidDevice* selectCable();
    // Selects the cable; without one, shows the notice and releases the connect toggle.
    THidDevice* cableOrNotice(const QString& notice, MessageTone tone);
    void sendOutputReport(const std::vector<uint8_t>& report);
    void showConnectCaption();
    // However the connection ends, the toggle comes up and a download may be chosen again.
    void releaseConnection();
    void runConnectSequence();
    // Says what the cable's going while connected cut short, once the connection is released.
    void tellCableUnplugged();
    // Runs the checks of the ticks up to now; safe to call again from within a check.
    void advanceWatchdog();
    void scheduleWatchdog();

    // ReportFramer::Cable
    void sendStopCommand() override;
    void releaseSyncHandle() override;

    CableConnectionPorts m_ports;
    ReportFramer m_framer{m_ports.connection, m_ports.diagnostics, m_ports.readings, *this};
    THidDevice* m_CurrentDevice = nullptr;
    Clock m_clock;
    WatchdogGrid m_grid;
    int64_t m_checkedThrough = -1;  // the last tick whose check has run
    int32_t m_WatchdogTicks = 0;    // checks while connected since the last keep-alive poll
    QTimer* m_watchdogTimer = nullptr;  // ConTimer
    std::optional<int64_t> m_watchdogDue;
    THidDeviceController* m_controller = nullptr;
    std::vector<ListedDevice> m_listedDevices;
    // Bumped whenever the device list is rebuilt: a report handler that outlived a rebuild
    // (through a dialog opened while it ran) must not touch its released device afterwards.
    uint64_t m_deviceListGeneration = 0;
    THidDevice* m_reportDevice = nullptr;  // the device whose report is being framed
    uint64_t m_reportGeneration = 0;

    // What the cable took with it when it was pulled out while connected, until the user is told.
    enum class CutShort { Nothing, Recording, Download };
    CutShort m_cutShort = CutShort::Nothing;
    int64_t m_storedReadingsBeforeDownload = 0;
};
