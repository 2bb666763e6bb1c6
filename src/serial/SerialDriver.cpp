#include "serial/SerialDriver.h"

#include <QSerialPort>
#include <QTimer>
#include <algorithm>
#include <exception>

namespace {

QSerialPort::Parity qtParity(TComPortParity parity)
{
    switch (parity) {
    case ptODD: return QSerialPort::OddParity;
    case ptEVEN: return QSerialPort::EvenParity;
    case ptMARK: return QSerialPort::MarkParity;
    case ptSPACE: return QSerialPort::SpaceParity;
    case ptNONE: break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits qtStopBits(TComPortStopBits stopBits)
{
    switch (stopBits) {
    case sb1HALFBITS: return QSerialPort::OneAndHalfStop;
    case sb2BITS: return QSerialPort::TwoStop;
    case sb1BITS: break;
    }
    return QSerialPort::OneStop;
}

}  // namespace

TSerialPortDriver::TSerialPortDriver(QObject* parent, ComPortPaths paths)
    : QObject(parent), m_paths(std::move(paths)), m_readBuffer(2048)
{
    m_port = new QSerialPort(this);
    m_pollTimer = new QTimer(this);
    m_pollTimer->setObjectName(QStringLiteral("PollTimer"));
    connect(m_pollTimer, &QTimer::timeout, this, &TSerialPortDriver::pollReportingFailures);
}

TSerialPortDriver::~TSerialPortDriver()
{
    ClosePort();
}

QByteArray TSerialPortDriver::DeviceName() const
{
    return "COM" + QByteArray::number(int(m_comPort) + 1);
}

bool TSerialPortDriver::OpenPort()
{
    if (IsPortOpen())
        return true;
    m_port->setPortName(m_paths(DeviceName()));
    if (!m_port->open(QIODevice::ReadWrite))
        return false;
    ApplyPortSettings();
    // Reads never wait: the poll takes what has arrived.
    m_pollTimer->start(m_pollingDelay);
    return true;
}

void TSerialPortDriver::ClosePort()
{
    if (!IsPortOpen())
        return;
    m_pollTimer->stop();
    m_port->close();
}

bool TSerialPortDriver::IsPortOpen() const
{
    return m_port->isOpen();
}

void TSerialPortDriver::ApplyPortSettings()
{
    if (!IsPortOpen())
        return;
    // A value the driver refuses is not an error anyone hears of: the line keeps what it had.
    m_port->setBaudRate(baudRateNumber(m_speed));
    m_port->setDataBits(QSerialPort::DataBits(int(m_dataBits) + 5));
    m_port->setParity(qtParity(m_parity));
    m_port->setStopBits(qtStopBits(m_stopBits));
    if (m_hwHandshaking == hhRTSCTS)
        m_port->setFlowControl(QSerialPort::HardwareControl);
    else if (m_swHandshaking == shXONXOFF)
        m_port->setFlowControl(QSerialPort::SoftwareControl);
    else
        m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_port->setDataTerminalReady(m_enableDtr);
    PurgePort(true, true);
    // Zero would make Qt's receive buffer unlimited, and a poll that reads nothing would let
    // it grow without end.
    m_port->setReadBufferSize(std::max<qint64>(1, qint64(m_readBuffer.size())));
}

void TSerialPortDriver::PurgePort(bool input, bool output)
{
    if (!IsPortOpen())
        return;
    QSerialPort::Directions directions;
    if (input)
        directions |= QSerialPort::Input;
    if (output)
        directions |= QSerialPort::Output;
    if (directions)
        m_port->clear(directions);
}

void TSerialPortDriver::SetComPort(TComPortNumber value)
{
    if (!IsPortOpen())
        m_comPort = value;
}

void TSerialPortDriver::SetComPortInBufSize(uint16_t value)
{
    if (IsPortOpen())
        return;
    m_readBuffer = std::vector<uint8_t>(value);
}

void TSerialPortDriver::SetComPortOutBufSize(uint16_t value)
{
    if (!IsPortOpen())
        m_outBufSize = value;
}

void TSerialPortDriver::applyLineSetting()
{
    if (IsPortOpen())
        ApplyPortSettings();
}

void TSerialPortDriver::SetComPortSpeed(TComPortBaudRate value)
{
    m_speed = value;
    applyLineSetting();
}

void TSerialPortDriver::SetComPortDataBits(TComPortDataBits value)
{
    m_dataBits = value;
    applyLineSetting();
}

void TSerialPortDriver::SetComPortStopBits(TComPortStopBits value)
{
    m_stopBits = value;
    applyLineSetting();
}

void TSerialPortDriver::SetComPortParity(TComPortParity value)
{
    m_parity = value;
    applyLineSetting();
}

void TSerialPortDriver::SetComPortHwHandshaking(TComPortHwHandshaking value)
{
    m_hwHandshaking = value;
    applyLineSetting();
}

void TSerialPortDriver::SetComPortSwHandshaking(TComPortSwHandshaking value)
{
    m_swHandshaking = value;
    applyLineSetting();
}

void TSerialPortDriver::SetComPortPollingDelay(uint16_t value)
{
    if (value == m_pollingDelay)
        return;
    m_pollingDelay = value;
    if (IsPortOpen())
        m_pollTimer->start(m_pollingDelay);
}

void TSerialPortDriver::poll()
{
    if (!IsPortOpen())
        return;
    const qint64 count = m_port->read(reinterpret_cast<char*>(m_readBuffer.data()), qint64(m_readBuffer.size()));
    if (count > 0 && m_onReceiveData)
        m_onReceiveData(this, m_readBuffer.data(), int32_t(count));
}

void TSerialPortDriver::pollReportingFailures()
{
    // A failure must not unwind through Qt's timer dispatch; it goes to whoever reports it, and
    // the bytes left in this block are dropped with it.
    try {
        poll();
    } catch (const std::exception& error) {
        if (!m_onHandlerFailure)
            throw;
        m_onHandlerFailure(QString::fromUtf8(error.what()));
    }
}
