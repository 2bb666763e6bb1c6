#include "link/DescribeDevice.h"
#include "link/LinuxHidBackend.h"
#include "LinkTestSupport.h"

#include <QDir>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <linux/uhid.h>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

TEST(LinuxHidBackend, ListsWhatTheSystemHasAndNothingWithoutErrorWhereThereIsNothing)
{
    const qsizetype present = QDir(QStringLiteral("/sys/class/hidraw")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    LinuxHidBackend backend;
    ASSERT_TRUE(backend.available());
    EXPECT_EQ(qsizetype(backend.enumerate().size()), present);

    THidDeviceController controller(std::make_shared<LinuxHidBackend>(), nullptr);
    if (present == 0)
        EXPECT_EQ(controller.EnumerateDevices(), 0);
    int changes = 0;
    controller.SetOnDeviceChange([&](QObject*) { ++changes; });
    EXPECT_EQ(changes, 1);
}

// The history list shows these texts, so they must not depend on the message locale, and only
// a refused permission is something the user can fix with a udev rule.
TEST(LinuxHidBackend, ErrorTextsAndAccessAdvice)
{
    const LinuxHidBackend backend;
    struct Case {
        uint32_t error;
        const char* text;
        bool advice;
    };
    const Case cases[] = {
        {EIO, "Input/output error", false},
        {ENODEV, "No such device", false},
        {ENOENT, "No such file or directory", false},
        {EACCES, "Permission denied", true},
        {EPERM, "Operation not permitted", true},
        {99999, "Unknown error 99999", false},
    };
    HidInterfaceInfo device;
    device.path = "/dev/hidraw7";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(backend.errorText(c.error), c.text);
        EXPECT_EQ(backend.accessProblem(device, c.error),
                  c.advice ? "No permission to open /dev/hidraw7 read-write; add a udev rule giving your user access"
                           : QByteArray());
    }
    EXPECT_EQ(backend.errorText(backend.notAttachedError()), "No such device");
}

// Plays the cable's side of a virtual HID device created through /dev/uhid.
class VirtualCable {
public:
    // Vendor-defined: 10 bytes in, 8 out, 9 feature, no report IDs.
    static constexpr uint8_t kDescriptor[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF,
                                              0x00, 0x75, 0x08, 0x95, 0x0A, 0x09, 0x01, 0x81, 0x02, 0x95, 0x08,
                                              0x09, 0x01, 0x91, 0x02, 0x95, 0x09, 0x09, 0x01, 0xB1, 0x02, 0xC0};
    static constexpr uint16_t kVendor = 0xF612;
    static constexpr uint16_t kProduct = 0x2400;

    explicit VirtualCable(int fd) : m_fd(fd)
    {
        uhid_event event{};
        event.type = UHID_CREATE2;
        std::strcpy(reinterpret_cast<char*>(event.u.create2.name), "USB to Serial");
        event.u.create2.rd_size = sizeof kDescriptor;
        event.u.create2.bus = BUS_USB;
        event.u.create2.vendor = kVendor;
        event.u.create2.product = kProduct;
        event.u.create2.version = 0x0100;
        std::memcpy(event.u.create2.rd_data, kDescriptor, sizeof kDescriptor);
        m_created = ::write(m_fd, &event, sizeof event) == ssize_t(sizeof event);
        m_service = std::thread([this] { serve(); });
    }
    ~VirtualCable()
    {
        m_stop = true;
        m_service.join();
        uhid_event event{};
        event.type = UHID_DESTROY;
        [[maybe_unused]] const ssize_t ignored = ::write(m_fd, &event, sizeof event);
        ::close(m_fd);
    }

    bool created() const { return m_created; }

    void sendInput(const QByteArray& report)
    {
        uhid_event event{};
        event.type = UHID_INPUT2;
        event.u.input2.size = static_cast<uint16_t>(report.size());
        std::memcpy(event.u.input2.data, report.constData(), report.size());
        ASSERT_EQ(::write(m_fd, &event, sizeof event), ssize_t(sizeof event));
    }

