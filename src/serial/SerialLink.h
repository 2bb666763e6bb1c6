#pragma once

#include "serial/SerialLinkPorts.h"

#include <QByteArray>
#include <cstdint>

class TSerialPortDriver;

// The program's side of the serial port COMM2: the receive handler that cuts the byte stream
// into meter frames for the reading road, and what the serial controls do. Lives on the GUI
// thread, where the port is polled.
class SerialLink {
public:
    SerialLink(TSerialPortDriver& port, const SerialLinkPorts& ports);

    // The receive handler. A frame runs from one carriage return to the next; it is decoded
    // when its first digit is the line feed's "A" and its eleventh the carriage return's "D".
    // A decoder failure ends the call: the bytes after it in the block are dropped.
    void receiveBytes(TSerialPortDriver* sender, const uint8_t* data, int32_t size);
    // Binds receiveBytes as the port's receive handler.
    void attachReceiveHandler();

    void openPort();
    void closePort();
    void chooseFirstPort();   // COM1
    void chooseSecondPort();  // COM2
    // Binds the receive handler, then opens the port.
    void listenAndOpen();
    // Both switch the menu and the panel's controls even when the port does not open.
    void connectPort();
    void disconnectPort();
    // Connects or disconnects as the serial toggle stands.
    void connectOrDisconnect();
    // Steps the speed 2400, 4800, 9600, 19200, then 1200 for good, telling the user each one.
    void stepBaudRate();

    // The digits received since the last carriage return.
    const QByteArray& pendingDigits() const { return m_SerialHexText; }

private:
    void connectSequence();
    void disconnectSequence();

    TSerialPortDriver& m_port;
    SerialLinkPorts m_ports;
    QByteArray m_SerialHexText;
};
