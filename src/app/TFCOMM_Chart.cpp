// The chart's page buttons, its page-size box and the date label.
#include "app/TFCOMM.h"

#include "chart/ChartPanel.h"

#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

void TFCOMM::connectChartHandlers()
{
    connect(m_chart->firstButton(), &QToolButton::clicked, this, &TFCOMM::BtFirstClick);
    connect(m_chart->previousButton(), &QToolButton::clicked, this, &TFCOMM::BTPreviousClick);
    connect(m_chart->nextButton(), &QToolButton::clicked, this, &TFCOMM::BtNextClick);
    connect(m_chart->lastButton(), &QToolButton::clicked, this, &TFCOMM::BTlastClick);
    connect(m_chart->pageSizeBox(), &QLineEdit::textChanged, this, &TFCOMM::MaxrecordExit);
    connect(m_chart->pageSizeTimer(), &QTimer::timeout, this, &TFCOMM::Timer1Timer);
    connect(m_chart->dateTimer(), &QTimer::timeout, this, &TFCOMM::Timer2Timer);
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
