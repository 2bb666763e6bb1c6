#include "base/ErrorReport.h"

#include "base/ProgramError.h"
#include "base/UserMessages.h"

namespace ErrorReport {

QString reportText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void show(UserMessages& messages, const QString& message)
{
    messages.askInBox(reportText(message), QStringLiteral("TQ-612"), MessageChoices::Ok, MessageTone::Error);
}

void show(UserMessages& messages, const std::exception& error)
{
    show(messages, failureText(error));
}

}  // namespace ErrorReport
