#pragma once

#include "display/DialGauge.h"
#include "widgets/BevelPanel.h"

#include <QByteArray>

class QCheckBox;
class QLineEdit;

// The lowest and highest readings with their units, and the upper and lower limit boxes with
// the tick boxes that switch them on. Built and placed under the right column; nothing shows it.
// Only digits, signs and backspace can be typed into the limit boxes.
class LimitPanel : public BevelPanel, public LimitSwitches {
    Q_OBJECT
public:
    explicit LimitPanel(QWidget* parent);

    bool upperLimitOn() const override;
    bool lowerLimitOn() const override;
    QByteArray upperLimitText() const;
    QByteArray lowerLimitText() const;

    QLineEdit* upperLimitBox() const { return m_upper; }        // Setmax
    QLineEdit* lowerLimitBox() const { return m_lower; }        // SetMin
    QCheckBox* upperLimitSwitch() const { return m_upperOn; }  // SetMaxB
    QCheckBox* lowerLimitSwitch() const { return m_lowerOn; }  // SetMinB

private:
    QCheckBox* m_upperOn = nullptr;
    QCheckBox* m_lowerOn = nullptr;
    QLineEdit* m_upper = nullptr;
    QLineEdit* m_lower = nullptr;
};
