#include "chart/ChartPanel.h"

#include "base/LocaleTexts.h"
#include "chart/ChartView.h"
#include "chart/PageSizeText.h"
#include "chart/TChartControl.h"
#include "widgets/Icons.h"
#include "widgets/NumberBoxFilter.h"
#include "widgets/WidgetFactory.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace WidgetFactory;

namespace {

const QColor kSystemBlue(0, 0, 255);

QTimer* namedTimer(QObject* owner, const char* name, int intervalMs)
{
    auto* timer = new QTimer(owner);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(intervalMs);
    return timer;
}

// Visibility is judged by the widget's own flag, so it also toggles while the window is hidden.
void invertVisibility(QWidget* widget)
{
    widget->setVisible(widget->isHidden());
}

}  // namespace

ChartPanel::ChartPanel(QWidget* parent) : BevelPanel(Bevel::None, Bevel::None, parent)
{
    placed(this, "Panel7", QRect(337, 33, 583, 549));
    buildToolBar();
    buildChartArea();
    m_pageSizeTimer = namedTimer(this, "Timer1", 500);
    m_dateTimer = namedTimer(this, "Timer2", 1000);
    m_dateTimer->start();
}

void ChartPanel::buildToolBar()
{
    BevelPanel* bar = create(this, "Panel8", QRect(0, 0, 583, 33), Bevel::Lowered, Bevel::Raised);

    m_notConnected = label(bar, "CONokN", QRect(5, 4, 25, 24), QString(), font());
    m_notConnected->setPixmap(Icons::connection(false));
    m_connected = label(bar, "CONok", QRect(5, 4, 25, 24), QString(), font());
    m_connected->setPixmap(Icons::connection(true));
    m_connected->hide();

    // The page-size box lies over the run of blanks.
    label(bar, "Label6", QRect(194, 8, 200, 14), QStringLiteral("View measurement data per                set"),
          pixelFont(QStringLiteral("Arial"), 11));
    m_pageSize = edit(bar, "Maxrecord", QRect(335, 6, 41, 21), QStringLiteral("100"));
    setHint(m_pageSize, QStringLiteral("Range"), HintShown::No);
    new NumberBoxFilter(m_pageSize);

    m_save = flatButton(bar, "BtSave", QRect(401, 6, 29, 21), QIcon(Icons::floppyDisk()));
    m_save->setCursor(Qt::ArrowCursor);
    setHint(m_save, QStringLiteral("Save"), HintShown::No);

    m_first = flatButton(bar, "BtFirst", QRect(429, 6, 25, 21), QIcon(Icons::firstPage()));
    m_first->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11, Bold));
    setHint(m_first, QStringLiteral("First"), HintShown::No);
    m_previous = flatButton(bar, "BTPrevious", QRect(453, 6, 25, 21), QIcon(Icons::previousPage()));
    setHint(m_previous, QStringLiteral("Previous"), HintShown::No);
    m_pageLabel = flatButton(bar, "Bt10", QRect(477, 6, 25, 21), QStringLiteral("1"));
    m_pageLabel->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11));
    setColour(m_pageLabel, QPalette::ButtonText, kSystemBlue);
    setHint(m_pageLabel, QStringLiteral("Page No."), HintShown::No);
    m_next = flatButton(bar, "BtNext", QRect(501, 6, 25, 21), QIcon(Icons::nextPage()));
    setHint(m_next, QStringLiteral("Next"), HintShown::No);
    m_last = flatButton(bar, "BTlast", QRect(525, 6, 25, 21), QIcon(Icons::lastPage()));
    setHint(m_last, QStringLiteral("last"), HintShown::No);
}

void ChartPanel::buildChartArea()
{
    m_area = create(this, "Chtshow", QRect(0, 33, 583, 516), Bevel::None, Bevel::Lowered, Qt::white);

    QToolButton* enlarge = flatButton(m_area, "TbFd", QRect(393, 3, 25, 25),
                                      QIcon(Icons::magnifier(Icons::Sign::Plus, kSystemBlue)), QSize(25, 25));
    setHint(enlarge, QStringLiteral("Graphic Enlarge"), HintShown::No);
    enlarge->hide();
    QToolButton* restore = flatButton(m_area, "TbSx", QRect(393, 3, 25, 25),
                                      QIcon(Icons::magnifier(Icons::Sign::Minus, kSystemBlue)), QSize(25, 25));
    setHint(restore, QStringLiteral("Graphic Restore"), HintShown::No);
    restore->hide();

    m_date = label(m_area, "lbl_time", QRect(416, 10, 153, 13), QString(), pixelFont(QStringLiteral("Arial"), 11));
    m_date->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setColour(m_date, QPalette::WindowText, kSystemBlue);

    auto* tiles = placed(new QComboBox(m_area), "ComboBox1", QRect(56, 483, 65, 21));
    tiles->addItems({QStringLiteral("atile"), QStringLiteral("btile")});
    setColour(tiles, QPalette::Base, QColor(192, 221, 248));
    setColour(tiles, QPalette::Button, QColor(192, 221, 248));
    tiles->hide();
}

void ChartPanel::showChart(TChartControl& pager)
{
    m_pager = &pager;
    // The chart fills the area inside its bevel, beneath the date label and the zoom buttons,
    // and takes no keyboard focus.
    m_view = new ChartView(pager.Chart(), m_area);
    auto* fill = new QVBoxLayout(m_area);
    const QRect inside = m_area->clientRect();
    fill->setContentsMargins(inside.left(), inside.top(), m_area->width() - inside.right() - 1,
                             m_area->height() - inside.bottom() - 1);
    fill->addWidget(m_view);
    m_view->setFocusPolicy(Qt::NoFocus);
    m_view->lower();
}

void ChartPanel::dropChart()
{
    delete m_view;
    m_view = nullptr;
    m_pager = nullptr;
}

void ChartPanel::showChartArea(bool shown)
{
    m_area->setVisible(shown);
}

void ChartPanel::toggleConnectionIndicator()
{
    invertVisibility(m_connected);
    invertVisibility(m_notConnected);
}

void ChartPanel::showNotConnected()
{
    m_connected->hide();
    m_notConnected->show();
}

void ChartPanel::showPage(int32_t page)
{
    m_pageLabel->setText(QString::number(page));
}

void ChartPanel::showFirstPage()
{
    showPage(m_pager->FirstPage());
}

void ChartPanel::showPreviousPage()
{
    showPage(m_pager->PreviousPage());
}

void ChartPanel::showNextPage()
{
    showPage(m_pager->NextPage());
}

void ChartPanel::showLastPage()
{
    showPage(m_pager->LastPage());
}

void ChartPanel::restartPageSizeTimer()
{
    m_pageSizeTimer->start();
}

void ChartPanel::applyPageSize()
{
    // An axis error leaves before the stop, so the timer comes again and finds the size stored.
    showPage(applyPageSizeText(*m_pager, m_pageSize->text().toLocal8Bit()));
    m_pageSizeTimer->stop();
}

void ChartPanel::showDate()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_date->setText(QString::fromLocal8Bit(LocaleTexts::shortDateText(now.date(), QLocale::system())));
    // The label shows the date only, so it need not be looked at again before midnight; at
    // least once a minute all the same, in case the clock or the time zone is changed.
    const qint64 untilMidnight = now.msecsTo(QDateTime(now.date().addDays(1), QTime(0, 0)));
    m_dateTimer->setInterval(int(std::clamp<qint64>(untilMidnight + 50, 50, 60'000)));
}
