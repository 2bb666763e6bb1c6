// Reading the limit boxes, the keys they take, and the gauge panel's enlarge and restore steps.
#include "display/GaugeZoom.h"
#include "display/LimitSettings.h"
#include "widgets/NumberBoxFilter.h"

#include <gtest/gtest.h>

namespace {

struct LimitReader {
    int redraws = 0;
    std::vector<QString> errors;
    LimitSettings limits{{.redrawScale = [this] { ++redraws; },
                                 .reportError = [this](const QString& message) { errors.push_back(message); }}};
};

struct LimitCase {
    const char* name;
    QByteArray text;
    float expected;  // the limit afterwards; it starts at 12
    const char* error;
};

const LimitCase kTexts[] = {
    {"StartUpText", "40000", 40000.0f, nullptr},
    {"Empty", "", 0.0f, nullptr},
    {"LoneMinus", "-", 0.0f, nullptr},
    {"LonePlus", "+", 0.0f, nullptr},
    {"Negative", "-5", -5.0f, nullptr},
    {"PlusSign", "+7", 7.0f, nullptr},
    {"LeadingBlanks", "  8", 8.0f, nullptr},
    {"LowestInteger", "-2147483648", -2147483648.0f, nullptr},
    // A 32-bit float holds this to the nearest 128.
    {"HighestInteger", "2147483647", 2147483648.0f, nullptr},
    {"SignAfterDigits", "12-", 12.0f, "'12-' is not a valid integer value"},
    {"TwoSigns", "--5", 12.0f, "'--5' is not a valid integer value"},
    {"BeyondTheRange", "2147483648", 12.0f, "'2147483648' is not a valid integer value"},
    {"TrailingBlank", "5 ", 12.0f, "'5 ' is not a valid integer value"},
    {"BlankOnly", " ", 12.0f, "' ' is not a valid integer value"},
};

class LimitTexts : public testing::TestWithParam<LimitCase> {};

TEST_P(LimitTexts, UpperAndLowerReadAlike)
{
    const LimitCase& c = GetParam();
    for (const bool upper : {true, false}) {
        LimitReader reader;
        reader.limits.readUpperLimit("12");
        reader.limits.readLowerLimit("12");
        reader.redraws = 0;
        if (upper)
            reader.limits.readUpperLimit(c.text);
        else
            reader.limits.readLowerLimit(c.text);
        const float read = upper ? reader.limits.upperLimit() : reader.limits.lowerLimit();
        const float other = upper ? reader.limits.lowerLimit() : reader.limits.upperLimit();
        EXPECT_EQ(read, c.expected) << (upper ? "upper" : "lower");
        EXPECT_EQ(other, 12.0f);
        if (c.error) {
            ASSERT_EQ(reader.errors.size(), 1u);
            EXPECT_EQ(reader.errors[0].toStdString(), c.error);
            EXPECT_EQ(reader.redraws, 0) << "a failed reading keeps the scale";
        } else {
            EXPECT_TRUE(reader.errors.empty());
            EXPECT_EQ(reader.redraws, 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, LimitTexts, testing::ValuesIn(kTexts),
                         [](const testing::TestParamInfo<LimitCase>& info) { return std::string(info.param.name); });

TEST(LimitSettings, TypingThroughASignReadsEachText)
{
    // A minus typed first, then a digit; then a sign typed after digits, once per keystroke.
    LimitReader reader;
    for (const char* text : {"-", "-5"})
        reader.limits.readLowerLimit(text);
    EXPECT_EQ(reader.limits.lowerLimit(), -5.0f);
    for (const char* text : {"1", "12", "12-", "12-3"})
        reader.limits.readUpperLimit(text);
    EXPECT_EQ(reader.limits.upperLimit(), 12.0f);
    EXPECT_EQ(reader.errors.size(), 2u);
    EXPECT_EQ(reader.redraws, 4);
}

TEST(LimitSettings, OnlyDigitsSignsAndBackspaceMayBeTyped)
{
    for (char16_t c : u"0123456789+-\b")
        if (c)
            EXPECT_TRUE(isLimitKey(c)) << int(c);
    for (char16_t c : u" .,eaZ\r\x7f\u0661\u2212")
        if (c)
            EXPECT_FALSE(isLimitKey(c)) << int(c);
}

TEST(GaugeZoom, EnlargesOverTheWindowAndRestoresTheSavedBounds)
{
    const QRect normal(857, 240, 33, 38);
    const QSize window(926, 640);
    const GaugeZoomStep enlarged = gaugeZoomStep(normal, window, {});
    EXPECT_TRUE(enlarged.enlarged);
    EXPECT_EQ(enlarged.panel, QRect(2, 28, 914, 560));
    EXPECT_EQ(enlarged.picture, QRect(2, 2, 874, 420));
    EXPECT_EQ(enlarged.savedBounds, (std::array<int32_t, 4>{33, 38, 240, 857}));

    const GaugeZoomStep restored = gaugeZoomStep(enlarged.panel, window, enlarged.savedBounds);
    EXPECT_FALSE(restored.enlarged);
    EXPECT_EQ(restored.panel, normal);
    EXPECT_EQ(restored.picture, QRect(2, 2, 29, 34));
    EXPECT_EQ(restored.savedBounds, enlarged.savedBounds);
}

TEST(GaugeZoom, WidthAloneTellsTheTwoStatesApart)
{
    const std::array<int32_t, 4> saved{100, 50, 7, 9};
    EXPECT_FALSE(gaugeZoomStep(QRect(0, 0, 470, 10), QSize(926, 640), saved).enlarged);
    EXPECT_TRUE(gaugeZoomStep(QRect(0, 0, 469, 900), QSize(926, 640), saved).enlarged);
    EXPECT_EQ(gaugeZoomStep(QRect(0, 0, 470, 10), QSize(926, 640), saved).panel, QRect(9, 7, 100, 50));
}

}  // namespace
