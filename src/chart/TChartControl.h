#pragma once

#include <cstdint>
#include <span>

class ChartEngine;

// Pages the chart: every recorded value is appended to every series, the page count follows
// the points, the view follows the newest page until the user pages back, and the value axis
// keeps the range the recorder gives it. Scrolls the chart refuses go unnoticed here: the page
// bookkeeping carries on as if they had happened. An axis error of the chart ends an operation
// where it occurs and reaches the caller.
class TChartControl {
public:
    // Throws ProgramError for a page size below 1.
    TChartControl(ChartEngine& chart, int32_t pageSize);

    // Each returns the page in view afterwards.
    int32_t AddPoint(double value);
    // The same as AddPoint for each value in turn, in one pass over the chart.
    int32_t AddPoints(std::span<const float> values);
    int32_t FirstPage();
    int32_t PreviousPage();
    int32_t NextPage();
    int32_t LastPage();
    int32_t Reset();

    // A size below 1 is refused with ProgramError before anything changes: the page count
    // divides by it.
    void SetPageSize(int32_t size);
    void SetYMaximum(double value);
    void SetYMinimum(double value);

    ChartEngine& Chart() const { return m_chart; }
    int32_t CurrentPage() const { return m_currentPage; }
    int32_t PageSize() const { return m_pageSize; }
    int32_t PageCount() const { return m_pageCount; }
    bool HoldView() const { return m_holdView; }
    double YMaximum() const { return m_yMaximum; }
    double YMinimum() const { return m_yMinimum; }

private:
    void scrollForward();
    void scrollBack();
    int32_t pagesForPoints() const;

    ChartEngine& m_chart;
    int32_t m_currentPage = 0;
    int32_t m_pageSize = 0;
    int32_t m_pageCount = 0;
    bool m_holdView = false;
    double m_yMaximum = 0.0;
    double m_yMinimum = 0.0;
};
