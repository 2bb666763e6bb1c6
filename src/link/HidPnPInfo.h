#pragma once

#include "link/HidBackend.h"

#include <QByteArray>

// The platform's description of one device interface, as the device list found it.
class THidPnPInfo {
public:
    explicit THidPnPInfo(HidInterfaceInfo info) : m_info(std::move(info)) {}

    // Opens the device.
    const QByteArray& DevicePath() const { return m_info.path; }
    // Identifies the device across rescans.
    const QByteArray& DeviceInstance() const { return m_info.instance; }
    const HidInterfaceInfo& Info() const { return m_info; }

private:
    HidInterfaceInfo m_info;
};
