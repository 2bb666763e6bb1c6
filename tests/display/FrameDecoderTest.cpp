#include "display/FrameDecoder.h"

#include <gtest/gtest.h>

namespace {

struct DecoderCase {
    const char* name;
    QByteArray frame;  // as the USB framer builds it: "A", status, four digits, the rest
    QByteArray decimalText;
    std::array<QByteArray, 4> digits;
    bool point;
    bool fahrenheit;
    QByteArray readingText;
    std::optional<float> value;
    std::optional<std::string> error;
};

// An unusual range, so an overload reading cannot pass by matching the start-up values.
constexpr int32_t kRangeMax = 1370;
constexpr int32_t kRangeMin = -200;

const DecoderCase kCases[] = {
    {"Status1CelsiusWithPoint", "A1A25300000", ".", {" ", "2", "5", "3"}, true, false, " 25.3", 25.3f, {}},
    {"Status3FahrenheitWithPoint", "A3B12300000", ".", {"-", "1", "2", "3"}, true, true, "-12.3", -12.3f, {}},
    {"Status0NoPointStillTenths", "A015710000", ".", {"1", "5", "7", "1"}, false, false, "1571", 157.1f, {}},
    {"Status2FahrenheitNoPoint", "A209850000", ".", {"0", "9", "8", "5"}, false, true, "0985", 98.5f, {}},
    {"UnknownStatusActsAsZero", "A725310000", ".", {"2", "5", "3", "1"}, false, false, "2531", 253.1f, {}},
    {"HexLetterStatusActsAsZero", "AB25310000", ".", {"2", "5", "3", "1"}, false, false, "2531", 253.1f, {}},
    {"LocaleSeparator", "A1A25300000", ",", {" ", "2", "5", "3"}, true, false, " 25,3", 25.3f, {}},
    {"LeadingBlanksAreSkipped", "A0AA1200000", ".", {" ", " ", "1", "2"}, false, false, "  12", 1.2f, {}},
    {"PositiveOverloadHasNoSeparator", "A1A0FA0000", ".", {" ", "0", "@", " "}, true, false, " 0L ",
     float(kRangeMax), {}},
    {"NegativeOverload", "A3B0FA0000", ".", {"-", "0", "@", " "}, true, true, "-0L ", float(kRangeMin), {}},
    {"AllDashesKeepTheValue", "A0BBBB0000", ".", {"-", "-", "-", "-"}, false, false, "----", {}, {}},
    {"DashesWhateverTheFirstTwo", "A112BB0000", ".", {"1", "2", "-", "-"}, true, false, "----", {}, {}},
    {"DashBeforeLastDigit", "A112B50000", ".", {"1", "2", "-", "5"}, true, false, "12-.5", {}, {}},
    {"DashAsLastDigit", "A1123B0000", ".", {"1", "2", "3", "-"}, true, false, "123.-", {}, {}},
    {"LetterFailsConversion", "A012C40000", ".", {"1", "2", "C", "4"}, false, false, "12C4", {},
     "'12C4' is not a valid integer value"},
    {"UnrecognisedOverloadFails", "A012FA0000", ".", {"1", "2", "@", " "}, false, false, "12L ", {},
     "'12@ ' is not a valid integer value"},
    {"ShortFrameLeavesDigitsEmpty", "A1A2", ".", {" ", "2", "", ""}, true, false, " 2.", {},
     "' 2' is not a valid integer value"},
    // What is left of a cut-off frame must not pass as a shorter number or as an overload.
    {"ShortFrameWithOverloadDigits", "A1A0F", ".", {" ", "0", "@", ""}, true, false, " 0L", {},
     "' 0@' is not a valid integer value"},
    {"ShortFrameWithDash", "A112B", ".", {"1", "2", "-", ""}, true, false, "12-.", {},
     "'12-' is not a valid integer value"},
    {"EmptyFrame", "", ".", {"", "", "", ""}, false, false, "", {}, "'' is not a valid integer value"},
};

class FrameDecoderCases : public testing::TestWithParam<DecoderCase> {};

TEST_P(FrameDecoderCases, DecodesAsTheDisplayShows)
{
    const DecoderCase& c = GetParam();
    const DecodedFrame frame = decodeFrame(c.frame, c.decimalText, kRangeMax, kRangeMin);
    EXPECT_EQ(frame.digits, c.digits);
    EXPECT_EQ(frame.decimalPoint, c.point);
    EXPECT_EQ(frame.fahrenheit, c.fahrenheit);
    EXPECT_EQ(frame.unitSymbol, c.fahrenheit ? "?" : "#");
    EXPECT_EQ(frame.readingText, c.readingText);
    EXPECT_EQ(frame.readingValue, c.value);
    ASSERT_EQ(frame.conversionError.has_value(), c.error.has_value());
    if (c.error)
        EXPECT_EQ(frame.conversionError->what(), *c.error);
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameDecoderCases, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<DecoderCase>& info) { return info.param.name; });

TEST(FrameDecoder, ValueIsTheFloatNearestTheTenth)
{
    // 0.1 itself is not exact; multiplying first in single precision would miss these.
    for (const auto& [frame, expected] : {std::pair{QByteArray("A09999"), 999.9f}, {QByteArray("A0B999"), -99.9f},
                                          {QByteArray("A00001"), 0.1f}, {QByteArray("A00003"), 0.3f}}) {
        const DecodedFrame decoded = decodeFrame(frame, ".", 855, -50);
        ASSERT_TRUE(decoded.readingValue) << frame.constData();
        EXPECT_EQ(*decoded.readingValue, expected) << frame.constData();
    }
}

TEST(FrameDecoder, ReadingIsAppliedButValueKeptWithoutANumber)
{
    Reading current{.value = 42.5f};
    const Reading dashes = applyReading(decodeFrame("A3BBBB", ".", 855, -50), current);
    EXPECT_EQ(current.text, "----");
    EXPECT_EQ(current.unitSymbol, "?");
    EXPECT_EQ(current.value, 42.5f);
    EXPECT_EQ(dashes.text, current.text);

    applyReading(decodeFrame("A00123", ".", 855, -50), current);
    EXPECT_EQ(current.text, "0123");
    EXPECT_EQ(current.unitSymbol, "#");
    EXPECT_EQ(current.value, 12.3f);
}

}  // namespace
