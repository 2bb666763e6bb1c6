#include "sim/SimulatedHidBackend.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

// hidraw keeps this many unread reports per open file and drops newer ones.
constexpr size_t kReportsKeptPerOpen = 64;
// How far behind the clock an unread cable may fall before it loses reports, as hidraw's
// buffer does at the cable's idle rate.
constexpr int64_t kBacklogLimitUs = kReportsKeptPerOpen * SimulatedCable::kIdleReportIntervalUs;

// The unread input reports of one handle open for reading.
struct ReadQueue {
    int generation = 0;  // of the device when the handle was opened
    std::deque<QByteArray> reports;
};

}  // namespace

struct SimulatedHidBackend::Device {
    // hidraw queues each input report for every file open on the device at the time; a
    // report sent while a file is not yet open never reaches it.
    void distribute(const QByteArray& report)
    {
        for (ReadQueue* queue : readQueues)
            if (queue->generation == generation && queue->reports.size() < kReportsKeptPerOpen)
                queue->reports.push_back(report);
    }

    DeviceId id = 0;
    DeviceSpec setup;
    bool plugged = true;
    int generation = 0;
    std::unique_ptr<SimulatedCable> cable;
    std::optional<SimulatedCable::InputReport> pendingReport;  // real-time pacing: not due yet
    std::vector<ReadQueue*> readQueues;  // of the handles open for reading
    int failuresLeft = 0;
    uint32_t failureError = 0;
    std::vector<ReceivedReport> received;

    QByteArray path() const { return "/dev/simhidraw" + QByteArray::number(id); }
    QByteArray instance() const
    {
        return "/sys/devices/virtual/simhid/" + QByteArray::number(id) + "." + QByteArray::number(generation);
    }
    HidReportLengths reportLengths() const { return cable ? cable->reportLengths() : setup.reportLengths; }
};

struct SimulatedHidBackend::Bus {
    mutable std::mutex lock;
    std::condition_variable wake;  // a blocked read has something to look at
    Options options;
    Clock::time_point epoch = Clock::now();
    std::map<DeviceId, std::shared_ptr<Device>> devices;
    DeviceId nextId = 1;

    int64_t clockNow() const
    {
        const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - epoch).count();
        return static_cast<int64_t>(static_cast<double>(elapsed) * options.timeScale);
    }
    Clock::time_point realTimeOf(int64_t simulated) const
    {
        return epoch + std::chrono::microseconds(static_cast<int64_t>(static_cast<double>(simulated) / options.timeScale));
    }
    bool fast() const { return options.pacing == Pacing::Fast; }
    // When a report sent now would be sent: the fast clock stands where the last report was.
    int64_t sendTime(const Device& device) const { return fast() ? device.cable->lastReportTime() : clockNow(); }

    Device* find(DeviceId id) const
    {
        const auto it = devices.find(id);
        return it == devices.end() ? nullptr : it->second.get();
    }
};

