#include "base/IntegerText.h"
#include "base/MulDiv.h"

#include <gtest/gtest.h>

TEST(IntegerText, AcceptsTheProgramsIntegerForms)
{
    const struct { const char* text; int32_t value; } cases[] = {
        {"0", 0}, {"42", 42}, {"  7", 7}, {"-12", -12}, {"+5", 5}, {" -0", 0},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"0001", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseIntegerText(c.text), c.value) << c.text;
}

TEST(IntegerText, RejectsEverythingElseWithTheConversionMessage)
{
    for (const char* text : {"", " ", "-", "+", "1 ", "1-", "--1", "+-1", "12C4", " 0@ ", "1.5", "2147483648",
                             "-2147483649", "99999999999999999999", "\t1", "0x10"}) {
        try {
            parseIntegerText(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ProgramError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + text + "' is not a valid integer value");
        }
    }
}

TEST(MulDiv, RoundsHalfAwayFromZeroAndFlagsBadDivisors)
{
    EXPECT_EQ(MulDiv(8, 7, 4), 14);
    EXPECT_EQ(MulDiv(50, 5, 4), 63);    // 62.5 rounds up
    EXPECT_EQ(MulDiv(-50, 5, 4), -63);  // and away from zero when negative
    EXPECT_EQ(MulDiv(10, 13, 8), 16);   // 16.25
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(5, 3, -2), -8);
}
