#include "display/LcdDot.h"

#include <QPainter>

namespace {
constexpr int kPenWidth = 5;
}

LcdDot::LcdDot(QWidget* parent) : QWidget(parent) {}

void LcdDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, kPenWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::white);
    // The pen is centred on the outline, so inset by half its width to stay inside the widget.
    const qreal half = kPenWidth / 2.0;
    painter.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
}