class SimulatedHidBackend::Handle : public HidHandle {
public:
    // Opened under the bus lock.
    Handle(std::shared_ptr<Bus> bus, std::shared_ptr<Device> device, HidAccess access)
        : m_bus(std::move(bus)), m_device(std::move(device)), m_access(access)
    {
        m_queue.generation = m_device->generation;
        if (readable())
            m_device->readQueues.push_back(&m_queue);
    }
    ~Handle() override
    {
        std::lock_guard lock(m_bus->lock);
        std::erase(m_device->readQueues, &m_queue);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool getAttributes(HidAttributes& attributes) override
    {
        std::lock_guard lock(m_bus->lock);
        if (!attached() || !m_device->setup.identifiable)
            return false;
        attributes = {m_device->setup.vendorId, m_device->setup.productId, m_device->setup.versionNumber};
        return true;
    }

    bool getProductString(QString& text) override
    {
        std::lock_guard lock(m_bus->lock);
        text = m_device->setup.product;
        return attached() && !text.isEmpty();
    }

    bool getSerialNumberString(QString& text) override
    {
        std::lock_guard lock(m_bus->lock);
        if (!attached())
            return false;
        text = m_device->setup.serialNumber;
        if (text.isEmpty() && m_device->setup.languageIds) {
            const std::u16string& ids = *m_device->setup.languageIds;
            text = QString::fromUtf16(ids.data(), static_cast<qsizetype>(ids.size()));
        }
        return !text.isEmpty();
    }

    HidLanguageIds getLanguageIds(std::u16string& ids) override
    {
        std::lock_guard lock(m_bus->lock);
        if (!m_device->setup.languageIds)
            return HidLanguageIds::NotApplicable;
        if (!attached() || !m_device->setup.languageIdsReadable)
            return HidLanguageIds::Unreadable;
        ids = *m_device->setup.languageIds;
        return HidLanguageIds::Read;
    }

    std::optional<HidReportLengths> getReportLengths() override
    {
        std::lock_guard lock(m_bus->lock);
        return m_device->reportLengths();
    }


    bool sendFeatureReport(std::span<const uint8_t> report) override
    {
        std::lock_guard lock(m_bus->lock);
        Device& device = *m_device;
        if (!attached() || !writable() || device.reportLengths().feature == 0)
            return false;
        device.received.push_back({ReceivedReport::Feature, bytesOf(report)});
        return !device.cable || device.cable->receiveFeatureReport(report, m_bus->sendTime(device));
    }

    bool writeOutputReport(std::span<const uint8_t> report, uint32_t& written) override
    {
        std::lock_guard lock(m_bus->lock);
        written = 0;
        Device& device = *m_device;
        if (!attached() || !writable() || report.empty())
            return false;
        device.received.push_back({ReceivedReport::Output, bytesOf(report)});
        if (device.cable && !device.cable->receiveOutputReport(report, m_bus->sendTime(device)))
            return false;
        written = static_cast<uint32_t>(report.size());
        return true;
    }

    HidReadResult readInputReport(std::span<uint8_t> buffer, int timeoutMs) override
    {
        std::unique_lock lock(m_bus->lock);
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        Device& device = *m_device;
        for (;;) {
            if (m_cancelled)
                return {HidReadResult::Cancelled};
            if (!readable())
                return {HidReadResult::Failed, 0, NotOpenForReading};
            if (device.failuresLeft > 0) {
                --device.failuresLeft;
                return {HidReadResult::Failed, 0, device.failureError};
            }
            // What was queued before the device went away is still read, as from hidraw.
            if (!m_queue.reports.empty()) {
                const QByteArray report = std::move(m_queue.reports.front());
                m_queue.reports.pop_front();
                return deliver(report, buffer);
            }
            if (!attached())
                return {HidReadResult::Failed, 0, DeviceGone};
            Clock::time_point wakeAt = deadline;
            if (device.cable) {
                if (!device.pendingReport) {
                    if (!m_bus->fast())
                        device.cable->skipTo(m_bus->clockNow() - kBacklogLimitUs);
                    device.pendingReport = device.cable->nextReport();
                }
                if (m_bus->fast() || device.pendingReport->time <= m_bus->clockNow()) {
                    device.distribute(device.pendingReport->bytes);
                    device.pendingReport.reset();
                    m_bus->wake.notify_all();
                    continue;
                }
                wakeAt = std::min(wakeAt, m_bus->realTimeOf(device.pendingReport->time));
            }
            if (Clock::now() >= deadline)
                return {};
            m_bus->wake.wait_until(lock, wakeAt);
        }
    }

    void cancel() override
    {
        {
            std::lock_guard lock(m_bus->lock);
            m_cancelled = true;
        }
        m_bus->wake.notify_all();
    }

private:
    bool writable() const { return m_access == HidAccess::ReadWrite || m_access == HidAccess::Write; }
    bool readable() const { return m_access == HidAccess::ReadWrite || m_access == HidAccess::Read; }
    // A device plugged in again is a new device: handles on the old one stay dead.
    bool attached() const { return m_device->plugged && m_queue.generation == m_device->generation; }

    static QByteArray bytesOf(std::span<const uint8_t> report)
    {
        return QByteArray(reinterpret_cast<const char*>(report.data()), static_cast<qsizetype>(report.size()));
    }

    static HidReadResult deliver(const QByteArray& report, std::span<uint8_t> buffer)
    {
        const size_t count = std::min(buffer.size(), static_cast<size_t>(report.size()));
        std::copy_n(report.constData(), count, buffer.begin());
        return {HidReadResult::Completed, static_cast<uint32_t>(count)};
    }

    std::shared_ptr<Bus> m_bus;
    std::shared_ptr<Device> m_device;
    HidAccess m_access;
    bool m_cancelled = false;  // guarded by the bus lock
    ReadQueue m_queue;         // guarded by the bus lock
};

SimulatedHidBackend::SimulatedHidBackend() : SimulatedHidBackend(Options{}) {}

SimulatedHidBackend::SimulatedHidBackend(Options options) : m_bus(std::make_shared<Bus>())
{
    m_bus->options = options;
    if (m_bus->options.timeScale <= 0)
        m_bus->options.timeScale = 1.0;
}

SimulatedHidBackend::~SimulatedHidBackend() = default;

SimulatedHidBackend::DeviceId SimulatedHidBackend::plugDevice(DeviceSpec setup)
{
    DeviceId id;
    {
        std::lock_guard lock(m_bus->lock);
        auto device = std::make_shared<Device>();
        id = device->id = m_bus->nextId++;
        device->setup = std::move(setup);
        m_bus->devices.emplace(id, std::move(device));
    }
    announceChange();
    return id;
}

SimulatedHidBackend::DeviceId SimulatedHidBackend::plugCable(SimulatedCable::Options options)
{
    DeviceId id;
    {
        std::lock_guard lock(m_bus->lock);
        auto device = std::make_shared<Device>();
        id = device->id = m_bus->nextId++;
        device->setup.vendorId = kCableVendorId;
        device->setup.productId = kCableProductId;
        device->setup.product = QStringLiteral("USB to Serial");
        device->cable = std::make_unique<SimulatedCable>(options);
        if (!m_bus->fast())
            device->cable->skipTo(m_bus->clockNow());
        m_bus->devices.emplace(id, std::move(device));
    }
    announceChange();
    return id;
}

void SimulatedHidBackend::unplug(DeviceId id)
{
    {
        std::lock_guard lock(m_bus->lock);
        Device* device = m_bus->find(id);
        if (!device || !device->plugged)
            return;
        device->plugged = false;
    }
    m_bus->wake.notify_all();
    announceChange();
}

void SimulatedHidBackend::replug(DeviceId id)
{
    {
        std::lock_guard lock(m_bus->lock);
        Device* device = m_bus->find(id);
        if (!device || device->plugged)
            return;
        device->plugged = true;
        ++device->generation;
        if (device->cable) {
            device->cable->powerCycle();
            device->pendingReport.reset();
            if (!m_bus->fast())
                device->cable->skipTo(m_bus->clockNow());
        }
    }
    announceChange();
}

void SimulatedHidBackend::queueInputReports(DeviceId id, std::vector<QByteArray> reports)
{
    {
        std::lock_guard lock(m_bus->lock);
        if (Device* device = m_bus->find(id); device && device->plugged)
            for (const QByteArray& report : reports)
                device->distribute(report);
    }
    m_bus->wake.notify_all();
}

void SimulatedHidBackend::failReads(DeviceId id, int count, uint32_t error)
{
    {
        std::lock_guard lock(m_bus->lock);
        if (Device* device = m_bus->find(id)) {
            device->failuresLeft = count;
            device->failureError = error;
        }
    }
    m_bus->wake.notify_all();
}

std::vector<SimulatedHidBackend::ReceivedReport> SimulatedHidBackend::receivedReports(DeviceId id) const
{
    std::lock_guard lock(m_bus->lock);
    const Device* device = m_bus->find(id);
    return device ? device->received : std::vector<ReceivedReport>{};
}

void SimulatedHidBackend::withCable(DeviceId id, const std::function<void(SimulatedCable& cable)>& action)
{
    {
        std::lock_guard lock(m_bus->lock);
        Device* device = m_bus->find(id);
        if (!device || !device->cable)
            return;
        action(*device->cable);
    }
    m_bus->wake.notify_all();
}

std::vector<HidInterfaceInfo> SimulatedHidBackend::enumerate()
{
    std::lock_guard lock(m_bus->lock);
    std::vector<HidInterfaceInfo> list;
    for (const auto& [id, device] : m_bus->devices) {
        if (!device->plugged)
            continue;
        list.push_back({device->instance(), device->path(), device->setup.vendorId, device->setup.productId,
                        device->setup.versionNumber, device->setup.product, device->setup.serialNumber});
    }
    return list;
}

std::shared_ptr<HidHandle> SimulatedHidBackend::open(const HidInterfaceInfo& info, HidAccess access, uint32_t& error)
{
    std::lock_guard lock(m_bus->lock);
    const auto it = std::find_if(m_bus->devices.begin(), m_bus->devices.end(),
                                 [&](const auto& entry) { return entry.second->path() == info.path; });
    if (it == m_bus->devices.end() || !it->second->plugged) {
        error = DeviceGone;
        return {};
    }
    const std::shared_ptr<Device>& device = it->second;
    const Access rights = device->setup.access;
    if (rights == Access::Unopenable || (rights == Access::AccessZeroOnly && access != HidAccess::None)) {
        error = AccessDenied;
        return {};
    }
    return std::make_shared<Handle>(m_bus, device, access);
}

bool SimulatedHidBackend::watchChanges(std::function<void()> changed)
{
    // Destroying the context drops announcements still queued for the previous watcher.
    m_changeContext.reset();
    m_changed = std::move(changed);
    if (m_changed)
        m_changeContext = std::make_unique<QObject>();
    return true;
}

QByteArray SimulatedHidBackend::errorText(uint32_t error) const
{
    switch (error) {
    case DeviceGone: return "No such device";
    case AccessDenied: return "Permission denied";
    case NotOpenForReading: return "Not opened for reading";
    case ReadFailed: return "Input/output error";
    }
    return "Unknown error " + QByteArray::number(error);
}

// The advice the demo's user would get for the real cable, so the history reads the same.
QByteArray SimulatedHidBackend::accessProblem(const HidInterfaceInfo& device, uint32_t error) const
{
    if (error != AccessDenied)
        return {};
    return "No permission to open " + device.path + " read-write; add a udev rule giving your user access";
}

// Queued, as the platform's notice arrives: the bus changes at once, the device list learns of
// it when the event loop gets there.
void SimulatedHidBackend::announceChange()
{
    if (m_changeContext)
        QMetaObject::invokeMethod(m_changeContext.get(), m_changed, Qt::QueuedConnection);
}
