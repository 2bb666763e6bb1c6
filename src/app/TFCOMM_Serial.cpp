// The window's side of the serial link: the port component COMM2, the serial link over the
// diagnostic panel and the menu, and its handlers.
#include "app/TFCOMM.h"

#include "app/DiagnosticPanel.h"
#include "app/MainMenu.h"
#include "app/ScreenMessages.h"
#include "dialogs/ErrorReport.h"
#include "reading/ReadingPipeline.h"
#include "serial/SerialDriver.h"
#include "serial/SerialLink.h"
#include "widgets/BevelPanel.h"

#include <QAction>
#include <QPushButton>
#include <QToolButton>

void TFCOMM::createSerialLink(ComPortPaths comPorts)
{
    m_COMM2 = new TSerialPortDriver(this, std::move(comPorts));
    m_COMM2->setObjectName(QStringLiteral("COMM2"));
    m_COMM2->SetComPort(pnCOM1);
    m_COMM2->SetComPortSpeed(br2400);
    m_COMM2->SetOnHandlerFailure([this](const QString& message) { ErrorReport::show(m_dialogs, message); });
    m_serialLink = std::make_unique<SerialLink>(m_state, *m_COMM2,
                                                SerialLinkPorts{*m_diagnostics, *m_menu, *m_pipeline, *m_messages});

    connect(m_diagnostics->serialConnectButton(), &BevelPanel::clicked, this, &TFCOMM::BTCon1Click);
    connect(m_diagnostics->serialDisconnectButton(), &BevelPanel::clicked, this, &TFCOMM::BtDiscon1Click);
    connect(m_menu->stop(), &QAction::triggered, this, &TFCOMM::BtDiscon1Click);
    connect(m_diagnostics->serialToggle(), &QToolButton::clicked, this, &TFCOMM::COMConClick);
    connect(m_diagnostics->baudRateButton(), &QPushButton::clicked, this, &TFCOMM::Button2Click);
    connect(m_diagnostics->serialMeterButton(), &QPushButton::clicked, this, &TFCOMM::Button3Click);
}

void TFCOMM::StartClick()
{
    m_serialLink->StartClick();
}

void TFCOMM::StopClick()
{
    m_serialLink->StopClick();
}

void TFCOMM::Bcom1Click()
{
    m_serialLink->Bcom1Click();
}

void TFCOMM::BCOM2Click()
{
    m_serialLink->BCOM2Click();
}

void TFCOMM::Button3Click()
{
    m_serialLink->Button3Click();
}

void TFCOMM::BTCon1Click()
{
    m_serialLink->BTCon1Click();
}

void TFCOMM::BtDiscon1Click()
{
    m_serialLink->BtDiscon1Click();
}

void TFCOMM::COMConClick()
{
    m_serialLink->COMConClick();
}

void TFCOMM::Button2Click()
{
    m_serialLink->Button2Click();
}
