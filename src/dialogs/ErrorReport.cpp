#include "dialogs/ErrorReport.h"

#include "base/ProgramError.h"
#include "dialogs/MessageDialogs.h"
#include "dialogs/PlatformMessageBox.h"

#include <QApplication>

namespace ErrorReport {

QString reportText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void show(MessageDialogs& dialogs, const QString& message)
{
    dialogs.showBox(QApplication::activeWindow(), reportText(message), QStringLiteral("TQ-612"),
                    PlatformMessageBox::MB_OK | PlatformMessageBox::MB_ICONHAND);
}

void show(MessageDialogs& dialogs, const std::exception& error)
{
    show(dialogs, failureText(error));
}

}  // namespace ErrorReport
