#pragma once

#include <QByteArray>

class THidDevice;

// The device's line in the device list: its product string in the local 8-bit code page, or
// "Device VID=xxxx PID=xxxx" (upper-case hex) when it has none, followed by " (Serial=...)"
// when it has a serial number. Reads the strings, so the device must be claimed or announced
// for strings not read before.
QByteArray DescribeDevice(THidDevice& device);
