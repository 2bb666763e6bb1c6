#include "link/CableConnection.h"

#include "base/UnkeptRows.h"
#include "link/DescribeDevice.h"
#include "link/HidDevice.h"
#include "link/HidDeviceController.h"

#include <QScopeGuard>
#include <QTimer>

#include <chrono>
#include <utility>

namespace {
const QByteArray kCableLine = "USB to Serial";
const QString kNotConnected = QStringLiteral("USB interface cable is not securely connected, please check and re-try.");
// Reports without payload before a check gives the meter up: about 30 s of an idle cable.
constexpr int32_t kSilentReports = 3000;
// About 18 s of check ticks between polls that keep a long recording alive.
constexpr int32_t kKeepAliveTicks = 600;
}  // namespace

int64_t CableConnection::steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

CableConnection::CableConnection(std::shared_ptr<HidBackend> backend, const CableConnectionPorts& ports,
                                 QObject* parent, Clock clock)
    : QObject(parent), m_ports(ports), m_clock(std::move(clock)), m_grid(m_clock())
{
    m_watchdogTimer = new QTimer(this);
    m_watchdogTimer->setObjectName(QStringLiteral("ConTimer"));
    m_watchdogTimer->setSingleShot(true);
    m_watchdogTimer->setTimerType(Qt::PreciseTimer);
    m_controller = new THidDeviceController(std::move(backend), this);
    m_controller->setObjectName(QStringLiteral("HidCtl"));
    m_controller->SetOnArrival({this, &CableConnection::noteArrival});
    m_controller->SetOnEnumerate({this, &CableConnection::listDevice});
    m_controller->SetOnDeviceChange({this, &CableConnection::rebuildDeviceList});
    m_controller->SetOnDeviceDataError({this, &CableConnection::noteReadError});
    m_controller->SetOnRemoval({this, &CableConnection::noteRemoval});
    m_controller->SetOnReportsLost([this](THidDevice*, uint64_t lost) { noteLostReports(lost); });
}

CableConnection::~CableConnection()
{
    // Before the controller, which is our child: it frees only the devices nobody holds.
    releaseListedDevices();
}

void CableConnection::releaseListedDevices()
{
    ++m_deviceListGeneration;
    m_CurrentDevice = nullptr;
    std::vector<ListedDevice> held;
    held.swap(m_listedDevices);
    for (const ListedDevice& listed : held)
        delete listed.device;  // hands the device back; the controller lists a fresh object for it
}

THidDevice* CableConnection::selectCable()
{
    m_CurrentDevice = nullptr;
    const int row = m_ports.deviceList.selectedDeviceRow();
    if (row >= 0 && row < int(m_listedDevices.size()))
        m_CurrentDevice = m_listedDevices[size_t(row)].device;
    return m_CurrentDevice;
}

bool CableConnection::listDevice(THidDevice* device, int32_t index)
{
    const QByteArray line = DescribeDevice(*device);
    m_ports.deviceList.addDeviceLine(line);
    // A device we may not open read-write cannot be connected; say why where it can be read.
    if (!device->AccessProblem().isEmpty())
        m_ports.diagnostics.addHistoryLine(device->AccessProblem());
    m_listedDevices.push_back({m_controller->ClaimByIndex(index), line});
    return true;
}

void CableConnection::rebuildDeviceList(QObject*)
{
    m_ports.diagnostics.releaseReadButton();
    followReadButton();
    releaseListedDevices();
    m_ports.deviceList.clearDeviceLines();
    m_controller->EnumerateDevices();
    for (int row = int(m_listedDevices.size()) - 1; row >= 0; --row) {
        if (m_listedDevices[size_t(row)].line == kCableLine) {
            m_ports.deviceList.setCurrentDeviceRow(row);
            break;
        }
    }
    // Any device change, even an unrelated mouse, rebuilds the list and so stops the cable's
    // reader. While connected and with the cable still there, bind the report handler to the
    // cable's new object so the recording goes on; the instrument never stopped sending.
    THidDevice* cable = selectCable();
    if (m_ports.connection.connectTicked() && cable && cable->ReadWriteAccess())
        cable->SetReportHandler({this, &CableConnection::frameReport});
    if (m_cutShort != CutShort::Nothing)
        tellCableUnplugged();
}

void CableConnection::tellCableUnplugged()
{
    const CutShort cut = std::exchange(m_cutShort, CutShort::Nothing);
    showConnectCaption();
    m_ports.readings.connectionLost();
    QString text;
    if (cut == CutShort::Download) {
        const int64_t received = m_framer.storedReadings() - m_storedReadingsBeforeDownload;
        text = QStringLiteral("The cable was unplugged: the download stopped after %1 %2.")
                   .arg(received)
                   .arg(received == 1 ? QStringLiteral("reading") : QStringLiteral("readings"));
    } else {
        // RecordNo numbers the next reading, so the last one taken holds the number before it.
        text = QStringLiteral("The cable was unplugged: recording stopped after reading %1.").arg(m_ports.readings.nextRecordNo() - 1);
    }
    m_ports.messages.tell(text, MessageTone::Warning);
}

