// The real main window against the simulated cable and thermometer, through the real HID layer
// and its reader thread.
#include "app/DiagnosticPanel.h"
#include "app/TFCOMM.h"
#include "chart/ChartEngine.h"
#include "chart/TChartControl.h"
#include "dialogs/NewMsgDlg.h"
#include "dialogs/PlatformMessageBox.h"
#include "link/HidControllerClass.h"
#include "NamedControl.h"
#include "session/MeasurementSession.h"
#include "sim/SimulatedHidBackend.h"
#include "WindowTestSupport.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using Received = SimulatedHidBackend::ReceivedReport;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values)
        result.append(char(v));
    return result;
}

QByteArray zeroPadded(std::initializer_list<int> values, int size)
{
    QByteArray result = bytes(values);
    result.append(QByteArray(size - result.size(), '\0'));
    return result;
}

const Received kFeature{Received::Feature, bytes({0x00, 0x60, 0x09, 0, 0, 3, 0, 0, 0, 0})};
const Received kPoll{Received::Output, zeroPadded({0x00, 0x02, 0x5A}, 9)};
const Received kStartLive{Received::Output, zeroPadded({0x00, 0x01, 90}, 9)};
const Received kStartDownload{Received::Output, zeroPadded({0x00, 0x01, 7}, 9)};
const Received kStop{Received::Output, zeroPadded({0x00, 0x01, 91}, 9)};

// A window on its own simulated bus, run by its clock ten times faster than real. Unpaced, the
// reader (which reads ahead of the window) would take a whole download, or thousands of live
// frames up to the record limit, before the window had handled the first few.
struct Rig {
    std::shared_ptr<SimulatedHidBackend> bus;
    SimulatedHidBackend::DeviceId cable = -1;
    std::unique_ptr<TFCOMM> window;

    explicit Rig(bool withCable = true, SimulatedCable::Options options = {},
                 SimulatedHidBackend::Options pacing = {SimulatedHidBackend::Pacing::RealTime, 10.0})
        : bus(std::make_shared<SimulatedHidBackend>(pacing))
    {
        if (withCable)
            cable = bus->plugCable(options);
        window = std::make_unique<TFCOMM>(windowDialogs(), bus);
        // Every reading becomes a row, so the tests need not wait for the sampling interval.
        named<QCheckBox>(*window, "RecordSI")->setChecked(false);
        window->show();
    }
    int rows() const { return named<QTableView>(*window, "DBGrid1")->model()->rowCount(); }
    std::vector<Received> received() const { return bus->receivedReports(cable); }
    bool connected() const { return named<QToolButton>(*window, "USBCon")->isChecked(); }
    void tickWatchdog()
    {
        for (int i = 0; i < 3; ++i)
            window->ConTimerTimer();
    }
};

bool endsWith(const std::vector<Received>& all, const std::vector<Received>& tail)
{
    return all.size() >= tail.size() && std::equal(tail.begin(), tail.end(), all.end() - tail.size());
}

}  // namespace

class UsbLinkTest : public QObject {
    Q_OBJECT
private slots:
    void deviceListSelectsOnlyTheExactCable()
    {
        Rig rig;
        rig.bus->plugDevice({.product = "USB to Serial", .serialNumber = "A17"});
        rig.bus->plugDevice({.vendorId = 0x046D, .productId = 0xC077});
        QTRY_COMPARE(named<QListWidget>(*rig.window, "DevListBox")->count(), 3);
        QStringList lines;
        for (int i = 0; i < named<QListWidget>(*rig.window, "DevListBox")->count(); ++i)
            lines << named<QListWidget>(*rig.window, "DevListBox")->item(i)->text();
        QCOMPARE(lines, (QStringList{"USB to Serial", "USB to Serial (Serial=A17)", "Device VID=046D PID=C077"}));
        QCOMPARE(named<QListWidget>(*rig.window, "DevListBox")->currentRow(), 0);
        QVERIFY(named<QListWidget>(*rig.window, "HistoryListBox")->findItems("Arrival of Device VID=046D PID=C077", Qt::MatchExactly).size() == 1);
    }

    void theDemoStartsWithTheCableSelected()
    {
        // As the demo program builds its window: the real-time simulated cable plugged in first.
        auto bus = std::make_shared<SimulatedHidBackend>();
        bus->plugCable();
        TFCOMM window(windowDialogs(), bus);
        QCOMPARE(named<QListWidget>(window, "DevListBox")->count(), 1);
        QCOMPARE(named<QListWidget>(window, "DevListBox")->currentItem()->text(), QStringLiteral("USB to Serial"));
        QVERIFY(named<QListWidget>(window, "DevListBox")->currentItem()->isSelected());
    }

