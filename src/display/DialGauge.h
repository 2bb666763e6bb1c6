#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>

#include <array>
#include <cstdint>

// Where the dial gauge is drawn: the panel whose size fixes the geometry, and the picture
// inside it, which keeps the size it had when first drawn and is shown stretched.
class GaugeSurface {
public:
    virtual ~GaugeSurface() = default;
    virtual QSize panelSize() const = 0;
    // The colour an old needle is painted over with.
    virtual QColor panelBackground() const = 0;
    virtual QImage& picture() = 0;
    // The picture has been drawn on and should be shown again.
    virtual void pictureChanged() = 0;
};

// Whether each limit's box is ticked, which switches that limit's red band on.
class LimitSwitches {
public:
    virtual ~LimitSwitches() = default;
    virtual bool upperLimitOn() const = 0;
    virtual bool lowerLimitOn() const = 0;
};

class LimitSettings;

// The gauge's variables: what its scale shows, where its needle stands, and the panel's bounds
// kept while it is enlarged.
struct GaugeSettings {
    QByteArray GaugeText;          // the label set: "1" to "4"
    int32_t GaugeParam1 = 0;       // where the band starts, in steps of the scale
    int32_t GaugeValue = 0;        // the needle's position at start-up
    int32_t GaugeScaleMax = 0;     // the scale's end, in tens of steps
    uint8_t GaugePercentMode = 0;  // non-zero: a 0 .. 100 % scale of 1000 steps
    std::array<int32_t, 4> NeedleOld{};         // the needle drawn last: base x, base y, tip x, tip y
    std::array<int32_t, 4> GaugeSavedBounds{};  // top, left, height, width before enlarging
};

// The font of the scale's numbers.
QFont gaugeLabelFont();

// The dial gauge: its scale (labels, major dots and the band that turns red beyond the limits)
// and its needle, drawn from its settings and the limits onto the surface.
class DialGauge {
public:
    DialGauge(GaugeSurface& surface, const LimitSwitches& switches, const LimitSettings& limits);

    GaugeSettings& settings() { return m_settings; }
    const GaugeSettings& settings() const { return m_settings; }

    // Clears the picture and draws the scale; the needle goes with the rest.
    void drawScale();
    // Paints over the needle drawn last and draws it at `position`. A needle whose ends do
    // not come out as pixels is left out, and NeedleOld keeps the one drawn before.
    void drawNeedle(int32_t position);

private:
    GaugeSurface& m_surface;
    const LimitSwitches& m_switches;
    const LimitSettings& m_limits;
    GaugeSettings m_settings;
};
