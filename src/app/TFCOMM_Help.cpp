// The Help menu command.
#include "TFCOMM.h"

#include "DesktopOpener.h"
#include "HelpGuide.h"

#include <QCoreApplication>

void TFCOMM::Help1Click()
{
    HelpGuide(QCoreApplication::applicationDirPath(), openWithDesktop).open();
}
