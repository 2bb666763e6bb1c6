#pragma once

#include "base/ProgramState.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Reads the upper and lower limit boxes into UpperLimit and LowerLimit and has the gauge's
// scale redrawn. The boxes call this on every change, so a text on its way to a number ("",
// a lone sign) reads as 0; a text that is not a whole number is reported and keeps the limit
// and the scale as they were.
class LimitSettings {
public:
    struct Ports {
        std::function<void()> redrawScale;
        std::function<void(const QString& message)> reportError;
    };

    LimitSettings(ProgramState& state, Ports ports);

    void readUpperLimit(const QByteArray& text);
    void readLowerLimit(const QByteArray& text);

private:
    void readLimit(const QByteArray& text, float& limit);

    ProgramState& m_state;
    Ports m_ports;
};
