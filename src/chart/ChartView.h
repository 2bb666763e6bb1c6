#pragma once

#include "chart/ChartEngine.h"

#include <QChartView>
#include <QImage>
#include <QPoint>
#include <vector>

class QValueAxis;
class QXYSeries;
class QAbstractSeries;

// Shows a ChartEngine with Qt Charts. The engine keeps every value; Qt Charts is handed only the
// points inside the visible range (reduced to a per-pixel-column envelope when they outnumber the
// plot's pixels), rebuilt at most once per event-loop pass. So a new point, a page flip and a
// repaint cost the same at ten million points as at a thousand.
//
// Made as a child of the chart's container, it fills the container (unless a layout of the
// container places it) and stays below the container's other children (the date label sits on
// the chart).
class ChartView : public QChartView {
    Q_OBJECT
public:
    // Shows engine, which must outlive the view.
    explicit ChartView(ChartEngine& engine, QWidget* parent = nullptr);
    ~ChartView() override;

    ChartEngine& engine() { return m_engine; }

    // Applies a pending update now instead of on the next event-loop pass.
    void refreshNow();
    // The chart as laid out on screen, at the view's current pixel size, on white.
    QImage renderImage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setUpChart();
    void addSeries(const ChartSeries& series);
    void onEngineChanged(const ChartChange& change);
    void scheduleRefresh();
    void refresh();
    double tickStep(Qt::Orientation orientation, double minimum, double maximum) const;
    void showRange(QValueAxis* axis, Qt::Orientation orientation, double minimum, double maximum);
    void resetZoom();

    ChartEngine& m_engine;
    QValueAxis* m_horizontalAxis = nullptr;
    QValueAxis* m_verticalAxis = nullptr;
    // One per engine series: the line that holds its visible points (an area series' upper line).
    std::vector<QXYSeries*> m_lines;
    std::vector<QAbstractSeries*> m_shownSeries;
    bool m_refreshPending = false;
    bool m_axesChanged = true;
    bool m_refreshing = false;
    QPoint m_pressPosition;
};
