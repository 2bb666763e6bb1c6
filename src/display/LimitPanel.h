#pragma once

#include "BevelPanel.h"

// The lowest and highest readings with their units, and the upper and lower limit boxes with
// the tick boxes that switch them on. Built and placed under the right column; nothing shows it.
class LimitPanel : public BevelPanel {
    Q_OBJECT
public:
    explicit LimitPanel(QWidget* parent);
};
