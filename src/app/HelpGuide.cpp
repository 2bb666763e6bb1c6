#include "app/HelpGuide.h"

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
