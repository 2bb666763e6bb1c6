#include "link/LinuxHidBackend.h"

#include "link/HidReportDescriptor.h"

#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace {

uint16_t parseHex16(std::string_view text)
{
    uint32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return static_cast<uint16_t>(value);
}

QString udevText(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// HID_ID reads "bus:vendor:product", each in hex.
void parseHidId(const char* hidId, HidInterfaceInfo& info)
{
    if (!hidId)
        return;
    const std::string_view text(hidId);
    const size_t first = text.find(':');
    const size_t second = text.find(':', first == std::string_view::npos ? first : first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos)
        return;
    info.vendorId = parseHex16(text.substr(first + 1, second - first - 1));
    info.productId = parseHex16(text.substr(second + 1));
}

class LinuxHidHandle : public HidHandle {
public:
    LinuxHidHandle(int fd, int wakeFd, HidAccess access, HidInterfaceInfo info)
        : m_fd(fd), m_wakeFd(wakeFd), m_access(access), m_info(std::move(info))
    {
        // Read here, on the thread that opens, so that a reader thread only reads the result.
        if (m_access == HidAccess::Read || m_access == HidAccess::ReadWrite)
            m_layout = readLayout();
    }
    ~LinuxHidHandle() override
    {
        ::close(m_fd);
        ::close(m_wakeFd);
    }
    LinuxHidHandle(const LinuxHidHandle&) = delete;
    LinuxHidHandle& operator=(const LinuxHidHandle&) = delete;

    bool getAttributes(HidAttributes& attributes) override
    {
        attributes = {m_info.vendorId, m_info.productId, m_info.versionNumber};
        hidraw_devinfo devinfo{};
        if (m_access != HidAccess::None && ::ioctl(m_fd, HIDIOCGRAWINFO, &devinfo) == 0) {
            attributes.vendorId = static_cast<uint16_t>(devinfo.vendor);
            attributes.productId = static_cast<uint16_t>(devinfo.product);
        }
        return true;
    }

    bool getProductString(QString& text) override
    {
        text = m_info.productString;
        return !text.isEmpty();
    }

    bool getSerialNumberString(QString& text) override
    {
        text = m_info.serialNumber;
        return !text.isEmpty();
    }

    std::optional<HidReportLengths> getReportLengths() override
    {
        if (!m_layout)
            m_layout = readLayout();
        if (!m_layout)
            return std::nullopt;
        return m_layout->lengths;
    }


    bool sendFeatureReport(std::span<const uint8_t> report) override
    {
        if (report.empty())
            return false;
        std::vector<uint8_t> buffer(report.begin(), report.end());
        return ::ioctl(m_fd, HIDIOCSFEATURE(buffer.size()), buffer.data()) >= 0;
    }

    // hidraw takes the report ID in byte 0, 0 on devices without numbered reports, and leaves
    // it to the device driver to drop it.
    bool writeOutputReport(std::span<const uint8_t> report, uint32_t& written) override
    {
        written = 0;
        const ssize_t count = ::write(m_fd, report.data(), report.size());
        if (count < 0)
            return false;
        written = static_cast<uint32_t>(count);
        return true;
    }

    HidReadResult readInputReport(std::span<uint8_t> buffer, int timeoutMs) override
    {
        if (buffer.size() < 2)
            return {HidReadResult::Failed, 0, EINVAL};
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeoutMs);
        if (ready < 0)
            return errno == EINTR ? HidReadResult{} : HidReadResult{HidReadResult::Failed, 0, uint32_t(errno)};
        if (ready == 0)
            return {};
        if (fds[1].revents != 0)
            return {HidReadResult::Cancelled};
        // An unplugged device still gives what was queued, then hangs up; its read would say
        // EIO, which hides that the device is gone.
        if (!(fds[0].revents & POLLIN) && (fds[0].revents & (POLLHUP | POLLERR)))
            return {HidReadResult::Failed, 0, ENODEV};
        // hidraw leaves the report ID out on devices without numbered reports.
        const bool numbered = m_layout && m_layout->numberedReports;
        uint8_t* target = numbered ? buffer.data() : buffer.data() + 1;
        const size_t room = numbered ? buffer.size() : buffer.size() - 1;
        const ssize_t count = ::read(m_fd, target, room);
        if (count < 0) {
            if (errno == EAGAIN || errno == EINTR)
                return {};
            return {HidReadResult::Failed, 0, uint32_t(errno)};
        }
        if (count == 0)
            return {HidReadResult::Completed, 0};
        if (!numbered)
            buffer[0] = 0;
        return {HidReadResult::Completed, static_cast<uint32_t>(numbered ? count : count + 1)};
    }

    void cancel() override
    {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(m_wakeFd, &one, sizeof one);
    }

private:
    std::optional<HidReportLayout> readLayout()
    {
        std::vector<uint8_t> descriptor;
        int size = 0;
        if (m_access != HidAccess::None && ::ioctl(m_fd, HIDIOCGRDESCSIZE, &size) == 0 && size > 0) {
            hidraw_report_descriptor raw{};
            raw.size = static_cast<uint32_t>(size);
            if (::ioctl(m_fd, HIDIOCGRDESC, &raw) == 0)
                descriptor.assign(raw.value, raw.value + raw.size);
        }
        if (descriptor.empty()) {
            // A handle without access cannot ask the device; sysfs has the same bytes.
            QFile file(QString::fromUtf8(m_info.instance + "/report_descriptor"));
            if (file.open(QIODevice::ReadOnly)) {
                const QByteArray bytes = file.readAll();
                descriptor.assign(bytes.begin(), bytes.end());
            }
        }
        if (descriptor.empty())
            return std::nullopt;
        return parseReportDescriptor(descriptor);
    }

    int m_fd;
    int m_wakeFd;
    HidAccess m_access;
    HidInterfaceInfo m_info;
    std::optional<HidReportLayout> m_layout;
};

