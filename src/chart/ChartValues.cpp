#include "chart/ChartValues.h"

#include <cmath>
#include <limits>

namespace {

// A negative zero is not whole here: as an integer it would read back as +0.
bool isWhole32(double value)
{
    return value >= double(std::numeric_limits<int32_t>::min()) && value <= double(std::numeric_limits<int32_t>::max()) &&
           std::trunc(value) == value && !(value == 0.0 && std::signbit(value));
}

}  // namespace

void ChartValues::append(double value)
{
    if (!m_wide && !isWhole32(value))
        widen();
    if (m_wide)
        m_doubles.push_back(value);
    else
        m_whole.push_back(int32_t(value));
}

void ChartValues::widen()
{
    for (const int32_t value : m_whole)
        m_doubles.push_back(double(value));
    std::deque<int32_t>().swap(m_whole);
    m_wide = true;
}
