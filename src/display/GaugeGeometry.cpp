#include "display/GaugeGeometry.h"

#include <cmath>
#include <numbers>

namespace {

// The conversion the arc's angle has always used; the step angles use std::numbers::pi.
constexpr double kRoughPi = 3.1415;

}  // namespace

GaugeGeometry::GaugeGeometry(QSize panelSize)
    : m_chordWidth(float(panelSize.width() - 2 * int(kMarginX))),
      m_rise(float(panelSize.height() - 2 * int(kMarginY)))
{
    const double w = m_chordWidth;
    const double h = m_rise;
    m_radius = float((4 * h * h + w * w) / (8 * h));
    m_arcDegrees = float(std::atan((w / 2) / (double(m_radius) - h)) * 2 * 180 / kRoughPi);
    m_startDegrees = float((180 - double(m_arcDegrees)) / 2);
}

float GaugeGeometry::angle(int64_t position, int64_t steps) const
{
    return float((double(m_arcDegrees) / double(steps) * double(position) + m_startDegrees) * std::numbers::pi / 180);
}

std::optional<int> GaugeGeometry::pixel(double coordinate)
{
    if (!std::isfinite(coordinate) || std::fabs(coordinate) > kPixelLimit)
        return std::nullopt;
    double whole = std::floor(coordinate);
    const double fraction = coordinate - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0))
        whole += 1;
    return int(whole);
}

std::optional<QPoint> GaugeGeometry::pointAt(int64_t position, int64_t steps, float offset) const
{
    const double theta = angle(position, steps);
    const double cosine = std::cos(theta);
    const double sine = std::sin(theta);
    const double r = m_radius;
    const std::optional<int> x = pixel(double(m_chordWidth) / 2 - (r * cosine + offset * cosine) + kMarginX);
    const std::optional<int> y = pixel(r - (r * sine + offset * sine) + kMarginY);
    if (!x || !y)
        return std::nullopt;
    return QPoint(*x, *y);
}

std::optional<GaugeGeometry::Needle> GaugeGeometry::needle(int64_t position, int64_t steps) const
{
    const double theta = angle(position, steps);
    const double cosine = std::cos(theta);
    const double sine = std::sin(theta);
    const double halfWidth = double(m_chordWidth) / 2;
    const double r = m_radius;
    const std::optional<int> tipX = pixel(halfWidth - r * cosine);
    const std::optional<int> tipY = pixel(r - r * sine + 4);

    // The base lies on the same radius line, on the horizontal 280 pixels below the arc's ends.
    const double belowEnds = 280;
    const double baseDistance = float(r - m_rise - belowEnds);
    const std::optional<int> baseX = pixel(halfWidth - baseDistance * cosine / sine);
    const std::optional<int> baseY = pixel(belowEnds + m_rise);
    if (!tipX || !tipY || !baseX || !baseY)
        return std::nullopt;
    const int mx = int(kMarginX);
    const int my = int(kMarginY);
    return Needle{QPoint(*baseX + mx, *baseY + my), QPoint(*tipX + mx, *tipY + my)};
}