HidInterfaceInfo describeDevice(udev_device* hidraw, udev_device* hid, const char* node)
{
    HidInterfaceInfo info;
    info.path = node;
    info.instance = udev_device_get_syspath(hid);
    parseHidId(udev_device_get_property_value(hid, "HID_ID"), info);
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(hidraw, "usb", "usb_device")) {
        info.productString = udevText(udev_device_get_sysattr_value(usb, "product"));
        info.serialNumber = udevText(udev_device_get_sysattr_value(usb, "serial"));
        if (const char* version = udev_device_get_sysattr_value(usb, "bcdDevice"))
            info.versionNumber = parseHex16(version);
    } else {
        // Bluetooth, I2C and virtual devices name themselves in the HID device's properties.
        info.productString = udevText(udev_device_get_property_value(hid, "HID_NAME"));
        info.serialNumber = udevText(udev_device_get_property_value(hid, "HID_UNIQ"));
    }
    return info;
}

}  // namespace

LinuxHidBackend::LinuxHidBackend() : m_udev(udev_new()) {}

LinuxHidBackend::~LinuxHidBackend()
{
    stopWatching();
    if (m_udev)
        udev_unref(m_udev);
}

std::vector<HidInterfaceInfo> LinuxHidBackend::enumerate()
{
    std::vector<HidInterfaceInfo> devices;
    if (!m_udev)
        return devices;
    udev_enumerate* enumeration = udev_enumerate_new(m_udev);
    if (!enumeration)
        return devices;
    if (udev_enumerate_add_match_subsystem(enumeration, "hidraw") == 0 &&
        udev_enumerate_scan_devices(enumeration) == 0) {
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration))
        {
            udev_device* hidraw = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
            if (!hidraw)
                continue;
            const char* node = udev_device_get_devnode(hidraw);
            udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
            if (node && hid)
                devices.push_back(describeDevice(hidraw, hid, node));
            udev_device_unref(hidraw);
        }
    }
    udev_enumerate_unref(enumeration);
    return devices;
}

std::shared_ptr<HidHandle> LinuxHidBackend::open(const HidInterfaceInfo& device, HidAccess access, uint32_t& error)
{
    int flags = O_CLOEXEC;
    switch (access) {
    case HidAccess::ReadWrite: flags |= O_RDWR; break;
    case HidAccess::Read: flags |= O_RDONLY; break;
    case HidAccess::Write: flags |= O_WRONLY; break;
    // Needs no permission on the device node itself; identity and lengths come from udev.
    case HidAccess::None: flags |= O_PATH; break;
    }
    const int fd = ::open(device.path.constData(), flags);
    if (fd < 0) {
        error = static_cast<uint32_t>(errno);
        return {};
    }
    const int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        error = static_cast<uint32_t>(errno);
        ::close(fd);
        return {};
    }
    return std::make_shared<LinuxHidHandle>(fd, wakeFd, access, device);
}

bool LinuxHidBackend::watchChanges(std::function<void()> changed)
{
    stopWatching();
    if (!changed || !m_udev)
        return !changed;
    // Events from udev rather than from the kernel arrive after the rules have run, so the
    // node already has its permissions when the device list is rebuilt.
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor)
        return false;
    if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        stopWatching();
        return false;
    }
    m_changed = std::move(changed);
    m_notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        while (udev_device* device = udev_monitor_receive_device(m_monitor))
            udev_device_unref(device);
        m_changed();
    });
    return true;
}

void LinuxHidBackend::stopWatching()
{
    m_notifier.reset();
    m_changed = {};
    if (m_monitor) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }
}

// The untranslated description keeps the history list the same whatever the C library's
// message locale is.
QByteArray LinuxHidBackend::errorText(uint32_t error) const
{
    if (const char* text = strerrordesc_np(static_cast<int>(error)))
        return QByteArray(text);
    return "Unknown error " + QByteArray::number(error);
}

QByteArray LinuxHidBackend::accessProblem(const HidInterfaceInfo& device, uint32_t error) const
{
    if (error != EACCES && error != EPERM)
        return {};
    return "No permission to open " + device.path +
           " read-write; add a udev rule giving your user access";
}

uint32_t LinuxHidBackend::notAttachedError() const
{
    return ENODEV;
}

std::shared_ptr<HidBackend> createPlatformHidBackend()
{
    return std::make_shared<LinuxHidBackend>();
}
