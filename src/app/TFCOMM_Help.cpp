// The Help menu command.
#include "TFCOMM.h"

#include "DesktopOpener.h"
#include "HelpGuide.h"

#include <QCoreApplication>
#include <QDir>

void TFCOMM::Help1Click()
{
    // Beside the program in a build; in the share folder once installed.
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString shareFolder = QDir::cleanPath(programFolder + QStringLiteral("/" TQ612_INSTALLED_HELP_FROM_PROGRAM));
    HelpGuide({programFolder, shareFolder}, openWithDesktop).open();
}
