#include "chart/VisiblePoints.h"

#include "chart/ChartEngine.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Collects one pixel column's first, lowest, highest and last point.
class ColumnEnvelope {
public:
    ColumnEnvelope(const ChartSeries& series, QList<QPointF>& out) : m_series(series), m_out(out) {}

    void start(int64_t position)
    {
        m_first = m_lowest = m_highest = m_last = position;
    }

    void add(int64_t position)
    {
        const double v = m_series.value(position);
        if (v < m_series.value(m_lowest))
            m_lowest = position;
        if (v > m_series.value(m_highest))
            m_highest = position;
        m_last = position;
    }

    void flush()
    {
        std::array<int64_t, 4> positions{m_first, m_lowest, m_highest, m_last};
        std::sort(positions.begin(), positions.end());
        const auto end = std::unique(positions.begin(), positions.end());
        for (auto p = positions.begin(); p != end; ++p)
            m_out.append(QPointF(double(*p), m_series.value(*p)));
    }

private:
    const ChartSeries& m_series;
    QList<QPointF>& m_out;
    int64_t m_first = 0, m_lowest = 0, m_highest = 0, m_last = 0;
};

// Where the segment between two neighbouring positions crosses x.
QPointF crossing(const ChartSeries& series, int64_t before, double x)
{
    const double from = series.value(before), to = series.value(before + 1);
    return QPointF(x, from + (x - double(before)) * (to - from));
}

}  // namespace

// The line stops at the ends of the range, where a clip at the plot's edge would stop it. Handing
// the drawing the neighbours outside instead left a stroke along the value axis on the first page
// (from the hidden start point to the first reading), since the painter clips at the pen's outer
// edge, not at the axis.
QList<QPointF> visiblePoints(const ChartSeries& series, double minX, double maxX, int columns)
{
    const int64_t n = series.count();
    // Compared as doubles first: an axis may end far beyond any position.
    if (n == 0 || !(minX <= maxX) || maxX < 0.0 || minX > double(n - 1))
        return {};
    // The positions inside the range; first > last when it lies between two positions.
    const int64_t first = minX <= 0.0 ? 0 : int64_t(std::ceil(minX));
    const int64_t last = maxX >= double(n - 1) ? n - 1 : int64_t(std::floor(maxX));

    QList<QPointF> points;
    columns = std::max(columns, 1);
    points.reserve(std::clamp(last - first + 1, int64_t(0), 4 * int64_t(columns)) + 2);
    if (first > 0 && double(first) > minX)
        points.append(crossing(series, first - 1, minX));
    if (last - first + 1 <= 4 * int64_t(columns)) {
        for (int64_t p = first; p <= last; ++p)
            points.append(QPointF(double(p), series.value(p)));
    } else {
        const double columnsPerPosition = columns / (maxX - minX);
        auto columnOf = [&](int64_t p) {
            return std::clamp(int64_t(std::floor((double(p) - minX) * columnsPerPosition)), int64_t(0), int64_t(columns - 1));
        };
        ColumnEnvelope envelope(series, points);
        int64_t column = columnOf(first);
        envelope.start(first);
        for (int64_t p = first + 1; p <= last; ++p) {
            const int64_t c = columnOf(p);
            if (c != column) {
                envelope.flush();
                envelope.start(p);
                column = c;
            } else {
                envelope.add(p);
            }
        }
        envelope.flush();
    }
    if (double(last) < maxX && last < n - 1)
        points.append(crossing(series, last, maxX));
    return points;
}
