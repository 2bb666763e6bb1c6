#include "widgets/Icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace Icons {

namespace {

constexpr QSize kGlyphSize(16, 15);
const QColor kOutline(0, 0, 0);
const QColor kNavBlue(0, 0, 200);

QPixmap transparentPixmap(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void fillPolygon(QPainter& painter, const QPolygon& polygon, const QColor& colour)
{
    painter.setPen(colour);
    painter.setBrush(colour);
    painter.drawPolygon(polygon);
}

// A triangle 5 pixels deep and 9 high, its tip at (tipX, 7), pointing left or right.
QPolygon triangle(int tipX, bool pointsLeft)
{
    const int base = pointsLeft ? tipX + 4 : tipX - 4;
    return QPolygon({QPoint(tipX, 7), QPoint(base, 3), QPoint(base, 11)});
}

// Two triangles one behind the other, with an optional bar at the side they point to.
QPixmap navigationGlyph(bool pointsLeft, bool withBar)
{
    QPixmap pixmap = transparentPixmap(kGlyphSize);
    QPainter painter(&pixmap);
    if (pointsLeft) {
        const int start = withBar ? 4 : 3;
        if (withBar)
            painter.fillRect(QRect(start - 2, 3, 2, 9), kNavBlue);
        fillPolygon(painter, triangle(start, true), kNavBlue);
        fillPolygon(painter, triangle(start + 5, true), kNavBlue);
    } else {
        const int end = withBar ? 11 : 12;
        if (withBar)
            painter.fillRect(QRect(end + 1, 3, 2, 9), kNavBlue);
        fillPolygon(painter, triangle(end, false), kNavBlue);
        fillPolygon(painter, triangle(end - 5, false), kNavBlue);
    }
    return pixmap;
}

void drawFolder(QPainter& painter, const QColor& back, const QColor& front, const QColor& paper)
{
    // Back of the folder with its tab.
    painter.setPen(kOutline);
    painter.setBrush(back);
    painter.drawPolygon(QPolygon({QPoint(0, 3), QPoint(1, 2), QPoint(5, 2), QPoint(6, 3), QPoint(12, 3),
                                  QPoint(12, 13), QPoint(0, 13)}));
    // A sheet sticking out of the open folder.
    painter.setBrush(paper);
    painter.drawRect(QRect(3, 1, 9, 6));
    // The front flap, tilted open.
    painter.setBrush(front);
    painter.drawPolygon(QPolygon({QPoint(0, 13), QPoint(3, 6), QPoint(15, 6), QPoint(12, 13)}));
}

QPixmap greyed(const QPixmap& source)
{
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 128 + qGray(line[x]) / 2;  // washed out, as disabled glyphs look
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace

QPixmap blankPage()
{
    QPixmap pixmap = transparentPixmap(kGlyphSize);
    QPainter painter(&pixmap);
    painter.setPen(kOutline);
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygon({QPoint(3, 0), QPoint(9, 0), QPoint(12, 3), QPoint(12, 14), QPoint(3, 14)}));
    // The folded corner.
    painter.drawPolyline(QPolygon({QPoint(9, 0), QPoint(9, 3), QPoint(12, 3)}));
    return pixmap;
}

QPixmap openFolder()
{
    QPixmap pixmap = transparentPixmap(kGlyphSize);
    QPainter painter(&pixmap);
    drawFolder(painter, QColor(200, 160, 0), QColor(255, 220, 60), Qt::white);
    return pixmap;
}

QPixmap openFolderDisabled()
{
    return greyed(openFolder());
}

QIcon openFolderIcon()
{
    QIcon icon(openFolder());
    icon.addPixmap(openFolderDisabled(), QIcon::Disabled);
    return icon;
}

QPixmap floppyDisk()
{
    QPixmap pixmap = transparentPixmap(kGlyphSize);
    QPainter painter(&pixmap);
    // Body with the cut corner at the top right.
    painter.setPen(kOutline);
    painter.setBrush(QColor(0, 0, 128));
    painter.drawPolygon(QPolygon({QPoint(1, 0), QPoint(13, 0), QPoint(14, 1), QPoint(14, 14), QPoint(1, 14)}));
    // Metal shutter with its window.
    painter.setPen(Qt::NoPen);
    painter.fillRect(QRect(4, 1, 7, 5), QColor(192, 192, 192));
    painter.fillRect(QRect(8, 2, 2, 3), QColor(0, 0, 128));
    // Label.
    painter.fillRect(QRect(3, 8, 10, 6), Qt::white);
    painter.fillRect(QRect(4, 10, 8, 1), QColor(160, 160, 160));
    painter.fillRect(QRect(4, 12, 8, 1), QColor(160, 160, 160));
    return pixmap;
}

QPixmap printer()
{
    QPixmap pixmap = transparentPixmap(kGlyphSize);
    QPainter painter(&pixmap);
    painter.setPen(kOutline);
    // Paper going in at the back.
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(4, 0, 7, 6));
    // Body.
    painter.setBrush(QColor(192, 192, 192));
    painter.drawRect(QRect(0, 5, 15, 6));
    painter.fillRect(QRect(1, 6, 14, 1), Qt::white);
    painter.fillRect(QRect(12, 8, 2, 1), QColor(0, 200, 0));  // power light
    // Printed sheet coming out at the front.
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(3, 11, 9, 3));
    painter.fillRect(QRect(5, 12, 5, 1), QColor(128, 128, 128));
    return pixmap;
}

