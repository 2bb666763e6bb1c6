#include "app/HelpGuide.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>

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
        const HelpGuide guide({QStringLiteral("/opt/tq612")}, [&](const QUrl& url) {
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
    const HelpGuide guide({QStringLiteral("/home/jörg/My Programs")}, [&](const QUrl& url) {
        opened << url;
        return false;
    });

    guide.open();

    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0].toString(), QStringLiteral("file:///home/jörg/My Programs/TQ-612.chm"));
    EXPECT_EQ(opened[0].toEncoded(), QByteArray("file:///home/j%C3%B6rg/My%20Programs/TQ-612.chm"));
    EXPECT_EQ(opened[1].toLocalFile(), QStringLiteral("/home/jörg/My Programs/help/index.html"));
}

namespace {

struct FolderCase {
    const char* what;
    QStringList filesBesideTheProgram;
    QStringList filesInTheShareFolder;
    bool besideTheProgram;  // where the guide is expected to be taken from
};

void createFiles(const QString& folder, const QStringList& files)
{
    for (const QString& file : files) {
        const QString path = folder + QLatin1Char('/') + file;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile created(path);
        ASSERT_TRUE(created.open(QIODevice::WriteOnly));
    }
}

}  // namespace

// A build keeps the guide beside the program, an installed program in its share folder; an
// installed program must not open a path beside /usr/bin that does not exist.
TEST(HelpGuide, TakesTheGuideFromTheFirstFolderThatHoldsIt)
{
    const QStringList chm{"TQ-612.chm"};
    const QStringList html{"help/index.html"};
    const FolderCase cases[] = {
        {"a build", chm + html, {}, true},
        {"installed", {}, chm + html, false},
        {"installed without the compiled file", {}, html, false},
        {"a build with an older installed guide", chm, chm + html, true},
        {"nowhere: the program's folder", {}, {}, true},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir root;
        const QString bin = root.filePath(QStringLiteral("bin"));
        const QString share = root.filePath(QStringLiteral("share/tq612"));
        createFiles(bin, c.filesBesideTheProgram);
        createFiles(share, c.filesInTheShareFolder);
        QStringList opened;
        const HelpGuide guide({bin, share}, [&](const QUrl& url) {
            opened << url.toLocalFile();
            return false;
        });

        guide.open();

        const QString folder = c.besideTheProgram ? bin : share;
        EXPECT_EQ(opened, (QStringList{folder + "/TQ-612.chm", folder + "/help/index.html"}));
    }
}
