#include "report/ReportPagePainter.h"

#include "font/LcdFont.h"
#include "report/TableReport.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

using namespace ReportGeometry;

namespace {

constexpr double kMillimetresPerInch = 25.4;

class PagePainter {
public:
    explicit PagePainter(QPainter& painter)
        : m_painter(painter),
          m_dotsPerMmX(painter.device()->logicalDpiX() / kMillimetresPerInch),
          m_dotsPerMmY(painter.device()->logicalDpiY() / kMillimetresPerInch),
          m_captionFont(kCaptionFace),
          m_reportFont(LcdFontFamily)
    {
        for (QFont* font : {&m_captionFont, &m_reportFont})
            font->setPointSizeF(kFontPointSize);
        m_painter.setPen(Qt::black);
    }

    // Text that sizes itself, top left at `at` mm in a band whose top is bandTop mm.
    void label(const QString& text, QPointF at, ReportFace face, double bandTop)
    {
        useFace(face);
        m_painter.drawText(QPointF(x(at.x()), y(bandTop + at.y()) + ascent()), text);
    }

    // Text centred horizontally on the vertical line centreX mm.
    void centredLabel(const QString& text, double centreX, double top, ReportFace face)
    {
        useFace(face);
        const double width = metrics().horizontalAdvance(text);
        m_painter.drawText(QPointF(x(centreX) - width / 2, y(top) + ascent()), text);
    }

    // Text centred both ways in a box given in mm.
    void boxedLabel(const QString& text, const QRectF& box, double bandTop, ReportFace face)
    {
        useFace(face);
        const QRectF device(x(box.left()), y(bandTop + box.top()), x(box.width()), y(box.height()));
        m_painter.drawText(device, Qt::AlignCenter | Qt::TextSingleLine, text);
    }

    // Width in mm of a text.
    double widthOf(const QString& text, ReportFace face)
    {
        useFace(face);
        return metrics().horizontalAdvance(text) / m_dotsPerMmX;
    }

private:
    double x(double mm) const { return mm * m_dotsPerMmX; }
    double y(double mm) const { return mm * m_dotsPerMmY; }
    double ascent() const { return metrics().ascent(); }
    QFontMetricsF metrics() const { return QFontMetricsF(m_painter.font(), m_painter.device()); }
    void useFace(ReportFace face)
    {
        m_painter.setFont(face == ReportFace::Caption ? m_captionFont : m_reportFont);
    }

    QPainter& m_painter;
    double m_dotsPerMmX;
    double m_dotsPerMmY;
    QFont m_captionFont;
    QFont m_reportFont;
};

}  // namespace

void paintReportPage(QPainter& painter, const TableReport& report, int pageIndex)
{
    using namespace ReportBands;
    painter.save();
    PagePainter page(painter);

    page.boxedLabel(kTitle, kTitleBox, 0.0, ReportFace::Caption);
    page.label(kDateCaption.text, kDateCaption.topLeft, kDateCaption.face, 0.0);
    page.label(report.dateText, kDateTopLeft, ReportFace::Caption, 0.0);

    for (const ReportLabel& caption : kColumnCaptions)
        page.label(caption.text, caption.topLeft, caption.face, ReportLayout::columnHeaderTop());

    // The row number shares its centre with the "No" caption above it.
    const ReportLabel& noCaption = kColumnCaptions[0];
    const double noCentre = noCaption.topLeft.x() + page.widthOf(noCaption.text, noCaption.face) / 2;

    const ReportLayout::Page rows = report.layout.page(pageIndex);
    for (int i = 0; i < rows.rowCount; ++i) {
        const int row = rows.firstRow + i;
        const double top = ReportLayout::detailTop(i);
        for (const ReportFieldItem& field : kDetailFields) {
            const QString text = report.rows.text(row, field.column);
            if (field.centredUnderCaption)
                page.centredLabel(text, noCentre, top + field.topLeft.y(), field.face);
            else
                page.label(text, field.topLeft, field.face, top);
        }
    }

    if (rows.hasFooter)
        page.label(kFooter.text, kFooter.topLeft, kFooter.face, ReportLayout::footerTop());
    painter.restore();
}
