#include "LcdPanel.h"

#include "FrameDecoder.h"
#include "IntegerText.h"

#include <QLabel>
#include <QWidget>

namespace {

template <typename T>
T* requireChild(QWidget* window, const char* name)
{
    T* child = window->findChild<T*>(QLatin1String(name));
    if (!child)
        throw ProgramError(std::string("The LCD panel control '") + name + "' is missing.");
    return child;
}

// Visibility is judged by the widget's own flag, so it also toggles while the window is hidden.
void invertVisibility(QWidget* widget)
{
    widget->setVisible(widget->isHidden());
}

}  // namespace

LcdPanel::LcdPanel(QWidget* window)
    : m_digits{requireChild<QLabel>(window, "LcdD4"), requireChild<QLabel>(window, "LcdD3"),
               requireChild<QLabel>(window, "LcdD2"), requireChild<QLabel>(window, "LcdD1")}
    , m_point0(requireChild<QWidget>(window, "LcdP0"))
    , m_point1(requireChild<QWidget>(window, "LcdP1"))
    , m_point2(requireChild<QWidget>(window, "LcdP2"))
    , m_celsius(requireChild<QWidget>(window, "LCDC"))
    , m_fahrenheit(requireChild<QWidget>(window, "LCDF"))
    , m_unusedAnnunciators{requireChild<QWidget>(window, "LCDBF"), requireChild<QWidget>(window, "LCDDI"),
                           requireChild<QWidget>(window, "LcdAC"), requireChild<QWidget>(window, "LcdDc1")}
    , m_connected(requireChild<QWidget>(window, "CONok"))
    , m_notConnected(requireChild<QWidget>(window, "CONokN"))
{
}

void LcdPanel::toggleConnectionIndicator()
{
    invertVisibility(m_connected);
    invertVisibility(m_notConnected);
}

void LcdPanel::show(const DecodedFrame& frame)
{
    for (size_t i = 0; i < m_digits.size(); ++i)
        m_digits[i]->setText(QString::fromLocal8Bit(frame.digits[i]));
    m_point0->hide();
    m_point1->hide();
    m_point2->setVisible(frame.decimalPoint);
    m_celsius->setVisible(!frame.fahrenheit);
    m_fahrenheit->setVisible(frame.fahrenheit);
    for (QWidget* annunciator : m_unusedAnnunciators)
        annunciator->hide();
}
