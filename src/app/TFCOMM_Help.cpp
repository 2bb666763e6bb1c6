// The Help menu command.
#include "app/TFCOMM.h"

#include "app/DesktopOpener.h"
#include "app/HelpGuide.h"

#include <QCoreApplication>
#include <QDir>

void TFCOMM::Help1Click()
{
    // Beside the program in a build; in the share folder once installed.
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString shareFolder = QDir::cleanPath(programFolder + QStringLiteral("/" TQ612_INSTALLED_HELP_FROM_PROGRAM));
    HelpGuide({programFolder, shareFolder}, openWithDesktop).open();
}
