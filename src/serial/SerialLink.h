#pragma once

#include "base/ProgramState.h"
#include "serial/SerialLinkPorts.h"

#include <cstdint>

class TSerialPortDriver;

// The window's side of the serial port COMM2: the receive handler that cuts the byte stream
// into meter frames for the reading road, and the handlers of the serial controls under their
// names. Lives on the GUI thread, where the port is polled.
class SerialLink {
public:
    SerialLink(ProgramState& state, TSerialPortDriver& port, const SerialLinkPorts& ports);

    // The receive handler. A frame runs from one carriage return to the next; it is decoded
    // when its first digit is the line feed's "A" and its eleventh the carriage return's "D".
    // A decoder failure ends the call: the bytes after it in the block are dropped.
    void H81RData(TSerialPortDriver* Sender, const uint8_t* DataPtr, int32_t DataSize);
    // Binds H81RData as the port's receive handler.
    void AttachReceiveHandler();

    void StartClick();
    void StopClick();
    void Bcom1Click();
    void BCOM2Click();
    void Button3Click();
    void BTCon1Click();
    void BtDiscon1Click();
    void COMConClick();
    // Steps the speed 2400, 4800, 9600, 19200, then 1200 for good, telling the user each one.
    void Button2Click();

private:
    void connectSequence();
    void disconnectSequence();

    ProgramState& m_state;
    TSerialPortDriver& m_port;
    SerialLinkPorts m_ports;
};
