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

}  // namespace

QList<QPointF> visiblePoints(const ChartSeries& series, double minX, double maxX, int columns)
{
    const int64_t n = series.count();
    const double below = std::ceil(minX) - 1.0;
    const double above = std::floor(maxX) + 1.0;
    // Compared as doubles first: an axis may end far beyond any position.
    if (n == 0 || !(minX <= maxX) || above < 0.0 || below > double(n - 1))
        return {};
    const int64_t lo = below < 0.0 ? 0 : int64_t(below);
    const int64_t hi = above > double(n - 1) ? n - 1 : int64_t(above);

    QList<QPointF> points;
    columns = std::max(columns, 1);
    if (hi - lo + 1 <= 4 * int64_t(columns)) {
        points.reserve(hi - lo + 1);
        for (int64_t p = lo; p <= hi; ++p)
            points.append(QPointF(double(p), series.value(p)));
        return points;
    }

    points.reserve(4 * columns + 2);
    const double columnsPerPosition = columns / (maxX - minX);
    auto columnOf = [&](int64_t p) {
        return std::clamp(int64_t(std::floor((double(p) - minX) * columnsPerPosition)), int64_t(0), int64_t(columns - 1));
    };
    ColumnEnvelope envelope(series, points);
    int64_t column = columnOf(lo);
    envelope.start(lo);
    for (int64_t p = lo + 1; p <= hi; ++p) {
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
    return points;
}
