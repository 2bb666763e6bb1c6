#pragma once

#include "link/HidBackend.h"
#include "link/HidEvents.h"
#include "link/HidPnPInfo.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

class THidDeviceController;
class THidDeviceReadThread;

// The report lengths of a device, report ID byte included.
struct THidCaps {
    uint16_t InputReportByteLength = 0;
    uint16_t OutputReportByteLength = 0;
    uint16_t FeatureReportByteLength = 0;
};

// One HID device as the controller lists it. The controller owns the objects it has not handed
// out; ClaimByIndex hands one to a holder, who releases it by deleting it. The controller then
// lists a fresh unclaimed object for the same device if it is still attached.
//
// Everything here runs on the GUI thread, except the device's reader thread, which touches only
// the read handle, the flags and WaitSlice.
class THidDevice {
public:
    ~THidDevice();
    THidDevice(const THidDevice&) = delete;
    THidDevice& operator=(const THidDevice&) = delete;

    // Null only while the object is being released.
    const THidPnPInfo* PnPInfo() const { return m_pnpInfo.get(); }

    bool Attached() const { return m_attached; }
    bool Claimed() const { return m_claimed; }
    bool Announcing() const { return m_announcing; }
    bool ReadWriteAccess() const { return m_readWriteAccess; }
    // Why the device could not be opened read-write, in words a user can act on; empty when it
    // could be, or when the reason is nothing the user can change.
    const QByteArray& AccessProblem() const { return m_accessProblem; }

    uint16_t VendorID() const { return m_vendorId; }
    uint16_t ProductID() const { return m_productId; }
    uint16_t VersionNumber() const { return m_versionNumber; }

    // Empty when the device has none or the string cannot be read now; asked again next time.
    QString ProductString();
    QString SerialString();
    THidCaps ReadCaps();

    // Each returns whether the handle is open. Handles open only while the device is attached
    // and claimed or being announced; an open handle is reused.
    bool OpenSyncHandle();
    bool OpenReadHandle();
    bool OpenWriteHandle();
    void CloseSyncHandle();
    void SetInputBufferCount(int32_t count);

    // Byte 0 of the buffer is the report ID. Both leave the synchronous handle open.
    bool SendFeatureReport(const uint8_t* buffer, int32_t size);
    bool WriteOutputReport(const uint8_t* buffer, uint32_t count, uint32_t& written);

    // Closes the handles, marks the device detached and tells the unplug handler, once.
    void Unplug();

    // Milliseconds the reader waits at a time; it notices a stop request within one slice.
    int32_t WaitSlice() const { return m_waitSlice; }
    // Accepted only above 9 and up to 10000.
    void SetWaitSlice(int32_t value);

    const THidDataEvent& ReportHandler() const { return m_reportHandler; }
    // An empty handler stops the reader; a handler starts one when the device may read.
    void SetReportHandler(THidDataEvent handler);
    const THidDataErrorEvent& ErrorHandler() const { return m_errorHandler; }
    void SetErrorHandler(THidDataErrorEvent handler) { m_errorHandler = std::move(handler); }
    const THidPlugEvent& UnplugHandler() const { return m_unplugHandler; }
    void SetUnplugHandler(THidPlugEvent handler) { m_unplugHandler = std::move(handler); }

    // A reader runs only with a report handler on an attached, claimed device with read-write
    // access that has input reports.
    void StartReader();
    // Waits for the reader to end, within one wait slice, also when called from the reader's own
    // handler; what it had read and not yet handed over is dropped.
    void StopReader();

    // The text for an error code that the error handler received.
    QByteArray ErrorText(uint32_t error) const { return m_backend->errorText(error); }

private:
    friend class THidDeviceController;
    friend class THidDeviceReadThread;

    // Throws EControllerError when the device cannot be opened or identified.
    THidDevice(std::shared_ptr<HidBackend> backend, std::unique_ptr<THidPnPInfo> pnpInfo,
               THidDeviceController* controller);

    bool mayOpenHandles() const { return m_attached && (m_claimed || m_announcing); }
    std::shared_ptr<HidHandle> openSyncHandleAsAtCreation(uint32_t& error);
    // Runs on the reader thread as well as on the GUI thread.
    std::shared_ptr<HidHandle> acquireReadHandle(uint32_t& error);
    void closeReadHandle();
    void closeHandles();

    std::shared_ptr<HidBackend> m_backend;
    std::unique_ptr<THidPnPInfo> m_pnpInfo;
    THidDeviceController* m_controller;

    std::atomic<bool> m_attached{true};
    std::atomic<bool> m_claimed{false};
    std::atomic<bool> m_announcing{false};
    bool m_readWriteAccess = false;
    QByteArray m_accessProblem;

    std::shared_ptr<HidHandle> m_syncHandle;
    std::shared_ptr<HidHandle> m_writeHandle;
    std::mutex m_readLock;  // the read handle is shared with the reader thread
    std::shared_ptr<HidHandle> m_readHandle;
    int32_t m_readBufferCount = 0;
    int32_t m_syncBufferCount = 0;

    uint16_t m_vendorId = 0;
    uint16_t m_productId = 0;
    uint16_t m_versionNumber = 0;
    QString m_productString;
    QString m_serialString;
    std::optional<HidReportLengths> m_reportLengths;

    std::atomic<int32_t> m_waitSlice{100};
    THidDataEvent m_reportHandler;
    THidDataErrorEvent m_errorHandler;
    THidPlugEvent m_unplugHandler;
    THidHandlerFailureEvent m_onHandlerFailure;  // GUI thread only
    THidReportsLostEvent m_onReportsLost;        // GUI thread only
    THidDeviceReadThread* m_reader = nullptr;
};
