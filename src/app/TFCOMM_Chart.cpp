// The chart's page buttons, its page-size box and the date label.
#include "app/TFCOMM.h"

#include "chart/ChartPanel.h"

#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

void TFCOMM::connectChartHandlers()
{
    handle(m_chart->firstButton(), &QToolButton::clicked, &TFCOMM::BtFirstClick);
    handle(m_chart->previousButton(), &QToolButton::clicked, &TFCOMM::BTPreviousClick);
    handle(m_chart->nextButton(), &QToolButton::clicked, &TFCOMM::BtNextClick);
    handle(m_chart->lastButton(), &QToolButton::clicked, &TFCOMM::BTlastClick);
    handle(m_chart->pageSizeBox(), &QLineEdit::textChanged, &TFCOMM::MaxrecordExit);
    handle(m_chart->pageSizeTimer(), &QTimer::timeout, &TFCOMM::Timer1Timer);
    handle(m_chart->dateTimer(), &QTimer::timeout, &TFCOMM::Timer2Timer);
}

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
