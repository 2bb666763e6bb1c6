// The handlers of the USB link's controls.
#include "app/TFCOMM.h"

#include "link/CableConnection.h"
#include "session/MeasurementSession.h"

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
    m_session->cable().tickWatchdog();
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
