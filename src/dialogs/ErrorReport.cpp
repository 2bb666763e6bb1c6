#include "dialogs/ErrorReport.h"

#include "base/ProgramError.h"
#include "base/UserMessages.h"

#include <csignal>

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

TqApplication::TqApplication(int& argc, char** argv, UserMessages& messages)
    : QApplication(argc, argv), m_messages(messages)
{
    setApplicationName(QStringLiteral("TQ-612"));
#ifdef Q_OS_UNIX
    // By default a write beyond the user's file-size limit, or into a pipe nobody reads, ends
    // the process and takes the unsaved table with it. Ignored, the write fails with EFBIG or
    // EPIPE instead, and the save reports that like any other failed write.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

bool TqApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ErrorReport::show(m_messages, error);
    } catch (...) {
        ErrorReport::show(m_messages, QStringLiteral("Unknown error"));
    }
    return false;
}
