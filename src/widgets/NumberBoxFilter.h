#pragma once

#include <QObject>

class QKeyEvent;
class QLineEdit;

// Which typed characters a number box lets through.
using NumberBoxKeys = bool (*)(char16_t typed);

// A digit or backspace: the keys of a box for a count.
bool isIntervalKey(char16_t typed);
// A digit, backspace, "+" or "-": the keys of a limit box. A sign may go anywhere; reading the
// text catches one in the wrong place.
bool isLimitKey(char16_t typed);

// Whether a key pressed in a number box may reach it: typed characters that `keys` refuses are
// dropped; editing keys and short-cuts such as paste go through.
bool numberBoxAcceptsKey(const QKeyEvent& key, NumberBoxKeys keys = isIntervalKey);

// Keeps typed and composed characters that `keys` refuses out of the box it is made for. The
// filter belongs to the box and goes with it.
class NumberBoxFilter : public QObject {
    Q_OBJECT
public:
    explicit NumberBoxFilter(QLineEdit* box, NumberBoxKeys keys = isIntervalKey);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    NumberBoxKeys m_keys;
};
