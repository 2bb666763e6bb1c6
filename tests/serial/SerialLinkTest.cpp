// The serial link: the receive handler cutting byte blocks into frames, the connect and
// disconnect sequences, the baud-rate step, and the simulated thermometer's frames arriving
// over a pseudo-terminal at 2400 baud.
#include "base/ProgramError.h"

#include "EventLoopWait.h"
#include "PseudoTerminal.h"
#include "serial/SerialDriver.h"
#include "serial/SerialLink.h"
#include "sim/SerialLineThermometer.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <initializer_list>
#include <vector>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result.append(char(value));
    return result;
}

// Data bytes as the instrument sends them: each hex digit in the low nibble of 0x30 | digit.
QByteArray dataBytes(const QByteArray& hexDigits)
{
    QByteArray result;
    for (char digit : hexDigits)
        result.append(char(0x30 | QByteArray(1, digit).toInt(nullptr, 16)));
    return result;
}

// A well-formed frame: line feed, nine data bytes, carriage return.
QByteArray serialFrame(const QByteArray& nineDigits)
{
    return "\x0A" + dataBytes(nineDigits) + "\x0D";
}

struct RecordedPanel : SerialPanelControls {
    bool toggleDown = false;
    std::vector<bool> connectedShown;
    QList<QByteArray> captions;  // USBtxt, oldest first
    bool serialToggleDown() const override { return toggleDown; }
    void showSerialConnected(bool connected) override { connectedShown.push_back(connected); }
    void showFrameText(const QByteArray& frame) override { captions << frame; }
};

struct RecordedMenu : SerialMenuItems {
    std::vector<bool> marked;
    void markSerialConnected(bool connected) override { marked.push_back(connected); }
};

// Takes every frame; one that holds a "C" fails as the decoder's integer reading does.
struct RecordedReadings : ReadingTarget {
    QList<QByteArray> frames;
    QByteArray frameText;
    void frameClosed(const QByteArray& frame) override { frameText = frame; }
    void setMeasuringRange(int32_t, int32_t) override {}
    int32_t nextRecordNo() const override { return 1; }
    void decodeFrame(const QByteArray& frameText) override
    {
        frames << frameText;
        if (frameText.contains('C'))
            throw ProgramError("'" + frameText.mid(2, 4).toStdString() + "' is not a valid integer value");
    }
    void switchOffSamplingInterval() override {}
    void startNewRecording() override {}
    void connectionLost() override {}
};

struct RecordedMessages : UserMessages {
    QStringList notices;
    MessageAnswer askInBox(const QString&, const QString&, MessageChoices, MessageTone) override
    {
        ADD_FAILURE() << "the serial link shows no message box";
        return MessageAnswer::Cancel;
    }
    MessageAnswer askInDialog(const QString& text, MessageTone tone, MessageChoices choices) override
    {
        EXPECT_EQ(tone, MessageTone::Information);
        EXPECT_EQ(choices, MessageChoices::Ok);
        notices << text;
        return MessageAnswer::Ok;
    }
};

class SerialLinkTest : public ::testing::Test {
protected:
    SerialLinkTest() { port.SetComPort(pnCOM1); }

    void receive(const QByteArray& block)
    {
        link.receiveBytes(&port, reinterpret_cast<const uint8_t*>(block.constData()), int32_t(block.size()));
    }

    PseudoTerminal com1;
    TSerialPortDriver port{nullptr, [this](const QByteArray& name) {
                               return name == "COM1" ? com1.path() : QStringLiteral("/nonexistent/") + name;
                           }};
    RecordedPanel panel;
    RecordedMenu menu;
    RecordedReadings readings;
    RecordedMessages messages;
    SerialLink link{port, {panel, menu, readings, messages}};
};

const QByteArray kFrameBytes = bytes({0x0A, 0x31, 0x32, 0x33, 0x34, 0x35, 0x30, 0x31, 0x38, 0x39, 0x0D});

TEST_F(SerialLinkTest, AFrameGoesToTheDecoderWithTheLineFeedsDigitMovedBehind)
{
    receive(kFrameBytes);
    // The decoder reads its status from position 2 and its display from 3 to 6: 2 and 3450.
    EXPECT_EQ(readings.frames, QList<QByteArray>{"123450189DA"});
    EXPECT_EQ(readings.frameText, "123450189DA");
    EXPECT_TRUE(link.pendingDigits().isEmpty());
    // USBtxt follows the digits as they come, then shows the frame.
    EXPECT_EQ(panel.captions.first(), "A");
    EXPECT_EQ(panel.captions[9], "A123450189");
    EXPECT_EQ(panel.captions.last(), "123450189DA");
}

