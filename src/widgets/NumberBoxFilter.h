#pragma once

#include <QObject>

class QKeyEvent;
class QLineEdit;

// Only a digit or backspace may be typed into a number box.
bool isIntervalKey(char16_t typed);

// Whether a key pressed in a number box may reach it: typed characters other than digits and
// backspace are dropped; editing keys and short-cuts such as paste go through.
bool numberBoxAcceptsKey(const QKeyEvent& key);

// Keeps typed and composed characters other than digits out of the box it is made for. The
// filter belongs to the box and goes with it.
class NumberBoxFilter : public QObject {
    Q_OBJECT
public:
    explicit NumberBoxFilter(QLineEdit* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
