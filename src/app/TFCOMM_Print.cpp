// Printing the measurement table through the report preview.
#include "app/TFCOMM.h"
#include "base/ProgramState.h"
#include "session/MeasurementSession.h"

#include "report/PrintTableFromWindow.h"

void TFCOMM::BtPrintClick()
{
    PrintTableFromWindow(this, m_messages, state().Printing, m_session->table());
}

void TFCOMM::PrintClick()
{
}
