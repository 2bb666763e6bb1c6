#pragma once

#include "link/HidReportQueue.h"

#include <QThread>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

class THidDevice;

// Reads the input reports of one device and hands each one, and each read error, to the GUI
// thread, in order. The reader never waits for the GUI thread: while that is busy, it reads ahead
// into its own queue (the device keeps only a few dozen reports per open handle), and the GUI
// thread catches up when it is free. Reports that find the queue full are counted and the count
// goes to the device's lost-reports handler once the GUI thread has caught up.
//
// A report that repeats the one before it byte for byte (an idle cable's empty reports, a
// hundred a second) carries nothing new to act on at once: it waits for the next report that
// differs, or a read error, and goes over with it, but never longer than kRepeatHoldMs. So an
// idle cable wakes the GUI thread a few times a second instead of at its report rate, and
// whatever a new report brings is handed over as soon as it is read.
//
// The thread object lives on the GUI thread; the thread itself touches only its own buffers, its
// device's read handle, the queue and flags under its lock, and WaitSlice.
class THidDeviceReadThread : public QThread {
    Q_OBJECT
public:
    static constexpr int kRepeatHoldMs = 50;

    THidDeviceReadThread(THidDevice* device, uint16_t inputReportByteLength,
                         size_t queueCapacity = HidReportQueue::kDefaultCapacity);
    // Waits for run() to end.
    ~THidDeviceReadThread() override;

    // GUI thread. The reader ends within one wait slice; what it had queued is not handed over.
    void Terminate();
    // GUI thread: whether a handler of this reader is running right now, further up the stack.
    bool InHandOver() const { return m_inHandOver; }
    // GUI thread, after Terminate() and while in a hand-over: the object goes once the running
    // handler has returned.
    void ReleaseAfterHandOver() { m_releaseAfterHandOver = true; }

signals:
    void handOverPosted();

protected:
    void run() override;

private:
    bool stopRequested();
    // Reader thread: queues a report or a read error and, unless one is on its way, posts a
    // hand-over to the GUI thread.
    void queueReport(uint32_t size);
    void queueReadError(uint32_t error);
    void post(bool queued);
    // Reader thread: how long the next read may wait, and the hand-over of repeated reports
    // whose hold has run out.
    int readTimeoutMs() const;
    void releaseHeldReports();
    // GUI thread: hands everything queued to the handlers, oldest first.
    void deliverPending();
    // Reader thread: one wait slice after a failed read, so that a failure that persists until
    // the device is released does not flood the GUI thread.
    void pauseAfterFailure();

    THidDevice* m_device;
    std::vector<uint8_t> m_readBuffer;      // reader thread only
    std::vector<uint8_t> m_previousReport;  // reader thread only
    // Reader thread only: when the oldest report still held back without a hand-over was read.
    std::optional<std::chrono::steady_clock::time_point> m_heldSince;
    std::vector<uint8_t> m_deliveryBuffer;  // GUI thread only

    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_finished = false;
    bool m_handOverPosted = false;
    HidReportQueue m_queue;

    bool m_inHandOver = false;            // GUI thread only
    bool m_releaseAfterHandOver = false;  // GUI thread only
};
