// Any bytes as a HID report descriptor. A second reading walks the items its own way (whole
// item list first, sums checked only at the end in wide integers) and must agree: the same
// lengths and report numbering, or a refusal for the same descriptors.
#include "link/HidReportDescriptor.h"

#include <array>
#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct Item {
    uint8_t type;  // 0 main, 1 global, 2 local, 3 reserved; long items are left out
    uint8_t tag;
    uint32_t value;  // the data bytes, little-endian
};

// The short and long items, or nothing when the last item runs past the end.
std::optional<std::vector<Item>> items(const uint8_t* data, size_t size)
{
    std::vector<Item> list;
    size_t at = 0;
    while (at < size) {
        const uint8_t prefix = data[at];
        if (prefix == 0xFE) {  // long item: data size, tag, data
            if (size - at < 3 || size - at - 3 < data[at + 1])
                return std::nullopt;
            at += 3 + data[at + 1];
            continue;
        }
        const size_t dataBytes = std::array<size_t, 4>{0, 1, 2, 4}[prefix & 3];
        if (size - at - 1 < dataBytes)
            return std::nullopt;
        uint32_t value = 0;
        for (size_t i = dataBytes; i > 0; --i)
            value = value << 8 | data[at + i];
        list.push_back({uint8_t(prefix >> 2 & 3), uint8_t(prefix >> 4), value});
        at += 1 + dataBytes;
    }
    return list;
}

std::optional<HidReportLayout> secondReading(const uint8_t* data, size_t size)
{
    const auto list = items(data, size);
    if (!list)
        return std::nullopt;
    struct Globals {
        unsigned __int128 size = 0, count = 0;
        uint8_t id = 0;
    } globals;
    std::vector<Globals> pushed;
    std::map<uint8_t, unsigned __int128> bits[3];  // input, output, feature
    bool numbered = false;
    for (const Item& item : *list) {
        if (item.type == 0) {
            const int kind = item.tag == 0x8 ? 0 : item.tag == 0x9 ? 1 : item.tag == 0xB ? 2 : -1;
            if (kind >= 0)
                bits[kind][globals.id] += globals.size * globals.count;
        } else if (item.type == 1) {
            if (item.tag == 0x7)
                globals.size = item.value;
            else if (item.tag == 0x9)
                globals.count = item.value;
            else if (item.tag == 0x8)
                globals.id = uint8_t(item.value), numbered = true;
            else if (item.tag == 0xA)
                pushed.push_back(globals);
            else if (item.tag == 0xB) {
                if (pushed.empty())
                    return std::nullopt;
                globals = pushed.back();
                pushed.pop_back();
            }
        }
    }
    HidReportLayout layout;
    layout.numberedReports = numbered;
    uint16_t* lengths[3] = {&layout.lengths.input, &layout.lengths.output, &layout.lengths.feature};
    for (int kind = 0; kind < 3; ++kind) {
        unsigned __int128 longest = 0;
        for (const auto& [id, total] : bits[kind]) {
            if (total > 8 * 65534)  // a report holds at most 65534 bytes besides its ID byte
                return std::nullopt;
            longest = std::max(longest, (total + 7) / 8);
        }
        *lengths[kind] = bits[kind].empty() ? 0 : uint16_t(longest + 1);
    }
    return layout;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto layout = parseReportDescriptor(std::span<const uint8_t>(data, size));
    const auto expected = secondReading(data, size);
    check(layout.has_value() == expected.has_value());
    if (layout)
        check(layout->lengths == expected->lengths && layout->numberedReports == expected->numberedReports);
    return 0;
}