    std::vector<QByteArray> features() const
    {
        std::lock_guard lock(m_lock);
        return m_features;
    }
    std::vector<QByteArray> outputs() const
    {
        std::lock_guard lock(m_lock);
        return m_outputs;
    }

private:
    void serve()
    {
        while (!m_stop) {
            pollfd fd{m_fd, POLLIN, 0};
            if (::poll(&fd, 1, 20) <= 0)
                continue;
            uhid_event event{};
            if (::read(m_fd, &event, sizeof event) <= 0)
                continue;
            if (event.type == UHID_SET_REPORT) {
                const uint32_t id = event.u.set_report.id;
                {
                    std::lock_guard lock(m_lock);
                    m_features.emplace_back(reinterpret_cast<const char*>(event.u.set_report.data),
                                            qsizetype(event.u.set_report.size));
                }
                uhid_event reply{};
                reply.type = UHID_SET_REPORT_REPLY;
                reply.u.set_report_reply.id = id;
                reply.u.set_report_reply.err = 0;
                [[maybe_unused]] const ssize_t ignored = ::write(m_fd, &reply, sizeof reply);
            } else if (event.type == UHID_OUTPUT) {
                std::lock_guard lock(m_lock);
                m_outputs.emplace_back(reinterpret_cast<const char*>(event.u.output.data), qsizetype(event.u.output.size));
            }
        }
    }

    int m_fd;
    bool m_created = false;
    std::atomic<bool> m_stop{false};
    std::thread m_service;
    mutable std::mutex m_lock;
    std::vector<QByteArray> m_features;
    std::vector<QByteArray> m_outputs;
};

TEST(LinuxHidBackend, DrivesAVirtualCableEndToEnd)
{
    const int fd = ::open("/dev/uhid", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        GTEST_SKIP() << "/dev/uhid cannot be opened: " << std::strerror(errno);
    VirtualCable device(fd);
    ASSERT_TRUE(device.created());

    auto backend = std::make_shared<LinuxHidBackend>();
    std::optional<HidInterfaceInfo> info;
    ASSERT_TRUE(processUntil([&] {
        for (const HidInterfaceInfo& candidate : backend->enumerate())
            if (candidate.vendorId == VirtualCable::kVendor && candidate.productId == VirtualCable::kProduct)
                info = candidate;
        return info.has_value() && ::access(info->path.constData(), R_OK | W_OK) == 0;
    }));
    EXPECT_EQ(info->productString, "USB to Serial");
    EXPECT_TRUE(info->serialNumber.isEmpty());

    uint32_t error = 0;
    const std::shared_ptr<HidHandle> handle = backend->open(*info, HidAccess::ReadWrite, error);
    ASSERT_TRUE(handle) << std::strerror(int(error));
    EXPECT_EQ(handle->getReportLengths(), (HidReportLengths{11, 9, 10}));

    const QByteArray baud = bytes({0x00, 0x60, 0x09, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00});
    EXPECT_TRUE(handle->sendFeatureReport({data(baud), size_t(baud.size())}));
    const QByteArray stop = bytes({0x00, 0x01, 0x5B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    uint32_t written = 0;
    EXPECT_TRUE(handle->writeOutputReport({data(stop), size_t(stop.size())}, written));
    EXPECT_EQ(written, 9u);
    ASSERT_TRUE(processUntil([&] { return !device.features().empty() && !device.outputs().empty(); }));
    EXPECT_EQ(device.features().front(), baud);
    EXPECT_EQ(device.outputs().front(), stop);

    // hidraw leaves out the report ID of an unnumbered report; the backend puts the 0 back.
    const QByteArray input = bytes({0xF3, 0x31, 0x32, 0x33, 0, 0, 0, 0, 0, 0});
    device.sendInput(input);
    std::vector<uint8_t> buffer(11);
    const HidReadResult read = handle->readInputReport(buffer, 2000);
    ASSERT_EQ(read.status, HidReadResult::Completed);
    EXPECT_EQ(read.bytesRead, 11u);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(buffer.data()), 11), bytes({0x00}) + input);

    EXPECT_EQ(handle->readInputReport(buffer, 10).status, HidReadResult::TimedOut);
    handle->cancel();
    EXPECT_EQ(handle->readInputReport(buffer, 2000).status, HidReadResult::Cancelled);

    // And through the device layer, as the window uses it.
    THidDeviceController controller(backend, nullptr);
    THidDevice* cable = nullptr;
    controller.SetOnEnumerate([&](THidDevice* device, int32_t index) {
        if (device->PnPInfo()->DevicePath() == info->path)
            cable = controller.ClaimByIndex(index);
        return !cable;
    });
    controller.EnumerateDevices();
    ASSERT_NE(cable, nullptr);
    EXPECT_TRUE(cable->ReadWriteAccess());
    EXPECT_EQ(DescribeDevice(*cable), "USB to Serial");
    QByteArray received;
    cable->SetReportHandler([&](THidDevice*, uint8_t reportId, const uint8_t* data, uint16_t size) {
        EXPECT_EQ(reportId, 0);
        received = QByteArray(reinterpret_cast<const char*>(data), size);
    });
    device.sendInput(input);
    ASSERT_TRUE(processUntil([&] { return !received.isEmpty(); }));
    EXPECT_EQ(received, input);
    delete cable;
}

}  // namespace
