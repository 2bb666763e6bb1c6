#include "sim/UsbGadgetCable.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

namespace {

// As far behind as hidraw's 64 reports at the idle rate: older reports are gone anyway.
constexpr int64_t kBacklogLimitUs = 64 * SimulatedCable::kIdleReportIntervalUs;
// How often an unbound gadget is tried again.
constexpr int kUnboundRetryMs = 20;

int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

UsbGadgetCable::UsbGadgetCable(int functionFd, SimulatedCable::Options options,
                               std::function<void(const Received&)> received,
                               std::function<void(int64_t)> readingFramesSent)
    : m_fd(functionFd),
      m_cable(options),
      m_received(std::move(received)),
      m_readingFramesSent(std::move(readingFramesSent)),
      m_startNs(steadyNs())
{
}

QByteArray UsbGadgetCable::reportDescriptor(const HidReportLengths& lengths)
{
    QByteArray descriptor = QByteArray::fromHex("0600FF"     // usage page: vendor-defined
                                                "0901A101"   // usage 1, application collection
                                                "150026FF00" // logical 0 to 255
                                                "7508");     // 8-bit fields
    const auto item = [&](uint16_t lengthWithId, char mainItem) {
        if (lengthWithId < 2)
            return;
        descriptor += char(0x96);  // report count, two bytes
        descriptor += char((lengthWithId - 1) & 0xFF);
        descriptor += char((lengthWithId - 1) >> 8);
        descriptor += QByteArray::fromHex("0901");
        descriptor += mainItem;
        descriptor += char(0x02);  // data, variable, absolute
    };
    item(lengths.input, char(0x81));
    item(lengths.output, char(0x91));
    item(lengths.feature, char(0xB1));
    descriptor += char(0xC0);
    return descriptor;
}

int64_t UsbGadgetCable::now() const
{
    return (steadyNs() - m_startNs) / 1000;
}

void UsbGadgetCable::takeHostReport()
{
    uint8_t buffer[256];
    const ssize_t count = ::read(m_fd, buffer + 1, sizeof buffer - 1);
    if (count <= 0)
        return;
    buffer[0] = 0;  // the report ID the host's device layer wrote
    const std::span<const uint8_t> report(buffer, size_t(count) + 1);
    const HidReportLengths lengths = m_cable.reportLengths();
    const int64_t at = now();
    if (report.size() == lengths.feature) {
        m_cable.receiveFeatureReport(report, at);
        m_received({Received::Feature, QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(report.size()))});
    } else if (report.size() == lengths.output) {
        m_cable.receiveOutputReport(report, at);
        m_received({Received::Output, QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(report.size()))});
    }
}

bool UsbGadgetCable::sendPending()
{
    const QByteArray& bytes = m_pending->bytes;
    const ssize_t written = ::write(m_fd, bytes.constData() + 1, size_t(bytes.size() - 1));
    if (written >= 0 || errno == EAGAIN || errno == EINTR) {
        if (written >= 0) {
            m_pending.reset();
            ++m_reportsSent;
        }
        return true;
    }
    return false;
}

void UsbGadgetCable::serve(const std::atomic<bool>& stop)
{
    while (!stop) {
        if (!m_pending) {
            const int64_t oldest = now() - kBacklogLimitUs;
            m_lineTimeLostUs += std::max<int64_t>(0, oldest - m_cable.lastReportTime());
            m_cable.skipTo(oldest);
            m_pending = m_cable.nextReport();
            const int64_t frames = m_cable.thermometer().readingFramesSent();
            if (frames != m_readingFramesTold && m_readingFramesSent)
                m_readingFramesSent(m_readingFramesTold = frames);
        }
        const int64_t dueInUs = m_pending->time - now();
        pollfd fd{m_fd, POLLIN, 0};
        if (dueInUs <= 0)
            fd.events |= POLLOUT;
        const int timeoutMs = dueInUs <= 0 ? kUnboundRetryMs : int(std::min<int64_t>(dueInUs / 1000 + 1, 100));
        const int ready = ::poll(&fd, 1, timeoutMs);
        if (ready <= 0)
            continue;
        if (fd.revents & POLLIN)
            takeHostReport();
        if ((fd.revents & POLLOUT) && !sendPending()) {
            m_cable.powerCycle();
            m_pending.reset();
            ::usleep(kUnboundRetryMs * 1000);
        }
    }
}
