// The dial gauge's geometry and scale marks, against figures worked out separately from the
// gauge's formulas (32-bit quantities, 3.1415 for the arc's angle, half-to-even pixels).
#include "display/GaugeGeometry.h"
#include "display/GaugeScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct ArcCase {
    const char* name;
    QSize panel;
    float width, rise, radius, arcDegrees, startDegrees;
};

const ArcCase kArcs[] = {
    {"WideFlatPanel", {440, 200}, 400, 140, 212.857147f, 139.972214f, 20.0138931f},
    // The form's own size: negative chord and rise, a small arc turned over.
    {"FormSize", {33, 38}, -7, -22, -11.278409f, -36.1589966f, 108.079498f},
    // Higher than half the chord: the arc's angle comes out negative, as the formulas have it.
    {"TallPanel", {400, 300}, 360, 240, 187.5f, -147.483948f, 163.741974f},
};

class GaugeArc : public testing::TestWithParam<ArcCase> {};

TEST_P(GaugeArc, QuantitiesFollowThePanelSize)
{
    const ArcCase& c = GetParam();
    const GaugeGeometry arc(c.panel);
    EXPECT_FLOAT_EQ(arc.chordWidth(), c.width);
    EXPECT_FLOAT_EQ(arc.rise(), c.rise);
    EXPECT_FLOAT_EQ(arc.radius(), c.radius);
    EXPECT_FLOAT_EQ(arc.arcDegrees(), c.arcDegrees);
    EXPECT_FLOAT_EQ(arc.startDegrees(), c.startDegrees);
}

INSTANTIATE_TEST_SUITE_P(Panels, GaugeArc, testing::ValuesIn(kArcs),
                         [](const testing::TestParamInfo<ArcCase>& info) { return std::string(info.param.name); });

struct PointCase {
    QSize panel;
    int position, steps;
    float offset;
    QPoint expected;
};

const PointCase kPoints[] = {
    // Label anchors of the start-up scale: both ends and the top.
    {{440, 200}, 0, 80, 18, {3, 164}},
    {{440, 200}, 10, 80, 18, {37, 102}},
    {{440, 200}, 40, 80, 18, {220, 12}},
    {{440, 200}, 80, 80, 18, {437, 164}},
    {{440, 200}, 0, 80, 6, {14, 168}},
    // Band dots.
    {{440, 200}, 0, 800, 3, {17, 169}},
    {{440, 200}, 17, 800, 3, {21, 159}},
    {{440, 200}, 400, 800, 3, {220, 27}},
    {{440, 200}, 800, 800, 3, {423, 169}},
    {{440, 200}, 64, 68, 18, {423, 134}},
    // W / 2 = -3.5 and other halves round to the even pixel.
    {{33, 38}, 0, 800, 3, {14, 27}},
    {{33, 38}, 400, 800, 3, {16, 27}},
    {{33, 38}, 40, 80, 18, {17, 12}},
    {{400, 300}, 0, 80, 18, {397, 160}},
    {{400, 300}, 40, 80, 18, {200, 12}},
};

TEST(GaugeGeometry, PointsAtOffsetsFromTheArc)
{
    for (const PointCase& c : kPoints) {
        const std::optional<QPoint> point = GaugeGeometry(c.panel).pointAt(c.position, c.steps, c.offset);
        ASSERT_TRUE(point) << c.position << "/" << c.steps;
        EXPECT_EQ(*point, c.expected) << c.panel.width() << "x" << c.panel.height() << " " << c.position << "/"
                                      << c.steps << " at " << c.offset;
    }
}

struct NeedleCase {
    QSize panel;
    int position, steps;
    QPoint base, tip;
};

const NeedleCase kNeedles[] = {
    // The start-up position stands upright through the top of the arc.
    {{440, 200}, 400, 800, {220, 450}, {220, 34}},
    {{400, 300}, 400, 800, {200, 550}, {200, 34}},
    {{33, 38}, 400, 800, {16, 288}, {16, 34}},
    {{440, 200}, 0, 800, {789, 450}, {20, 174}},
    {{440, 200}, 800, 800, {-349, 450}, {420, 174}},
    // Outside the scale the needle swings past the arc's ends.
    {{440, 200}, -2000, 800, {578, 450}, {36, 140}},
    {{440, 200}, 5000, 800, {-2074, 450}, {432, 228}},
    {{33, 38}, -2000, 800, {822, 288}, {6, 19}},
};