    void connectSendsTheReportsInOrderAndReadingsFlow()
    {
        AnsweredMessages& messages = freshAnswers();
        Rig rig;
        named<QToolButton>(*rig.window, "USBCon")->click();
        QVERIFY(rig.connected());
        QTRY_VERIFY_WITH_TIMEOUT(rig.rows() >= 3, 10000);
        const auto sent = rig.received();
        QVERIFY(sent.size() >= 3);
        QCOMPARE(sent[0], kFeature);
        QCOMPARE(sent[1], kPoll);
        QCOMPARE(sent[2], kStartLive);
        QVERIFY(!rig.window->session().readings().currentReading().text.isEmpty());
        QCOMPARE(named<QLabel>(*rig.window, "LcdD1")->text(), QString(QChar(rig.window->session().readings().currentReading().text.back())));
        QVERIFY(rig.window->session().pager().PageCount() >= 1);
        rig.tickWatchdog();
        QCOMPARE(named<QToolButton>(*rig.window, "USBCon")->text(), QStringLiteral("USB Disconnect"));
        QVERIFY(!named<QCheckBox>(*rig.window, "RecallData")->isEnabled());
        QVERIFY(messages.shown.isEmpty());

        named<QToolButton>(*rig.window, "USBCon")->click();  // disconnect
        QVERIFY(endsWith(rig.received(), {kFeature, kStop}));
        QVERIFY(!rig.window->session().cable().currentDevice()->ReportHandler());
        QVERIFY(named<QCheckBox>(*rig.window, "RecallData")->isEnabled());
        QVERIFY(named<QLabel>(*rig.window, "CONok")->isHidden());
        rig.tickWatchdog();
        QCOMPARE(named<QToolButton>(*rig.window, "USBCon")->text(), QStringLiteral("USB Connect"));
    }

    void theHiddenStartCommandRepeatsTheStepsWithoutFlippingTheToggle()
    {
        AnsweredMessages& messages = freshAnswers();
        Rig rig;
        named<QAction>(*rig.window, "START1")->trigger();  // toggle up: the disconnect steps
        QVERIFY(endsWith(rig.received(), {kFeature, kStop}));
        QVERIFY(!rig.connected());
        named<QToolButton>(*rig.window, "USBCon")->click();
        named<QAction>(*rig.window, "START1")->trigger();  // toggle down: the connect steps again
        QVERIFY(rig.connected());
        QVERIFY(endsWith(rig.received(), {kFeature, kPoll, kStartLive}));
        QTRY_VERIFY(rig.rows() >= 2);
    }

