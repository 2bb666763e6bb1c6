#pragma once

// A second, deliberately plain reading of the program's integer rule for the fuzzers to hold
// the real one against: leading blanks, one optional sign, then nothing but decimal digits to
// the end, and the number within 32 bits.
#include <cstdint>
#include <optional>
#include <string_view>

inline std::optional<int32_t> readIntegerByTheRule(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        // Past 2^31 the number is out of range whatever follows; stop growing so it cannot wrap.
        if (magnitude <= (int64_t(1) << 31))
            magnitude = magnitude * 10 + (text[i] - '0');
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return int32_t(value);
}
