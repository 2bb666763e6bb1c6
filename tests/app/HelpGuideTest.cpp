#include "app/HelpGuide.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void createFiles(const QString& folder, const QStringList& files)
{
    for (const QString& file : files) {
        const QString path = folder + QLatin1Char('/') + file;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile created(path);
        ASSERT_TRUE(created.open(QIODevice::WriteOnly));
    }
}

const QStringList kChm{"TQ-612.chm"};
const QStringList kHtml{"help/index.html"};

// What the guide asked for, in order: "desktop <path>" for the desktop's viewer, "window <path>"
// for the program's own help window.
struct Asked {
    QStringList steps;
    bool viewerOpens = false;

    HelpGuide guide(const QStringList& folders)
    {
        return HelpGuide(
            folders,
            [this](const QUrl& url) {
                EXPECT_TRUE(url.isLocalFile());
                steps << "desktop " + url.toLocalFile();
                return viewerOpens;
            },
            [this](const QUrl& url) {
                EXPECT_TRUE(url.isLocalFile());
                steps << "window " + url.toLocalFile();
            });
    }
};

}  // namespace

TEST(HelpGuide, OpensTheCompiledHelpWithTheDesktopOrElseTheHtmlGuideInItsOwnWindow)
{
    struct Case {
        const char* what;
        QStringList files;
        bool viewerOpens;
        QStringList expected;  // with %1 for the folder
    };
    const Case cases[] = {
        {"a viewer takes the help file", kChm + kHtml, true, {"desktop %1/TQ-612.chm"}},
        {"nothing opens it", kChm + kHtml, false, {"desktop %1/TQ-612.chm", "window %1/help/index.html"}},
        {"no compiled file: no viewer is asked", kHtml, true, {"window %1/help/index.html"}},
        {"no guide at all: the window says where it belongs", {}, true, {"window %1/help/index.html"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        createFiles(folder.path(), c.files);
        Asked asked{.viewerOpens = c.viewerOpens};

        asked.guide({folder.path()}).open();

        QStringList expected;
        for (const QString& step : c.expected)
            expected << step.arg(folder.path());
        EXPECT_EQ(asked.steps, expected);
    }
}

TEST(HelpGuide, PathsWithBlanksAndNonAsciiLettersBecomeValidFileUrls)
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("jörg/My Programs"));
    createFiles(folder, kChm + kHtml);
    QList<QUrl> opened;
    const HelpGuide guide({folder}, [&](const QUrl& url) {
        opened << url;
        return false;
    }, [&](const QUrl& url) { opened << url; });

    guide.open();

    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0].toLocalFile(), folder + "/TQ-612.chm");
    EXPECT_TRUE(opened[0].toEncoded().endsWith("/j%C3%B6rg/My%20Programs/TQ-612.chm")) << opened[0].toEncoded().data();
    EXPECT_EQ(opened[1].toLocalFile(), folder + "/help/index.html");
}

// A build keeps the guide beside the program, an installed program in its share folder; an
// installed program must not open a path beside /usr/bin that does not exist.
TEST(HelpGuide, TakesTheGuideFromTheFirstFolderThatHoldsIt)
{
    struct Case {
        const char* what;
        QStringList filesBesideTheProgram;
        QStringList filesInTheShareFolder;
        bool besideTheProgram;  // where the guide is expected to be taken from
        bool compiled;          // whether that folder holds the compiled file
    };
    const Case cases[] = {
        {"a build", kChm + kHtml, {}, true, true},
        {"installed", {}, kChm + kHtml, false, true},
        {"installed without the compiled file", {}, kHtml, false, false},
        {"a build with an older installed guide", kChm, kChm + kHtml, true, true},
        {"nowhere: the program's folder", {}, {}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir root;
        const QString bin = root.filePath(QStringLiteral("bin"));
        const QString share = root.filePath(QStringLiteral("share/tq612"));
        createFiles(bin, c.filesBesideTheProgram);
        createFiles(share, c.filesInTheShareFolder);
        Asked asked;

        asked.guide({bin, share}).open();

        const QString folder = c.besideTheProgram ? bin : share;
        QStringList expected;
        if (c.compiled)
            expected << "desktop " + folder + "/TQ-612.chm";
        expected << "window " + folder + "/help/index.html";
        EXPECT_EQ(asked.steps, expected);
    }
}