void CableConnection::noteArrival(THidDevice* device)
{
    m_ports.diagnostics.addHistoryLine("Arrival of " + DescribeDevice(*device));
}

void CableConnection::noteRemoval(THidDevice* device)
{
    m_ports.diagnostics.addHistoryLine("Removal of " + DescribeDevice(*device));
    // Only the cable's going ends the connection; a mouse unplugged meanwhile must not
    // release the toggle while the instrument goes on sending. The user hears of it once the
    // device list has been rebuilt without the cable, which the controller does right after.
    if (device == selectCable()) {
        if (m_ports.connection.connectTicked())
            m_cutShort = m_ports.connection.downloadTicked() ? CutShort::Download : CutShort::Recording;
        releaseConnection();
    }
}

void CableConnection::noteReadError(THidDevice* device, uint32_t error)
{
    m_ports.diagnostics.addHistoryLine("READ ERROR: " + device->ErrorText(error) + " ("
                                       + QByteArray::number(error, 16).toUpper() + ")");
}

void CableConnection::noteLostReports(uint64_t lost)
{
    m_ports.diagnostics.addHistoryLine("READ OVERFLOW: " + QByteArray::number(quint64(lost))
                                       + " reports lost while the program was busy");
}

void CableConnection::followReadButton()
{
    THidDevice* cable = selectCable();
    if (!cable)
        return;
    if (!cable->ReadWriteAccess())
        m_ports.diagnostics.releaseReadButton();
    else if (m_ports.diagnostics.readTicked())
        cable->SetReportHandler({this, &CableConnection::frameReport});
    else
        cable->SetReportHandler({});
}

void CableConnection::clearHistory()
{
    m_ports.diagnostics.clearHistory();
}

void CableConnection::frameReport(THidDevice* device, uint8_t reportId, const uint8_t* data, uint16_t size)
{
    m_reportDevice = device;
    m_reportGeneration = m_deviceListGeneration;
    // The checks due before this report see the count it had then.
    advanceWatchdog();
    // Rescheduled only when the count crosses the limit, also when decoding fails: a report that
    // leaves the deadlines as they were does not restart the timer.
    const bool silentBefore = m_framer.reportCount() >= kSilentReports;
    const auto reschedule = qScopeGuard([this, silentBefore] {
        if ((m_framer.reportCount() >= kSilentReports) != silentBefore)
            scheduleWatchdog();
    });
    m_framer.handleReport(reportId, data, size);
}

THidDevice* CableConnection::cableOrNotice(const QString& notice, MessageTone tone)
{
    THidDevice* cable = selectCable();
    if (!cable) {
        m_ports.messages.tell(notice, tone);
        releaseConnection();
    }
    return cable;
}

void CableConnection::sendFeatureReport()
{
    THidDevice* cable = cableOrNotice(kNotConnected, MessageTone::Warning);
    if (!cable)
        return;
    const auto report = CableReports::featureReport(m_ports.diagnostics.baudBoxes());
    cable->SendFeatureReport(report.data(), int32_t(report.size()));
    m_ports.diagnostics.addHistoryLine(CableReports::featureHistoryLine(report));
}

void CableConnection::sendOutputReport(const std::vector<uint8_t>& report)
{
    uint32_t written = 10;
    m_CurrentDevice->WriteOutputReport(report.data(), uint32_t(report.size()), written);
    m_ports.diagnostics.addHistoryLine(CableReports::outputHistoryLine(report, written));
}

void CableConnection::sendCommand(uint8_t value)
{
    THidDevice* cable = cableOrNotice(QString::fromUtf8("USB端未连接产品，请检查!"), MessageTone::Information);
    if (!cable)
        return;
    sendOutputReport(CableReports::commandReport(value, cable->ReadCaps().OutputReportByteLength));
}

void CableConnection::sendPoll()
{
    THidDevice* cable = cableOrNotice(kNotConnected, MessageTone::Warning);
    if (!cable)
        return;
    sendOutputReport(CableReports::pollReport(cable->ReadCaps().OutputReportByteLength));
}

void CableConnection::connectOrDisconnect()
{
    // The toggle has just flipped: its caption follows at once, and the watchdog's deadlines
    // follow the connection, also when the sequence fails part-way.
    advanceWatchdog();
    showConnectCaption();
    const auto followConnection = qScopeGuard([this] {
        showConnectCaption();
        scheduleWatchdog();
    });
    runConnectSequence();
}

