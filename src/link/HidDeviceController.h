#pragma once

#include "link/HidBackend.h"
#include "link/HidDevice.h"
#include "link/HidEvents.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QUuid>
#include <memory>
#include <vector>

// Lists the HID devices that are present, notices when devices come and go, and hands out
// device objects. At most one controller exists per process. Everything runs on the GUI thread.
class THidDeviceController : public QObject {
    Q_OBJECT
public:
    // Throws EControllerError when another controller exists.
    THidDeviceController(std::shared_ptr<HidBackend> backend, QObject* parent);
    // Stops the readers of claimed devices and unplugs them (their holders still release them);
    // frees the others.
    ~THidDeviceController() override;

    static constexpr const char* kVersion = "1.0.22";
    QByteArray Version() const { return kVersion; }
    QUuid HidClassGuid() const;
    bool ChangeReported() const { return m_changeReported; }

    // Rescans; fires OnRemoval and OnArrival for the differences, then OnDeviceChange when
    // anything changed or it has never been fired.
    void DeviceChange();
    // Passes every attached device to OnEnumerate, in list order, while the handler says go on;
    // returns how many were passed.
    int32_t EnumerateDevices();
    // Hands out the device at that index and starts its reader if it has a report handler;
    // null when the index is outside the list or the device is already claimed.
    THidDevice* ClaimByIndex(int32_t index);

    int32_t DevThreadSleepTime() const { return m_devThreadSleepTime; }
    // Listed devices whose WaitSlice equals the old value get the new one.
    void SetDevThreadSleepTime(int32_t value);

    const THidPlugEvent& OnArrival() const { return m_onArrival; }
    void SetOnArrival(THidPlugEvent handler) { m_onArrival = std::move(handler); }
    const THidEnumerateEvent& OnEnumerate() const { return m_onEnumerate; }
    void SetOnEnumerate(THidEnumerateEvent handler) { m_onEnumerate = std::move(handler); }
    const THidPlugEvent& OnRemoval() const { return m_onRemoval; }
    void SetOnRemoval(THidPlugEvent handler) { m_onRemoval = std::move(handler); }
    const TNotifyEvent& OnDeviceChange() const { return m_onDeviceChange; }
    // A handler other than the current one is stored and the current state reported through
    // DeviceChange, so it fires once even when nothing changed.
    void SetOnDeviceChange(TNotifyEvent handler);
    // These three pass the new handler to every listed device whose handler of that kind equals
    // the previous one; a report handler given to a claimed device starts or stops its reader.
    const THidDataEvent& OnDeviceData() const { return m_onDeviceData; }
    void SetOnDeviceData(THidDataEvent handler);
    const THidDataErrorEvent& OnDeviceDataError() const { return m_onDeviceDataError; }
    void SetOnDeviceDataError(THidDataErrorEvent handler);
    const THidPlugEvent& OnDeviceUnplug() const { return m_onDeviceUnplug; }
    void SetOnDeviceUnplug(THidPlugEvent handler);
    // Every listed device, and every one listed later, reports its handlers' failures here.
    const THidHandlerFailureEvent& OnHandlerFailure() const { return m_onHandlerFailure; }
    void SetOnHandlerFailure(THidHandlerFailureEvent handler);
    // Every listed device, and every one listed later, reports the reports its reader lost here.
    const THidReportsLostEvent& OnReportsLost() const { return m_onReportsLost; }
    void SetOnReportsLost(THidReportsLostEvent handler);

private:
    friend class THidDevice;

    class Announcement;

    std::vector<std::unique_ptr<THidDevice>> BuildDeviceList();
    void rescan();
    // Called by a device being released.
    void releaseDevice(THidDevice* device, THidDataEvent reportHandler, THidPlugEvent unplugHandler,
                       int32_t waitSlice, std::unique_ptr<THidPnPInfo> pnpInfo);

    std::shared_ptr<HidBackend> m_backend;
    QList<THidDevice*> m_devices;
    bool m_changeReported = false;
    bool m_inDeviceChange = false;
    bool m_changeMissed = false;
    // The devices being announced right now; an entry turns null when its handler releases it.
    std::vector<THidDevice*> m_announced;

    int32_t m_devThreadSleepTime = 100;
    THidPlugEvent m_onArrival;
    THidEnumerateEvent m_onEnumerate;
    TNotifyEvent m_onDeviceChange;
    THidDataEvent m_onDeviceData;
    THidDataErrorEvent m_onDeviceDataError;
    THidPlugEvent m_onDeviceUnplug;
    THidPlugEvent m_onRemoval;
    THidHandlerFailureEvent m_onHandlerFailure;
    THidReportsLostEvent m_onReportsLost;
};
