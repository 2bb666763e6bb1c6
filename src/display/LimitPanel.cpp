#include "display/LimitPanel.h"

#include "widgets/NumberBoxFilter.h"
#include "widgets/WidgetFactory.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

using namespace WidgetFactory;

LimitPanel::LimitPanel(QWidget* parent) : BevelPanel(Bevel::None, Bevel::Lowered, parent)
{
    placed(this, "Panel3", QRect(843, 79, 334, 48));
    setColour(this, QPalette::Window, QColor(192, 192, 192));

    const QFont segmentBold = pixelFont(LcdFace, 12, Bold);
    const QFont arialItalic = pixelFont(QStringLiteral("Arial"), 14, Italic);
    const QFont segment = pixelFont(LcdFace, 14);
    QLabel* const texts[] = {
        label(this, "Label11", QPoint(8, 8), QStringLiteral("MIN: "), segmentBold),
        label(this, "Label12", QPoint(8, 27), QStringLiteral("MAX: "), segmentBold),
        label(this, "MinText", QPoint(56, 8), QStringLiteral("40001"), arialItalic),
        label(this, "MaxText", QPoint(48, 27), QStringLiteral("-40001"), arialItalic),
        label(this, "MinTextU", QPoint(112, 8), QStringLiteral("*"), segment),
        label(this, "MaxTextU", QPoint(112, 27), QStringLiteral("*"), segment),
    };
    for (QLabel* text : texts)
        setColour(text, QPalette::WindowText, Qt::black);

    m_upperOn = checkBox(this, "SetMaxB", QRect(180, 6, 68, 17), QStringLiteral("SetMax:"), false);
    m_lowerOn = checkBox(this, "SetMinB", QRect(180, 27, 65, 17), QStringLiteral("SetMin: "), false);
    m_upper = edit(this, "Setmax", QRect(248, 3, 81, 21), QStringLiteral("40000"));
    m_lower = edit(this, "SetMin", QRect(248, 25, 81, 21), QStringLiteral("-40000"));
    for (QLineEdit* box : {m_upper, m_lower})
        new NumberBoxFilter(box, isLimitKey);
}

bool LimitPanel::upperLimitOn() const
{
    return m_upperOn->isChecked();
}

bool LimitPanel::lowerLimitOn() const
{
    return m_lowerOn->isChecked();
}

QByteArray LimitPanel::upperLimitText() const
{
    return m_upper->text().toLocal8Bit();
}

QByteArray LimitPanel::lowerLimitText() const
{
    return m_lower->text().toLocal8Bit();
}
