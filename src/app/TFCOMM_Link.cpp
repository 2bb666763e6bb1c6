// The window's side of the USB link: the device list, the reports sent to the cable, the
// report handler and the connection with its watchdog.
#include "TFCOMM.h"

#include "CableFramerHost.h"
#include "CableReports.h"
#include "DescribeDevice.h"
#include "HidControllerClass.h"
#include "LinuxHidBackend.h"
#include "NewMsgDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {
const QByteArray kCableLine = "USB to Serial";
const QString kNotConnected = QStringLiteral("USB interface cable is not securely connected, please check and re-try.");
// The watchdog checks on every third tick of its 10 ms timer.
constexpr int32_t kSilentReports = 3000;
// About 18 s of check ticks between polls that keep a long recording alive.
constexpr int32_t kKeepAliveTicks = 600;
}  // namespace

void CableFramerHost::beginReport(THidDevice* device)
{
    m_device = device;
    m_generation = m_window.m_deviceListGeneration;
}

bool CableFramerHost::downloadMode() const
{
    return m_window.m_RecallData->isChecked();
}

void CableFramerHost::switchOffSamplingInterval()
{
    m_window.m_RecordSI->setChecked(false);
}

void CableFramerHost::decodeFrame(const QByteArray&)
{
    // The decoder reads the frame from FrameText, which the framer has just set to it.
    m_window.LcdDisplay81(1);
}

void CableFramerHost::sendStopCommand()
{
    m_window.SendUSBData(CableReports::kStop);
}

void CableFramerHost::showFrameText(const QByteArray& frame)
{
    m_window.m_USBtxt->setText(QString::fromLocal8Bit(frame));
}

void CableFramerHost::showMarkedFrameText(const QByteArray& frame)
{
    m_window.m_USBtxt1->setText(QString::fromLocal8Bit(frame));
}

void CableFramerHost::addHistoryLine(const QByteArray& line)
{
    m_window.addHistoryLine(line);
}

void CableFramerHost::releaseSyncHandle()
{
    // A dialog opened while the frame was decoded may have let a device change release the
    // device; its object is gone then.
    if (m_generation != m_window.m_deviceListGeneration)
        return;
    m_device->SetInputBufferCount(0);
    m_device->CloseSyncHandle();
}

void TFCOMM::createHidController(std::shared_ptr<HidBackend> backend)
{
    m_framerHost = std::make_unique<CableFramerHost>(*this);
    m_framer = std::make_unique<ReportFramer>(m_state, *m_framerHost);

    if (!backend)
        backend = std::make_shared<LinuxHidBackend>();
    m_HidCtl = new THidDeviceController(std::move(backend), this);
    m_HidCtl->setObjectName(QStringLiteral("HidCtl"));
    m_HidCtl->SetOnArrival({this, &TFCOMM::HidCtlArrival});
    m_HidCtl->SetOnEnumerate({this, &TFCOMM::HidCtlEnumerate});
    m_HidCtl->SetOnDeviceChange({this, &TFCOMM::HidCtlDeviceChange});
    m_HidCtl->SetOnDeviceDataError({this, &TFCOMM::HidCtlDeviceDataError});
    m_HidCtl->SetOnRemoval({this, &TFCOMM::HidCtlRemoval});

    // The history gains a line per payload report; equal line heights keep each addition cheap.
    m_HistoryListBox->setUniformItemSizes(true);

    connect(m_USBCon, &QToolButton::clicked, this, &TFCOMM::USBConClick);
    connect(m_START1, &QAction::triggered, this, &TFCOMM::USBConClick);
    connect(m_ReadBtn, &QToolButton::clicked, this, &TFCOMM::ReadBtnClick);
    connect(m_ClearBtn, &QToolButton::clicked, this, &TFCOMM::ClearBtnClick);
    connect(m_SetFeature, &QPushButton::clicked, this, &TFCOMM::SetFeatureClick);
    connect(m_SendData, &QPushButton::clicked, this, &TFCOMM::SendDataClick);
    connect(m_ConTimer, &QTimer::timeout, this, &TFCOMM::ConTimerTimer);
}

