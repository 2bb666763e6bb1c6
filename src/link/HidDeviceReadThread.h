#pragma once

#include <QThread>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

class THidDevice;

// Reads the input reports of one device and hands each one, and each read error, to the GUI
// thread, waiting until the handler there has returned. The thread object lives on the GUI
// thread; the thread itself touches only its buffer, its device's read handle, flags and
// WaitSlice.
//
// The hand-over is guarded by the thread's own mutex rather than by the event queue alone, so
// that the GUI thread can also serve it directly while it waits for the reader to end.
class THidDeviceReadThread : public QThread {
    Q_OBJECT
public:
    THidDeviceReadThread(THidDevice* device, uint16_t inputReportByteLength);
    // Waits for run() to end.
    ~THidDeviceReadThread() override;

    // GUI thread. The reader ends within one wait slice, or once its current hand-over is done.
    void Terminate();
    // GUI thread: whether a handler of this reader is running right now, further up the stack.
    bool InHandOver() const { return m_inHandOver; }
    // GUI thread: runs the reader's hand-overs until it has ended.
    void WaitServingHandOvers();
    // GUI thread, after Terminate(): the object deletes itself once the thread has ended.
    void FreeOnTermination();

signals:
    void handOverPosted();

protected:
    void run() override;

private:
    enum class HandOver { None, Report, ReadError };

    bool stopRequested();
    // Reader thread: posts the hand-over and waits until the GUI thread has run it.
    void handOver(HandOver kind);
    // GUI thread: runs a posted hand-over, if there is one.
    void deliverPending();
    // Reader thread: one wait slice after a failed read, so that a failure that persists until
    // the device is released does not flood the GUI thread.
    void pauseAfterFailure();

    THidDevice* m_device;
    std::vector<uint8_t> m_inputBuffer;
    uint32_t m_bytesRead = 0;
    uint32_t m_readError = 0;

    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_finished = false;
    HandOver m_pending = HandOver::None;

    bool m_inHandOver = false;  // GUI thread only
};
