#include "link/HidDeviceReadThread.h"

#include "base/ProgramError.h"
#include "link/HidDevice.h"

#include <algorithm>
#include <chrono>

THidDeviceReadThread::THidDeviceReadThread(THidDevice* device, uint16_t inputReportByteLength, size_t queueCapacity)
    : m_device(device),
      m_readBuffer(inputReportByteLength),
      m_deliveryBuffer(inputReportByteLength),
      m_queue(inputReportByteLength, queueCapacity)
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
        std::fill(m_readBuffer.begin(), m_readBuffer.end(), uint8_t{0});
        uint32_t error = 0;
        const std::shared_ptr<HidHandle> handle = m_device->acquireReadHandle(error);
        if (!handle) {
            queueReadError(error);
            pauseAfterFailure();
            continue;
        }
        HidReadResult result = handle->readInputReport(m_readBuffer, readTimeoutMs());
        while (result.status == HidReadResult::TimedOut && !stopRequested()) {
            releaseHeldReports();
            result = handle->readInputReport(m_readBuffer, readTimeoutMs());
        }
        if (result.status == HidReadResult::TimedOut)
            break;
        if (result.status == HidReadResult::Failed) {
            queueReadError(result.error);
            pauseAfterFailure();
            continue;
        }
        if (result.status == HidReadResult::Completed && result.bytesRead > 0)
            queueReport(result.bytesRead);
    }
    // Notified under the lock: once the GUI thread sees m_finished it may destroy the object,
    // and with it the condition variable, so the reader must be done with it by then.
    std::lock_guard lock(m_lock);
    m_finished = true;
    m_wake.notify_all();
}

void THidDeviceReadThread::queueReport(uint32_t size)
{
    const auto report = m_readBuffer.begin();
    const bool repeat = std::equal(report, report + size, m_previousReport.begin(), m_previousReport.end());
    if (!repeat)
        m_previousReport.assign(report, report + size);
    std::unique_lock lock(m_lock);
    if (m_stop)
        return;
    m_queue.pushReport(m_readBuffer.data(), size);
    if (repeat && !m_handOverPosted) {
        const auto now = std::chrono::steady_clock::now();
        if (!m_heldSince)
            m_heldSince = now;
        if (now - *m_heldSince < std::chrono::milliseconds(kRepeatHoldMs))
            return;
    }
    post(true);
}

int THidDeviceReadThread::readTimeoutMs() const
{
    const int slice = m_device->WaitSlice();
    if (!m_heldSince)
        return slice;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(
        *m_heldSince + std::chrono::milliseconds(kRepeatHoldMs) - std::chrono::steady_clock::now());
    return int(std::clamp<int64_t>(left.count(), 1, slice));
}

void THidDeviceReadThread::releaseHeldReports()
{
    if (!m_heldSince || std::chrono::steady_clock::now() - *m_heldSince < std::chrono::milliseconds(kRepeatHoldMs))
        return;
    std::lock_guard lock(m_lock);
    if (!m_stop)
        post(false);
}

void THidDeviceReadThread::queueReadError(uint32_t error)
{
    std::unique_lock lock(m_lock);
    if (m_stop)
        return;
    post(m_queue.pushReadError(error));
}

// Called under the lock. One hand-over at a time is enough: the GUI thread empties the queue.
void THidDeviceReadThread::post(bool queued)
{
    // Whatever was held back goes with this hand-over, or there is nothing to hand over.
    m_heldSince.reset();
    if (!queued && m_queue.empty())
        return;
    if (std::exchange(m_handOverPosted, true))
        return;
    emit handOverPosted();
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
    // A handler that runs an event loop of its own (a dialog) finds its caller still handing over:
    // that caller goes on with the queue once the handler has returned.
    if (m_inHandOver)
        return;
    // What is queued now, and no more in one go: a reader that keeps pace with the handlers must
    // not keep the GUI thread from its other events.
    size_t budget;
    {
        std::lock_guard lock(m_lock);
        budget = m_queue.size() + 1;
    }
    for (; budget > 0; --budget) {
        HidReportQueue::Entry entry;
        uint64_t lost = 0;
        {
            std::lock_guard lock(m_lock);
            // Stopped, perhaps by one of its own handlers that then released the device: nothing
            // here may touch the device any more.
            if (m_stop)
                return;
            if (m_queue.empty()) {
                lost = m_queue.takeLost();
                m_handOverPosted = false;
                if (lost == 0)
                    return;
            } else {
                entry = m_queue.pop(m_deliveryBuffer);
            }
        }
        THidDevice* device = m_device;
        const THidHandlerFailureEvent reportFailure = device->m_onHandlerFailure;
        m_inHandOver = true;
        try {
            if (lost > 0) {
                if (device->m_onReportsLost)
                    device->m_onReportsLost(device, lost);
            } else if (entry.readError) {
                const THidDataErrorEvent handler = device->ErrorHandler();
                if (handler)
                    handler(device, entry.error);
            } else {
                const THidDataEvent handler = device->ReportHandler();
                if (handler && entry.size > 0)
                    handler(device, m_deliveryBuffer[0], m_deliveryBuffer.data() + 1,
                            static_cast<uint16_t>(entry.size - 1));
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
        if (m_releaseAfterHandOver) {
            // Asked here, at the loop level that called this, and not by the handler, which may
            // have run a loop of its own: that loop would have deleted the object under us.
            deleteLater();
            return;
        }
    }
    std::lock_guard lock(m_lock);
    if (!m_stop)
        emit handOverPosted();
}
