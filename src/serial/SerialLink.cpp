#include "serial/SerialLink.h"

#include "serial/SerialDriver.h"

namespace {

constexpr uint8_t kCarriageReturn = 0x0D;

// Only a frame's first eleven digits are read. A line that never brings a carriage return (a
// wrong speed, noise) must not make the pending text and its display grow for as long as it
// goes on, so digits beyond this many wait no longer: they are dropped until the next one.
constexpr qsizetype kPendingDigitsKept = 64;

// The tests of the baud-rate step in their order; each moves to a rate tested before it, so a
// click takes at most one step.
struct BaudStep {
    TComPortBaudRate from;
    TComPortBaudRate to;
};
constexpr BaudStep kBaudSteps[] = {
    {br1200, br1200}, {br19200, br1200}, {br9600, br19200}, {br4800, br9600}, {br2400, br4800},
};

char hexDigit(uint8_t nibble)
{
    return "0123456789ABCDEF"[nibble & 0x0F];
}

}  // namespace

SerialLink::SerialLink(TSerialPortDriver& port, const SerialLinkPorts& ports) : m_port(port), m_ports(ports)
{
}

void SerialLink::receiveBytes(TSerialPortDriver*, const uint8_t* data, int32_t size)
{
    for (int32_t i = 0; i < size; ++i) {
        const uint8_t byte = data[i];
        if (byte != kCarriageReturn) {
            if (m_SerialHexText.size() < kPendingDigitsKept) {
                m_SerialHexText.append(hexDigit(byte));
                m_ports.panel.showFrameText(m_SerialHexText);
            }
            continue;
        }
        m_SerialHexText.append(hexDigit(byte));
        // The line feed that opened the frame goes behind the carriage return, where the
        // cable's frames have it.
        const QByteArray frame = m_SerialHexText.mid(1, 9) + "DA";
        m_ports.readings.frameClosed(frame);
        m_ports.panel.showFrameText(frame);
        const QByteArray& digits = m_SerialHexText;
        const bool inStep = digits.size() >= 11 && digits[0] == 'A' && digits[10] == 'D';
        m_SerialHexText.clear();
        if (inStep)
            m_ports.readings.decodeFrame(frame);
    }
}

void SerialLink::attachReceiveHandler()
{
    m_port.SetOnReceiveData([this](TSerialPortDriver* sender, const uint8_t* data, int32_t size) {
        receiveBytes(sender, data, size);
    });
}

void SerialLink::openPort()
{
    m_port.OpenPort();
}

void SerialLink::closePort()
{
    m_port.ClosePort();
}

void SerialLink::chooseFirstPort()
{
    m_port.SetComPort(pnCOM1);
}

void SerialLink::chooseSecondPort()
{
    m_port.SetComPort(pnCOM2);
}

void SerialLink::listenAndOpen()
{
    attachReceiveHandler();
    m_port.OpenPort();
}

void SerialLink::connectSequence()
{
    m_ports.menu.markSerialConnected(true);
    // The controls switch even when the port does not open.
    m_port.OpenPort();
    m_ports.panel.showSerialConnected(true);
}

void SerialLink::disconnectSequence()
{
    m_ports.menu.markSerialConnected(false);
    m_port.ClosePort();
    m_ports.panel.showSerialConnected(false);
}

void SerialLink::connectPort()
{
    connectSequence();
}

void SerialLink::disconnectPort()
{
    disconnectSequence();
}

void SerialLink::connectOrDisconnect()
{
    if (m_ports.panel.serialToggleDown())
        connectSequence();
    else
        disconnectSequence();
}

void SerialLink::stepBaudRate()
{
    for (const BaudStep& step : kBaudSteps) {
        if (m_port.ComPortSpeed() != step.from)
            continue;
        m_port.SetComPortSpeed(step.to);
        m_ports.messages.tell(QStringLiteral("Baud Rate:%1").arg(baudRateNumber(step.to)),
                                    MessageTone::Information);
    }
}