TFCOMM::~TFCOMM()
{
    // Give the claimed devices back and stop their readers while the handlers' window still
    // exists; the controller then frees what it lists.
    releaseListedDevices();
    delete m_HidCtl;
}

void TFCOMM::releaseListedDevices()
{
    ++m_deviceListGeneration;
    m_state.CurrentDevice = nullptr;
    std::vector<THidDevice*> held;
    held.swap(m_listedDevices);
    for (THidDevice* device : held)
        delete device;  // hands the device back; the controller lists a fresh object for it
    m_DevListBox->clear();
}

void TFCOMM::addHistoryLine(const QByteArray& line)
{
    m_HistoryListBox->addItem(QString::fromLocal8Bit(line));
    while (m_HistoryListBox->count() > kHistoryLines)
        delete m_HistoryListBox->takeItem(0);
    m_HistoryListBox->setCurrentRow(m_HistoryListBox->count() - 1);
}

THidDevice* TFCOMM::selectCable()
{
    m_state.CurrentDevice = nullptr;
    const int row = m_DevListBox->currentRow();
    if (m_DevListBox->count() > 0 && row >= 0 && m_DevListBox->item(row)->isSelected()
        && row < int(m_listedDevices.size()))
        m_state.CurrentDevice = m_listedDevices[size_t(row)];
    return m_state.CurrentDevice;
}

bool TFCOMM::HidCtlEnumerate(THidDevice* HidDev, int32_t Idx)
{
    m_DevListBox->addItem(QString::fromLocal8Bit(DescribeDevice(*HidDev)));
    // A device we may not open read-write cannot be connected; say why where it can be read.
    if (!HidDev->AccessProblem().isEmpty())
        addHistoryLine(HidDev->AccessProblem());
    m_listedDevices.push_back(m_HidCtl->ClaimByIndex(Idx));
    return true;
}

void TFCOMM::HidCtlDeviceChange(QObject*)
{
    m_ReadBtn->setChecked(false);
    ReadBtnClick();
    releaseListedDevices();
    m_HidCtl->EnumerateDevices();
    for (int row = m_DevListBox->count() - 1; row >= 0; --row) {
        if (m_DevListBox->item(row)->text().toLocal8Bit() == kCableLine) {
            m_DevListBox->setCurrentRow(row);
            break;
        }
    }
    // Any device change, even an unrelated mouse, rebuilds the list and so stops the cable's
    // reader. While connected and with the cable still there, bind the report handler to the
    // cable's new object so the recording goes on; the instrument never stopped sending.
    THidDevice* cable = selectCable();
    if (m_USBCon->isChecked() && cable && cable->ReadWriteAccess())
        cable->SetReportHandler({this, &TFCOMM::ReadUSBData});
}

void TFCOMM::HidCtlArrival(THidDevice* HidDev)
{
    addHistoryLine("Arrival of " + DescribeDevice(*HidDev));
}

void TFCOMM::HidCtlRemoval(THidDevice* HidDev)
{
    addHistoryLine("Removal of " + DescribeDevice(*HidDev));
    // Only the cable's going ends the connection; a mouse unplugged meanwhile must not
    // release the toggle while the instrument goes on sending.
    if (HidDev == selectCable())
        m_USBCon->setChecked(false);
}

void TFCOMM::HidCtlDeviceDataError(THidDevice* HidDev, uint32_t Error)
{
    addHistoryLine("READ ERROR: " + HidDev->ErrorText(Error) + " (" + QByteArray::number(Error, 16).toUpper() + ")");
}

void TFCOMM::ReadBtnClick()
{
    THidDevice* cable = selectCable();
    if (!cable)
        return;
    if (!cable->ReadWriteAccess())
        m_ReadBtn->setChecked(false);
    else if (m_ReadBtn->isChecked())
        cable->SetReportHandler({this, &TFCOMM::ReadUSBData});
    else
        cable->SetReportHandler({});
}

void TFCOMM::ClearBtnClick()
{
    m_HistoryListBox->clear();
    m_Memo1->clear();
}

void TFCOMM::ReadUSBData(THidDevice* HidDev, uint8_t ReportID, const uint8_t* Data, uint16_t Size)
{
    m_framerHost->beginReport(HidDev);
    m_framer->handleReport(ReportID, Data, Size);
}

