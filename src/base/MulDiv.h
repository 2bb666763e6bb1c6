#pragma once

#include <cstdint>

// a * b / c in 64-bit, rounded half away from zero like the Win32 call the layout
// figures were designed with; -1 when c is 0 or the result overflows 32 bits.
inline int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    if (c < 0) {
        a = -a;
        c = -c;
    }
    const int64_t product = int64_t(a) * b;
    const int64_t result = product >= 0 ? (product + c / 2) / c : (product - c / 2) / c;
    if (result > 2147483647 || result < -2147483647)
        return -1;
    return int32_t(result);
}
