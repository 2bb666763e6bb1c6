#include "HelpGuide.h"

#include <QList>

#include <gtest/gtest.h>

namespace {

struct OpenCase {
    const char* what;
    bool compiledHelpOpens;
    QStringList expectedOpened;
};

}  // namespace

TEST(HelpGuide, OpensTheCompiledHelpBesideTheProgramAndFallsBackToTheHtmlGuide)
{
    const OpenCase cases[] = {
        {"a viewer takes the help file", true, {"/opt/tq612/TQ-612.chm"}},
        {"nothing opens it", false, {"/opt/tq612/TQ-612.chm", "/opt/tq612/help/index.html"}},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList opened;
        const HelpGuide guide(QStringLiteral("/opt/tq612"), [&](const QUrl& url) {
            EXPECT_TRUE(url.isLocalFile());
            opened << url.toLocalFile();
            return c.compiledHelpOpens;
        });

        guide.open();

        EXPECT_EQ(opened, c.expectedOpened);
    }
}

TEST(HelpGuide, PathsWithBlanksAndNonAsciiLettersBecomeValidFileUrls)
{
    QList<QUrl> opened;
    const HelpGuide guide(QStringLiteral("/home/jörg/My Programs"), [&](const QUrl& url) {
        opened << url;
        return false;
    });

    guide.open();

    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0].toString(), QStringLiteral("file:///home/jörg/My Programs/TQ-612.chm"));
    EXPECT_EQ(opened[0].toEncoded(), QByteArray("file:///home/j%C3%B6rg/My%20Programs/TQ-612.chm"));
    EXPECT_EQ(opened[1].toLocalFile(), QStringLiteral("/home/jörg/My Programs/help/index.html"));
}