TEST_F(SerialLinkTest, AFrameSplitAnywhereGivesTheSameFrame)
{
    for (qsizetype split = 1; split < kFrameBytes.size(); ++split) {
        readings.frames.clear();
        receive(kFrameBytes.left(split));
        EXPECT_TRUE(readings.frames.isEmpty()) << "split " << split;
        receive(kFrameBytes.mid(split));
        EXPECT_EQ(readings.frames, QList<QByteArray>{"123450189DA"}) << "split " << split;
    }
}

TEST_F(SerialLinkTest, OnlyFramesInStepAreDecodedButEveryOneReplacesFrameText)
{
    struct Case {
        const char* name;
        QByteArray block;
        QList<QByteArray> decoded;
        QByteArray frameText;
    };
    const Case cases[] = {
        {"two back to back", serialFrame("123450189") + serialFrame("1A2150100"), {"123450189DA", "1A2150100DA"},
         "1A2150100DA"},
        // Eight data bytes: the carriage return's own D lands among the digits.
        {"ten bytes", serialFrame("12345018"), {}, "12345018DDA"},
        {"twelve bytes", serialFrame("1234501899"), {}, "123450189DA"},
        {"no line feed first", dataBytes("123450189") + "\x0D", {}, "23450189DDA"},
        // The instrument ends a frame with CR LF, so its first frame after the port opens has
        // no line feed in front and the next one has.
        {"the instrument's CR LF stream", dataBytes("1A2150100") + "\x0D\x0A" + dataBytes("1A2160100") + "\x0D\x0A",
         {"1A2160100DA"}, "1A2160100DA"},
        {"a lone carriage return", "\x0D", {}, "DA"},
    };
    for (const Case& c : cases) {
        readings.frames.clear();
        SerialLink fresh{port, {panel, menu, readings, messages}};
        fresh.receiveBytes(&port, reinterpret_cast<const uint8_t*>(c.block.constData()), int32_t(c.block.size()));
        EXPECT_EQ(readings.frames, c.decoded) << c.name;
        EXPECT_EQ(readings.frameText, c.frameText) << c.name;
    }
}

TEST_F(SerialLinkTest, ALineWithoutCarriageReturnsKeepsOnlyTheStartOfItsText)
{
    const QByteArray noise(1'000'000, '\x3A');
    receive("\x0A" + noise.left(9));
    receive(noise);
    EXPECT_EQ(link.pendingDigits().size(), 64);
    EXPECT_EQ(panel.captions.size(), 64);  // the display stops following, too
    receive("\x0D");
    // Its first eleven digits decide, as for any frame.
    EXPECT_EQ(readings.frames, QList<QByteArray>{});
    EXPECT_EQ(readings.frameText, "AAAAAAAAADA");
    EXPECT_TRUE(link.pendingDigits().isEmpty());
    receive(kFrameBytes);
    EXPECT_EQ(readings.frames, QList<QByteArray>{"123450189DA"});
}

TEST_F(SerialLinkTest, EmptyAndNegativeBlocksDoNothing)
{
    receive(bytes({0x0A, 0x31, 0x32}));
    panel.captions.clear();
    link.receiveBytes(&port, nullptr, 0);
    link.receiveBytes(&port, nullptr, -5);
    EXPECT_EQ(link.pendingDigits(), "A12");
    EXPECT_TRUE(panel.captions.isEmpty());
}

TEST_F(SerialLinkTest, AConversionFailureDropsTheRestOfTheBlock)
{
    const QByteArray bad = serialFrame("112C40100");
    const QByteArray good = serialFrame("1A2150100");
    EXPECT_THROW(receive(bad + good + "\x0A" + dataBytes("1A2")), ProgramError);
    EXPECT_EQ(readings.frames, QList<QByteArray>{"112C40100DA"});
    EXPECT_EQ(readings.frameText, "112C40100DA");
    EXPECT_TRUE(link.pendingDigits().isEmpty());

    receive(good);  // the next block starts clean
    EXPECT_EQ(readings.frames.last(), "1A2150100DA");
}

