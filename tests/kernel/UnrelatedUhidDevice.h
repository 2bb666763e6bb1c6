#pragma once

#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <linux/uhid.h>
#include <unistd.h>

// A HID device that is not the cable, made through /dev/uhid: it has no USB parent and names
// itself in the HID device's properties only.
class UnrelatedUhidDevice {
public:
    static constexpr uint16_t kVendor = 0x1234;
    static constexpr uint16_t kProduct = 0x5678;

    UnrelatedUhidDevice() : m_fd(::open("/dev/uhid", O_RDWR | O_CLOEXEC))
    {
        // Vendor-defined: one 8-byte input report.
        static constexpr uint8_t kDescriptor[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF,
                                                  0x00, 0x75, 0x08, 0x95, 0x08, 0x09, 0x01, 0x81, 0x02, 0xC0};
        uhid_event event{};
        event.type = UHID_CREATE2;
        std::strcpy(reinterpret_cast<char*>(event.u.create2.name), "Lane Sensor");
        event.u.create2.rd_size = sizeof kDescriptor;
        event.u.create2.bus = BUS_USB;
        event.u.create2.vendor = kVendor;
        event.u.create2.product = kProduct;
        std::memcpy(event.u.create2.rd_data, kDescriptor, sizeof kDescriptor);
        m_created = m_fd >= 0 && ::write(m_fd, &event, sizeof event) == ssize_t(sizeof event);
    }
    ~UnrelatedUhidDevice()
    {
        if (m_fd >= 0)
            ::close(m_fd);  // destroys the device
    }
    UnrelatedUhidDevice(const UnrelatedUhidDevice&) = delete;
    UnrelatedUhidDevice& operator=(const UnrelatedUhidDevice&) = delete;

    bool created() const { return m_created; }

private:
    int m_fd;
    bool m_created = false;
};
