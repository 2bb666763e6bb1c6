// The handlers of the serial link's controls.
#include "app/TFCOMM.h"

#include "app/DiagnosticPanel.h"
#include "app/MainMenu.h"
#include "serial/SerialLink.h"
#include "session/MeasurementSession.h"
#include "widgets/BevelPanel.h"

#include <QAction>
#include <QPushButton>
#include <QToolButton>

void TFCOMM::connectSerialHandlers()
{
    handle(m_diagnostics->serialConnectButton(), &BevelPanel::clicked, &TFCOMM::BTCon1Click);
    handle(m_diagnostics->serialDisconnectButton(), &BevelPanel::clicked, &TFCOMM::BtDiscon1Click);
    handle(m_menu->stop(), &QAction::triggered, &TFCOMM::BtDiscon1Click);
    handle(m_diagnostics->serialToggle(), &QToolButton::clicked, &TFCOMM::COMConClick);
    handle(m_diagnostics->baudRateButton(), &QPushButton::clicked, &TFCOMM::Button2Click);
    handle(m_diagnostics->serialMeterButton(), &QPushButton::clicked, &TFCOMM::Button3Click);
}

void TFCOMM::StartClick()
{
    m_session->serialLink().openPort();
}

void TFCOMM::StopClick()
{
    m_session->serialLink().closePort();
}

void TFCOMM::Bcom1Click()
{
    m_session->serialLink().chooseFirstPort();
}

void TFCOMM::BCOM2Click()
{
    m_session->serialLink().chooseSecondPort();
}

void TFCOMM::Button3Click()
{
    m_session->serialLink().listenAndOpen();
}

void TFCOMM::BTCon1Click()
{
    m_session->serialLink().connectPort();
}

void TFCOMM::BtDiscon1Click()
{
    m_session->serialLink().disconnectPort();
}

void TFCOMM::COMConClick()
{
    m_session->serialLink().connectOrDisconnect();
}

void TFCOMM::Button2Click()
{
    m_session->serialLink().stepBaudRate();
}
