#include "link/HidDevice.h"

#include "link/HidDeviceController.h"
#include "link/HidDeviceReadThread.h"
#include "link/HidStrings.h"

#include <utility>

THidDevice::THidDevice(std::shared_ptr<HidBackend> backend, std::unique_ptr<THidPnPInfo> pnpInfo,
                       THidDeviceController* controller)
    : m_backend(std::move(backend)), m_pnpInfo(std::move(pnpInfo)), m_controller(controller)
{
    if (m_controller) {
        SetReportHandler(m_controller->OnDeviceData());
        m_unplugHandler = m_controller->OnDeviceUnplug();
        m_onHandlerFailure = m_controller->OnHandlerFailure();
        m_onReportsLost = m_controller->OnReportsLost();
    }
    uint32_t error = 0;
    const std::shared_ptr<HidHandle> handle = openSyncHandleAsAtCreation(error);
    if (!handle)
        throw EControllerError("device cannot be opened");
    HidAttributes attributes;
    if (!handle->getAttributes(attributes))
        throw EControllerError("device cannot be identified");
    m_vendorId = attributes.vendorId;
    m_productId = attributes.productId;
    m_versionNumber = attributes.versionNumber;
}

THidDevice::~THidDevice()
{
    THidDataEvent keptReportHandler = std::exchange(m_reportHandler, {});
    THidPlugEvent keptUnplugHandler = std::exchange(m_unplugHandler, {});
    StopReader();
    closeHandles();
    m_reportLengths.reset();
    if (m_controller)
        m_controller->releaseDevice(this, std::move(keptReportHandler), std::move(keptUnplugHandler), m_waitSlice,
                                    std::move(m_pnpInfo));
}

std::shared_ptr<HidHandle> THidDevice::openSyncHandleAsAtCreation(uint32_t& error)
{
    std::shared_ptr<HidHandle> handle = m_backend->open(m_pnpInfo->Info(), HidAccess::ReadWrite, error);
    m_readWriteAccess = handle != nullptr;
    if (handle) {
        m_accessProblem.clear();
        return handle;
    }
    m_accessProblem = m_backend->accessProblem(m_pnpInfo->Info(), error);
    return m_backend->open(m_pnpInfo->Info(), HidAccess::None, error);
}

bool THidDevice::OpenSyncHandle()
{
    if (!m_syncHandle && mayOpenHandles()) {
        uint32_t error = 0;
        m_syncHandle = openSyncHandleAsAtCreation(error);
        if (m_syncHandle) {
            if (m_syncBufferCount != 0)
                m_syncHandle->setInputBufferCount(m_syncBufferCount);
            int32_t count = 0;
            if (m_syncHandle->getInputBufferCount(count))
                m_syncBufferCount = count;
        }
    }
    return m_syncHandle != nullptr;
}

std::shared_ptr<HidHandle> THidDevice::acquireReadHandle(uint32_t& error)
{
    std::lock_guard lock(m_readLock);
    if (!m_readHandle) {
        if (!mayOpenHandles()) {
            error = m_backend->notAttachedError();
            return {};
        }
        m_readHandle = m_backend->open(m_pnpInfo->Info(), HidAccess::Read, error);
        if (m_readHandle) {
            if (m_readBufferCount != 0)
                m_readHandle->setInputBufferCount(m_readBufferCount);
            int32_t count = 0;
            if (m_readHandle->getInputBufferCount(count))
                m_readBufferCount = count;
        }
    }
    return m_readHandle;
}

bool THidDevice::OpenReadHandle()
{
    uint32_t error = 0;
    return acquireReadHandle(error) != nullptr;
}

bool THidDevice::OpenWriteHandle()
{
    if (!m_writeHandle && mayOpenHandles()) {
        uint32_t error = 0;
        m_writeHandle = m_backend->open(m_pnpInfo->Info(), HidAccess::Write, error);
    }
    return m_writeHandle != nullptr;
}

void THidDevice::CloseSyncHandle()
{
    m_syncHandle.reset();
    m_syncBufferCount = 0;
}

// A read blocked on the handle returns at once; the handle itself closes when the reader lets
// go of it, so the reader never reads from a closed or reused descriptor.
void THidDevice::closeReadHandle()
{
    std::shared_ptr<HidHandle> handle;
    {
        std::lock_guard lock(m_readLock);
        handle = std::move(m_readHandle);
        m_readBufferCount = 0;
    }
    if (handle)
        handle->cancel();
}

void THidDevice::closeHandles()
{
    CloseSyncHandle();
    closeReadHandle();
    m_writeHandle.reset();
}

