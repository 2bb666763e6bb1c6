#include "GaugePanel.h"

#include "Icons.h"
#include "WidgetFactory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

using namespace WidgetFactory;

GaugePanel::GaugePanel(QWidget* parent) : BevelPanel(Bevel::None, Bevel::Lowered, parent)
{
    placed(this, "KD", QRect(857, 240, 33, 38));
    setColour(this, QPalette::Window, Qt::white);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("KD1"));
    picture->setScaledContents(true);
    // The gauge is enlarged and restored at run time; its picture keeps filling it.
    auto* fill = new QHBoxLayout(this);
    fill->setContentsMargins(1, 1, 1, 1);
    fill->addWidget(picture);

    flatButton(this, "KdFd", QRect(264, 5, 25, 25), QIcon(Icons::magnifier(Icons::Sign::Plus, Qt::red)), QSize(25, 25))
        ->hide();
    flatButton(this, "KdSx", QRect(288, 5, 25, 25), QIcon(Icons::magnifier(Icons::Sign::Minus, Qt::red)), QSize(25, 25))
        ->hide();
    BevelPanel* overload = create(this, "oltext", QRect(109, 72, 113, 49), Bevel::None, Bevel::None, QColor(128, 128, 128));
    overload->setCaption(QStringLiteral("OL !!"));
    overload->setFont(pixelFont(QStringLiteral("Arial"), 35, Bold));
    setColour(overload, QPalette::WindowText, Qt::white);
    overload->hide();
    hide();
}
