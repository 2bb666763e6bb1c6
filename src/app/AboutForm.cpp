#include "app/AboutForm.h"

#include "widgets/WidgetFactory.h"

#include <QWindow>

namespace {
constexpr QSize kOuterSize(377, 263);
}

TForm1::TForm1(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("About"));
    setFont(WidgetFactory::pixelFont(QStringLiteral("MS Sans Serif"), 11));
    WidgetFactory::setColour(this, QPalette::Window, palette().color(QPalette::Button));
    setAutoFillBackground(true);
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kOuterSize);
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (const QWindow* handle = windowHandle())
        resize(kOuterSize.shrunkBy(handle->frameMargins()));
}
