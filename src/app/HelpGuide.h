#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

// The user guide: the compiled help file, and the same pages as HTML for desktops where nothing
// opens the compiled one, shown in the program's own help window. In a build it lies beside the
// program; an installed program finds it in its share folder.
class HelpGuide {
public:
    static constexpr const char* kHelpFileName = "TQ-612.chm";
    static constexpr const char* kHtmlIndex = "help/index.html";

    // Asks the desktop to open a file; false when nothing could open it.
    using Opener = std::function<bool(const QUrl&)>;
    // Shows the HTML guide's contents page in the program's own help window.
    using GuideWindow = std::function<void(const QUrl&)>;

    // The guide is taken from the first of `folders` that holds it, or the first folder when
    // none does.
    HelpGuide(const QStringList& folders, Opener open, GuideWindow showInWindow);
    // The guide of the running program: beside it in a build, in the share folder once installed.
    static HelpGuide ofThisProgram(Opener open, GuideWindow showInWindow);

    // Opens the compiled help file with the desktop's viewer; when the file is missing or nothing
    // opens it, shows the HTML guide in the program's own window, so Help always shows the guide.
    void open() const;

    QString helpFilePath() const;
    QString htmlIndexPath() const;

private:
    QString m_folder;
    Opener m_open;
    GuideWindow m_showInWindow;
};
