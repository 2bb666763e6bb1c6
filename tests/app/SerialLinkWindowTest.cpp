// The real main window with the simulated thermometer on a pseudo-terminal in COM1's place:
// the serial controls' handlers, and the frames on their road to the LCD, the table and the chart.
#include "serial/SerialDriver.h"
#include "sim/SerialLineThermometer.h"
#include "sim/SimulatedHidBackend.h"
#include "widgets/BevelPanel.h"
#include "WindowTestSupport.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

namespace {

// A window with no cable on its bus, whose COM1 is the thermometer's serial line.
struct SerialRig {
    SerialLineThermometer thermometer{[] {
        SimulatedThermometer::Options options;
        options.liveFrameIntervalUs = 150'000;
        return options;
    }()};
    std::unique_ptr<TFCOMM> window;

    SerialRig()
    {
        auto bus = std::make_shared<SimulatedHidBackend>(
            SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::Fast, 1.0});
        window = std::make_unique<TFCOMM>(windowDialogs(), bus, [this](const QByteArray& name) {
            return name == "COM1" ? thermometer.portPath() : QStringLiteral("/nonexistent/") + name;
        });
        named<QCheckBox>(*window, "RecordSI")->setChecked(false);  // every reading becomes a row
        window->show();
    }
    TSerialPortDriver& port() const { return *named<TSerialPortDriver>(*window, "COMM2"); }
    QAbstractItemModel& table() const { return *named<QTableView>(*window, "DBGrid1")->model(); }
    QString value(int row) const { return table().index(row, 2).data().toString(); }
    bool shown(const char* name) const { return !named<QWidget>(*window, name)->isHidden(); }
};

// The readings the window shows for the frames the thermometer sent. The serial frame puts the
// first data digit where the cable's frame has the line feed's, so the decoder takes data byte 2
// as the status and bytes 3 to 6 as the display: 21.5 degrees (status 1, digits blank 2 1 5,
// type 01) reads 2150.
QStringList serialReadings(const std::vector<QByteArray>& sent)
{
    QStringList result;
    for (const QByteArray& frame : sent) {
        QString digits;
        for (char byte : frame.mid(2, 4))
            digits += QChar("0123456789ABCDEF"[byte & 0x0F]);
        result << digits;
    }
    return result;
}

}  // namespace

class SerialLinkWindowTest : public QObject {
    Q_OBJECT
private slots:
    void theThermometersFramesReachTheTableAndTheChartOverTheSerialPort()
    {
        AnsweredMessages& messages = freshAnswers();
        SerialRig rig;
        QCOMPARE(rig.port().ComPortSpeed(), br2400);
        QVERIFY(!rig.port().IsPortOpen());  // nothing the user sees opens it

        QTest::mouseClick(named<BevelPanel>(*rig.window, "BTCon"), Qt::LeftButton);
        QVERIFY(rig.port().IsPortOpen());
        QVERIFY(!rig.shown("BTCon"));
        QVERIFY(rig.shown("BtDiscon"));
        for (const char* panel : {"BtCOM1", "BtCOM2", "BtCOM3", "BtCOM4"})
            QVERIFY(!named<QWidget>(*rig.window, panel)->isEnabled());
        QVERIFY(named<QAction>(*rig.window, "START1")->isChecked());
        QVERIFY(!named<QAction>(*rig.window, "START1")->isEnabled());
        QVERIFY(named<QAction>(*rig.window, "STOP1")->isEnabled());

        // The receive handler was bound at start-up.
        QTRY_VERIFY_WITH_TIMEOUT(rig.table().rowCount() >= 3, 10000);
        const QStringList expected = serialReadings(rig.thermometer.sentFrames());
        for (int row = 0; row < rig.table().rowCount(); ++row)
            QVERIFY2(expected.contains(rig.value(row)), qPrintable(rig.value(row)));
        QString lcd;
        for (const char* digit : {"LcdD4", "LcdD3", "LcdD2", "LcdD1"})
            lcd += named<QLabel>(*rig.window, digit)->text();
        QCOMPARE(QString::fromLocal8Bit(rig.window->session().readings().currentReading().text), lcd);
        QVERIFY(rig.window->session().pager().PageCount() >= 1);
        QVERIFY(rig.window->session().readings().frameText().endsWith("0100DA"));

        named<QAction>(*rig.window, "STOP1")->trigger();
        QVERIFY(!rig.port().IsPortOpen());
        QVERIFY(rig.shown("BTCon"));
        QVERIFY(!rig.shown("BtDiscon"));
        QVERIFY(named<QWidget>(*rig.window, "BtCOM1")->isEnabled());
        QVERIFY(named<QAction>(*rig.window, "START1")->isEnabled());
        QVERIFY(named<QAction>(*rig.window, "STOP1")->isChecked());
        const int rows = rig.table().rowCount();
        QTest::qWait(400);
        QCOMPARE(rig.table().rowCount(), rows);
        QVERIFY(messages.errorReports().isEmpty());
    }

