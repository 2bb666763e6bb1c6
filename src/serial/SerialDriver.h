#pragma once

#include "serial/ComPortPaths.h"
#include "serial/SerialPortSettings.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QSerialPort;
class QTimer;

class TSerialPortDriver;
// Called with each non-empty block of received bytes; data stays valid for the call only.
using TComPortReceiveDataEvent =
    std::function<void(TSerialPortDriver* sender, const uint8_t* data, int32_t size)>;
// Told the text of a failure that escaped the receive handler.
using TComPortHandlerFailureEvent = std::function<void(const QString& Message)>;

// The serial port component: opens "COM1" ... "COM4", sets the line up and polls it for
// received bytes every ComPortPollingDelay ms on the thread it lives on (the GUI thread).
//
// Closed, it only stores its settings. Open, line settings apply at once, while a change of
// port or of a buffer size is refused (and forgotten). Errors of the platform calls are not
// reported: a port that will not open makes OpenPort false, a failed read is tried again at
// the next poll.
//
// What Linux cannot take from the settings: 1.5 stop bits (Qt sets one stop bit), both kinds of handshaking at once (RTS/CTS alone is used), the
// transmit buffer size and the XON/XOFF limits (no such settings).
class TSerialPortDriver : public QObject {
    Q_OBJECT
public:
    explicit TSerialPortDriver(QObject* parent, ComPortPaths paths = onBoardComPortPath);
    // Closes the port.
    ~TSerialPortDriver() override;

    // True if the port is open afterwards, also when it already was (then nothing else happens).
    bool OpenPort();
    void ClosePort();
    bool IsPortOpen() const;
    // Writes the line settings to the open port and discards what is pending both ways.
    void ApplyPortSettings();
    void PurgePort(bool input, bool output);

    TComPortNumber ComPort() const { return m_comPort; }
    void SetComPort(TComPortNumber value);
    TComPortBaudRate ComPortSpeed() const { return m_speed; }
    void SetComPortSpeed(TComPortBaudRate value);
    TComPortDataBits ComPortDataBits() const { return m_dataBits; }
    void SetComPortDataBits(TComPortDataBits value);
    TComPortStopBits ComPortStopBits() const { return m_stopBits; }
    void SetComPortStopBits(TComPortStopBits value);
    TComPortParity ComPortParity() const { return m_parity; }
    void SetComPortParity(TComPortParity value);
    TComPortHwHandshaking ComPortHwHandshaking() const { return m_hwHandshaking; }
    void SetComPortHwHandshaking(TComPortHwHandshaking value);
    TComPortSwHandshaking ComPortSwHandshaking() const { return m_swHandshaking; }
    void SetComPortSwHandshaking(TComPortSwHandshaking value);
    uint16_t ComPortInBufSize() const { return uint16_t(m_readBuffer.size()); }
    void SetComPortInBufSize(uint16_t value);
    uint16_t ComPortOutBufSize() const { return m_outBufSize; }
    void SetComPortOutBufSize(uint16_t value);
    uint16_t ComPortPollingDelay() const { return m_pollingDelay; }
    void SetComPortPollingDelay(uint16_t value);
    bool EnableDTROnOpen() const { return m_enableDtr; }
    void SetEnableDTROnOpen(bool value) { m_enableDtr = value; }
    uint16_t OutputTimeout() const { return m_outputTimeout; }
    void SetOutputTimeout(uint16_t value) { m_outputTimeout = value; }

    void SetOnReceiveData(TComPortReceiveDataEvent handler) { m_onReceiveData = std::move(handler); }
    // Without one, a failure of the receive handler propagates out of the poll.
    void SetOnHandlerFailure(TComPortHandlerFailureEvent handler) { m_onHandlerFailure = std::move(handler); }

    // The device name of the chosen port, "COM1" ... "COM4".
    QByteArray DeviceName() const;

private:
    void applyLineSetting();
    void poll();
    void pollReportingFailures();

    ComPortPaths m_paths;
    QSerialPort* m_port = nullptr;
    QTimer* m_pollTimer = nullptr;  // runs only while the port is open
    std::vector<uint8_t> m_readBuffer;

    TComPortNumber m_comPort = pnCOM2;
    TComPortBaudRate m_speed = br9600;
    TComPortDataBits m_dataBits = db8BITS;
    TComPortStopBits m_stopBits = sb1BITS;
    TComPortParity m_parity = ptNONE;
    TComPortHwHandshaking m_hwHandshaking = hhNONE;
    TComPortSwHandshaking m_swHandshaking = shNONE;
    uint16_t m_outBufSize = 2048;
    uint16_t m_pollingDelay = 50;
    bool m_enableDtr = true;
    uint16_t m_outputTimeout = 4000;  // stored only: nothing is written to the port

    TComPortReceiveDataEvent m_onReceiveData;
    TComPortHandlerFailureEvent m_onHandlerFailure;
};
