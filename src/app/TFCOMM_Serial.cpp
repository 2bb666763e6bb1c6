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
    connect(m_diagnostics->serialConnectButton(), &BevelPanel::clicked, this, &TFCOMM::BTCon1Click);
    connect(m_diagnostics->serialDisconnectButton(), &BevelPanel::clicked, this, &TFCOMM::BtDiscon1Click);
    connect(m_menu->stop(), &QAction::triggered, this, &TFCOMM::BtDiscon1Click);
    connect(m_diagnostics->serialToggle(), &QToolButton::clicked, this, &TFCOMM::COMConClick);
    connect(m_diagnostics->baudRateButton(), &QPushButton::clicked, this, &TFCOMM::Button2Click);
    connect(m_diagnostics->serialMeterButton(), &QPushButton::clicked, this, &TFCOMM::Button3Click);
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
