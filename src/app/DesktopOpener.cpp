#include "app/DesktopOpener.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>

namespace {

enum class Registration { Registered, NoneRegistered, Unknown };

// Asks xdg-mime, which reads the same associations as the desktop's opener.
Registration applicationRegisteredFor(const QString& mimeType)
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(3000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return Registration::Unknown;
    return query.readAllStandardOutput().trimmed().isEmpty() ? Registration::NoneRegistered
                                                             : Registration::Registered;
}

}  // namespace

bool openWithDesktop(const QUrl& url)
{
    if (url.isLocalFile()) {
        const QString mimeType = QMimeDatabase().mimeTypeForFile(url.toLocalFile()).name();
        if (applicationRegisteredFor(mimeType) == Registration::NoneRegistered)
            return false;
    }
    return QDesktopServices::openUrl(url);
}