void THidDevice::SetInputBufferCount(int32_t count)
{
    if (count == m_syncBufferCount || !OpenSyncHandle())
        return;
    m_syncHandle->setInputBufferCount(count);
    int32_t actual = 0;
    if (m_syncHandle->getInputBufferCount(actual))
        m_syncBufferCount = actual;
}

bool THidDevice::SendFeatureReport(const uint8_t* buffer, int32_t size)
{
    if (size < 0 || !OpenSyncHandle())
        return false;
    return m_syncHandle->sendFeatureReport({buffer, static_cast<size_t>(size)});
}

bool THidDevice::WriteOutputReport(const uint8_t* buffer, uint32_t count, uint32_t& written)
{
    if (!OpenSyncHandle())
        return false;
    return m_syncHandle->writeOutputReport({buffer, count}, written);
}

THidCaps THidDevice::ReadCaps()
{
    if (!m_reportLengths && OpenSyncHandle()) {
        m_reportLengths = m_syncHandle->getReportLengths();
        CloseSyncHandle();
    }
    if (!m_reportLengths)
        return {};
    return {m_reportLengths->input, m_reportLengths->output, m_reportLengths->feature};
}

QString THidDevice::ProductString()
{
    if (m_productString.isEmpty() && OpenSyncHandle()) {
        QString text;
        if (m_syncHandle->getProductString(text)) {
            HidStringBuffer buffer{};
            copyToHidStringBuffer(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), text.size()),
                                  buffer);
            m_productString = hidStringText(buffer);
        }
        CloseSyncHandle();
    }
    return m_productString;
}

QString THidDevice::SerialString()
{
    if (m_serialString.isEmpty() && OpenSyncHandle()) {
        QString text;
        if (m_syncHandle->getSerialNumberString(text)) {
            HidStringBuffer serial{};
            copyToHidStringBuffer(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), text.size()),
                                  serial);
            std::u16string ids;
            switch (m_syncHandle->getLanguageIds(ids)) {
            case HidLanguageIds::NotApplicable:
                m_serialString = hidStringText(serial);
                break;
            case HidLanguageIds::Unreadable:
                break;  // an unread list cannot tell a serial number from an echo of it
            case HidLanguageIds::Read: {
                HidStringBuffer list;
                list.fill(0xFFFF);
                copyToHidStringBuffer(ids, list);
                if (serialNumberDiffersFromLanguageIds(serial, list))
                    m_serialString = hidStringText(serial);
                break;
            }
            }
        }
        CloseSyncHandle();
    }
    return m_serialString;
}

void THidDevice::Unplug()
{
    // Detached first: the reader woken by closing its handle must find the device gone, or it
    // would open the path again, which on Linux may already name another device.
    m_attached = false;
    closeHandles();
    const THidPlugEvent handler = m_unplugHandler;
    if (handler)
        handler(this);
    m_unplugHandler = {};
}

void THidDevice::SetWaitSlice(int32_t value)
{
    if (value > 9 && value <= 10000)
        m_waitSlice = value;
}

void THidDevice::SetReportHandler(THidDataEvent handler)
{
    if (!handler)
        StopReader();
    m_reportHandler = std::move(handler);
    StartReader();
}

void THidDevice::StartReader()
{
    if (!m_reportHandler || !m_attached || !m_claimed || !m_readWriteAccess || m_reader)
        return;
    const uint16_t inputLength = ReadCaps().InputReportByteLength;
    if (inputLength == 0)
        return;
    // hidraw queues input reports per open file, from the open on: opened later by the reader
    // thread, the handle would miss what the device sends meanwhile, such as the instrument's
    // first frame. A failure here is the reader's to report.
    uint32_t error = 0;
    acquireReadHandle(error);
    m_reader = new THidDeviceReadThread(this, inputLength);
    m_reader->start();
}

void THidDevice::StopReader()
{
    THidDeviceReadThread* reader = std::exchange(m_reader, nullptr);
    if (!reader)
        return;
    reader->Terminate();
    // Closing the handle wakes a blocked read. The thread never waits for the GUI thread, so it
    // ends within one wait slice, also when stopped from inside one of its own handlers; it must
    // have ended before this returns, since the caller may be about to delete the device.
    closeReadHandle();
    reader->wait();
    // Reports queued on the handle while nobody reads belong to the stopped reading, and the
    // thread may have opened the handle again just before it saw the stop: the next reader
    // starts on a handle of its own.
    closeReadHandle();
    if (reader->InHandOver()) {
        // Stopped from inside its own handler, which is still running on the reader's behalf:
        // the reader object must outlive it.
        reader->ReleaseAfterHandOver();
        return;
    }
    delete reader;
}
