#pragma once

#include "display/GaugeGeometry.h"

#include <QByteArray>
#include <QColor>
#include <QPoint>

#include <cstdint>
#include <variant>
#include <vector>

// What the gauge's scale is drawn from: the program's gauge variables, the two limits and
// whether each limit's box is ticked.
struct GaugeScaleSettings {
    uint8_t percentMode = 0;
    int32_t scaleMax = 80;
    QByteArray labelSet = "4";
    int32_t bandOffset = 60;
    float upperLimit = 0;
    float lowerLimit = 0;
    bool upperLimitOn = false;
    bool lowerLimitOn = false;
};

// A number of the scale, its text's top-left corner at `topLeft`.
struct GaugeLabel {
    QPoint topLeft;
    const char* text;
};

// A dot: an ellipse in the 2 x 2 box at `topLeft`, outlined with a pen of `penWidth`.
struct GaugeDot {
    QPoint topLeft;
    int penWidth;
    QColor colour;
};

using GaugeMark = std::variant<GaugeLabel, GaugeDot>;

// The scale's marks in drawing order: for each major step its label and its dot, then the
// band's dots. Marks whose place is missing (see GaugeGeometry) are left out.
std::vector<GaugeMark> gaugeScaleMarks(const GaugeGeometry& geometry, const GaugeScaleSettings& settings);

// Red beyond a ticked limit, black otherwise: the band dot at position `step` of ten times
// scaleMax steps stands for the value (step - bandOffset / 10) x 10.
QColor gaugeBandColour(int64_t step, const GaugeScaleSettings& settings);

// The label of major step `step` in the set that the settings select, if it has one.
struct GaugeLabelEntry {
    int step;
    const char* text;
    int dx;  // the text's corner lies dx left of and dy above the label's anchor
    int dy;
};
const GaugeLabelEntry* gaugeLabelAt(const GaugeScaleSettings& settings, int64_t step);
