#pragma once

#include "font/LcdFont.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QRect>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

// Small helpers for laying out the main window at fixed pixel positions, so each control's
// line reads like its entry in the layout: name, place, text, font.
namespace WidgetFactory {

// The instrument's segment font, which the LCD labels and a few others name.
inline const QString LcdFace = LcdFontFamily;

enum FontStyle : unsigned { Plain = 0, Bold = 1, Italic = 2 };

// A font by face name and character height in pixels, independent of the screen's density.
QFont pixelFont(const QString& face, int pixelSize, unsigned style = Plain);

// Gives a widget its name and place.
template <class W>
W* placed(W* widget, const char* objectName, const QRect& geometry);

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

// Hints are kept on every control as the "hint" property; only a few also become tool tips.
enum class HintShown { No, Yes };
void setHint(QWidget* widget, const QString& hint, HintShown shown);

// A transparent label with its text at the top left, as the layout's labels are drawn.
QLabel* label(QWidget* parent, const char* name, const QRect& geometry, const QString& text, const QFont& font);
// A label just big enough for its text.
QLabel* label(QWidget* parent, const char* name, QPoint topLeft, const QString& text, const QFont& font);

QCheckBox* checkBox(QWidget* parent, const char* name, const QRect& geometry, const QString& text, bool checked);
QLineEdit* edit(QWidget* parent, const char* name, const QRect& geometry, const QString& text);
QPushButton* pushButton(QWidget* parent, const char* name, const QRect& geometry, const QString& text);

// A flat button: raised only under the mouse, never taking keyboard focus.
QToolButton* flatButton(QWidget* parent, const char* name, const QRect& geometry, const QString& text);
QToolButton* flatButton(QWidget* parent, const char* name, const QRect& geometry, const QIcon& icon,
                        QSize iconSize = QSize(16, 15));

}  // namespace WidgetFactory

template <class W>
W* WidgetFactory::placed(W* widget, const char* objectName, const QRect& geometry)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setGeometry(geometry);
    return widget;
}
