#pragma once

#include <QPoint>
#include <QSize>

#include <cstdint>
#include <optional>

// Where the dial gauge's marks fall, worked out from the size of the gauge panel (not of its
// picture). The arc is the one whose chord spans the panel's width less 2 x 20 pixels and rises
// its height less 2 x 30 above the chord. Its quantities are 32-bit floats, each evaluated from
// its inputs in double precision and then stored; the arc's angle converts with 3.1415 while
// the step angles use the full pi, and pixels round half to even. Nothing here draws.
//
// A size the arc was never meant for still gives an answer: a panel 60 pixels high (no rise) or
// a scale of zero steps divides by zero, and a needle lying flat divides by its zero sine. The
// points that come out of those are not numbers, or lie beyond kPixelLimit, and are reported as
// missing, so the gauge leaves them out instead of drawing them somewhere arbitrary.
class GaugeGeometry {
public:
    // Points further out than this from the picture's corner are missing: far beyond any
    // picture, and within the range the drawing code handles.
    static constexpr double kPixelLimit = 1 << 24;

    explicit GaugeGeometry(QSize panelSize);

    float chordWidth() const { return m_chordWidth; }  // W
    float rise() const { return m_rise; }              // H
    float radius() const { return m_radius; }          // R
    float arcDegrees() const { return m_arcDegrees; }  // A
    float startDegrees() const { return m_startDegrees; }  // S, the arc's left end

    // The angle in radians of position `position` on a scale of `steps` steps; 0 is the left end.
    float angle(int64_t position, int64_t steps) const;

    // The pixel `offset` pixels outside the arc at that position.
    std::optional<QPoint> pointAt(int64_t position, int64_t steps, float offset) const;

    struct Needle {
        QPoint base;  // where its radius line crosses the line 280 pixels below the arc's ends
        QPoint tip;   // 4 pixels inside the arc
    };
    std::optional<Needle> needle(int64_t position, int64_t steps) const;

    // Rounds half to even; missing when not a number or beyond kPixelLimit.
    static std::optional<int> pixel(double coordinate);

private:
    static constexpr float kMarginX = 20;
    static constexpr float kMarginY = 30;

    float m_chordWidth;
    float m_rise;
    float m_radius;
    float m_arcDegrees;
    float m_startDegrees;
};
