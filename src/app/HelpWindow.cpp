#include "app/HelpWindow.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("TQ-612 Help");

QToolButton* navigationButton(QWidget* parent, const char* name, const QString& text, QStyle::StandardPixmap icon,
                              const QKeySequence& key)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setShortcut(key);
    button->setToolTip(QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
    return button;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(kTitle);

    m_contents = navigationButton(this, "HelpContents", QStringLiteral("Contents"), QStyle::SP_DirHomeIcon,
                                  QKeySequence(Qt::ALT | Qt::Key_Home));
    m_back = navigationButton(this, "HelpBack", QStringLiteral("Back"), QStyle::SP_ArrowBack, QKeySequence::Back);
    m_forward = navigationButton(this, "HelpForward", QStringLiteral("Forward"), QStyle::SP_ArrowForward,
                                 QKeySequence::Forward);
    m_back->setEnabled(false);
    m_forward->setEnabled(false);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpPages"));
    // Pages of the guide open here; a link out of it goes to the desktop's browser.
    m_browser->setOpenExternalLinks(true);

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_contents);
    bar->addWidget(m_back);
    bar->addWidget(m_forward);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(m_browser, 1);

    connect(m_contents, &QToolButton::clicked, this, [this] { m_browser->setSource(m_contentsPage); });
    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::showTitle);

    resize(760, 640);
}

HelpWindow* HelpWindow::showFor(QWidget* owner, const QUrl& contentsPage)
{
    auto* window = owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window)
        window = new HelpWindow(owner);
    window->showContents(contentsPage);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void HelpWindow::showContents(const QUrl& contentsPage)
{
    m_contentsPage = contentsPage;
    if (QFileInfo::exists(contentsPage.toLocalFile())) {
        m_browser->setSource(contentsPage);
        return;
    }
    m_browser->clearHistory();
    m_browser->setHtml(QStringLiteral("<h1>The user guide was not found</h1>"
                                      "<p>It belongs at <code>%1</code>; building or installing the program "
                                      "again puts it back.</p>")
                           .arg(contentsPage.toLocalFile().toHtmlEscaped()));
    showTitle();
}

void HelpWindow::showTitle()
{
    const QString page = m_browser->documentTitle();
    setWindowTitle(page.isEmpty() ? kTitle : QStringLiteral("%1 - %2").arg(page, kTitle));
}
