#pragma once

#include "chart/ConnectionIndicator.h"
#include "widgets/BevelPanel.h"

#include <cstdint>

class ChartView;
class QLabel;
class QLineEdit;
class QTimer;
class QToolButton;
class TChartControl;

// The right column: the chart's tool bar (connection indicator, points per page, save and the
// page buttons with the page label) above the chart area with its date label, and the page-size
// timer Timer1 and the date timer Timer2. The chart's data and its pager belong to the session;
// the panel shows them once showChart has been called.
class ChartPanel : public BevelPanel, public ConnectionIndicator {
    Q_OBJECT
public:
    explicit ChartPanel(QWidget* parent);

    // Shows the pager's chart in the chart area; the page buttons and the page-size box act on
    // the pager, which must outlive the panel.
    void showChart(TChartControl& pager);
    // Stops showing the chart, before the pager and its chart go.
    void dropChart();
    ChartView* view() const { return m_view; }

    // Swaps CONok and CONokN.
    void toggleConnectionIndicator() override;
    // Shows CONokN and hides CONok.
    void showNotConnected() override;
    // The page label Bt10.
    void showPage(int32_t page);

    void showFirstPage();
    void showPreviousPage();
    void showNextPage();
    void showLastPage();
    // Restarted on every change of the page-size box, so typing "250" applies 250 once and not
    // 2 and 25 on the way.
    void restartPageSizeTimer();
    // Applies the page-size box and stops the timer.
    void applyPageSize();
    // Today's short date on the chart.
    void showDate();
    // The chart area Chtshow steps aside while the dial gauge is enlarged over it.
    void showChartArea(bool shown);

    QLineEdit* pageSizeBox() const { return m_pageSize; }        // Maxrecord
    QToolButton* saveButton() const { return m_save; }           // BtSave
    QToolButton* firstButton() const { return m_first; }         // BtFirst
    QToolButton* previousButton() const { return m_previous; }   // BTPrevious
    QToolButton* nextButton() const { return m_next; }           // BtNext
    QToolButton* lastButton() const { return m_last; }           // BTlast
    QTimer* pageSizeTimer() const { return m_pageSizeTimer; }    // Timer1
    QTimer* dateTimer() const { return m_dateTimer; }            // Timer2

private:
    void buildToolBar();
    void buildChartArea();

    QLabel* m_connected = nullptr;     // CONok
    QLabel* m_notConnected = nullptr;  // CONokN
    QLineEdit* m_pageSize = nullptr;
    QToolButton* m_save = nullptr;
    QToolButton* m_first = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_pageLabel = nullptr;  // Bt10
    QToolButton* m_next = nullptr;
    QToolButton* m_last = nullptr;
    BevelPanel* m_area = nullptr;  // Chtshow
    QLabel* m_date = nullptr;      // lbl_time
    ChartView* m_view = nullptr;
    QTimer* m_pageSizeTimer = nullptr;
    QTimer* m_dateTimer = nullptr;
    TChartControl* m_pager = nullptr;
};