TEST(GaugeGeometry, NeedleEnds)
{
    for (const NeedleCase& c : kNeedles) {
        const std::optional<GaugeGeometry::Needle> needle = GaugeGeometry(c.panel).needle(c.position, c.steps);
        ASSERT_TRUE(needle) << c.position;
        EXPECT_EQ(needle->base, c.base) << c.panel.width() << "x" << c.panel.height() << " " << c.position;
        EXPECT_EQ(needle->tip, c.tip) << c.panel.width() << "x" << c.panel.height() << " " << c.position;
    }
}

TEST(GaugeGeometry, PixelsRoundHalfToEvenAndStayWithinReach)
{
    const std::pair<double, int> rounded[] = {{0.5, 0},   {1.5, 2},   {2.5, 2},   {-2.5, -2},
                                              {-3.5, -4}, {2.5000001, 3}, {-0.4999, 0}, {7.0, 7}};
    for (const auto& [coordinate, pixel] : rounded)
        EXPECT_EQ(GaugeGeometry::pixel(coordinate), pixel) << coordinate;
    for (double outside : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(), GaugeGeometry::kPixelLimit + 1, 1e300})
        EXPECT_FALSE(GaugeGeometry::pixel(outside)) << outside;
}

TEST(GaugeGeometry, DivisionsByZeroGiveMissingPointsNotGarbage)
{
    // A panel 60 pixels high has no rise: the radius is infinite (or not a number with no width).
    for (QSize flat : {QSize(440, 60), QSize(40, 60)}) {
        const GaugeGeometry arc(flat);
        EXPECT_FALSE(arc.pointAt(40, 80, 3));
        EXPECT_FALSE(arc.needle(400, 800));
    }
    // A scale of no steps.
    EXPECT_FALSE(GaugeGeometry({440, 200}).pointAt(0, 0, 3));
    EXPECT_FALSE(GaugeGeometry({440, 200}).needle(400, 0));

    // This panel's arc spans exactly 60 degrees from 60 degrees, so position -10 of 10 steps
    // lies at angle 0, where the needle's base divides by a zero sine.
    const GaugeGeometry exact({5795, 831});
    ASSERT_EQ(exact.arcDegrees(), 60.0f);
    ASSERT_EQ(exact.startDegrees(), 60.0f);
    EXPECT_EQ(exact.angle(-10, 10), 0.0f);
    EXPECT_FALSE(exact.needle(-10, 10));
    EXPECT_TRUE(exact.pointAt(-10, 10, 3));
}

// --- the scale's marks

std::vector<GaugeLabel> labels(const std::vector<GaugeMark>& marks)
{
    std::vector<GaugeLabel> result;
    for (const GaugeMark& mark : marks) {
        if (const auto* label = std::get_if<GaugeLabel>(&mark))
            result.push_back(*label);
    }
    return result;
}

std::vector<GaugeDot> dots(const std::vector<GaugeMark>& marks, int penWidth)
{
    std::vector<GaugeDot> result;
    for (const GaugeMark& mark : marks) {
        const auto* dot = std::get_if<GaugeDot>(&mark);
        if (dot && dot->penWidth == penWidth)
            result.push_back(*dot);
    }
    return result;
}

