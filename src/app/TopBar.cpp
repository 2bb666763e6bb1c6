#include "app/TopBar.h"

#include "widgets/WidgetFactory.h"

#include <QCheckBox>
#include <QPushButton>
#include <QToolButton>

using namespace WidgetFactory;

TopBar::TopBar(QWidget* parent) : BevelPanel(Bevel::None, Bevel::None, parent)
{
    placed(this, "Panel4", QRect(0, 0, 920, 33));
    const QFont arial13 = pixelFont(QStringLiteral("Arial"), 13);

    m_connect = flatButton(this, "USBCon", QRect(3, 4, 110, 25), QStringLiteral("Connect"));
    m_connect->setCheckable(true);
    m_connect->setFont(arial13);
    setHint(m_connect, QStringLiteral("USB Connect"), HintShown::No);

    m_download = checkBox(this, "RecallData", QRect(136, 11, 121, 17), QStringLiteral("Download Data"), false);
    m_download->setFont(arial13);

    m_exit = pushButton(this, "BitBtn1", QRect(835, 4, 68, 25), QStringLiteral("Exit"));
    m_exit->setFont(arial13);
    setColour(m_exit, QPalette::ButtonText, Qt::black);
}

bool TopBar::connectTicked() const
{
    return m_connect->isChecked();
}

void TopBar::releaseConnectToggle()
{
    m_connect->setChecked(false);
}

void TopBar::setConnectCaption(const QString& caption)
{
    m_connect->setText(caption);
}

bool TopBar::downloadTicked() const
{
    return m_download->isChecked();
}

void TopBar::setDownloadEnabled(bool enabled)
{
    m_download->setEnabled(enabled);
}
