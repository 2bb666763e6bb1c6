// The Help menu command.
#include "TFCOMM.h"

#include "DesktopOpener.h"
#include "HelpGuide.h"

#include <QCoreApplication>

void TFCOMM::Help1Click()
{
    // Beside the program in a build; in the share folder once installed.
    const QString programFolder = QCoreApplication::applicationDirPath();
    HelpGuide({programFolder, programFolder + QStringLiteral("/" TQ612_INSTALLED_HELP_FROM_PROGRAM)}, openWithDesktop)
        .open();
}
