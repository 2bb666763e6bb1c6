#pragma once

#include <QImage>
#include <QWidget>

struct TableReport;

// One page of the report on screen, white on the preview's grey, at a zoom where 100 % is the
// paper's real size at 96 dots per inch. Only the page shown is ever drawn, so a report of
// thousands of pages opens at once; the drawn page is kept until the page or zoom changes.
class ReportPageView : public QWidget {
    Q_OBJECT
public:
    ReportPageView(const TableReport& report, QWidget* parent);

    int page() const { return m_page; }
    void setPage(int index);
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    // The zoom at which the view, page and border, is `width` pixels wide.
    static double zoomForWidth(int width);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize pageSize() const;
    const QImage& pageImage();

    const TableReport& m_report;
    int m_page = 0;
    double m_zoom = 1.0;
    QImage m_image;  // the page drawn at the current zoom; null when out of date
};
