#include "link/HidDeviceReadThread.h"

#include "base/ProgramError.h"
#include "link/HidDevice.h"

#include <algorithm>
#include <chrono>

THidDeviceReadThread::THidDeviceReadThread(THidDevice* device, uint16_t inputReportByteLength)
    : m_device(device), m_inputBuffer(inputReportByteLength)
{
    connect(this, &THidDeviceReadThread::handOverPosted, this, &THidDeviceReadThread::deliverPending,
            Qt::QueuedConnection);
}

THidDeviceReadThread::~THidDeviceReadThread()
{
    {
        std::unique_lock lock(m_lock);
        if (isRunning())
            m_wake.wait(lock, [this] { return m_finished; });
    }
    wait();
}

void THidDeviceReadThread::Terminate()
{
    {
        std::lock_guard lock(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
}

bool THidDeviceReadThread::stopRequested()
{
    std::lock_guard lock(m_lock);
    return m_stop;
}

void THidDeviceReadThread::run()
{
    while (!stopRequested()) {
        std::fill(m_inputBuffer.begin(), m_inputBuffer.end(), uint8_t{0});
        uint32_t error = 0;
        const std::shared_ptr<HidHandle> handle = m_device->acquireReadHandle(error);
        if (!handle) {
            m_readError = error;
            handOver(HandOver::ReadError);
            pauseAfterFailure();
            continue;
        }
        HidReadResult result = handle->readInputReport(m_inputBuffer, m_device->WaitSlice());
        while (result.status == HidReadResult::TimedOut && !stopRequested())
            result = handle->readInputReport(m_inputBuffer, m_device->WaitSlice());
        if (result.status == HidReadResult::TimedOut)
            break;
        if (result.status == HidReadResult::Failed) {
            m_readError = result.error;
            handOver(HandOver::ReadError);
            pauseAfterFailure();
            continue;
        }
        m_bytesRead = result.status == HidReadResult::Completed ? result.bytesRead : 0;
        if (m_bytesRead > 0)
            handOver(HandOver::Report);
    }
    // Notified under the lock: once the GUI thread sees m_finished it may destroy the object,
    // and with it the condition variable, so the reader must be done with it by then.
    std::lock_guard lock(m_lock);
    m_finished = true;
    m_wake.notify_all();
}

void THidDeviceReadThread::handOver(HandOver kind)
{
    {
        std::lock_guard lock(m_lock);
        if (m_stop)
            return;
        m_pending = kind;
    }
    m_wake.notify_all();
    emit handOverPosted();
    std::unique_lock lock(m_lock);
    m_wake.wait(lock, [this] { return m_pending == HandOver::None; });
}

void THidDeviceReadThread::pauseAfterFailure()
{
    // The stop test comes first: the error handler may have released the device, and then only
    // the stop request is left to look at.
    std::unique_lock lock(m_lock);
    if (m_stop)
        return;
    const auto slice = std::chrono::milliseconds(m_device->WaitSlice());
    m_wake.wait_for(lock, slice, [this] { return m_stop; });
}

void THidDeviceReadThread::deliverPending()
{
    HandOver kind;
    {
        std::lock_guard lock(m_lock);
        kind = m_pending;
    }
    if (kind == HandOver::None || m_inHandOver)
        return;

    // The handler may release the device, and with it stop this reader: nothing here touches the
    // device after the call.
    THidDevice* device = m_device;
    const THidHandlerFailureEvent reportFailure = device->m_onHandlerFailure;
    m_inHandOver = true;
    try {
        if (kind == HandOver::Report) {
            const THidDataEvent handler = device->ReportHandler();
            if (handler)
                handler(device, m_inputBuffer[0], m_inputBuffer.data() + 1, static_cast<uint16_t>(m_bytesRead - 1));
        } else {
            const THidDataErrorEvent handler = device->ErrorHandler();
            if (handler)
                handler(device, m_readError);
        }
    } catch (const std::exception& error) {
        // Passed back to the reader, the failure would end it and reading would stop unnoticed.
        if (reportFailure)
            reportFailure(failureText(error));
    } catch (...) {
        if (reportFailure)
            reportFailure(QStringLiteral("Unknown error"));
    }
    m_inHandOver = false;

    {
        std::lock_guard lock(m_lock);
        m_pending = HandOver::None;
    }
    m_wake.notify_all();
}

void THidDeviceReadThread::WaitServingHandOvers()
{
    std::unique_lock lock(m_lock);
    while (!m_finished) {
        if (m_pending != HandOver::None) {
            lock.unlock();
            deliverPending();
            lock.lock();
            continue;
        }
        m_wake.wait(lock);
    }
    lock.unlock();
    wait();
}

void THidDeviceReadThread::FreeOnTermination()
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}
