// The window's side of the USB link: the cable connection over the top bar and the diagnostic
// panel, and its handlers.
#include "app/TFCOMM.h"

#include "app/DiagnosticPanel.h"
#include "app/ScreenMessages.h"
#include "app/TopBar.h"
#include "dialogs/ErrorReport.h"
#include "link/CableConnection.h"
#include "link/HidBackend.h"
#include "link/HidControllerClass.h"
#include "reading/ReadingPipeline.h"

void TFCOMM::createConnection(std::shared_ptr<HidBackend> backend)
{
    if (!backend)
        backend = createPlatformHidBackend();
    m_messages = std::make_unique<ScreenMessages>(m_dialogs);
    m_connection = new CableConnection(m_state, std::move(backend),
                                       {*m_topBar, *m_diagnostics, *m_diagnostics, *m_pipeline, *m_messages}, this);
    m_connection->setObjectName(QStringLiteral("CableConnection"));
    m_connection->HidCtl()->SetOnHandlerFailure(
        [this](const QString& message) { ErrorReport::show(m_dialogs, message); });
}

void TFCOMM::USBConClick()
{
    m_connection->USBConClick();
}

void TFCOMM::ReadBtnClick()
{
    m_connection->ReadBtnClick();
}

void TFCOMM::ClearBtnClick()
{
    m_connection->ClearBtnClick();
}

void TFCOMM::ConTimerTimer()
{
    m_connection->ConTimerTimer();
}

void TFCOMM::SetFeatureClick()
{
    m_connection->SetFeatureClick();
}

void TFCOMM::SendUSBData(uint8_t value)
{
    m_connection->SendUSBData(value);
}

void TFCOMM::SendDataClick()
{
    m_connection->SendDataClick();
}
