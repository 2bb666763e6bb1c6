#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

// The values of a chart series, in the order they were appended. The recorder's readings are
// whole numbers, so they are kept as 32-bit integers for as long as every value is one, at half
// the memory of doubles; the first value that is not turns the store into doubles for good.
// Either way a value reads back exactly as it was appended.
class ChartValues {
public:
    int64_t size() const { return m_wide ? int64_t(m_doubles.size()) : int64_t(m_whole.size()); }
    double at(int64_t position) const
    {
        return m_wide ? m_doubles[size_t(position)] : double(m_whole[size_t(position)]);
    }

    void append(double value);

private:
    void widen();

    // Deques grow without moving what they hold, so a chart of ten million readings never
    // stalls the GUI thread on one large reallocation.
    std::deque<int32_t> m_whole;
    std::deque<double> m_doubles;
    bool m_wide = false;
};