QPixmap firstPage()
{
    return navigationGlyph(true, true);
}

QPixmap previousPage()
{
    return navigationGlyph(true, false);
}

QPixmap nextPage()
{
    return navigationGlyph(false, false);
}

QPixmap lastPage()
{
    return navigationGlyph(false, true);
}

QPixmap magnifier(Sign sign, const QColor& signColour)
{
    QPixmap pixmap = transparentPixmap(QSize(25, 25));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // Handle first, so the rim covers its end.
    painter.setPen(QPen(QColor(96, 64, 32), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(15, 15), QPointF(22, 22));
    painter.setPen(QPen(QColor(64, 64, 64), 2));
    painter.setBrush(QColor(230, 245, 255));
    painter.drawEllipse(QPointF(10, 10), 7.5, 7.5);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(6, 9, 9, 3), signColour);
    if (sign == Sign::Plus)
        painter.fillRect(QRect(9, 6, 3, 9), signColour);
    return pixmap;
}

QPixmap connection(bool lit)
{
    const QColor screen = lit ? QColor(0, 255, 128) : QColor(0, 48, 32);
    QPixmap pixmap = transparentPixmap(QSize(25, 24));
    QPainter painter(&pixmap);
    // Cable from the computer to the instrument.
    painter.setPen(QPen(Qt::black, 1));
    painter.drawPolyline(QPolygon({QPoint(6, 15), QPoint(6, 21), QPoint(19, 21), QPoint(19, 19)}));
    // Computer: monitor on a stand.
    painter.setPen(kOutline);
    painter.setBrush(QColor(192, 192, 192));
    painter.drawRect(QRect(0, 2, 13, 10));
    painter.fillRect(QRect(2, 4, 10, 7), screen);
    painter.fillRect(QRect(4, 13, 6, 2), QColor(128, 128, 128));
    // Instrument: a handheld body with its display at the top.
    painter.setBrush(QColor(240, 200, 0));
    painter.drawRect(QRect(15, 4, 9, 15));
    painter.setBrush(screen);
    painter.drawRect(QRect(16, 6, 7, 4));
    painter.fillRect(QRect(17, 12, 2, 2), Qt::black);
    painter.fillRect(QRect(21, 12, 2, 2), Qt::black);
    painter.fillRect(QRect(17, 15, 6, 2), Qt::black);
    return pixmap;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pixmap = transparentPixmap(QSize(size, size));
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        // Probe.
        painter.setPen(QPen(QColor(80, 80, 80), 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(16, 3), QPointF(16, 0.5));
        // Body.
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(QColor(240, 190, 0));
        painter.drawRoundedRect(QRectF(7.5, 3.5, 17, 28), 3, 3);
        // Display with a reading in dark segments.
        painter.setBrush(QColor(200, 220, 200));
        painter.drawRect(QRectF(9.5, 6.5, 13, 8));
        painter.setPen(QPen(Qt::black, 1.5));
        for (int digit = 0; digit < 3; ++digit) {
            const qreal x = 11 + digit * 4;
            painter.drawLine(QPointF(x, 8.5), QPointF(x + 2.5, 8.5));
            painter.drawLine(QPointF(x + 2.5, 8.5), QPointF(x + 2.5, 12.5));
            painter.drawLine(QPointF(x, 12.5), QPointF(x + 2.5, 12.5));
        }
        // Keys.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(60, 60, 60));
        for (int row = 0; row < 2; ++row)
            for (int col = 0; col < 3; ++col)
                painter.drawRect(QRectF(10 + col * 4.5, 18 + row * 5, 3, 3));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace Icons
