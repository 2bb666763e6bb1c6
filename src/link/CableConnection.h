#pragma once

#include "base/ProgramState.h"
#include "link/CableConnectionPorts.h"
#include "link/ReportFramer.h"

#include <QByteArray>
#include <QObject>
#include <cstdint>
#include <memory>
#include <vector>

class HidBackend;
class THidDevice;
class THidDeviceController;

// The panels a connection talks to; each must outlive the connection.
struct CableConnectionPorts {
    ConnectionControls& connection;
    DeviceListControls& deviceList;
    DiagnosticControls& diagnostics;
    ReadingTarget& readings;
    UserMessages& messages;
};

// The link to the interface cable: lists the HID devices and claims each of them, picks the
// cable from the list, sends its feature, poll and command reports, hands its input reports to
// the report framer and watches that the meter keeps talking. Its public methods are the window's
// handlers under their names. Lives on the GUI thread; the reader threads reach it only through
// the HID layer's hand-over.
class CableConnection : public QObject, private ReportFramer::Host {
    Q_OBJECT
public:
    // backend: the platform's (createPlatformHidBackend()) or a simulated bus. Lists the devices
    // present at once, through the ports. Throws EControllerError when another HID controller
    // exists.
    CableConnection(ProgramState& state, std::shared_ptr<HidBackend> backend, const CableConnectionPorts& ports,
                    QObject* parent);
    // Gives the claimed devices back and stops their readers; calls no port.
    ~CableConnection() override;

    THidDeviceController* HidCtl() const { return m_HidCtl; }

    bool HidCtlEnumerate(THidDevice* HidDev, int32_t Idx);
    void HidCtlDeviceChange(QObject* Sender);
    void HidCtlArrival(THidDevice* HidDev);
    void HidCtlRemoval(THidDevice* HidDev);
    void HidCtlDeviceDataError(THidDevice* HidDev, uint32_t Error);
    void ReadUSBData(THidDevice* HidDev, uint8_t ReportID, const uint8_t* Data, uint16_t Size);

    void USBConClick();
    void ReadBtnClick();
    void ClearBtnClick();
    // One tick of the 10 ms ConTimer: the silent-meter watchdog, the keep-alive poll and the
    // toggle's caption.
    void ConTimerTimer();
    void SetFeatureClick();
    void SendUSBData(uint8_t value);
    void SendDataClick();

private:
    struct ListedDevice {
        THidDevice* device;  // claimed: ours until released
        QByteArray line;     // as shown in the device list
    };

    void releaseListedDevices();
    THidDevice* selectCable();
    // Selects the cable; without one, shows the notice and releases the connect toggle.
    THidDevice* cableOrNotice(const QString& notice, NoticeKind kind);
    void sendOutputReport(const std::vector<uint8_t>& report);

    // ReportFramer::Host
    bool downloadMode() const override;
    void switchOffSamplingInterval() override;
    void decodeFrame(const QByteArray& frameText) override;
    void sendStopCommand() override;
    void showFrameText(const QByteArray& frame) override;
    void showMarkedFrameText(const QByteArray& frame) override;
    void addHistoryLine(const QByteArray& line) override;
    void releaseSyncHandle() override;

    ProgramState& m_state;
    CableConnectionPorts m_ports;
    ReportFramer m_framer{m_state, *this};
    THidDeviceController* m_HidCtl = nullptr;
    std::vector<ListedDevice> m_listedDevices;
    // Bumped whenever the device list is rebuilt: a report handler that outlived a rebuild
    // (through a dialog opened while it ran) must not touch its released device afterwards.
    uint64_t m_deviceListGeneration = 0;
    THidDevice* m_reportDevice = nullptr;  // the device whose report is being framed
    uint64_t m_reportGeneration = 0;
};
