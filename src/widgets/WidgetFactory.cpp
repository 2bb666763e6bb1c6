#include "widgets/WidgetFactory.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVariant>

namespace WidgetFactory {

QFont pixelFont(const QString& face, int pixelSize, unsigned style)
{
    QFont font(face);
    font.setPixelSize(pixelSize);
    font.setBold(style & Bold);
    font.setItalic(style & Italic);
    return font;
}

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void setHint(QWidget* widget, const QString& hint, HintShown shown)
{
    widget->setProperty("hint", hint);
    if (shown == HintShown::Yes)
        widget->setToolTip(hint);
}

namespace {
QLabel* newLabel(QWidget* parent, const char* name, const QString& text, const QFont& font)
{
    auto* result = new QLabel(text, parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setFont(font);
    result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return result;
}
}  // namespace

QLabel* label(QWidget* parent, const char* name, const QRect& geometry, const QString& text, const QFont& font)
{
    QLabel* result = newLabel(parent, name, text, font);
    result->setGeometry(geometry);
    return result;
}

QLabel* label(QWidget* parent, const char* name, QPoint topLeft, const QString& text, const QFont& font)
{
    QLabel* result = newLabel(parent, name, text, font);
    result->adjustSize();
    result->move(topLeft);
    return result;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QRect& geometry, const QString& text, bool checked)
{
    auto* result = placed(new QCheckBox(text, parent), name, geometry);
    result->setChecked(checked);
    return result;
}

QLineEdit* edit(QWidget* parent, const char* name, const QRect& geometry, const QString& text)
{
    return placed(new QLineEdit(text, parent), name, geometry);
}

QPushButton* pushButton(QWidget* parent, const char* name, const QRect& geometry, const QString& text)
{
    return placed(new QPushButton(text, parent), name, geometry);
}

QToolButton* flatButton(QWidget* parent, const char* name, const QRect& geometry, const QString& text)
{
    auto* result = placed(new QToolButton(parent), name, geometry);
    result->setAutoRaise(true);
    result->setFocusPolicy(Qt::NoFocus);
    result->setText(text);
    return result;
}

QToolButton* flatButton(QWidget* parent, const char* name, const QRect& geometry, const QIcon& icon, QSize iconSize)
{
    QToolButton* result = flatButton(parent, name, geometry, QString());
    result->setIcon(icon);
    result->setIconSize(iconSize);
    return result;
}

}  // namespace WidgetFactory
