#include "link/WatchdogGrid.h"

#include <algorithm>

namespace {

int64_t floorDiv(int64_t a, int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

int64_t WatchdogGrid::lastTickAt(int64_t ms) const
{
    return floorDiv(ms - m_origin, kTickMs) - 1;
}

// Checks fall on the ticks m_cycleStart + 2 + 3j, j = 0, 1, ...: the index j of the first one
// after the tick `after`.
int64_t WatchdogGrid::firstCheckIndexAfter(int64_t after) const
{
    const int64_t first = m_cycleStart + 2;
    const int64_t from = std::max(after + 1, first);
    return (from - first + 2) / 3;
}

int64_t WatchdogGrid::checksBetween(int64_t after, int64_t through) const
{
    const int64_t first = m_cycleStart + 2;
    if (through < first || through <= after)
        return 0;
    const int64_t last = (through - first) / 3;
    return std::max<int64_t>(0, last - firstCheckIndexAfter(after) + 1);
}

int64_t WatchdogGrid::nthCheckAfter(int64_t after, int64_t n) const
{
    return m_cycleStart + 2 + 3 * (firstCheckIndexAfter(after) + n - 1);
}
