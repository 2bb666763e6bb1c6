#include "chart/ChartView.h"

#include "chart/VisiblePoints.h"

#include <QAreaSeries>
#include <QEvent>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QValueAxis>
#include <cmath>
#include <limits>

namespace {

QFont arialPixels(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    return font;
}

// A label step of 1, 2, 2.5 or 5 times a power of ten that keeps labels at least minPixels apart.
// Among the first few such steps, one that lands on both ends of the range is preferred, so a
// value axis of -50 .. 100 is labelled at its ends.
double niceTickInterval(double minimum, double maximum, double pixels, double minPixels)
{
    const double span = maximum - minimum;
    if (!(span > 0.0))
        return 1.0;
    // Before the first layout the plot has no size yet: few labels then, never a flood.
    pixels = std::max(pixels, 100.0);
    const double wanted = span * minPixels / pixels;
    double decade = std::pow(10.0, std::floor(std::log10(wanted)));
    double first = 0.0;
    for (int tries = 0; tries < 2; ++tries, decade *= 10.0) {
        for (double factor : {1.0, 2.0, 2.5, 5.0}) {
            const double step = factor * decade;
            if (step < wanted)
                continue;
            if (first == 0.0)
                first = step;
            if (std::fmod(minimum, step) == 0.0 && std::fmod(maximum, step) == 0.0)
                return step;
        }
    }
    return first;
}

void setTickStep(QValueAxis* axis, double step)
{
    if (axis->tickInterval() == step)
        return;
    axis->setTickInterval(step);
    // Qt Charts localizes only fixed-point label formats, so the step decides the decimals.
    int decimals = 0;
    for (double scaled = step; decimals < 9 && std::abs(scaled - std::round(scaled)) > 1e-6 * scaled; scaled *= 10.0)
        ++decimals;
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
}

}  // namespace

ChartView::ChartView(ChartEngine& engine, QWidget* parent) : QChartView(parent), m_engine(engine)
{
    setObjectName(QStringLiteral("ChtshowView"));
    setFrameShape(QFrame::NoFrame);
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::RectangleRubberBand);
    setUpChart();
    m_engine.setChangeListener([this](const ChartChange& change) { onEngineChanged(change); });
    if (parent) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
        lower();
    }
    refresh();
}

ChartView::~ChartView()
{
    m_engine.setChangeListener({});
}

void ChartView::setUpChart()
{
    QChart* c = chart();
    c->legend()->hide();
    c->setAnimationOptions(QChart::NoAnimation);
    c->setBackgroundRoundness(0);
    c->setDropShadowEnabled(false);
    c->setBackgroundBrush(Qt::white);
    c->setPlotAreaBackgroundVisible(true);
    c->setPlotAreaBackgroundBrush(Qt::white);
    c->layout()->setContentsMargins(0, 0, 0, 0);
    c->setTitle(QStringLiteral("  "));
    c->setTitleFont(arialPixels(13));
    c->setTitleBrush(QColor(Qt::blue));
    c->setLocalizeNumbers(true);

    m_horizontalAxis = new QValueAxis(c);
    m_horizontalAxis->setTitleText(QStringLiteral("Measurement No."));
    m_horizontalAxis->setTitleFont(arialPixels(11));
    m_horizontalAxis->setTitleBrush(QColor(Qt::blue));
    m_horizontalAxis->setTickType(QValueAxis::TicksDynamic);
    m_horizontalAxis->setTickAnchor(0.0);
    c->addAxis(m_horizontalAxis, Qt::AlignBottom);

    m_verticalAxis = new QValueAxis(c);
    m_verticalAxis->setTitleText(QStringLiteral("Temp."));
    m_verticalAxis->setTitleFont(arialPixels(11));
    m_verticalAxis->setTitleBrush(QColor(Qt::blue));
    m_verticalAxis->setLinePen(QPen(QColor(0, 64, 128), 1, Qt::DashLine));
    m_verticalAxis->setMinorTickCount(4);
    m_verticalAxis->setMinorGridLineVisible(false);
    m_verticalAxis->setTickType(QValueAxis::TicksDynamic);
    m_verticalAxis->setTickAnchor(0.0);
    c->addAxis(m_verticalAxis, Qt::AlignLeft);

    for (int i = 0; i < m_engine.seriesCount(); ++i)
        addSeries(m_engine.series(i));

    for (QValueAxis* axis : {m_horizontalAxis, m_verticalAxis})
        connect(axis, &QValueAxis::rangeChanged, this, [this] {
            // A mouse zoom moved the axes: the points handed to Qt Charts must cover the new range.
            if (!m_refreshing)
                scheduleRefresh();
        });
    // A new plot size changes the label steps and the number of pixel columns.
    connect(c, &QChart::plotAreaChanged, this, [this] {
        if (!m_refreshing)
            scheduleRefresh();
    });
}

void ChartView::addSeries(const ChartSeries& series)
{
    auto* line = new QLineSeries(this);
    QAbstractSeries* shown = line;
    if (series.kind() == SeriesKind::Area) {
        auto* area = new QAreaSeries(line);
        area->setPen(QPen(series.outlineColour()));
        area->setBrush(series.colour());
        shown = area;
    } else {
        line->setPen(QPen(series.colour(), 1));
    }
    line->setPointsVisible(false);
    shown->setName(QString::fromLatin1(series.name()));
    chart()->addSeries(shown);
    shown->attachAxis(m_horizontalAxis);
    shown->attachAxis(m_verticalAxis);
    m_lines.push_back(line);
    m_shownSeries.push_back(shown);
}

