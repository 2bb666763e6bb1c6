// Printing the measurement table through the report preview.
#include "app/TFCOMM.h"

#include "record/RecordBar.h"
#include "report/PrintTableFromWindow.h"
#include "session/MeasurementSession.h"

#include <QToolButton>

void TFCOMM::connectPrintHandlers()
{
    handle(m_recordBar->printButton(), &QToolButton::clicked, &TFCOMM::BtPrintClick);
}

void TFCOMM::BtPrintClick()
{
    PrintTableFromWindow(this, m_messages, m_Printing, m_session->table());
}

void TFCOMM::PrintClick()
{
}
