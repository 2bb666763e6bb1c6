#include "display/DialGauge.h"
#include "display/LimitSettings.h"

#include "display/GaugeGeometry.h"
#include "display/GaugeScale.h"

#include <QPainter>

namespace {

struct MarkPainter {
    QPainter& painter;

    void operator()(const GaugeLabel& label) const
    {
        painter.setPen(Qt::black);
        const int ascent = painter.fontMetrics().ascent();
        painter.drawText(label.topLeft + QPoint(0, ascent), QString::fromLatin1(label.text));
    }
    // The dot's pen is at least as wide as its 2 x 2 box, so its outline covers the white
    // inside: the dot is a disc of the pen's colour reaching half the pen's width past the box.
    void operator()(const GaugeDot& dot) const
    {
        const double radius = 1 + dot.penWidth / 2.0;
        painter.setPen(Qt::NoPen);
        painter.setBrush(dot.colour);
        painter.drawEllipse(QPointF(dot.topLeft) + QPointF(1, 1), radius, radius);
    }
};

}  // namespace

QFont gaugeLabelFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    // Plain pixels, like the rest of the face.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

DialGauge::DialGauge(GaugeSurface& surface, const LimitSwitches& switches, const LimitSettings& limits)
    : m_surface(surface), m_switches(switches), m_limits(limits)
{
}

void DialGauge::drawScale()
{
    const GaugeScaleSettings settings{
        .percentMode = m_settings.GaugePercentMode,
        .scaleMax = m_settings.GaugeScaleMax,
        .labelSet = m_settings.GaugeText,
        .bandOffset = m_settings.GaugeParam1,
        .upperLimit = m_limits.upperLimit(),
        .lowerLimit = m_limits.lowerLimit(),
        .upperLimitOn = m_switches.upperLimitOn(),
        .lowerLimitOn = m_switches.lowerLimitOn(),
    };
    QImage& picture = m_surface.picture();
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        painter.setFont(gaugeLabelFont());
        const MarkPainter paint{painter};
        for (const GaugeMark& mark : gaugeScaleMarks(GaugeGeometry(m_surface.panelSize()), settings))
            std::visit(paint, mark);
    }
    m_surface.pictureChanged();
}

void DialGauge::drawNeedle(int32_t position)
{
    const bool percent = m_settings.GaugePercentMode != 0;
    const int64_t steps = percent ? 1000 : 10 * int64_t(m_settings.GaugeScaleMax);
    const int64_t at = percent ? int64_t(position) + 100 : position;
    const std::optional<GaugeGeometry::Needle> needle = GaugeGeometry(m_surface.panelSize()).needle(at, steps);

    std::array<int32_t, 4>& old = m_settings.NeedleOld;  // base x, base y, tip x, tip y
    {
        QPainter painter(&m_surface.picture());
        painter.setPen(QPen(m_surface.panelBackground(), 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPoint(old[2], old[3]), QPoint(old[0], old[1]));
        if (needle) {
            old = {needle->base.x(), needle->base.y(), needle->tip.x(), needle->tip.y()};
            painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(needle->tip, needle->base);
        }
    }
    m_surface.pictureChanged();
}