void ChartView::onEngineChanged(const ChartChange& change)
{
    if (change.kind == ChartChange::PointAppended) {
        // A point outside the view (and not the neighbour whose segment enters it) changes no pixel.
        if (!m_engine.series(change.series).active())
            return;
        const double position = double(change.position);
        if (position < std::ceil(m_horizontalAxis->min()) - 1.0 || position > std::floor(m_horizontalAxis->max()) + 1.0)
            return;
    } else if (change.kind == ChartChange::AxisChanged) {
        m_axesChanged = true;
    }
    scheduleRefresh();
}

void ChartView::scheduleRefresh()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(this, &ChartView::refreshNow, Qt::QueuedConnection);
}

void ChartView::refreshNow()
{
    if (m_refreshPending)
        refresh();
}

void ChartView::refresh()
{
    m_refreshPending = false;
    QScopedValueRollback<bool> guard(m_refreshing, true);
    if (m_axesChanged) {
        m_axesChanged = false;
        // The engine's range replaces a mouse zoom, as a scroll of the zoomed axis would.
        resetZoom();
        const ChartAxis& h = m_engine.axis(AxisId::Horizontal);
        const ChartAxis& v = m_engine.axis(AxisId::Vertical);
        showRange(m_horizontalAxis, Qt::Horizontal, h.minimum, h.maximum);
        showRange(m_verticalAxis, Qt::Vertical, v.minimum, v.maximum);
    } else {
        // A zoom or a new plot size: the range stays, the label step may not.
        showRange(m_horizontalAxis, Qt::Horizontal, m_horizontalAxis->min(), m_horizontalAxis->max());
        showRange(m_verticalAxis, Qt::Vertical, m_verticalAxis->min(), m_verticalAxis->max());
    }

    const int columns = int(chart()->plotArea().width());
    for (int i = 0; i < m_engine.seriesCount(); ++i) {
        const ChartSeries& series = m_engine.series(i);
        QXYSeries* line = m_lines[size_t(i)];
        m_shownSeries[size_t(i)]->setVisible(series.active());
        if (!series.active()) {
            if (line->count() > 0)
                line->clear();
            continue;
        }
        const QList<QPointF> points = visiblePoints(series, m_horizontalAxis->min(), m_horizontalAxis->max(), columns);
        if (!points.isEmpty()) {
            // A line is drawn in one colour: that of its newest point in view.
            const QColor colour = series.pointColour(int64_t(points.back().x()));
            if (series.kind() == SeriesKind::Area) {
                auto* area = static_cast<QAreaSeries*>(m_shownSeries[size_t(i)]);
                if (area->brush().color() != colour)
                    area->setBrush(colour);
            } else if (line->pen().color() != colour) {
                line->setPen(QPen(colour, 1));
            }
        }
        line->replace(points);
    }
}

double ChartView::tickStep(Qt::Orientation orientation, double minimum, double maximum) const
{
    const QRectF plot = chart()->plotArea();
    // Measurement numbers are whole, and so is their step.
    if (orientation == Qt::Horizontal)
        return std::max(1.0, std::ceil(niceTickInterval(minimum, maximum, plot.width(), 60.0)));
    return niceTickInterval(minimum, maximum, plot.height(), 40.0);
}

// Qt Charts makes an item for every tick in the range at once, so a small step must never meet a
// wide range, not even for a moment: the step grows before the range does and shrinks after it.
void ChartView::showRange(QValueAxis* axis, Qt::Orientation orientation, double minimum, double maximum)
{
    // Qt Charts cannot draw an axis whose ends coincide (a page of one point): it is widened
    // around that value, so the point shows in the middle.
    if (minimum == maximum) {
        minimum -= 0.5;
        maximum += 0.5;
    }
    const double step = tickStep(orientation, minimum, maximum);
    if (step > axis->tickInterval()) {
        setTickStep(axis, step);
        axis->setRange(minimum, maximum);
    } else {
        axis->setRange(minimum, maximum);
        setTickStep(axis, step);
    }
}

void ChartView::resetZoom()
{
    if (!chart()->isZoomed())
        return;
    // Undoing a zoom widens the axes at once: park their steps out of reach first.
    for (QValueAxis* axis : {m_horizontalAxis, m_verticalAxis})
        axis->setTickInterval(std::numeric_limits<double>::max());
    chart()->zoomReset();
}

QImage ChartView::renderImage()
{
    refreshNow();
    if (QGraphicsLayout* layout = chart()->layout())
        layout->activate();
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(renderHints());
    render(&painter, QRectF(image.rect()), viewport()->rect());
    return image;
}

bool ChartView::eventFilter(QObject* watched, QEvent* event)
{
    // A container with a layout places the view itself.
    if (watched == parent() && event->type() == QEvent::Resize && !parentWidget()->layout())
        setGeometry(parentWidget()->rect());
    return QChartView::eventFilter(watched, event);
}

void ChartView::resizeEvent(QResizeEvent* event)
{
    QChartView::resizeEvent(event);
    // The chart's margins are per cent of its size: top 2, bottom 1, left 0, right 5.
    const QSize s = size();
    chart()->setMargins(QMargins(0, qRound(s.height() * 0.02), qRound(s.width() * 0.05), qRound(s.height() * 0.01)));
}

void ChartView::mousePressEvent(QMouseEvent* event)
{
    m_pressPosition = event->position().toPoint();
    QChartView::mousePressEvent(event);
}

// Dragging towards the left, or a right click, undoes the zoom: the axes return to the range
// they had before it.
void ChartView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        resetZoom();
        refreshNow();
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && event->position().toPoint().x() < m_pressPosition.x()) {
        resetZoom();
        refreshNow();
    }
}
