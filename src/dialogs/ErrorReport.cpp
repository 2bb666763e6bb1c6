#include "ErrorReport.h"

#include "PlatformMessageBox.h"

namespace ErrorReport {

QString reportText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void show(const QString& message)
{
    PlatformMessageBox::show(QApplication::activeWindow(), reportText(message), QStringLiteral("TQ-612"),
                             PlatformMessageBox::MB_OK | PlatformMessageBox::MB_ICONHAND);
}

void show(const std::exception& error)
{
    show(QString::fromUtf8(error.what()));
}

}  // namespace ErrorReport

TqApplication::TqApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("TQ-612"));
}

bool TqApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ErrorReport::show(error);
    } catch (...) {
        ErrorReport::show(QStringLiteral("Unknown error"));
    }
    return false;
}
