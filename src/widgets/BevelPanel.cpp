#include "widgets/BevelPanel.h"

#include "widgets/WidgetFactory.h"

#include <QMouseEvent>
#include <QPainter>

BevelPanel::BevelPanel(Bevel outer, Bevel inner, QWidget* parent) : QFrame(parent), m_outer(outer), m_inner(inner)
{
    setAutoFillBackground(true);
}

BevelPanel* BevelPanel::create(QWidget* parent, const char* name, const QRect& geometry, Bevel outer, Bevel inner,
                               const QColor& colour)
{
    auto* panel = WidgetFactory::placed(new BevelPanel(outer, inner, parent), name, geometry);
    if (colour.isValid())
        WidgetFactory::setColour(panel, QPalette::Window, colour);
    return panel;
}

void BevelPanel::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
}

QRect BevelPanel::clientRect() const
{
    const int border = (m_outer != Bevel::None) + (m_inner != Bevel::None);
    return rect().adjusted(border, border, -border, -border);
}

void BevelPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    QRect r = rect();
    for (Bevel bevel : {m_outer, m_inner}) {
        if (bevel == Bevel::None)
            continue;
        // White on the lit edges and dark grey on the shaded ones, whatever the panel colour.
        const QColor light = Qt::white;
        const QColor dark(128, 128, 128);
        const bool raised = bevel == Bevel::Raised;
        painter.setPen(raised ? light : dark);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(raised ? dark : light);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
    }
    if (!m_caption.isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        painter.setFont(font());
        painter.drawText(r, Qt::AlignCenter, m_caption);
    }
}

void BevelPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}