    void downloadFillsTheTableAndStopsAfterTheMarkedReading_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rowsKept");
        QTest::newRow("Yes clears the table") << 6 << 0;
        QTest::newRow("No keeps it") << 7 << 2;
    }
    void downloadFillsTheTableAndStopsAfterTheMarkedReading()
    {
        QFETCH(int, answer);
        QFETCH(int, rowsKept);
        AnsweredMessages& messages = freshAnswers(answer);
        SimulatedCable::Options options;
        options.thermometer.storedReadings = {20.5, 20.6, 20.7, 20.8};
        Rig rig(true, options);
        named<QToolButton>(*rig.window, "USBCon")->click();
        QTRY_VERIFY(rig.rows() >= 2);
        named<QToolButton>(*rig.window, "USBCon")->click();
        const int before = rig.rows();
        named<QCheckBox>(*rig.window, "RecordSI")->setChecked(true);

        named<QCheckBox>(*rig.window, "RecallData")->setChecked(true);
        named<QToolButton>(*rig.window, "USBCon")->click();
        QCOMPARE(messages.shown, QStringList{"Are you sure that you want to delete this record?"});
        QTRY_VERIFY(endsWith(rig.received(), {kStartDownload, kStop}));
        QTRY_COMPARE(rig.rows(), (rowsKept ? before : 0) + 4);
        QVERIFY(!named<QCheckBox>(*rig.window, "RecordSI")->isChecked());
        const auto* model = named<QTableView>(*rig.window, "DBGrid1")->model();
        QCOMPARE(model->index(rig.rows() - 1, 2).data().toString(), QStringLiteral(" 20.8"));  // the dark leading digit stays a blank
        if (!rowsKept)
            QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("1"));
    }

    void aModelFrameSetsTheOverloadRange()
    {
        SimulatedCable::Options options;
        options.thermometer.modelCode = "3073";
        options.thermometer.answerPollWithModel = true;
        Rig rig(true, options);
        rig.bus->withCable(rig.cable, [](SimulatedCable& c) {
            c.thermometer().setReading(SimulatedThermometer::Reading::OverloadHigh);
        });
        named<QToolButton>(*rig.window, "USBCon")->click();
        QTRY_COMPARE(rig.window->session().decodeSettings().RangeMax, 1855);
        QTRY_COMPARE(rig.window->session().readings().currentReading().value, 1855.0f);
    }

    void aSilentMeterWarnsOnceAndReleasesTheToggle()
    {
        AnsweredMessages& messages = freshAnswers();
        Rig rig;
        rig.bus->withCable(rig.cable, [](SimulatedCable& c) { c.thermometer().setSilent(true); });
        named<QToolButton>(*rig.window, "USBCon")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.connected(), 30000);
        QTest::qWait(200);
        QCOMPARE(messages.shown,
                 QStringList{"USB interface cable is securely connected, please check if the meter is ready."});
        QVERIFY(named<QCheckBox>(*rig.window, "RecallData")->isEnabled());
    }

    void unplugWhileConnectedSaysWhatStoppedOnceTheConnectionIsReleased_data()
    {
        QTest::addColumn<bool>("download");
        QTest::newRow("recording live readings") << false;
        QTest::newRow("downloading the stored readings") << true;
    }
    void unplugWhileConnectedSaysWhatStoppedOnceTheConnectionIsReleased()
    {
        QFETCH(bool, download);
        AnsweredMessages& messages = freshAnswers(6);  // Yes: a download starts on an empty table
        SimulatedCable::Options options;
        options.thermometer.storedReadings = std::vector<double>(50, 21.5);
        Rig rig(true, options);
        named<QCheckBox>(*rig.window, "RecallData")->setChecked(download);
        // The cable goes while the fifth row is being recorded, whatever the pace of the readings.
        const auto* model = named<QTableView>(*rig.window, "DBGrid1")->model();
        QStringList shownWhenPulled;
        connect(model, &QAbstractItemModel::rowsInserted, rig.window.get(), [&] {
            if (rig.rows() == 5) {
                shownWhenPulled = messages.shown;
                rig.bus->unplug(rig.cable);
            }
        });
        // Whether the connection was released, and shown so everywhere, when the user was told.
        bool releasedWhenTold = false;
        const auto answer = messages.answerMessage;
        messages.answerMessage = [&](const AnsweredMessages::Message& message) {
            releasedWhenTold = !rig.connected() && named<QListWidget>(*rig.window, "DevListBox")->count() == 0
                               && !rig.window->session().cable().currentDevice()
                               && named<QToolButton>(*rig.window, "USBCon")->text() == QStringLiteral("USB Connect")
                               && named<QLabel>(*rig.window, "CONok")->isHidden();
            return answer(message);
        };

        named<QToolButton>(*rig.window, "USBCon")->click();
        QTRY_VERIFY(!messages.shown.filter(QStringLiteral("The cable was unplugged")).isEmpty());
        QTest::qWait(100);

        const int rows = rig.rows();
        QVERIFY(rows >= 5);
        const QString expected =
            download ? QStringLiteral("The cable was unplugged: the download stopped after %1 readings.").arg(rows)
                     : QStringLiteral("The cable was unplugged: recording stopped after reading %1.")
                           .arg(model->index(rows - 1, 0).data().toInt());
        QCOMPARE(messages.shown, shownWhenPulled + QStringList{expected});
        QVERIFY(releasedWhenTold);
        if (download)
            QVERIFY(rows < 50);
        QVERIFY(!named<QLabel>(*rig.window, "CONokN")->isHidden());
        // The rest of the removal: the rows stay, nothing more comes, the history says why.
        QCOMPARE(rig.rows(), rows);
        QCOMPARE(named<QListWidget>(*rig.window, "DevListBox")->count(), 0);
        QVERIFY(!named<QListWidget>(*rig.window, "HistoryListBox")->findItems("Removal of USB to Serial", Qt::MatchExactly).isEmpty());

        // Plugged in again, the cable is listed and connects anew; nothing more is said.
        rig.bus->replug(rig.cable);
        QTRY_COMPARE(named<QListWidget>(*rig.window, "DevListBox")->count(), 1);
        named<QCheckBox>(*rig.window, "RecallData")->setChecked(false);
        named<QToolButton>(*rig.window, "USBCon")->click();
        QTRY_VERIFY(rig.rows() > rows + 2);
        QCOMPARE(messages.shown.size(), shownWhenPulled.size() + 1);
    }

    void anUnrelatedDeviceChangeDoesNotStopTheRecording()
    {
        AnsweredMessages& messages = freshAnswers();
        Rig rig;
        named<QToolButton>(*rig.window, "USBCon")->click();
        QTRY_VERIFY(rig.rows() >= 2);
        const auto mouse = rig.bus->plugDevice({.vendorId = 0x046D, .productId = 0xC077});
        QTRY_COMPARE(named<QListWidget>(*rig.window, "DevListBox")->count(), 2);
        int rows = rig.rows();
        QTRY_VERIFY(rig.rows() > rows + 2);
        rig.bus->unplug(mouse);
        QTRY_COMPARE(named<QListWidget>(*rig.window, "DevListBox")->count(), 1);
        rows = rig.rows();
        QTRY_VERIFY(rig.rows() > rows + 2);
        QVERIFY(rig.connected());
        QVERIFY(bool(rig.window->session().cable().currentDevice()->ReportHandler()));
        QVERIFY(messages.shown.isEmpty());
    }

    void withoutACableConnectWarnsOnce()
    {
        AnsweredMessages& messages = freshAnswers();
        Rig rig(false);
        QCOMPARE(named<QListWidget>(*rig.window, "DevListBox")->currentRow(), -1);
        named<QToolButton>(*rig.window, "USBCon")->click();
        QCOMPARE(messages.shown, QStringList{"USB interface cable is not securely connected, please check and re-try."});
        QVERIFY(!rig.connected());
        rig.tickWatchdog();
        QCOMPARE(named<QToolButton>(*rig.window, "USBCon")->text(), QStringLiteral("USB Connect"));
    }

    void aCableWeMayNotOpenReadWriteIsListedButNeverRead()
    {
        AnsweredMessages& messages = freshAnswers();
        Rig rig(false);
        const auto locked = rig.bus->plugDevice(
            {.product = "USB to Serial", .access = SimulatedHidBackend::Access::AccessZeroOnly});
        QTRY_COMPARE(named<QListWidget>(*rig.window, "DevListBox")->currentRow(), 0);
        QVERIFY(!named<QListWidget>(*rig.window, "HistoryListBox")->findItems("No permission to open", Qt::MatchStartsWith).isEmpty());
        named<QToolButton>(*rig.window, "USBCon")->click();
        QVERIFY(rig.connected());  // the toggle stays down, silently
        QVERIFY(messages.shown.isEmpty());
        for (const Received& report : rig.bus->receivedReports(locked))
            QCOMPARE(report.kind, Received::Feature);
    }

    void readErrorsReachTheHistory()
    {
        AnsweredMessages& messages = freshAnswers();
        Rig rig;
        rig.bus->failReads(rig.cable, 2);
        named<QToolButton>(*rig.window, "USBCon")->click();
        QTRY_VERIFY(!named<QListWidget>(*rig.window, "HistoryListBox")->findItems("READ ERROR: ", Qt::MatchStartsWith).isEmpty());
        QTRY_VERIFY(rig.rows() > 0);
    }

    void theHistoryKeepsTheNewestLines()
    {
        Rig rig(false);
        for (int i = 0; i < DiagnosticPanel::kHistoryLines + 5; ++i)
            named<DiagnosticPanel>(*rig.window, "DiagnosticPanel")->addHistoryLine(QByteArray::number(i));
        QCOMPARE(named<QListWidget>(*rig.window, "HistoryListBox")->count(), DiagnosticPanel::kHistoryLines);
        QCOMPARE(named<QListWidget>(*rig.window, "HistoryListBox")->item(0)->text(), QStringLiteral("5"));
        QCOMPARE(named<QListWidget>(*rig.window, "HistoryListBox")->currentRow(), DiagnosticPanel::kHistoryLines - 1);
    }
};

QTEST_MAIN(UsbLinkTest)
#include "UsbLinkTest.moc"
