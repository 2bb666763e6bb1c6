#include "app/TqApplication.h"

#include "base/ErrorReport.h"

#include <csignal>

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
