// The chart: its drawing inside Chtshow, the pager, the page buttons and page-size box of the
// strip above it, and the date label on it.
#include "BevelPanel.h"
#include "ChartView.h"
#include "LocaleTexts.h"
#include "PageSizeText.h"
#include "TFCOMM.h"

#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

void TFCOMM::createChartPager()
{
    m_ChartView = new ChartView(m_Chtshow);
    setChartView(m_ChartView);
    m_ChartPager = std::make_unique<TChartControl>(m_ChartView->engine(), 100);
    m_state.ChartPager = m_ChartPager.get();

    connect(m_BtFirst, &QToolButton::clicked, this, &TFCOMM::BtFirstClick);
    connect(m_BTPrevious, &QToolButton::clicked, this, &TFCOMM::BTPreviousClick);
    connect(m_BtNext, &QToolButton::clicked, this, &TFCOMM::BtNextClick);
    connect(m_BTlast, &QToolButton::clicked, this, &TFCOMM::BTlastClick);
    connect(m_Maxrecord, &QLineEdit::textChanged, this, &TFCOMM::MaxrecordExit);
    connect(m_Timer1, &QTimer::timeout, this, &TFCOMM::Timer1Timer);
    connect(m_Timer2, &QTimer::timeout, this, &TFCOMM::Timer2Timer);
}

void TFCOMM::BtFirstClick()
{
    m_Bt10->setText(QString::number(m_ChartPager->FirstPage()));
}

void TFCOMM::BTPreviousClick()
{
    m_Bt10->setText(QString::number(m_ChartPager->PreviousPage()));
}

void TFCOMM::BtNextClick()
{
    m_Bt10->setText(QString::number(m_ChartPager->NextPage()));
}

void TFCOMM::BTlastClick()
{
    m_Bt10->setText(QString::number(m_ChartPager->LastPage()));
}

void TFCOMM::MaxrecordExit()
{
    // Restarted on every change, so typing "250" applies 250 once and not 2 and 25 on the way.
    m_Timer1->start();
}

void TFCOMM::Timer1Timer()
{
    // An axis error leaves before the stop, so the timer comes again and finds the size stored.
    m_Bt10->setText(QString::number(applyPageSizeText(*m_ChartPager, m_Maxrecord->text().toLocal8Bit())));
    m_Timer1->stop();
}

void TFCOMM::Timer2Timer()
{
    m_lbl_time->setText(QString::fromLocal8Bit(LocaleTexts::shortDateText(QDate::currentDate(), QLocale::system())));
}
