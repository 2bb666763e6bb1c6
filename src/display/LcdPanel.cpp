#include "display/LcdPanel.h"

#include "display/FrameDecoder.h"
#include "display/LcdDot.h"
#include "widgets/WidgetFactory.h"

#include <QLabel>

using namespace WidgetFactory;

LcdPanel::LcdPanel(QWidget* parent) : BevelPanel(Bevel::Lowered, Bevel::Raised, parent)
{
    setObjectName(QStringLiteral("Panel1"));
    setGeometry(0, 0, 337, 145);
    setColour(this, QPalette::Window, Qt::white);

    struct LcdLabel {
        const char* name;
        QRect geometry;
        const char* caption;
        QFont font;
        bool shown;
    };
    const QString arial = QStringLiteral("Arial");
    const LcdLabel labels[] = {
        {"LcdFH", {16, 15, 36, 112}, "-", pixelFont(LcdFace, 113), false},
        {"LcdD4", {56, 15, 43, 126}, "3", pixelFont(LcdFace, 113), true},
        {"LcdD3", {119, 15, 43, 126}, "9", pixelFont(LcdFace, 113), true},
        {"LcdD2", {182, 15, 43, 126}, "9", pixelFont(LcdFace, 113), true},
        {"LcdD1", {245, 15, 43, 126}, "9", pixelFont(LcdFace, 113), true},
        {"LcdAuto", {16, 11, 58, 21}, "AUTO", pixelFont(LcdFace, 19, Bold), false},
        {"LCDBF", {112, 8, 57, 22}, "DUTY", pixelFont(LcdFace, 20, Bold), false},
        {"LcdAC", {190, 14, 29, 22}, "AC", pixelFont(LcdFace, 20, Bold), false},
        {"LcdDc1", {231, 14, 30, 22}, "DC", pixelFont(LcdFace, 20, Bold), false},
        {"LcdACDC", {85, 14, 56, 19}, "AC+DC", pixelFont(arial, 16, Bold), false},
        {"LCDJa", {219, 13, 12, 24}, "+", pixelFont(arial, 21), false},
        {"LCDRec", {168, 3, 19, 36}, "!", pixelFont(LcdFace, 32), false},
        {"LCDHold", {16, 30, 19, 39}, "\"", pixelFont(LcdFace, 35), false},
        {"LCDBATT", {16, 88, 12, 39}, "$", pixelFont(LcdFace, 35), false},
        {"LCDDI", {264, 9, 31, 32}, ")", pixelFont(LcdFace, 29), false},
        {"LCDC", {295, 38, 24, 36}, "#", pixelFont(LcdFace, 32), false},
        {"LCDF", {295, 42, 23, 36}, "?", pixelFont(LcdFace, 32), false},
        {"LCDTRMS", {296, 11, 16, 14}, "uF", pixelFont(LcdFace, 12, Bold), false},
    };
    for (const LcdLabel& entry : labels) {
        QLabel* made = label(this, entry.name, entry.geometry, QString::fromLatin1(entry.caption), entry.font);
        made->setVisible(entry.shown);
    }
    const auto child = [this](const char* name) { return findChild<QLabel*>(QLatin1String(name)); };
    // The sign keeps its size whatever it shows.
    child("LcdFH")->setFixedSize(36, 112);
    m_digits = {child("LcdD4"), child("LcdD3"), child("LcdD2"), child("LcdD1")};
    m_celsius = child("LCDC");
    m_fahrenheit = child("LCDF");
    m_unusedAnnunciators = {child("LCDBF"), child("LCDDI"), child("LcdAC"), child("LcdDc1")};

    m_points = {placed(new LcdDot(this), "LcdP0", QRect(106, 110, 7, 8)),
                placed(new LcdDot(this), "LcdP1", QRect(168, 110, 7, 8)),
                placed(new LcdDot(this), "LcdP2", QRect(232, 110, 7, 8))};
    m_points[1]->hide();
    m_points[2]->hide();
}

void LcdPanel::show(const DecodedFrame& frame)
{
    for (size_t i = 0; i < m_digits.size(); ++i)
        m_digits[i]->setText(QString::fromLocal8Bit(frame.digits[i]));
    m_points[0]->hide();
    m_points[1]->hide();
    m_points[2]->setVisible(frame.decimalPoint);
    m_celsius->setVisible(!frame.fahrenheit);
    m_fahrenheit->setVisible(frame.fahrenheit);
    for (QLabel* annunciator : m_unusedAnnunciators)
        annunciator->hide();
}
