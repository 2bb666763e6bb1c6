#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>
#include <vector>

// The reports the program sends to the interface cable.
namespace CableReports {

constexpr uint8_t kStartLive = 90;
constexpr uint8_t kStartDownload = 7;
constexpr uint8_t kStop = 91;

// Buffer the output reports are built in: the report ID and 64 bytes.
constexpr int kOutputBufferSize = 65;

struct BaudBoxes { bool b9600 = false; bool b4800 = false; bool b2400 = false; };

// The 10-byte feature report that sets the cable's serial line. The boxes are tested from
// 9600 down, so the slowest ticked rate wins; with none ticked the rate bytes stay 0.
std::array<uint8_t, 10> featureReport(BaudBoxes boxes);

// Output reports, zero-filled to the device's output report length (report ID included).
// A device that announces more than the 65-byte buffer gets the whole length, zero-padded,
// so nothing is read past the buffer and the device still receives a report of its own size.
std::vector<uint8_t> commandReport(uint8_t command, int outputReportLength);
std::vector<uint8_t> pollReport(int outputReportLength);

// History lines of sent reports, "%.2X " per byte after the report ID up to the count sent or
// written, counted from byte 1, so each line also shows the zero that follows the report.
QByteArray featureHistoryLine(const std::array<uint8_t, 10>& report);
QByteArray outputHistoryLine(const std::vector<uint8_t>& report, uint32_t written);

}  // namespace CableReports
