// Printing the measurement table through the report preview.
#include "app/TFCOMM.h"

#include "base/ProgramState.h"
#include "record/RecordBar.h"
#include "report/PrintTableFromWindow.h"
#include "session/MeasurementSession.h"

#include <QToolButton>

void TFCOMM::connectPrintHandlers()
{
    connect(m_recordBar->printButton(), &QToolButton::clicked, this, &TFCOMM::BtPrintClick);
}

void TFCOMM::BtPrintClick()
{
    PrintTableFromWindow(this, m_messages, state().Printing, m_session->table());
}

void TFCOMM::PrintClick()
{
}