    void aFrameThatIsNoNumberIsReportedAndTheLinkGoesOn()
    {
        AnsweredMessages& messages = freshAnswers();
        SerialRig rig;
        named<QPushButton>(*rig.window, "Button3")->click();
        QTRY_VERIFY_WITH_TIMEOUT(rig.table().rowCount() >= 1, 10000);

        // Sent as the instrument sends, ending in CR LF, so the line feed that closed the frame
        // before opens this one. Status 1, display 2 C 4 0: 2C40 is no number.
        rig.thermometer.sendBytes(QByteArray("\x31\x31\x32\x3C\x34\x30\x31\x30\x30\x0D\x0A"));
        QTRY_VERIFY_WITH_TIMEOUT(!messages.errorReports().isEmpty(), 10000);
        QCOMPARE(messages.errorReports(), QStringList{QStringLiteral("'2C40' is not a valid integer value.")});
        QVERIFY(rig.port().IsPortOpen());
        const int rows = rig.table().rowCount();
        QTRY_VERIFY_WITH_TIMEOUT(rig.table().rowCount() > rows, 10000);
    }

    void theSerialToggleConnectsAndDisconnects()
    {
        SerialRig rig;
        auto* toggle = named<QToolButton>(*rig.window, "COMCon");
        toggle->click();
        QVERIFY(rig.port().IsPortOpen());
        QVERIFY(rig.shown("BtDiscon"));
        toggle->click();
        QVERIFY(!rig.port().IsPortOpen());
        QVERIFY(rig.shown("BTCon"));
    }

    void theBaudRateButtonTellsEachStep()
    {
        AnsweredMessages& messages = freshAnswers();
        SerialRig rig;
        for (int click = 0; click < 5; ++click)
            named<QPushButton>(*rig.window, "Button2")->click();
        QStringList texts;
        for (const AnsweredMessages::Message& message : messages.messages) {
            QCOMPARE(message.kind, MessageKind::Information);
            texts << message.text;
        }
        QCOMPARE(texts, (QStringList{"Baud Rate:4800", "Baud Rate:9600", "Baud Rate:19200", "Baud Rate:1200",
                                     "Baud Rate:1200"}));
        QCOMPARE(rig.port().ComPortSpeed(), br1200);
    }

    void thePortHandlersWithoutControlsOpenCloseAndChooseThePort()
    {
        SerialRig rig;
        rig.window->BCOM2Click();
        rig.window->StartClick();
        QVERIFY(!rig.port().IsPortOpen());  // COM2 is not there
        rig.window->Bcom1Click();
        rig.window->StartClick();
        QVERIFY(rig.port().IsPortOpen());
        rig.window->BCOM2Click();  // refused while open
        QCOMPARE(rig.port().ComPort(), pnCOM1);
        rig.window->StopClick();
        QVERIFY(!rig.port().IsPortOpen());
    }
};

TQ612_WINDOW_TEST_MAIN(SerialLinkWindowTest)
#include "SerialLinkWindowTest.moc"