TEST(GaugeScale, StartUpScaleHasNineLabelsWhiteMajorDotsAndABlackBand)
{
    const GaugeGeometry arc({440, 200});
    const std::vector<GaugeMark> marks = gaugeScaleMarks(arc, GaugeScaleSettings{});

    const std::vector<GaugeLabel> texts = labels(marks);
    ASSERT_EQ(texts.size(), 9u);
    const char* const expected[] = {"-40", "-30", "-20", "-10", "0", "10", "20", "30", "40"};
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_STREQ(texts[i].text, expected[i]);
    // The anchor at 18 pixels out, moved left and up by the set's own amounts.
    EXPECT_EQ(texts[0].topLeft, QPoint(3 - 5, 164 - 7));
    EXPECT_EQ(texts[4].topLeft, QPoint(220 - 3, 12 - 4));
    EXPECT_EQ(texts[8].topLeft, QPoint(437 - 12, 164 - 7));

    const std::vector<GaugeDot> major = dots(marks, 2);
    ASSERT_EQ(major.size(), 9u);
    EXPECT_EQ(major[0].topLeft, QPoint(14, 168));
    for (const GaugeDot& dot : major)
        EXPECT_EQ(dot.colour, QColor(Qt::white));

    const std::vector<GaugeDot> band = dots(marks, 4);
    ASSERT_EQ(band.size(), 801u);
    EXPECT_EQ(band[17].topLeft, QPoint(21, 159));
    EXPECT_EQ(band[800].topLeft, QPoint(423, 169));
    for (const GaugeDot& dot : band)
        EXPECT_EQ(dot.colour, QColor(Qt::black));

    // Each label comes before its step's dot, and the band after every major step.
    ASSERT_TRUE(std::holds_alternative<GaugeLabel>(marks[0]));
    EXPECT_EQ(std::get<GaugeDot>(marks[1]).penWidth, 2);
    EXPECT_EQ(std::get<GaugeDot>(marks[18]).penWidth, 4);
}

struct BandCase {
    const char* name;
    GaugeScaleSettings settings;
    int firstRed;  // red from here up to and including lastRed
    int lastRed;
};

GaugeScaleSettings withLimits(bool upperOn, float upper, bool lowerOn, float lower, int32_t bandOffset = 60)
{
    GaugeScaleSettings settings;
    settings.upperLimitOn = upperOn;
    settings.upperLimit = upper;
    settings.lowerLimitOn = lowerOn;
    settings.lowerLimit = lower;
    settings.bandOffset = bandOffset;
    return settings;
}

const BandCase kBands[] = {
    {"UpperLimit100FromStep17", withLimits(true, 100, false, 0), 17, 800},
    {"LowerLimit0UpToStep5", withLimits(false, 0, true, 0), 0, 5},
    // A limit whose box is clear colours nothing, whatever its value.
    {"ClearBoxesIgnoreTheirLimits", withLimits(false, -100000, false, 100000), -1, -1},
    {"UpperLimitAboveTheScale", withLimits(true, 40000, false, 0), -1, -1},
    // The offset divides as a fraction: 65 / 10 is 6.5, so step 6 stands for -5.
    {"OffsetDividesExactly", withLimits(false, 0, true, 0, 65), 0, 6},
};

class GaugeBand : public testing::TestWithParam<BandCase> {};

