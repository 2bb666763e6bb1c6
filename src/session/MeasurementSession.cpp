#include "session/MeasurementSession.h"

#include "base/LocaleTexts.h"
#include "dialogs/ErrorReport.h"
#include "base/UserMessages.h"
#include "link/CableConnection.h"
#include "link/HidBackend.h"
#include "link/HidDeviceController.h"
#include "reading/ReadingPipeline.h"
#include "record/MeasurementTable.h"
#include "session/RecordingJournal.h"
#include "serial/SerialDriver.h"
#include "serial/SerialLink.h"

#include <QDateTime>
#include <QLocale>

#include <charconv>

namespace {

// The unit by name, from the glyph the Unit column draws it with.
QByteArray unitName(const QByteArray& unitGlyph)
{
    if (unitGlyph == "#")
        return "C";
    if (unitGlyph == "?")
        return "F";
    return {};
}

}  // namespace

MeasurementSession::MeasurementSession(const SessionPorts& ports, std::shared_ptr<HidBackend> hidBackend,
                                       ComPortPaths comPorts, const QString& journalFolder, QObject* parent)
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

    if (!journalFolder.isEmpty()) {
        m_journal = new RecordingJournal(journalFolder, this);
        connect(m_journal, &RecordingJournal::failed, this,
                [&messages](const QString& reason) { messages.tell(reason, MessageTone::Warning); });
    }
}

MeasurementSession::~MeasurementSession()
{
    delete m_cable;
    // Everything recorded reaches the disk before the program goes.
    delete m_journal;
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

void MeasurementSession::rowRecorded(const RecordedRow& row)
{
    if (!m_journal)
        return;
    // The reading's value as the shortest decimal that gives the same float back, so 25.3 is
    // kept as 25.3 and not as the float's 25.299999237060547.
    char digits[32];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), row.reading);
    const double value = QByteArray(digits, written.ptr - digits).toDouble();
    m_journal->append({
        .no = row.no,
        .time = row.time,
        .valueText = row.value,
        .unitText = row.unit,
        .takenAt = now(),
        .value = value,
        .unit = unitName(row.unit),
    });
}

QDateTime MeasurementSession::now()
{
    // Working out the local offset from UTC costs microseconds; it can only change on a whole
    // minute, so it is worked out once a minute.
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    if (ms / 60000 != m_offsetMinute) {
        m_offsetMinute = ms / 60000;
        m_utcOffset = QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
    }
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, m_utcOffset);
}

void MeasurementSession::recordingEmptied()
{
    if (m_journal)
        m_journal->startNewRecording();
}

int64_t MeasurementSession::savePoint() const
{
    return m_journal ? m_journal->savePoint() : 0;
}

void MeasurementSession::tableSaved(int64_t savePoint)
{
    if (m_journal)
        m_journal->markSaved(savePoint);
}

void MeasurementSession::offerRestore()
{
    if (!m_journal)
        return;
    const std::optional<JournalRecording> unsaved = m_journal->unsavedRecording();
    if (!unsaved)
        return;
    const QLocale locale = QLocale::system();
    const QString question =
        QStringLiteral("The last recording (%1 readings, from %2 to %3) was not saved. Restore it?")
            .arg(unsaved->rows)
            .arg(locale.toString(unsaved->first, QLocale::ShortFormat), locale.toString(unsaved->last, QLocale::ShortFormat));
    if (m_ports.messages.askInBox(question, QStringLiteral("Tarvion TQ-612"), MessageChoices::YesNo,
                                  MessageTone::Question)
        != MessageAnswer::Yes) {
        m_journal->decline(unsaved->id);
        return;
    }
    std::optional<int32_t> lastNo;
    int32_t restored = 0;
    m_journal->readTableRows(unsaved->id, [&](std::optional<int32_t> no, QByteArrayView time, QByteArrayView value,
                                              QByteArrayView unit) {
        m_table->appendRow(no, time, value, unit);
        lastNo = no;
        ++restored;
    });
    if (lastNo)
        m_state.RecordNo = *lastNo + 1;
    m_state.RowCount = restored;
    m_journal->adopt(*unsaved);
}
