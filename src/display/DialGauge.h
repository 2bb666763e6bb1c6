#pragma once

#include "base/ProgramState.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>

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

// The font of the scale's numbers.
QFont gaugeLabelFont();

// The dial gauge: its scale (labels, major dots and the band that turns red beyond the limits)
// and its needle, drawn from the program's gauge variables onto the surface.
class DialGauge {
public:
    DialGauge(ProgramState& state, GaugeSurface& surface, const LimitSwitches& limits);

    // Clears the picture and draws the scale; the needle goes with the rest.
    void drawScale();
    // Paints over the needle drawn last and draws it at `position`. A needle whose ends do
    // not come out as pixels is left out, and NeedleOld keeps the one drawn before.
    void drawNeedle(int32_t position);

private:
    ProgramState& m_state;
    GaugeSurface& m_surface;
    const LimitSwitches& m_limits;
};
