#pragma once

#include <QWidget>

// A decimal point of the on-screen LCD: a rectangle outlined with a 5 px black pen, which
// at the point's small size leaves no white inside, so it shows as a solid dot.
class LcdDot : public QWidget {
    Q_OBJECT
public:
    explicit LcdDot(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
