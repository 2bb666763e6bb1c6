#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

// The user guide's HTML pages in the program's own window, for desktops where nothing opens the
// compiled help file: the guide's contents page, Back and Forward, and the links between the
// pages. A window of its own beside the main window, which owns it.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner);

    // The help window of `owner`, made the first time, showing `contentsPage` in front.
    static HelpWindow* showFor(QWidget* owner, const QUrl& contentsPage);

    // Shows the page and makes it the page the Contents button goes back to. A page that is not
    // there is replaced by a note saying where it was looked for.
    void showContents(const QUrl& contentsPage);

private:
    void showTitle();

    QTextBrowser* m_browser = nullptr;
    QToolButton* m_contents = nullptr;
    QToolButton* m_back = nullptr;
    QToolButton* m_forward = nullptr;
    QUrl m_contentsPage;
};