THidDevice* TFCOMM::cableOrNotice(const QString& notice, MessageKind kind)
{
    THidDevice* cable = selectCable();
    if (!cable) {
        ShowWideMessage(notice, kind, MessageButton::OK, 0);
        m_USBCon->setChecked(false);
    }
    return cable;
}

void TFCOMM::SetFeatureClick()
{
    THidDevice* cable = cableOrNotice(kNotConnected, MessageKind::Warning);
    if (!cable)
        return;
    const auto report = CableReports::featureReport(
        {m_B9600->isChecked(), m_B4800->isChecked(), m_B2400->isChecked()});
    cable->SendFeatureReport(report.data(), int32_t(report.size()));
    addHistoryLine(CableReports::featureHistoryLine(report));
}

void TFCOMM::sendOutputReport(const std::vector<uint8_t>& report)
{
    uint32_t written = 10;
    m_state.CurrentDevice->WriteOutputReport(report.data(), uint32_t(report.size()), written);
    addHistoryLine(CableReports::outputHistoryLine(report, written));
}

void TFCOMM::SendUSBData(uint8_t value)
{
    THidDevice* cable = cableOrNotice(QString::fromUtf8("USB端未连接产品，请检查!"), MessageKind::Information);
    if (!cable)
        return;
    sendOutputReport(CableReports::commandReport(value, cable->ReadCaps().OutputReportByteLength));
}

void TFCOMM::SendDataClick()
{
    THidDevice* cable = cableOrNotice(kNotConnected, MessageKind::Warning);
    if (!cable)
        return;
    sendOutputReport(CableReports::pollReport(cable->ReadCaps().OutputReportByteLength));
}

void TFCOMM::USBConClick()
{
    ReadBtnClick();
    SetFeatureClick();
    m_state.ReportCount = 0;
    m_state.WatchdogTicks = 0;
    THidDevice* cable = selectCable();
    if (!cable || !cable->ReadWriteAccess())
        return;

    if (!m_USBCon->isChecked()) {
        m_RecallData->setEnabled(true);
        SendUSBData(CableReports::kStop);
        if (m_state.CurrentDevice)
            m_state.CurrentDevice->SetReportHandler({});
        return;
    }

    m_state.BurstHex.clear();
    m_USBtxt->clear();
    ReadBtnClick();
    SendDataClick();
    if (THidDevice* current = selectCable())
        current->SetReportHandler({this, &TFCOMM::ReadUSBData});
    m_RecallData->setEnabled(false);
    if (m_RecallData->isChecked()) {
        if (ShowWideMessage(QStringLiteral("Are you sure that you want to delete this record?"),
                            MessageKind::Confirmation, MessageButton::Yes | MessageButton::No, 0)
            == 6)
            StartNewRecording();
        SendUSBData(CableReports::kStartDownload);
    } else {
        SendUSBData(CableReports::kStartLive);
    }
}

void TFCOMM::ConTimerTimer()
{
    if (m_state.IdleTicks == 2) {
        // Keep-alive: while connected, poll the cable every kKeepAliveTicks checks so an
        // instrument that would fall asleep keeps sending through a long recording.
        if (m_USBCon->isChecked())
            ++m_state.WatchdogTicks;
        if (m_state.WatchdogTicks >= kKeepAliveTicks) {
            m_state.WatchdogTicks = 0;
            SendDataClick();
        }
        if (m_state.ReportCount >= kSilentReports) {
            m_state.ReportCount = 0;
            m_USBCon->setChecked(false);
            if (m_state.CurrentDevice)
                m_state.CurrentDevice->SetReportHandler({});
            ShowWideMessage(
                QStringLiteral("USB interface cable is securely connected, please check if the meter is ready."),
                MessageKind::Warning, MessageButton::OK, 0);
        }
        m_state.IdleTicks = 0;
    } else {
        ++m_state.IdleTicks;
    }
    m_USBCon->setText(m_USBCon->isChecked() ? QStringLiteral("USB Disconnect") : QStringLiteral("USB Connect"));
}
