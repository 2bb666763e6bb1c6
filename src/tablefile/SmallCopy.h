#pragma once

#include <cstddef>
#include <cstring>

// Copies up to 32 bytes with a few fixed-size moves instead of a call to memcpy, which matters
// when ten million rows of short texts are written.
inline char* copySmall(char* dst, const char* src, size_t n)
{
    if (n >= 8) {
        if (n >= 16) {
            std::memcpy(dst, src, 16);
            std::memcpy(dst + n - 16, src + n - 16, 16);
        } else {
            std::memcpy(dst, src, 8);
            std::memcpy(dst + n - 8, src + n - 8, 8);
        }
    } else if (n >= 4) {
        std::memcpy(dst, src, 4);
        std::memcpy(dst + n - 4, src + n - 4, 4);
    } else if (n > 0) {
        dst[0] = src[0];
        dst[n / 2] = src[n / 2];
        dst[n - 1] = src[n - 1];
    }
    return dst + n;
}
