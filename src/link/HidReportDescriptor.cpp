#include "link/HidReportDescriptor.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace {

enum ItemType : uint8_t { MainItem = 0, GlobalItem = 1 };

enum MainTag : uint8_t { InputTag = 0x8, OutputTag = 0x9, FeatureTag = 0xB };

enum GlobalTag : uint8_t { ReportSizeTag = 0x7, ReportIdTag = 0x8, ReportCountTag = 0x9, PushTag = 0xA, PopTag = 0xB };

constexpr uint8_t kLongItemPrefix = 0xFE;
// Checked after every main item, so that the sums cannot wrap.
constexpr uint64_t kMaxReportBits = 8 * 0xFFFE;

struct GlobalState {
    uint64_t reportSize = 0;
    uint64_t reportCount = 0;
    uint8_t reportId = 0;
};

// Bits per report ID, for one kind of report.
using ReportBits = std::map<uint8_t, uint64_t>;

std::optional<uint16_t> longestReport(const ReportBits& reports)
{
    if (reports.empty())
        return uint16_t{0};
    uint64_t bytes = 0;
    for (const auto& [id, bits] : reports)
        bytes = std::max(bytes, (bits + 7) / 8);
    if (bytes + 1 > 0xFFFF)
        return std::nullopt;
    return static_cast<uint16_t>(bytes + 1);
}

}  // namespace

std::optional<HidReportLayout> parseReportDescriptor(std::span<const uint8_t> descriptor)
{
    GlobalState global;
    std::vector<GlobalState> stack;
    std::array<ReportBits, 3> bits;  // input, output, feature
    bool numbered = false;

    size_t at = 0;
    while (at < descriptor.size()) {
        const uint8_t prefix = descriptor[at];
        if (prefix == kLongItemPrefix) {
            if (at + 2 >= descriptor.size())
                return std::nullopt;
            const size_t length = descriptor[at + 1];
            if (at + 3 + length > descriptor.size())
                return std::nullopt;
            at += 3 + length;
            continue;
        }
        const size_t length = (prefix & 0x03) == 3 ? 4 : (prefix & 0x03);
        if (at + 1 + length > descriptor.size())
            return std::nullopt;
        uint32_t value = 0;
        for (size_t i = 0; i < length; ++i)
            value |= uint32_t{descriptor[at + 1 + i]} << (8 * i);
        const uint8_t type = (prefix >> 2) & 0x03;
        const uint8_t tag = prefix >> 4;
        at += 1 + length;

        if (type == MainItem) {
            int kind = -1;
            switch (tag) {
            case InputTag: kind = 0; break;
            case OutputTag: kind = 1; break;
            case FeatureTag: kind = 2; break;
            default: break;
            }
            if (kind >= 0) {
                uint64_t& total = bits[kind][global.reportId];
                total += global.reportSize * global.reportCount;
                if (total > kMaxReportBits)
                    return std::nullopt;
            }
        } else if (type == GlobalItem) {
            switch (tag) {
            case ReportSizeTag: global.reportSize = value; break;
            case ReportCountTag: global.reportCount = value; break;
            case ReportIdTag:
                global.reportId = static_cast<uint8_t>(value);
                numbered = true;
                break;
            case PushTag: stack.push_back(global); break;
            case PopTag:
                if (stack.empty())
                    return std::nullopt;
                global = stack.back();
                stack.pop_back();
                break;
            default: break;
            }
        }
    }

    const auto input = longestReport(bits[0]);
    const auto output = longestReport(bits[1]);
    const auto feature = longestReport(bits[2]);
    if (!input || !output || !feature)
        return std::nullopt;
    return HidReportLayout{{*input, *output, *feature}, numbered};
}
