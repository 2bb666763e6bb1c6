// The dial gauge and the limit settings: both panels are built hidden or covered, but their
// handlers run whenever something calls them, the limit boxes from the keyboard included. The
// limit boxes filter their own keys, as the other number boxes do.
#include "app/TFCOMM.h"

#include "app/DiagnosticPanel.h"
#include "base/ProgramState.h"
#include "chart/ChartPanel.h"
#include "dialogs/ErrorReport.h"
#include "display/DialGauge.h"
#include "display/GaugePanel.h"
#include "display/LimitPanel.h"
#include "display/LimitSettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>

void TFCOMM::createGauge()
{
    GaugePanel* gauge = m_diagnostics->gaugePanel();
    LimitPanel* limits = m_diagnostics->limitPanel();
    m_gauge = std::make_unique<DialGauge>(state(), *gauge, *limits);
    m_limitSettings = std::make_unique<LimitSettings>(
        state(), LimitSettings::Ports{
                     .redrawScale = [this] { KDsetup(1); },
                     .reportError = [this](const QString& message) { ErrorReport::show(m_messages, message); },
                 });

    connect(gauge->enlargeButton(), &QToolButton::clicked, this, &TFCOMM::KdFdClick);
    connect(gauge->restoreButton(), &QToolButton::clicked, this, &TFCOMM::KdFdClick);
    connect(gauge, &GaugePanel::resized, this, &TFCOMM::KDResize);
    connect(limits->upperLimitBox(), &QLineEdit::textChanged, this, &TFCOMM::SetmaxExit);
    connect(limits->upperLimitSwitch(), &QCheckBox::toggled, this, &TFCOMM::SetmaxExit);
    connect(limits->lowerLimitBox(), &QLineEdit::textChanged, this, &TFCOMM::SetMinExit);
    connect(limits->lowerLimitSwitch(), &QCheckBox::toggled, this, &TFCOMM::SetMinExit);
}

void TFCOMM::KDsetup(int32_t)
{
    m_gauge->drawScale();
}

void TFCOMM::KDrun(int32_t position)
{
    m_gauge->drawNeedle(position);
}

void TFCOMM::KdFdClick()
{
    m_chart->showChartArea(
        !m_diagnostics->gaugePanel()->toggleEnlarged(frameGeometry().size(), state().GaugeSavedBounds));
}

void TFCOMM::KDResize()
{
    m_diagnostics->gaugePanel()->placeZoomButtons();
}

void TFCOMM::SetmaxExit()
{
    m_limitSettings->readUpperLimit(m_diagnostics->limitPanel()->upperLimitText());
}

void TFCOMM::SetMinExit()
{
    m_limitSettings->readLowerLimit(m_diagnostics->limitPanel()->lowerLimitText());
}
