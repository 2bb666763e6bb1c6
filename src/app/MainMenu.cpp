#include "app/MainMenu.h"

#include "record/RecordLimitMenu.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

namespace {

QAction* namedAction(QWidget* owner, const char* name, const QString& text)
{
    auto* action = new QAction(text, owner);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

}  // namespace

MainMenu::MainMenu(QMainWindow* window) : QObject(window)
{
    QMenuBar* bar = window->menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Menus use the desktop's menu font, not the window's bold one.
    QFont menuFont = QApplication::font(bar);
    menuFont.setResolveMask(QFont::AllPropertiesResolved);  // or the window's font shows through
    bar->setFont(menuFont);

    QMenu* connect = bar->addMenu(QStringLiteral("Connect"));
    connect->setObjectName(QStringLiteral("Connect1"));
    m_start = namedAction(window, "START1", QStringLiteral("START"));
    m_start->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    m_start->setCheckable(true);
    m_stop = namedAction(window, "STOP1", QStringLiteral("STOP"));
    m_stop->setCheckable(true);
    connect->addActions({m_start, m_stop});
    connect->menuAction()->setVisible(false);
    // A short-cut lives only as long as a visible widget carries its action; the menu is
    // hidden, so the window carries it too and Ctrl+A keeps working.
    window->addAction(m_start);

    m_record = bar->addMenu(QStringLiteral("Record"));
    m_record->setObjectName(QStringLiteral("Record1"));
    m_save = namedAction(window, "Save1", QStringLiteral("Save"));
    m_record->addActions({namedAction(window, "New1", QStringLiteral("New")), m_save});
    m_record->addSeparator();
    for (const RecordLimitItem& item : kRecordLimitItems) {
        QAction* limit = namedAction(window, item.objectName, QString::fromLatin1(item.caption));
        limit->setCheckable(true);
        limit->setChecked(isRecordLimitTicked(item, 10000));
        m_record->addAction(limit);
    }

    m_help = namedAction(window, "Help1", QStringLiteral("&Help"));
    bar->addAction(m_help);
    m_about = namedAction(window, "About", QStringLiteral("&About"));
    m_about->setVisible(false);
    bar->addAction(m_about);
}

QAction* MainMenu::recordLimit(const char* objectName) const
{
    return parent()->findChild<QAction*>(QLatin1String(objectName), Qt::FindDirectChildrenOnly);
}

void MainMenu::markSerialConnected(bool connected)
{
    m_start->setChecked(connected);
    m_start->setEnabled(!connected);
    m_stop->setEnabled(connected);
    m_stop->setChecked(!connected);
}
