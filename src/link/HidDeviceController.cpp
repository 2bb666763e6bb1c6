#include "link/HidDeviceController.h"

#include <algorithm>
#include <utility>

namespace {

THidDeviceController* g_controller = nullptr;

// Used as the class GUID where the platform has none to give.
const QUuid kStoredHidClassGuid(QStringLiteral("{4D1E55B2-F16F-11CF-88CB-001111000030}"));

}  // namespace

// Marks a device as announced while a handler has it, and notices when the handler releases it.
class THidDeviceController::Announcement {
public:
    Announcement(THidDeviceController& controller, THidDevice* device)
        : m_controller(controller), m_slot(controller.m_announced.size())
    {
        controller.m_announced.push_back(device);
    }
    ~Announcement()
    {
        if (THidDevice* device = this->device())
            device->m_announcing = false;
        m_controller.m_announced.pop_back();
    }
    Announcement(const Announcement&) = delete;
    Announcement& operator=(const Announcement&) = delete;

    void begin() { device()->m_announcing = true; }
    // Null once the handler has released the device.
    THidDevice* device() const { return m_controller.m_announced[m_slot]; }

private:
    THidDeviceController& m_controller;
    size_t m_slot;
};

THidDeviceController::THidDeviceController(std::shared_ptr<HidBackend> backend, QObject* parent)
    : QObject(parent), m_backend(std::move(backend))
{
    if (g_controller)
        throw EControllerError("Only one THidDeviceController allowed per program");
    g_controller = this;
    for (std::unique_ptr<THidDevice>& device : BuildDeviceList())
        m_devices.append(device.release());
    if (m_backend->available())
        m_backend->watchChanges([this] { DeviceChange(); });
}

THidDeviceController::~THidDeviceController()
{
    // Cleared directly: going through SetOnDeviceChange would rescan and call the window's
    // arrival and removal handlers while it is being torn down.
    m_onDeviceChange = {};
    SetOnDeviceUnplug({});
    m_onEnumerate = {};
    if (m_backend->available())
        m_backend->watchChanges({});
    const QList<THidDevice*> devices = std::exchange(m_devices, {});
    for (THidDevice* device : devices) {
        device->m_controller = nullptr;
        if (device->Claimed()) {
            device->StopReader();
            device->Unplug();
        } else {
            delete device;
        }
    }
    g_controller = nullptr;
}

QUuid THidDeviceController::HidClassGuid() const
{
    return kStoredHidClassGuid;
}

std::vector<std::unique_ptr<THidDevice>> THidDeviceController::BuildDeviceList()
{
    std::vector<std::unique_ptr<THidDevice>> list;
    if (!m_backend->available())
        return list;
    for (HidInterfaceInfo& info : m_backend->enumerate()) {
        try {
            list.emplace_back(new THidDevice(m_backend, std::make_unique<THidPnPInfo>(std::move(info)), this));
        } catch (const EControllerError&) {
            // A device that cannot be opened or identified is left out.
        }
    }
    return list;
}

void THidDeviceController::DeviceChange()
{
    // A handler that runs an event loop can let another change notice in; it is taken up once
    // the current rescan is done rather than interleaved with it.
    if (m_inDeviceChange) {
        m_changeMissed = true;
        return;
    }
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(m_inDeviceChange);
    do {
        m_changeMissed = false;
        rescan();
    } while (m_changeMissed);
}

void THidDeviceController::rescan()
{
    std::vector<std::unique_ptr<THidDevice>> fresh = BuildDeviceList();
    const auto sameInstance = [](const THidDevice* a, const THidDevice* b) {
        return a->PnPInfo()->DeviceInstance() == b->PnPInfo()->DeviceInstance();
    };
    bool changed = false;

    const QList<THidDevice*> listed = m_devices;
    for (auto it = listed.rbegin(); it != listed.rend(); ++it) {
        THidDevice* device = *it;
        // A detached device still listed was reported once already and waits for its holder.
        if (!m_devices.contains(device) || !device->Attached())
            continue;
        const bool present = std::any_of(fresh.begin(), fresh.end(),
                                         [&](const auto& candidate) { return sameInstance(candidate.get(), device); });
        if (present)
            continue;
        changed = true;
        {
            Announcement announcement(*this, device);
            device->Unplug();
            if (!announcement.device())
                continue;
            announcement.begin();
            if (m_onRemoval)
                m_onRemoval(device);
            if (!announcement.device())
                continue;
        }
        if (!device->Claimed()) {
            m_devices.removeOne(device);
            device->m_controller = nullptr;
            delete device;
        }
    }

    for (std::unique_ptr<THidDevice>& candidate : fresh) {
        const bool known = std::any_of(m_devices.begin(), m_devices.end(), [&](const THidDevice* device) {
            return device->Attached() && sameInstance(device, candidate.get());
        });
        if (known) {
            candidate->m_controller = nullptr;
            candidate.reset();
        }
    }
    for (std::unique_ptr<THidDevice>& candidate : fresh) {
        if (!candidate)
            continue;
        THidDevice* device = candidate.release();
        m_devices.append(device);
        changed = true;
        Announcement announcement(*this, device);
        announcement.begin();
        if (m_onArrival)
            m_onArrival(device);
    }

    if ((changed || !m_changeReported) && m_onDeviceChange)
        m_onDeviceChange(this);
}

