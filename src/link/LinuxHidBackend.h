#pragma once

#include "link/HidBackend.h"

#include <memory>

class QSocketNotifier;
struct udev;
struct udev_monitor;

// HID on Linux: hidraw device nodes, listed and watched through udev. A device's identity and
// strings come from udev (the USB device's attributes where there is one), its report lengths
// from its report descriptor.
class LinuxHidBackend : public HidBackend {
public:
    LinuxHidBackend();
    ~LinuxHidBackend() override;
    LinuxHidBackend(const LinuxHidBackend&) = delete;
    LinuxHidBackend& operator=(const LinuxHidBackend&) = delete;

    bool available() const override { return m_udev != nullptr; }
    std::vector<HidInterfaceInfo> enumerate() override;
    std::shared_ptr<HidHandle> open(const HidInterfaceInfo& device, HidAccess access, uint32_t& error) override;
    bool watchChanges(std::function<void()> changed) override;

    // Error codes are errno values.
    QByteArray errorText(uint32_t error) const override;
    QByteArray accessProblem(const HidInterfaceInfo& device, uint32_t error) const override;
    uint32_t notAttachedError() const override;

private:
    void stopWatching();

    udev* m_udev;
    udev_monitor* m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_changed;
};
