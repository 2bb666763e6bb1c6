// Printing the measurement table through the report preview.
#include "app/TFCOMM.h"

#include "report/PrintTableFromWindow.h"

void TFCOMM::BtPrintClick()
{
    PrintTableFromWindow(this, m_dialogs, m_state.Printing, *m_table);
}

void TFCOMM::PrintClick()
{
}
