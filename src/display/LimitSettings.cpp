#include "display/LimitSettings.h"

#include "base/IntegerText.h"

LimitSettings::LimitSettings(Ports ports) : m_ports(std::move(ports)) {}

void LimitSettings::readUpperLimit(const QByteArray& text)
{
    readLimit(text, m_UpperLimit);
}

void LimitSettings::readLowerLimit(const QByteArray& text)
{
    readLimit(text, m_LowerLimit);
}

void LimitSettings::readLimit(const QByteArray& text, float& limit)
{
    if (text.isEmpty() || text == "-" || text == "+") {
        limit = 0.0f;
    } else {
        int32_t value = 0;
        if (!tryParseIntegerText(text, value)) {
            m_ports.reportError(QString::fromLocal8Bit(QByteArray::fromStdString(invalidIntegerMessage(text))));
            return;
        }
        limit = float(value);
    }
    m_ports.redrawScale();
}
