// The handlers of the USB link's controls.
#include "app/TFCOMM.h"

#include "app/DiagnosticPanel.h"
#include "app/MainMenu.h"
#include "app/TopBar.h"
#include "link/CableConnection.h"
#include "session/MeasurementSession.h"

#include <QAction>
#include <QPushButton>
#include <QToolButton>

void TFCOMM::connectLinkHandlers()
{
    handle(m_topBar->connectButton(), &QToolButton::clicked, &TFCOMM::USBConClick);
    handle(m_menu->start(), &QAction::triggered, &TFCOMM::USBConClick);
    handle(m_diagnostics->readButton(), &QToolButton::clicked, &TFCOMM::ReadBtnClick);
    handle(m_diagnostics->clearButton(), &QToolButton::clicked, &TFCOMM::ClearBtnClick);
    handle(m_diagnostics->setFeatureButton(), &QPushButton::clicked, &TFCOMM::SetFeatureClick);
    handle(m_diagnostics->sendDataButton(), &QPushButton::clicked, &TFCOMM::SendDataClick);
}

void TFCOMM::USBConClick()
{
    m_session->cable().connectOrDisconnect();
}

void TFCOMM::ReadBtnClick()
{
    m_session->cable().followReadButton();
}

void TFCOMM::ClearBtnClick()
{
    m_session->cable().clearHistory();
}

void TFCOMM::ConTimerTimer()
{
    m_session->cable().checkWatchdog();
}

void TFCOMM::SetFeatureClick()
{
    m_session->cable().sendFeatureReport();
}

void TFCOMM::SendUSBData(uint8_t value)
{
    m_session->cable().sendCommand(value);
}

void TFCOMM::SendDataClick()
{
    m_session->cable().sendPoll();
}
