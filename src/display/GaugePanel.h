#pragma once

#include "BevelPanel.h"

// The dial gauge's frame: the picture the gauge is drawn into, its enlarge and restore
// buttons and the overload sign. Built hidden; the gauge itself is drawn into KD1's pixmap.
class GaugePanel : public BevelPanel {
    Q_OBJECT
public:
    explicit GaugePanel(QWidget* parent);
};