void CableConnection::runConnectSequence()
{
    followReadButton();
    sendFeatureReport();
    m_framer.restartReportCount();
    m_WatchdogTicks = 0;
    THidDevice* cable = selectCable();
    if (!cable || !cable->ReadWriteAccess())
        return;

    if (!m_ports.connection.connectTicked()) {
        m_ports.connection.setDownloadEnabled(true);
        sendCommand(CableReports::kStop);
        if (m_CurrentDevice)
            m_CurrentDevice->SetReportHandler({});
        m_ports.readings.connectionLost();
        return;
    }

    m_framer.dropBurstBytes();
    m_ports.diagnostics.showFrameText({});
    followReadButton();
    sendPoll();
    if (THidDevice* current = selectCable())
        current->SetReportHandler({this, &CableConnection::frameReport});
    m_ports.connection.setDownloadEnabled(false);
    if (m_ports.connection.downloadTicked()) {
        if (m_ports.messages.confirm(withUnkeptRows(QStringLiteral("Are you sure that you want to delete this record?"),
                                                    m_ports.readings.unkeptRows())))
            m_ports.readings.startNewRecording();
        m_storedReadingsBeforeDownload = m_framer.storedReadings();
        sendCommand(CableReports::kStartDownload);
    } else {
        sendCommand(CableReports::kStartLive);
    }
}

void CableConnection::frameDecoded()
{
    advanceWatchdog();
    m_grid.restartCycle(m_clock());
    scheduleWatchdog();
}

void CableConnection::checkWatchdog()
{
    advanceWatchdog();
    showConnectCaption();
    scheduleWatchdog();
}

void CableConnection::advanceWatchdog()
{
    const int64_t through = m_grid.lastTickAt(m_clock());
    const int64_t checks = m_grid.checksBetween(m_checkedThrough, through);
    // Marked first: the warning below runs an event loop, in which these ticks are not due again.
    m_checkedThrough = std::max(m_checkedThrough, through);
    if (checks == 0)
        return;
    // Keep-alive: while connected, poll the cable every kKeepAliveTicks checks so an instrument
    // that would fall asleep keeps sending through a long recording. A check run late counts
    // every check it stands for, but polls once.
    if (m_ports.connection.connectTicked()) {
        m_WatchdogTicks += int32_t(std::min<int64_t>(checks, kKeepAliveTicks));
        if (m_WatchdogTicks >= kKeepAliveTicks) {
            m_WatchdogTicks %= kKeepAliveTicks;
            sendPoll();
        }
    }
    if (m_framer.reportCount() >= kSilentReports) {
        m_framer.restartReportCount();
        releaseConnection();
        if (m_CurrentDevice)
            m_CurrentDevice->SetReportHandler({});
        m_ports.readings.connectionLost();
        m_ports.messages.tell(
            QStringLiteral("USB interface cable is securely connected, please check if the meter is ready."),
            MessageTone::Warning);
    }
}

void CableConnection::scheduleWatchdog()
{
    const int64_t never = INT64_MAX;
    int64_t due = never;
    if (m_framer.reportCount() >= kSilentReports)
        due = m_grid.nthCheckAfter(m_checkedThrough, 1);
    if (m_ports.connection.connectTicked())
        due = std::min(due, m_grid.nthCheckAfter(m_checkedThrough, kKeepAliveTicks - m_WatchdogTicks));
    if (due == never) {
        m_watchdogDue.reset();
        m_watchdogTimer->stop();
        return;
    }
    m_watchdogDue = m_grid.timeOfTick(due);
    const int64_t wait = *m_watchdogDue - m_clock();
    m_watchdogTimer->start(int(std::clamp<int64_t>(wait, 0, INT32_MAX)));
}

void CableConnection::releaseConnection()
{
    advanceWatchdog();
    m_ports.connection.releaseConnectToggle();
    m_ports.connection.setDownloadEnabled(true);
    showConnectCaption();
    scheduleWatchdog();
}

void CableConnection::showConnectCaption()
{
    m_ports.connection.setConnectCaption(m_ports.connection.connectTicked() ? QStringLiteral("USB Disconnect")
                                                                            : QStringLiteral("USB Connect"));
}

void CableConnection::sendStopCommand()
{
    sendCommand(CableReports::kStop);
}

void CableConnection::releaseSyncHandle()
{
    // A dialog opened while the frame was decoded may have let a device change release the
    // device; its object is gone then.
    if (m_reportGeneration != m_deviceListGeneration)
        return;
    m_reportDevice->SetInputBufferCount(0);
    m_reportDevice->CloseSyncHandle();
}
