#pragma once

#include "display/FrameDisplay.h"
#include "widgets/BevelPanel.h"

#include <array>

class QLabel;
class LcdDot;
struct DecodedFrame;

// The on-screen copy of the instrument's LCD: four segment digits, the sign, three decimal
// points and the annunciators, on a white bevelled panel. At start it reads 3.999.
class LcdPanel : public BevelPanel, public FrameDisplay {
    Q_OBJECT
public:
    explicit LcdPanel(QWidget* parent);

    // Digits, the one decimal point the display has, the unit sign; the annunciators the
    // thermometer never lights are turned off.
    void show(const DecodedFrame& frame) override;

private:
    std::array<QLabel*, 4> m_digits{};  // LcdD4 .. LcdD1
    std::array<LcdDot*, 3> m_points{};  // LcdP0 .. LcdP2
    QLabel* m_celsius = nullptr;
    QLabel* m_fahrenheit = nullptr;
    std::array<QLabel*, 4> m_unusedAnnunciators{};  // LCDBF, LCDDI, LcdAC, LcdDc1
};