TEST_F(SerialLinkTest, ConnectAndDisconnectSwitchTheControlsWhetherOrNotThePortOpens)
{
    link.connectPort();
    EXPECT_TRUE(port.IsPortOpen());
    link.disconnectPort();
    EXPECT_FALSE(port.IsPortOpen());

    link.chooseSecondPort();  // a port that is not there
    link.connectPort();
    EXPECT_FALSE(port.IsPortOpen());
    EXPECT_EQ(menu.marked, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(panel.connectedShown, (std::vector<bool>{true, false, true}));

    link.chooseFirstPort();
    panel.toggleDown = true;
    link.connectOrDisconnect();
    EXPECT_TRUE(port.IsPortOpen());
    panel.toggleDown = false;
    link.connectOrDisconnect();
    EXPECT_FALSE(port.IsPortOpen());
    EXPECT_EQ(panel.connectedShown, (std::vector<bool>{true, false, true, true, false}));
    EXPECT_EQ(menu.marked, panel.connectedShown);
}

TEST_F(SerialLinkTest, StartAndStopOnlyOpenAndClose)
{
    link.openPort();
    EXPECT_TRUE(port.IsPortOpen());
    link.closePort();
    EXPECT_FALSE(port.IsPortOpen());
    EXPECT_TRUE(menu.marked.empty());
    EXPECT_TRUE(panel.connectedShown.empty());
}

TEST_F(SerialLinkTest, TheBaudRateStepsFrom2400To1200AndStaysThere)
{
    port.SetComPortSpeed(br2400);
    ASSERT_TRUE(port.OpenPort());
    const std::pair<TComPortBaudRate, const char*> expected[] = {
        {br4800, "Baud Rate:4800"}, {br9600, "Baud Rate:9600"}, {br19200, "Baud Rate:19200"},
        {br1200, "Baud Rate:1200"}, {br1200, "Baud Rate:1200"},
    };
    for (const auto& [speed, message] : expected) {
        link.stepBaudRate();
        EXPECT_EQ(port.ComPortSpeed(), speed);
        EXPECT_EQ(com1.lineSettings().baud, uint32_t(baudRateNumber(speed)));  // applied at once
        EXPECT_EQ(messages.notices.last(), QString::fromLatin1(message));
    }
    EXPECT_EQ(messages.notices.size(), 5);
}

TEST_F(SerialLinkTest, TheBaudRateStepLeavesOtherSpeedsAlone)
{
    for (TComPortBaudRate speed : {br110, br14400, br38400, br56000, br57600, br115200}) {
        port.SetComPortSpeed(speed);
        link.stepBaudRate();
        EXPECT_EQ(port.ComPortSpeed(), speed);
    }
    EXPECT_TRUE(messages.notices.isEmpty());
}

// The frames the thermometer sent, as the receive handler hands them on.
QList<QByteArray> asSerialFrameTexts(const std::vector<QByteArray>& sent)
{
    QList<QByteArray> result;
    for (const QByteArray& frame : sent) {
        QByteArray digits;
        for (char byte : frame.left(9))
            digits.append("0123456789ABCDEF"[byte & 0x0F]);
        result << digits + "DA";
    }
    return result;
}

TEST_F(SerialLinkTest, TheSimulatedThermometersFramesArriveOverAPseudoTerminal)
{
    SimulatedThermometer::Options options;
    options.liveFrameIntervalUs = 120'000;
    SerialLineThermometer thermometer(options);
    TSerialPortDriver line(nullptr, [&](const QByteArray&) { return thermometer.portPath(); });
    SerialLink onLine(line, {panel, menu, readings, messages});
    onLine.listenAndOpen();
    ASSERT_TRUE(line.IsPortOpen());
    // Watch the blocks on their way to the handler Button3 bound.
    std::vector<int32_t> blockSizes;
    line.SetOnReceiveData([&](TSerialPortDriver* sender, const uint8_t* data, int32_t size) {
        blockSizes.push_back(size);
        onLine.receiveBytes(sender, data, size);
    });

    ASSERT_TRUE(processUntil([&] { return readings.frames.size() >= 4; }));
    line.ClosePort();
    const QList<QByteArray> sent = asSerialFrameTexts(thermometer.sentFrames());
    // None lost, none garbled: the decoded frames are a run of the sent ones.
    bool aRunOfTheSent = false;
    for (qsizetype first = 0; first < sent.size(); ++first)
        aRunOfTheSent = aRunOfTheSent || sent.mid(first, readings.frames.size()) == readings.frames;
    EXPECT_TRUE(aRunOfTheSent);
    // Eleven bytes take 46 ms at 2400 baud and the port is polled every 50 ms, so frames come
    // in pieces.
    EXPECT_TRUE(std::any_of(blockSizes.begin(), blockSizes.end(), [](int32_t size) { return size < 11; }));
}

}  // namespace
