#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Reads the upper and lower limit boxes into the limits and has the gauge's
// scale redrawn. The boxes call this on every change, so a text on its way to a number ("",
// a lone sign) reads as 0; a text that is not a whole number is reported and keeps the limit
// and the scale as they were.
class LimitSettings {
public:
    struct Ports {
        std::function<void()> redrawScale;
        std::function<void(const QString& message)> reportError;
    };

    explicit LimitSettings(Ports ports);

    void readUpperLimit(const QByteArray& text);
    void readLowerLimit(const QByteArray& text);
    float upperLimit() const { return m_UpperLimit; }
    float lowerLimit() const { return m_LowerLimit; }

private:
    void readLimit(const QByteArray& text, float& limit);

    Ports m_ports;
    float m_UpperLimit = 0.0f;
    float m_LowerLimit = 0.0f;
};
