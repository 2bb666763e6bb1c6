// The dial gauge and the limit settings: both panels are built hidden or covered, but their
// handlers run whenever something calls them, the limit boxes from the keyboard included. The
// limit boxes filter their own keys, as the other number boxes do.
#include "app/TFCOMM.h"

#include "app/DiagnosticPanel.h"
#include "chart/ChartPanel.h"
#include "base/ErrorReport.h"
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
    m_limitSettings = std::make_unique<LimitSettings>(LimitSettings::Ports{
        .redrawScale = [this] { KDsetup(1); },
        .reportError = [this](const QString& message) { ErrorReport::show(m_messages, message); },
    });
    m_gauge = std::make_unique<DialGauge>(*gauge, *limits, *m_limitSettings);

    handle(gauge->enlargeButton(), &QToolButton::clicked, &TFCOMM::KdFdClick);
    handle(gauge->restoreButton(), &QToolButton::clicked, &TFCOMM::KdFdClick);
    handle(gauge, &GaugePanel::resized, &TFCOMM::KDResize);
    handle(limits->upperLimitBox(), &QLineEdit::textChanged, &TFCOMM::SetmaxExit);
    handle(limits->upperLimitSwitch(), &QCheckBox::toggled, &TFCOMM::SetmaxExit);
    handle(limits->lowerLimitBox(), &QLineEdit::textChanged, &TFCOMM::SetMinExit);
    handle(limits->lowerLimitSwitch(), &QCheckBox::toggled, &TFCOMM::SetMinExit);
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
        !m_diagnostics->gaugePanel()->toggleEnlarged(frameGeometry().size(), m_gauge->settings().GaugeSavedBounds));
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