int32_t THidDeviceController::EnumerateDevices()
{
    int32_t count = 0;
    for (int32_t index = 0; index < m_devices.size(); ++index) {
        THidDevice* device = m_devices[index];
        if (!device->Attached())
            continue;
        ++count;
        if (!m_onEnumerate)
            break;
        Announcement announcement(*this, device);
        announcement.begin();
        const bool goOn = m_onEnumerate(device, index);
        if (announcement.device() && !device->Claimed())
            device->closeHandles();
        if (!goOn)
            break;
    }
    return count;
}

THidDevice* THidDeviceController::ClaimByIndex(int32_t index)
{
    if (index < 0 || index >= m_devices.size())
        return nullptr;
    THidDevice* device = m_devices[index];
    if (device->Claimed())
        return nullptr;
    device->m_claimed = true;
    device->StartReader();
    return device;
}

void THidDeviceController::releaseDevice(THidDevice* device, THidDataEvent reportHandler, THidPlugEvent unplugHandler,
                                         int32_t waitSlice, std::unique_ptr<THidPnPInfo> pnpInfo)
{
    std::replace(m_announced.begin(), m_announced.end(), device, static_cast<THidDevice*>(nullptr));
    const qsizetype index = m_devices.indexOf(device);
    if (index < 0)
        return;
    if (!device->Attached()) {
        m_devices.removeAt(index);
        return;
    }
    try {
        auto* replacement = new THidDevice(m_backend, std::move(pnpInfo), this);
        replacement->SetReportHandler(std::move(reportHandler));
        replacement->m_unplugHandler = std::move(unplugHandler);
        replacement->SetWaitSlice(waitSlice);
        m_devices[index] = replacement;
    } catch (const EControllerError&) {
        // Gone before its removal was noticed: nothing is left to list.
        m_devices.removeAt(index);
    }
}

void THidDeviceController::SetOnDeviceChange(TNotifyEvent handler)
{
    if (handler == m_onDeviceChange)
        return;
    m_onDeviceChange = std::move(handler);
    DeviceChange();
    m_changeReported = true;
}

void THidDeviceController::SetOnDeviceData(THidDataEvent handler)
{
    const QList<THidDevice*> devices = m_devices;
    for (THidDevice* device : devices)
        if (m_devices.contains(device) && device->ReportHandler() == m_onDeviceData)
            device->SetReportHandler(handler);
    m_onDeviceData = std::move(handler);
}

void THidDeviceController::SetOnDeviceDataError(THidDataErrorEvent handler)
{
    for (THidDevice* device : std::as_const(m_devices))
        if (device->ErrorHandler() == m_onDeviceDataError)
            device->SetErrorHandler(handler);
    m_onDeviceDataError = std::move(handler);
}

void THidDeviceController::SetOnDeviceUnplug(THidPlugEvent handler)
{
    for (THidDevice* device : std::as_const(m_devices))
        if (device->UnplugHandler() == m_onDeviceUnplug)
            device->SetUnplugHandler(handler);
    m_onDeviceUnplug = std::move(handler);
}

void THidDeviceController::SetOnHandlerFailure(THidHandlerFailureEvent handler)
{
    m_onHandlerFailure = std::move(handler);
    for (THidDevice* device : std::as_const(m_devices))
        device->m_onHandlerFailure = m_onHandlerFailure;
}

void THidDeviceController::SetOnReportsLost(THidReportsLostEvent handler)
{
    m_onReportsLost = std::move(handler);
    for (THidDevice* device : std::as_const(m_devices))
        device->m_onReportsLost = m_onReportsLost;
}

void THidDeviceController::SetDevThreadSleepTime(int32_t value)
{
    if (value == m_devThreadSleepTime)
        return;
    for (THidDevice* device : std::as_const(m_devices))
        if (device->WaitSlice() == m_devThreadSleepTime)
            device->SetWaitSlice(value);
    m_devThreadSleepTime = value;
}
