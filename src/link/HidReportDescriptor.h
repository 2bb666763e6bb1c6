#pragma once

#include "link/HidBackend.h"

#include <cstdint>
#include <optional>
#include <span>

struct HidReportLayout {
    HidReportLengths lengths;  // per kind, the longest report, report ID byte included
    bool numberedReports = false;  // the descriptor declares report IDs
};

// Reads a HID report descriptor for the report lengths. Null when the descriptor is cut off
// inside an item, pops more than it pushed, or declares a report longer than 65534 bytes.
std::optional<HidReportLayout> parseReportDescriptor(std::span<const uint8_t> descriptor);
