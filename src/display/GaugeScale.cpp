#include "display/GaugeScale.h"

#include <algorithm>
#include <span>

namespace {

constexpr float kBandOffset = 3;
constexpr float kMajorDotOffset = 6;
constexpr float kLabelOffset = 18;

constexpr GaugeLabelEntry kPercentLabels[] = {
    {0, "-50", 5, 7},  {10, "-40", 8, 6}, {20, "-30", 10, 5}, {30, "-20", 10, 4}, {40, "-10", 5, 4},  {50, "0", 3, 3},
    {60, "10", 8, 5},  {70, "20", 8, 5},  {80, "30", 9, 4},   {90, "40", 12, 9},  {100, "50", 14, 11},
};
constexpr GaugeLabelEntry kLabels34[] = {
    {4, "-30", 8, 6}, {14, "-20", 10, 5}, {24, "-10", 10, 4}, {34, "0", 3, 4},
    {44, "10", 5, 5}, {54, "20", 8, 5},   {64, "30", 10, 6},
};
constexpr GaugeLabelEntry kLabels2[] = {
    {0, "-20", 5, 7}, {5, "-15", 8, 6}, {10, "-10", 10, 5}, {15, "-5", 10, 4},  {20, "0", 3, 4},
    {25, "5", 5, 5},  {30, "10", 8, 5}, {35, "15", 10, 6},  {40, "20", 12, 7},
};
constexpr GaugeLabelEntry kLabels4[] = {
    {0, "-40", 5, 7}, {10, "-30", 8, 6}, {20, "-20", 10, 5}, {30, "-10", 10, 4}, {40, "0", 3, 4},
    {50, "10", 5, 5}, {60, "20", 8, 5},  {70, "30", 10, 6},  {80, "40", 12, 7},
};
constexpr GaugeLabelEntry kLabels6[] = {
    {0, "-60", 5, 7},  {15, "-45", 8, 6}, {30, "-30", 10, 5}, {45, "-15", 10, 4}, {60, "0", 3, 4},
    {75, "15", 5, 5},  {90, "30", 8, 5},  {105, "45", 10, 6}, {120, "60", 11, 7},
};

std::span<const GaugeLabelEntry> labelSet(const GaugeScaleSettings& settings)
{
    if (settings.percentMode != 0)
        return kPercentLabels;
    if (settings.labelSet == "34")
        return kLabels34;
    if (settings.labelSet == "2")
        return kLabels2;
    if (settings.labelSet == "4")
        return kLabels4;
    if (settings.labelSet == "6")
        return kLabels6;
    return {};
}

// The major dot's colour at a step, if the scale has a dot there.
std::optional<QColor> majorDotColour(const GaugeScaleSettings& settings, int64_t step)
{
    if (settings.percentMode != 0)
        return step % 10 == 0 ? std::optional<QColor>(Qt::red) : std::nullopt;
    if (settings.labelSet == "6" && step % 15 == 0)
        return QColor(Qt::red);
    // The "4" scale's dots are white on the white face: drawn, but not seen.
    if (settings.labelSet == "4" && step % 10 == 0)
        return QColor(Qt::white);
    if (settings.labelSet == "34" && step % 10 == 4)
        return QColor(Qt::red);
    return std::nullopt;
}

}  // namespace

const GaugeLabelEntry* gaugeLabelAt(const GaugeScaleSettings& settings, int64_t step)
{
    const std::span<const GaugeLabelEntry> labels = labelSet(settings);
    const auto found = std::find_if(labels.begin(), labels.end(),
                                    [step](const GaugeLabelEntry& entry) { return entry.step == step; });
    return found == labels.end() ? nullptr : &*found;
}

QColor gaugeBandColour(int64_t step, const GaugeScaleSettings& settings)
{
    const double value = (double(step) - double(settings.bandOffset) / 10) * 10;
    if (settings.upperLimitOn && value > settings.upperLimit)
        return Qt::red;
    if (settings.lowerLimitOn && value < settings.lowerLimit)
        return Qt::red;
    return Qt::black;
}

std::vector<GaugeMark> gaugeScaleMarks(const GaugeGeometry& geometry, const GaugeScaleSettings& settings)
{
    std::vector<GaugeMark> marks;
    const int64_t majorSteps = settings.percentMode != 0 ? 100 : settings.scaleMax;
    for (int64_t i = 0; i <= majorSteps; ++i) {
        if (const GaugeLabelEntry* label = gaugeLabelAt(settings, i)) {
            if (const std::optional<QPoint> anchor = geometry.pointAt(i, majorSteps, kLabelOffset))
                marks.emplace_back(GaugeLabel{*anchor - QPoint(label->dx, label->dy), label->text});
        }
        if (const std::optional<QColor> colour = majorDotColour(settings, i)) {
            if (const std::optional<QPoint> at = geometry.pointAt(i, majorSteps, kMajorDotOffset))
                marks.emplace_back(GaugeDot{*at, 2, *colour});
        }
    }
    // The band always has ten dots per major step of scaleMax, in percent mode too.
    const int64_t bandSteps = 10 * int64_t(settings.scaleMax);
    for (int64_t j = 0; j <= bandSteps; ++j) {
        if (const std::optional<QPoint> at = geometry.pointAt(j, bandSteps, kBandOffset))
            marks.emplace_back(GaugeDot{*at, 4, gaugeBandColour(j, settings)});
    }
    return marks;
}
