#include "tablefile/DecimalText.h"

#include <gtest/gtest.h>

#include <string>

TEST(DecimalText, WritesEveryLengthAndBothEndsOfTheRange)
{
    const int32_t cases[] = {0,        1,         9,         10,         99,          100,        999,
                             1000,     9999,      10000,     10001,      99999,       100000,     999999,
                             1000000,  9999999,   10000000,  12345678,   99999999,    100000000,  123456789,
                             INT32_MAX, -1,       -10,       -99999999,  -100000000,  INT32_MIN};
    for (const int32_t value : cases) {
        char out[16];
        std::memset(out, '*', sizeof out);
        const char* end = putDecimal(out, value);
        EXPECT_EQ(std::string(out, size_t(end - out)), std::to_string(value));
        EXPECT_LE(end - out, 11);
        EXPECT_EQ(out[11], '*') << value;  // nothing beyond the room it was given
    }
}
