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

HelpGuide::HelpGuide(const QStringList& folders, Opener open)
    : m_folder(folderHoldingTheGuide(folders)), m_open(std::move(open))
{
}

HelpGuide HelpGuide::ofThisProgram(Opener open)
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString shareFolder = QDir::cleanPath(programFolder + QStringLiteral("/" TQ612_INSTALLED_HELP_FROM_PROGRAM));
    return HelpGuide({programFolder, shareFolder}, std::move(open));
}

void HelpGuide::open() const
{
    if (!m_open(QUrl::fromLocalFile(helpFilePath())))
        m_open(QUrl::fromLocalFile(htmlIndexPath()));
}

QString HelpGuide::helpFilePath() const
{
    return m_folder + QLatin1Char('/') + QLatin1String(kHelpFileName);
}

QString HelpGuide::htmlIndexPath() const
{
    return m_folder + QLatin1Char('/') + QLatin1String(kHtmlIndex);
}
