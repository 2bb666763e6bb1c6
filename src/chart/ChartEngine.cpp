#include "chart/ChartEngine.h"

#include "base/IntegerText.h"

#include <algorithm>
#include <utility>

ChartSeries::ChartSeries(QByteArray name, SeriesKind kind, QColor colour, QColor outlineColour, bool active)
    : m_name(std::move(name)),
      m_kind(kind),
      m_colour(colour),
      m_outlineColour(outlineColour),
      m_active(active),
      m_values(std::make_shared<ChartValues>())
{
}

QColor ChartSeries::pointColour(int64_t position) const
{
    auto run = std::upper_bound(m_colourRuns.begin(), m_colourRuns.end(), position,
                                [](int64_t p, const ColourRun& r) { return p < r.firstPosition; });
    return QColor::fromRgb(std::prev(run)->colour);
}

// Before the value is appended: the run starts at the position the value will take.
void ChartSeries::appendColour(QColor colour)
{
    const QRgb rgb = colour.rgb();
    if (m_colourRuns.empty() || m_colourRuns.back().colour != rgb)
        m_colourRuns.push_back({count(), rgb});
}

void ChartSeries::append(double value, QColor colour)
{
    appendColour(colour);
    if (m_values.use_count() > 1)
        m_values = std::make_shared<ChartValues>(*m_values);
    m_values->append(value);
}

void ChartSeries::clear()
{
    // A fresh store hands the memory back, which clearing a deque would keep, and leaves any
    // series that shared the old one as it was.
    m_values = std::make_shared<ChartValues>();
    m_colourRuns.clear();
}

ChartEngine::ChartEngine()
{
    m_series.emplace_back("Series1", SeriesKind::FastLine, QColor(Qt::blue), QColor(Qt::blue), true);
    m_series.emplace_back("Series2", SeriesKind::Area, QColor(Qt::blue), QColor(0, 128, 255), false);
    m_series[1].m_values = m_series[0].m_values;
}

void ChartEngine::append(int series, double value, QColor colour)
{
    ChartSeries& s = m_series[size_t(series)];
    s.append(value, colour);
    notify({ChartChange::PointAppended, series, s.count() - 1});
}

void ChartEngine::clear(int series)
{
    m_series[size_t(series)].clear();
    notify({ChartChange::SeriesCleared, series});
}

template <typename AppendTo>
void ChartEngine::appendToEveryStore(QColor colour, AppendTo appendTo)
{
    // Colours first, while every count still says where the values land; then each store once,
    // however many series share it.
    for (ChartSeries& s : m_series)
        s.appendColour(colour);
    for (auto s = m_series.begin(); s != m_series.end(); ++s) {
        const bool sharedWithAnEarlierOne =
            std::any_of(m_series.begin(), s, [&](const ChartSeries& earlier) { return earlier.m_values == s->m_values; });
        if (!sharedWithAnEarlierOne)
            appendTo(*s->m_values);
    }
}

void ChartEngine::appendToEverySeries(double value, QColor colour)
{
    appendToEveryStore(colour, [value](ChartValues& store) { store.append(value); });
    for (int series = 0; series < seriesCount(); ++series)
        notify({ChartChange::PointAppended, series, m_series[size_t(series)].count() - 1});
}

void ChartEngine::appendToEverySeries(std::span<const float> values, QColor colour)
{
    if (values.empty())
        return;
    appendToEveryStore(colour, [values](ChartValues& store) {
        for (const float value : values)
            store.append(double(value));
    });
    const auto appended = int64_t(values.size());
    for (int series = 0; series < seriesCount(); ++series)
        notify({ChartChange::PointsAppended, series, m_series[size_t(series)].count() - appended});
}

void ChartEngine::clearEverySeries()
{
    const auto shared = std::make_shared<ChartValues>();
    for (ChartSeries& s : m_series) {
        s.m_colourRuns.clear();
        s.m_values = shared;
    }
    for (int series = 0; series < seriesCount(); ++series)
        notify({ChartChange::SeriesCleared, series});
}

void ChartEngine::setActive(int series, bool active)
{
    m_series[size_t(series)].m_active = active;
    notify({ChartChange::SeriesActivated, series});
}

void ChartEngine::setAxisMinimum(AxisId id, double minimum)
{
    ChartAxis& a = axisRef(id);
    if (minimum > a.maximum)
        throw ProgramError("Axis Minimum Value must be <= Maximum");
    a.minimum = minimum;
    notify({ChartChange::AxisChanged});
}

void ChartEngine::setAxisMaximum(AxisId id, double maximum)
{
    ChartAxis& a = axisRef(id);
    if (maximum < a.minimum)
        throw ProgramError("Axis Maximum Value must be >= Minimum");
    a.maximum = maximum;
    notify({ChartChange::AxisChanged});
}

bool ChartEngine::scrollHorizontal(double offset)
{
    if (offset == 0.0)
        return false;
    // The points that count are those of the active series, or of every series when none is
    // active. Positions run 0 .. count - 1, so the extremes are known without looking at a point.
    const bool anyActive = std::any_of(m_series.begin(), m_series.end(), [](const ChartSeries& s) { return s.active(); });
    int64_t largest = -1;
    for (const ChartSeries& s : m_series) {
        if (s.active() || !anyActive)
            largest = std::max(largest, s.count() - 1);
    }
    if (largest < 0)
        return false;
    const double smallest = 0.0;
    const bool beyond = offset > 0 ? double(largest) > m_horizontal.maximum : smallest < m_horizontal.minimum;
    if (!beyond)
        return false;
    m_horizontal.minimum += offset;
    m_horizontal.maximum += offset;
    notify({ChartChange::AxisChanged});
    return true;
}

void ChartEngine::setChangeListener(std::function<void(const ChartChange&)> listener)
{
    m_listener = std::move(listener);
}

void ChartEngine::notify(const ChartChange& change) const
{
    if (m_listener)
        m_listener(change);
}
