#include "app/HelpGuide.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

bool holdsTheGuide(const QString& folder)
{
    return QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(HelpGuide::kHelpFileName))
           || QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(HelpGuide::kHtmlIndex));
}

QString folderHoldingTheGuide(const QStringList& folders)
{
    for (const QString& folder : folders) {
        if (holdsTheGuide(folder))
            return folder;
    }
    return folders.value(0);
}

}  // namespace

HelpGuide::HelpGuide(const QStringList& folders, Opener open, GuideWindow showInWindow)
    : m_folder(folderHoldingTheGuide(folders)), m_open(std::move(open)), m_showInWindow(std::move(showInWindow))
{
}

HelpGuide HelpGuide::ofThisProgram(Opener open, GuideWindow showInWindow)
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString shareFolder = QDir::cleanPath(programFolder + QStringLiteral("/" TQ612_INSTALLED_HELP_FROM_PROGRAM));
    return HelpGuide({programFolder, shareFolder}, std::move(open), std::move(showInWindow));
}

void HelpGuide::open() const
{
    // A viewer registered for help files would only complain about one that is not there.
    if (QFileInfo::exists(helpFilePath()) && m_open(QUrl::fromLocalFile(helpFilePath())))
        return;
    m_showInWindow(QUrl::fromLocalFile(htmlIndexPath()));
}

QString HelpGuide::helpFilePath() const
{
    return m_folder + QLatin1Char('/') + QLatin1String(kHelpFileName);
}

QString HelpGuide::htmlIndexPath() const
{
    return m_folder + QLatin1Char('/') + QLatin1String(kHtmlIndex);
}
