#pragma once

#include "chart/ChartValues.h"

#include <QByteArray>
#include <QColor>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

enum class SeriesKind { FastLine, Area };

// One series of the chart. The horizontal position of a point is its index: a value appended
// to a series lands at the position equal to the number of points it already held, so the
// positions are always 0 .. count() - 1 and need not be stored.
//
// Series that are filled alike share one store of values (see ChartEngine::appendToEverySeries);
// a series that is then changed on its own gets a copy first.
class ChartSeries {
public:
    ChartSeries(QByteArray name, SeriesKind kind, QColor colour, QColor outlineColour, bool active);

    const QByteArray& name() const { return m_name; }
    SeriesKind kind() const { return m_kind; }
    QColor colour() const { return m_colour; }
    QColor outlineColour() const { return m_outlineColour; }
    bool active() const { return m_active; }

    int64_t count() const { return m_values->size(); }
    double value(int64_t position) const { return m_values->at(position); }
    QColor pointColour(int64_t position) const;

private:
    friend class ChartEngine;

    // Points nearly always share one colour, so colours are kept as runs, not per point.
    struct ColourRun {
        int64_t firstPosition;
        QRgb colour;
    };

    void appendColour(QColor colour);
    void append(double value, QColor colour);
    void clear();

    QByteArray m_name;
    SeriesKind m_kind;
    QColor m_colour;
    QColor m_outlineColour;
    bool m_active;
    std::shared_ptr<ChartValues> m_values;
    std::vector<ColourRun> m_colourRuns;
};

struct ChartAxis {
    double minimum = 0.0;
    double maximum = 0.0;
};

enum class AxisId { Horizontal, Vertical };

// What a change listener is told. For an append, series and position say where the point
// landed, so a view can skip points outside what it shows.
struct ChartChange {
    // PointsAppended: many points at once, position being the first of them.
    enum Kind { PointAppended, PointsAppended, SeriesCleared, SeriesActivated, AxisChanged };
    Kind kind;
    int series = -1;
    int64_t position = -1;
};

// The chart `Chtshow` without any drawing: its series list with every value, and its two axes.
// The axes are always scaled by hand; nothing in the program scales them automatically, so
// there is no automatic mode to turn off.
class ChartEngine {
public:
    // The series list and the axis ranges the chart starts with: Series1, a blue fast line, is
    // active; Series2, a blue area, is not. Horizontal axis 0 .. 100, vertical -61 .. 60.
    ChartEngine();

    int seriesCount() const { return int(m_series.size()); }
    const ChartSeries& series(int index) const { return m_series[size_t(index)]; }

    void append(int series, double value, QColor colour);
    void clear(int series);
    // The same as appending the value to each series in turn, or clearing each in turn, but the
    // series then share one store of values instead of holding a copy each.
    void appendToEverySeries(double value, QColor colour);
    // As appending each value to every series in turn, with one change told per series.
    void appendToEverySeries(std::span<const float> values, QColor colour);
    void clearEverySeries();
    // Only active series are drawn and count for the scroll limits.
    void setActive(int series, bool active = true);

    const ChartAxis& axis(AxisId id) const { return id == AxisId::Horizontal ? m_horizontal : m_vertical; }
    // Throw ProgramError when the new end would pass the other one; the axis is then unchanged.
    void setAxisMinimum(AxisId id, double minimum);
    void setAxisMaximum(AxisId id, double maximum);
    // Shifts the horizontal axis by offset, but only towards points that lie beyond it; returns
    // whether it moved.
    bool scrollHorizontal(double offset);

    // One listener (the view); called after every change.
    void setChangeListener(std::function<void(const ChartChange&)> listener);

private:
    ChartAxis& axisRef(AxisId id) { return id == AxisId::Horizontal ? m_horizontal : m_vertical; }
    void notify(const ChartChange& change) const;
    // Calls appendTo once for each store of values, however many series share it.
    template <typename AppendTo>
    void appendToEveryStore(QColor colour, AppendTo appendTo);

    std::vector<ChartSeries> m_series;
    ChartAxis m_horizontal{0.0, 100.0};
    ChartAxis m_vertical{-61.0, 60.0};
    std::function<void(const ChartChange&)> m_listener;
};
