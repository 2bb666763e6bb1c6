#pragma once

#include <array>

class QLabel;
class QWidget;
struct DecodedFrame;

// The on-screen copy of the instrument's LCD and the connection indicator, found by the
// objectNames the main window gives its controls. The window outlives this object.
class LcdPanel {
public:
    // Throws ProgramError naming the first control the window lacks.
    explicit LcdPanel(QWidget* window);

    // Swaps CONok and CONokN, so the indicator blinks once per frame.
    void toggleConnectionIndicator();

    // Digits, the one decimal point the display has, the unit sign; the annunciators the
    // thermometer never lights are turned off.
    void show(const DecodedFrame& frame);

private:
    std::array<QLabel*, 4> m_digits{};  // LcdD4 .. LcdD1
    QWidget* m_point0 = nullptr;
    QWidget* m_point1 = nullptr;
    QWidget* m_point2 = nullptr;
    QWidget* m_celsius = nullptr;
    QWidget* m_fahrenheit = nullptr;
    std::array<QWidget*, 4> m_unusedAnnunciators{};  // LCDBF, LCDDI, LcdAC, LcdDc1
    QWidget* m_connected = nullptr;                   // CONok
    QWidget* m_notConnected = nullptr;                // CONokN
};
