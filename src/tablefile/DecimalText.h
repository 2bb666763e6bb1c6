#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>

// Writes a 32-bit integer in decimal, minus sign first when negative, into room for at least 11
// bytes; returns the end. Assumes a little-endian machine. Numbers of up to eight digits,
// which is every row number a table holds in practice, are split into two halves worked on side
// by side: the general conversion spends most of a text export on them otherwise.
inline char* putDecimal(char* p, int32_t value)
{
    static constexpr char kPairs[] = "0001020304050607080910111213141516171819"
                                     "2021222324252627282930313233343536373839"
                                     "4041424344454647484950515253545556575859"
                                     "6061626364656667686970717273747576777879"
                                     "8081828384858687888990919293949596979899";
    uint32_t v = uint32_t(value);
    if (value < 0) {
        *p++ = '-';
        v = 0u - v;
    }
    if (v >= 100000000u)
        return std::to_chars(p, p + 10, v).ptr;
    // The eight digits are assembled in a register, lowest address in the lowest byte, so the
    // leading zeros are shifted away without a trip through memory.
    auto pair = [](uint32_t twoDigits) {
        uint16_t bytes;
        std::memcpy(&bytes, kPairs + 2 * twoDigits, 2);
        return uint64_t(bytes);
    };
    const uint32_t high = v / 10000, low = v % 10000;
    const uint64_t digits =
        pair(high / 100) | pair(high % 100) << 16 | pair(low / 100) << 32 | pair(low % 100) << 48;
    const int length = v >= 10000000 ? 8 : v >= 1000000 ? 7 : v >= 100000 ? 6 : v >= 10000 ? 5 : v >= 1000 ? 4
                       : v >= 100 ? 3 : v >= 10 ? 2 : 1;
    const uint64_t shifted = digits >> (8 * (8 - length));
    std::memcpy(p, &shifted, 8);
    return p + length;
}
