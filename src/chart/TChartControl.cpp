#include "chart/TChartControl.h"

#include "base/IntegerText.h"
#include "chart/ChartEngine.h"

#include <algorithm>
#include <cmath>

namespace {
const QColor kPointColour(Qt::blue);
}

TChartControl::TChartControl(ChartEngine& chart, int32_t pageSize) : m_chart(chart)
{
    SetPageSize(pageSize);
    m_chart.setAxisMinimum(AxisId::Horizontal, 1);
    m_chart.setAxisMaximum(AxisId::Horizontal, m_pageSize);
    m_pageCount = 1;
    m_currentPage = 1;
    m_chart.appendToEverySeries(0.0, kPointColour);
    m_chart.setActive(0);
}

int32_t TChartControl::AddPoint(double value)
{
    m_chart.appendToEverySeries(value, kPointColour);
    m_pageCount = pagesForPoints();
    if (!m_holdView) {
        // Moves only when the new point lies beyond the right end of the view.
        scrollForward();
        m_currentPage = m_pageCount;
    }
    return m_currentPage;
}

int32_t TChartControl::AddPoints(std::span<const float> values)
{
    const int64_t firstNew = m_chart.series(0).count();
    m_chart.appendToEverySeries(values, kPointColour);
    m_pageCount = pagesForPoints();
    if (!m_holdView) {
        // AddPoint scrolls one page whenever its point lies beyond the view; the same shifts
        // here, added up and made at once.
        const int64_t last = m_chart.series(0).count() - 1;
        double maximum = m_chart.axis(AxisId::Horizontal).maximum;
        int64_t pages = 0;
        for (int64_t position = firstNew; position <= last;) {
            if (double(position) > maximum) {
                maximum += m_pageSize;
                ++pages;
                ++position;
            } else {
                position = std::max(position + 1, int64_t(std::floor(maximum)) + 1);
            }
        }
        if (pages > 0)
            m_chart.scrollHorizontal(double(pages) * m_pageSize);
        m_currentPage = m_pageCount;
    }
    return m_currentPage;
}

int32_t TChartControl::FirstPage()
{
    if (m_pageCount > 1 && m_currentPage != 1) {
        for (int32_t i = 1; i < m_currentPage; ++i)
            scrollBack();
        m_currentPage = 1;
        m_holdView = true;
    }
    return m_currentPage;
}

int32_t TChartControl::PreviousPage()
{
    if (m_currentPage > 1) {
        scrollBack();
        --m_currentPage;
        m_holdView = true;
    }
    return m_currentPage;
}

int32_t TChartControl::NextPage()
{
    if (m_pageCount > 1 && m_currentPage != m_pageCount) {
        scrollForward();
        ++m_currentPage;
        m_holdView = m_currentPage != m_pageCount;
    }
    return m_currentPage;
}

int32_t TChartControl::LastPage()
{
    if (m_pageCount > 1 && m_currentPage != m_pageCount) {
        for (int32_t i = m_currentPage; i < m_pageCount; ++i)
            scrollForward();
        m_currentPage = m_pageCount;
        m_holdView = false;
    }
    return m_currentPage;
}

int32_t TChartControl::Reset()
{
    FirstPage();
    m_chart.clearEverySeries();
    m_chart.appendToEverySeries(0.0, kPointColour);
    // The page count stays until the next point or page size, as the page label does.
    m_holdView = false;
    return m_currentPage;
}

void TChartControl::SetPageSize(int32_t size)
{
    if (size == m_pageSize)
        return;
    if (size < 1)
        throw ProgramError("The number of points per page must be at least 1");
    m_pageSize = size;
    m_chart.setAxisMinimum(AxisId::Horizontal, 1);
    m_chart.setAxisMaximum(AxisId::Horizontal, size);
    m_pageCount = pagesForPoints();
    for (int32_t i = 1; i < m_pageCount; ++i)
        scrollForward();
    m_currentPage = m_pageCount;
    m_holdView = false;
}

void TChartControl::SetYMaximum(double value)
{
    if (value != m_yMaximum) {
        m_yMaximum = value;
        m_chart.setAxisMaximum(AxisId::Vertical, value);
    }
}

void TChartControl::SetYMinimum(double value)
{
    if (value != m_yMinimum) {
        m_yMinimum = value;
        m_chart.setAxisMinimum(AxisId::Vertical, value);
    }
}

void TChartControl::scrollForward()
{
    m_chart.scrollHorizontal(m_pageSize);
}

void TChartControl::scrollBack()
{
    m_chart.scrollHorizontal(-m_pageSize);
}

// ceiling(points / PageSize) over the first series, start point included, in 64 bits.
int32_t TChartControl::pagesForPoints() const
{
    const int64_t n = m_chart.series(0).count();
    return int32_t(n / m_pageSize + (n % m_pageSize > 0 ? 1 : 0));
}
