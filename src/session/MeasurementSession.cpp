#include "session/MeasurementSession.h"

#include "base/LocaleTexts.h"
#include "base/ErrorReport.h"
#include "base/UserMessages.h"
#include "link/CableConnection.h"
#include "link/HidBackend.h"
#include "link/HidDeviceController.h"
#include "session/ReadingPipeline.h"
#include "record/MeasurementTable.h"
#include "journal/RecordingJournal.h"
#include "serial/SerialDriver.h"
#include "serial/SerialLink.h"

#include <QDateTime>
#include <QLocale>
#include <QTimer>

#include <charconv>
#include <vector>

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

// Counts all the rows when none of them was saved; otherwise says how many were not, since
// the rest are already in a file.
QString restoreQuestion(const JournalRecording& recording)
{
    const QLocale locale = QLocale::system();
    const QString head = QStringLiteral("The last recording (%1 readings, from %2 to %3) ")
                             .arg(recording.rows)
                             .arg(locale.toString(recording.first, QLocale::ShortFormat),
                                  locale.toString(recording.last, QLocale::ShortFormat));
    if (recording.savedRows == 0)
        return head + QStringLiteral("was not saved. Restore it?");
    const int64_t unsaved = recording.rows - recording.savedRows;
    const QString lost = unsaved == 1 ? QStringLiteral("its last reading was")
                                      : QStringLiteral("its last %1 readings were").arg(unsaved);
    return head + QStringLiteral("was saved only in part: %1 not saved. Restore it?").arg(lost);
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
    m_recorder = std::make_unique<Recorder>(*m_table, m_pager, m_ports.recording, host, m_ports.messages);
    m_readings = std::make_unique<ReadingPipeline>(m_decodeSettings, m_ports.indicator, m_ports.lcd,
                                                   m_ports.recording, *m_recorder);

    if (!hidBackend)
        hidBackend = createPlatformHidBackend();
    m_cable = new CableConnection(std::move(hidBackend),
                                  {m_ports.connection, m_ports.deviceList, m_ports.diagnostics, *m_readings,
                                   m_ports.messages},
                                  this);
    m_cable->setObjectName(QStringLiteral("CableConnection"));
    m_readings->setOnFrameDecoded([cable = m_cable] { cable->frameDecoded(); });
    // The watchdog sleeps until its next check can change anything; a failure of what it sends
    // is reported like any handler's.
    connect(m_cable->watchdogTimer(), &QTimer::timeout, this, [this] {
        try {
            m_cable->checkWatchdog();
        } catch (const std::exception& error) {
            ErrorReport::show(m_ports.messages, error);
        }
    });
    UserMessages& messages = m_ports.messages;
    m_cable->controller()->SetOnHandlerFailure([&messages](const QString& failure) { ErrorReport::show(messages, failure); });

    m_serialPort = new TSerialPortDriver(this, std::move(comPorts));
    m_serialPort->setObjectName(QStringLiteral("COMM2"));
    m_serialPort->SetComPort(pnCOM1);
    m_serialPort->SetComPortSpeed(br2400);
    m_serialPort->SetOnHandlerFailure([&messages](const QString& failure) { ErrorReport::show(messages, failure); });
    m_serialLink = std::make_unique<SerialLink>(
        *m_serialPort, SerialLinkPorts{m_ports.serialPanel, m_ports.serialMenu, *m_readings, m_ports.messages});

    startMeasurementState();

    if (!journalFolder.isEmpty()) {
        m_journal = new RecordingJournal(journalFolder, this);
        connect(m_journal, &RecordingJournal::failed, this,
                [&messages](const QString& reason) { messages.tell(reason, MessageTone::Warning); });
        connect(m_journal, &RecordingJournal::recovered, this,
                [&messages](const QString& text) { messages.tell(text, MessageTone::Information); });
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
    m_decodeSettings.DecimalText = LocaleTexts::decimalSeparator(QLocale::system());
    m_recorder->setStartTime(LocaleTexts::toDayCount(QDateTime::currentDateTime()));
    m_pager.SetYMaximum(100.0);
    m_pager.SetYMinimum(-50.0);
}

void MeasurementSession::decodeFrameText()
{
    m_readings->decodeFrame(m_readings->frameText());
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

int64_t MeasurementSession::unkeptRows() const
{
    return m_journal ? m_journal->unkeptRows() : 0;
}

void MeasurementSession::offerRestore(const RestoreProgress& progress)
{
    if (!m_journal)
        return;
    const std::optional<JournalRecording> unsaved = m_journal->unsavedRecording();
    if (!unsaved)
        return;
    if (m_ports.messages.askInBox(restoreQuestion(*unsaved), QStringLiteral("Tarvion TQ-612"), MessageChoices::YesNo,
                                  MessageTone::Question)
        != MessageAnswer::Yes) {
        m_journal->decline(unsaved->id);
        return;
    }
    QString failure;
    const bool restored = restoreRows(*unsaved, progress, &failure);
    if (progress.close)
        progress.close();
    if (!restored) {
        m_journal->leaveOffered(unsaved->id);
        m_ports.messages.tell(QStringLiteral("The last recording could not be restored: %1. It stays in the journal "
                                             "and is offered again at the next start.")
                                  .arg(failure),
                              MessageTone::Warning);
        return;
    }
    m_journal->adopt(*unsaved);
    m_recorder->checkRecordLimit();
}

bool MeasurementSession::restoreRows(const JournalRecording& recording, const RestoreProgress& progress,
                                     QString* failure)
{
    const int first = m_table->rowCount();
    std::optional<int32_t> lastNo;
    int32_t restored = 0;
    // Plotted only once every row is back, so a restore that fails leaves the chart as it was.
    std::vector<float> readings;
    readings.reserve(size_t(recording.rows));
    bool whole = false;
    {
        // The grid hears of a block of rows at once, and the window gets its turn between blocks.
        std::optional<MeasurementTable::AppendBatch> batch;
        whole = m_journal->readTableRows(
            recording.id,
            [&](std::optional<int32_t> no, QByteArrayView time, QByteArrayView value, QByteArrayView unit,
                float reading) {
                if (!batch)
                    batch.emplace(*m_table);
                m_table->appendRow(no, time, value, unit);
                readings.push_back(reading);
                lastNo = no;
                if (++restored % kRestoreBlockRows == 0) {
                    batch.reset();
                    if (progress.step)
                        progress.step(restored, recording.rows);
                }
            },
            failure);
    }
    if (!whole) {
        // Only the rows taken out again: emptying the table would end the journal's recording too.
        m_table->removeRowsFrom(first);
        return false;
    }
    m_recorder->takeRestoredRows(readings, lastNo);
    return true;
}
