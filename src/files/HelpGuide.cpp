#include "HelpGuide.h"

HelpGuide::HelpGuide(QString programFolder, Opener open)
    : m_programFolder(std::move(programFolder)), m_open(std::move(open))
{
}

void HelpGuide::open() const
{
    if (!m_open(QUrl::fromLocalFile(helpFilePath())))
        m_open(QUrl::fromLocalFile(htmlIndexPath()));
}

QString HelpGuide::helpFilePath() const
{
    return m_programFolder + QLatin1Char('/') + QLatin1String(kHelpFileName);
}

QString HelpGuide::htmlIndexPath() const
{
    return m_programFolder + QLatin1Char('/') + QLatin1String(kHtmlIndex);
}
