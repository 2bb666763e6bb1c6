#pragma once

#include "link/HidReportQueue.h"

#include <QThread>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

class THidDevice;

// Reads the input reports of one device and hands each one, and each read error, to the GUI
// thread, in order. The reader never waits for the GUI thread: while that is busy, it reads ahead
// into its own queue (the device keeps only a few dozen reports per open handle), and the GUI
// thread catches up when it is free. Reports that find the queue full are counted and the count
// goes to the device's lost-reports handler once the GUI thread has caught up.
//
// The thread object lives on the GUI thread; the thread itself touches only its read buffer, its
// device's read handle, the queue and flags under its lock, and WaitSlice.
class THidDeviceReadThread : public QThread {
    Q_OBJECT
public:
    THidDeviceReadThread(THidDevice* device, uint16_t inputReportByteLength,
                         size_t queueCapacity = HidReportQueue::kDefaultCapacity);
    // Waits for run() to end.
    ~THidDeviceReadThread() override;

    // GUI thread. The reader ends within one wait slice; what it had queued is not handed over.
    void Terminate();
    // GUI thread: whether a handler of this reader is running right now, further up the stack.
    bool InHandOver() const { return m_inHandOver; }

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
    // GUI thread: hands everything queued to the handlers, oldest first.
    void deliverPending();
    // Reader thread: one wait slice after a failed read, so that a failure that persists until
    // the device is released does not flood the GUI thread.
    void pauseAfterFailure();

    THidDevice* m_device;
    std::vector<uint8_t> m_readBuffer;      // reader thread only
    std::vector<uint8_t> m_deliveryBuffer;  // GUI thread only

    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_finished = false;
    bool m_handOverPosted = false;
    HidReportQueue m_queue;

    bool m_inHandOver = false;  // GUI thread only
};
