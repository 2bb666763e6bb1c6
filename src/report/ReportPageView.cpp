#include "report/ReportPageView.h"

#include "report/ReportPagePainter.h"
#include "report/TableReport.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kScreenDpi = 96.0;
constexpr double kMillimetresPerInch = 25.4;
constexpr int kBorder = 12;  // grey around the page
constexpr int kShadow = 4;

int toPixels(double mm, double dpi)
{
    return int(std::lround(mm * dpi / kMillimetresPerInch));
}

}  // namespace

ReportPageView::ReportPageView(const TableReport& report, QWidget* parent) : QWidget(parent), m_report(report)
{
    setObjectName(QStringLiteral("ReportPageView"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Dark);
    resize(sizeHint());
}

void ReportPageView::setPage(int index)
{
    if (index == m_page)
        return;
    m_page = index;
    m_image = QImage();
    update();
}

void ReportPageView::setZoom(double zoom)
{
    if (zoom == m_zoom)
        return;
    m_zoom = zoom;
    m_image = QImage();
    resize(sizeHint());
    updateGeometry();
    update();
}

double ReportPageView::zoomForWidth(int width)
{
    const double fullSize = ReportGeometry::kPageWidth * kScreenDpi / kMillimetresPerInch;
    return std::max(0.1, (width - 2 * kBorder - kShadow) / fullSize);
}

QSize ReportPageView::pageSize() const
{
    const double dpi = kScreenDpi * m_zoom;
    return {toPixels(ReportGeometry::kPageWidth, dpi), toPixels(ReportGeometry::kPageHeight, dpi)};
}

QSize ReportPageView::sizeHint() const
{
    return pageSize() + QSize(2 * kBorder + kShadow, 2 * kBorder + kShadow);
}

const QImage& ReportPageView::pageImage()
{
    if (!m_image.isNull())
        return m_image;
    const double ratio = devicePixelRatioF();
    const double dpi = kScreenDpi * m_zoom * ratio;
    QImage image(pageSize() * ratio, QImage::Format_RGB32);
    const int dotsPerMetre = int(std::lround(dpi / kMillimetresPerInch * 1000.0));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const double margin = ReportGeometry::kMargin * dpi / kMillimetresPerInch;
        painter.translate(margin, margin);
        paintReportPage(painter, m_report, m_page);
    }
    image.setDevicePixelRatio(ratio);
    m_image = std::move(image);
    return m_image;
}

void ReportPageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect paper(QPoint(kBorder, kBorder), pageSize());
    painter.fillRect(paper.translated(kShadow, kShadow), QColor(60, 60, 60));
    if (m_report.layout.pageCount() == 0) {
        painter.fillRect(paper, Qt::white);
        return;
    }
    painter.drawImage(paper.topLeft(), pageImage());
}
