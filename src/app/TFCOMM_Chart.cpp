// The chart's page buttons, its page-size box and the date label.
#include "app/TFCOMM.h"

#include "chart/ChartPanel.h"

void TFCOMM::BtFirstClick()
{
    m_chart->showFirstPage();
}

void TFCOMM::BTPreviousClick()
{
    m_chart->showPreviousPage();
}

void TFCOMM::BtNextClick()
{
    m_chart->showNextPage();
}

void TFCOMM::BTlastClick()
{
    m_chart->showLastPage();
}

void TFCOMM::MaxrecordExit()
{
    m_chart->restartPageSizeTimer();
}

void TFCOMM::Timer1Timer()
{
    m_chart->applyPageSize();
}

void TFCOMM::Timer2Timer()
{
    m_chart->showDate();
}
