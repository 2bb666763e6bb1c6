// The Help menu command.
#include "app/TFCOMM.h"

#include "app/DesktopOpener.h"
#include "app/HelpGuide.h"
#include "app/HelpWindow.h"
#include "app/MainMenu.h"

#include <QAction>

void TFCOMM::connectHelpHandlers()
{
    handle(m_menu->help(), &QAction::triggered, &TFCOMM::Help1Click);
}

void TFCOMM::Help1Click()
{
    HelpGuide::ofThisProgram(openWithDesktop, [this](const QUrl& page) { HelpWindow::showFor(this, page); }).open();
}
