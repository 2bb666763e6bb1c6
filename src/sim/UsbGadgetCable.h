#pragma once

#include "sim/SimulatedCable.h"
#include "sim/SimulatedHidBackend.h"

#include <QByteArray>
#include <atomic>
#include <functional>

// Plays a simulated cable through the HID function of a USB gadget (/dev/hidgN), so that the
// host's kernel meets the cable over its own USB and HID stack.
//
// The function has no OUT endpoint: output and feature reports both come as SET_REPORT control
// requests and arrive on the function file without their report ID, told apart only by their
// length. The function keeps only the latest unread one, so the file is read as soon as it
// has something. Input reports go out whole (the host drops shorter ones), without report ID.
class UsbGadgetCable {
public:
    using Received = SimulatedHidBackend::ReceivedReport;

    // functionFd: the function file, opened non-blocking for reading and writing. received
    // hears of every report the host sent, report ID put back, as the simulated bus records
    // them.
    // readingFramesSent hears the thermometer's count of reading frames whenever it grows.
    UsbGadgetCable(int functionFd, SimulatedCable::Options options, std::function<void(const Received&)> received,
                   std::function<void(int64_t)> readingFramesSent = {});

    // Serves the host until stop is set. While the host does not collect input reports (no
    // file open on its side, or the gadget unbound), the cable's line goes on and reports that
    // cannot go out are lost, as in the real cable's buffer.
    void serve(const std::atomic<bool>& stop);

    // The cable's report descriptor: vendor-defined, no report IDs, one report of each kind
    // with the lengths given (report ID byte included, as the device layer counts them).
    static QByteArray reportDescriptor(const HidReportLengths& lengths);

    // Input reports the host collected, and the line time lost while it collected none.
    int64_t reportsSent() const { return m_reportsSent; }
    int64_t lineTimeLostUs() const { return m_lineTimeLostUs; }

private:
    int64_t now() const;
    void takeHostReport();
    // False when the function has gone away (the gadget was unbound): the cable lost power.
    bool sendPending();

    int m_fd;
    SimulatedCable m_cable;
    std::function<void(const Received&)> m_received;
    std::function<void(int64_t)> m_readingFramesSent;
    int64_t m_readingFramesTold = 0;
    std::optional<SimulatedCable::InputReport> m_pending;
    int64_t m_startNs;
    int64_t m_reportsSent = 0;
    int64_t m_lineTimeLostUs = 0;
};
