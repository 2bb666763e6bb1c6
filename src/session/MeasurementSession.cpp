#include "session/MeasurementSession.h"

#include "base/LocaleTexts.h"
#include "dialogs/ErrorReport.h"
#include "base/UserMessages.h"
#include "link/CableConnection.h"
#include "link/HidBackend.h"
#include "link/HidDeviceController.h"
#include "reading/ReadingPipeline.h"
#include "record/MeasurementTable.h"
#include "serial/SerialDriver.h"
#include "serial/SerialLink.h"

#include <QDateTime>
#include <QLocale>

MeasurementSession::MeasurementSession(const SessionPorts& ports, std::shared_ptr<HidBackend> hidBackend,
                                       ComPortPaths comPorts, QObject* parent)
    : QObject(parent), m_ports(ports)
{
    setObjectName(QStringLiteral("MeasurementSession"));
    m_table = new MeasurementTable(this);
    m_table->setObjectName(QStringLiteral("cds1"));
    RecorderHost& host = *this;
    m_recorder = std::make_unique<Recorder>(m_state, *m_table, m_pager, m_ports.recording, host, m_ports.messages);
    m_readings = std::make_unique<ReadingPipeline>(m_state, m_ports.indicator, m_ports.lcd, m_ports.recording,
                                                   *m_recorder);

    if (!hidBackend)
        hidBackend = createPlatformHidBackend();
    m_cable = new CableConnection(m_state, std::move(hidBackend),
                                  {m_ports.connection, m_ports.deviceList, m_ports.diagnostics, *m_readings,
                                   m_ports.messages},
                                  this);
    m_cable->setObjectName(QStringLiteral("CableConnection"));
    UserMessages& messages = m_ports.messages;
    m_cable->HidCtl()->SetOnHandlerFailure([&messages](const QString& failure) { ErrorReport::show(messages, failure); });

    m_serialPort = new TSerialPortDriver(this, std::move(comPorts));
    m_serialPort->setObjectName(QStringLiteral("COMM2"));
    m_serialPort->SetComPort(pnCOM1);
    m_serialPort->SetComPortSpeed(br2400);
    m_serialPort->SetOnHandlerFailure([&messages](const QString& failure) { ErrorReport::show(messages, failure); });
    m_serialLink = std::make_unique<SerialLink>(
        m_state, *m_serialPort, SerialLinkPorts{m_ports.serialPanel, m_ports.serialMenu, *m_readings, m_ports.messages});

    startMeasurementState();
}

MeasurementSession::~MeasurementSession()
{
    delete m_cable;
}

void MeasurementSession::startMeasurementState()
{
    m_state.DecimalText = LocaleTexts::decimalSeparator(QLocale::system());
    m_state.StartTime = LocaleTexts::toDayCount(QDateTime::currentDateTime());
    m_state.RecordNo = 1;
    m_state.RecordLimit = 10000;
    m_state.RangeMax = 855;
    m_state.RangeMin = -50;
    m_pager.SetYMaximum(100.0);
    m_pager.SetYMinimum(-50.0);
}

void MeasurementSession::decodeFrameText()
{
    m_readings->decodeFrame(m_state.FrameText);
}

void MeasurementSession::startNewRecording()
{
    m_recorder->startNewRecording();
}

bool MeasurementSession::recallTicked() const
{
    return m_ports.startTime.recallTicked();
}

QTime MeasurementSession::currentTimeOfDay() const
{
    return QTime::currentTime();
}

void MeasurementSession::setPageLabel(int32_t page)
{
    emit pageShown(page);
}


void MeasurementSession::runSave()
{
    emit saveAsked();
}
