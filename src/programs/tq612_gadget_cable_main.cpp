// The simulated thermometer's cable as a real USB device: a configfs HID gadget with the cable's
// identity and report layout, served until SIGTERM or SIGINT. For a machine whose kernel has a
// USB device controller, such as dummy_hcd in the kernel test lane.
//
// Prints "ready <gadget folder> <controller>" once the device is bound, then one line per report
// the host sends: "feature" or "output" and its bytes in hex, report ID first, and "frames N"
// whenever the thermometer has begun another reading frame (live or stored), N counting them.
#include "sim/SimulatedHidBackend.h"
#include "sim/UsbGadget.h"
#include "sim/UsbGadgetCable.h"

#include <QCoreApplication>
#include <QFile>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sched.h>
#include <stdexcept>
#include <unistd.h>

namespace {

std::atomic<bool> g_stop{false};

void requestStop(int)
{
    g_stop = true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    // The function keeps only the latest unread report from the host: read it before the next.
    sched_param priority{};
    priority.sched_priority = 10;
    sched_setscheduler(0, SCHED_FIFO, &priority);

    SimulatedCable::Options options;
    const HidReportLengths lengths = SimulatedCable(options).reportLengths();
    try {
        const UsbGadget gadget("tq612-cable",
                               {SimulatedHidBackend::kCableVendorId, SimulatedHidBackend::kCableProductId, 0x0100,
                                "USB to Serial"},
                               {UsbGadgetCable::reportDescriptor(lengths), uint16_t(lengths.input - 1)});
        const int fd = ::open(QFile::encodeName(gadget.functionFile()).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            throw std::runtime_error("cannot open " + gadget.functionFile().toStdString());
        std::printf("ready %s %s\n", qPrintable(gadget.folder()), gadget.controller().constData());
        std::fflush(stdout);
        UsbGadgetCable cable(fd, options, [](const UsbGadgetCable::Received& report) {
            std::printf("%s %s\n", report.kind == UsbGadgetCable::Received::Feature ? "feature" : "output",
                        report.bytes.toHex(' ').constData());
            std::fflush(stdout);
        }, [](int64_t frames) {
            std::printf("frames %lld\n", static_cast<long long>(frames));
            std::fflush(stdout);
        });
        cable.serve(g_stop);
        std::fprintf(stderr, "tq612-gadget-cable: %lld input reports collected, %lld ms of line time lost\n",
                     static_cast<long long>(cable.reportsSent()), static_cast<long long>(cable.lineTimeLostUs() / 1000));
        ::close(fd);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tq612-gadget-cable: %s\n", error.what());
        return 1;
    }
    return 0;
}