TEST_P(GaugeBand, RedBeyondTheTickedLimits)
{
    const BandCase& c = GetParam();
    for (int j = 0; j <= 800; ++j) {
        const bool red = j >= c.firstRed && j <= c.lastRed;
        EXPECT_EQ(gaugeBandColour(j, c.settings), red ? QColor(Qt::red) : QColor(Qt::black)) << "step " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, GaugeBand, testing::ValuesIn(kBands),
                         [](const testing::TestParamInfo<BandCase>& info) { return std::string(info.param.name); });

TEST(GaugeScale, BothLimitsTogether)
{
    const GaugeScaleSettings both = withLimits(true, 100, true, 0);
    EXPECT_EQ(gaugeBandColour(5, both), QColor(Qt::red));
    EXPECT_EQ(gaugeBandColour(6, both), QColor(Qt::black));
    EXPECT_EQ(gaugeBandColour(16, both), QColor(Qt::black));
    EXPECT_EQ(gaugeBandColour(17, both), QColor(Qt::red));
}

struct LabelSetCase {
    const char* name;
    uint8_t percentMode;
    QByteArray labelSet;
    int32_t scaleMax;
    std::vector<std::pair<int, const char*>> labels;  // step and text, where a label is drawn
    std::vector<int> majorDotSteps;
    QColor majorDotColour;
};

const LabelSetCase kLabelSets[] = {
    {"Set2", 0, "2", 40,
     {{0, "-20"}, {5, "-15"}, {10, "-10"}, {15, "-5"}, {20, "0"}, {25, "5"}, {30, "10"}, {35, "15"}, {40, "20"}},
     {}, {}},
    {"Set34", 0, "34", 68, {{4, "-30"}, {14, "-20"}, {24, "-10"}, {34, "0"}, {44, "10"}, {54, "20"}, {64, "30"}},
     {4, 14, 24, 34, 44, 54, 64}, Qt::red},
    {"Set6", 0, "6", 120,
     {{0, "-60"}, {15, "-45"}, {30, "-30"}, {45, "-15"}, {60, "0"}, {75, "15"}, {90, "30"}, {105, "45"}, {120, "60"}},
     {0, 15, 30, 45, 60, 75, 90, 105, 120}, Qt::red},
    // With fewer steps than the set was made for, the labels past the end are left out.
    {"Set4OnAShortScale", 0, "4", 25, {{0, "-40"}, {10, "-30"}, {20, "-20"}}, {0, 10, 20}, Qt::white},
    {"UnknownSetHasNeither", 0, "5", 80, {}, {}, {}},
    // The percent scale has 100 major steps whatever scaleMax says.
    {"PercentMode", 1, "4", 80,
     {{0, "-50"}, {10, "-40"}, {20, "-30"}, {30, "-20"}, {40, "-10"}, {50, "0"},
      {60, "10"}, {70, "20"}, {80, "30"}, {90, "40"}, {100, "50"}},
     {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}, Qt::red},
};

class GaugeLabelSets : public testing::TestWithParam<LabelSetCase> {};

TEST_P(GaugeLabelSets, LabelsAndMajorDotsOfTheSet)
{
    const LabelSetCase& c = GetParam();
    GaugeScaleSettings settings;
    settings.percentMode = c.percentMode;
    settings.labelSet = c.labelSet;
    settings.scaleMax = c.scaleMax;
    const GaugeGeometry arc({440, 200});
    const int majorSteps = c.percentMode ? 100 : c.scaleMax;
    const std::vector<GaugeMark> marks = gaugeScaleMarks(arc, settings);

    const std::vector<GaugeLabel> texts = labels(marks);
    ASSERT_EQ(texts.size(), c.labels.size());
    for (size_t k = 0; k < texts.size(); ++k) {
        const auto [step, text] = c.labels[k];
        EXPECT_STREQ(texts[k].text, text);
        const GaugeLabelEntry* entry = gaugeLabelAt(settings, step);
        ASSERT_TRUE(entry);
        EXPECT_EQ(texts[k].topLeft, *arc.pointAt(step, majorSteps, 18) - QPoint(entry->dx, entry->dy));
    }

    const std::vector<GaugeDot> major = dots(marks, 2);
    ASSERT_EQ(major.size(), c.majorDotSteps.size());
    for (size_t k = 0; k < major.size(); ++k) {
        EXPECT_EQ(major[k].topLeft, *arc.pointAt(c.majorDotSteps[k], majorSteps, 6));
        EXPECT_EQ(major[k].colour, c.majorDotColour);
    }
    EXPECT_EQ(dots(marks, 4).size(), size_t(10 * c.scaleMax + 1));
}

INSTANTIATE_TEST_SUITE_P(Sets, GaugeLabelSets, testing::ValuesIn(kLabelSets),
                         [](const testing::TestParamInfo<LabelSetCase>& info) { return std::string(info.param.name); });

TEST(GaugeScale, NothingToDrawWhereTheGeometryHasNoPoints)
{
    EXPECT_TRUE(gaugeScaleMarks(GaugeGeometry({440, 60}), GaugeScaleSettings{}).empty());
    GaugeScaleSettings none;
    none.scaleMax = 0;
    EXPECT_TRUE(gaugeScaleMarks(GaugeGeometry({440, 200}), none).empty());
    none.scaleMax = -3;
    EXPECT_TRUE(gaugeScaleMarks(GaugeGeometry({440, 200}), none).empty());
}

}  // namespace
