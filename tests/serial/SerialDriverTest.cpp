// The serial port component against pseudo-terminals standing in for COM1 and COM2. A
// pseudo-terminal keeps its line at 8 data bits without parity whatever it is asked, so the line
// settings checked here are the speed, the stop bits and the handshaking.
#include "base/ProgramError.h"
#include "EventLoopWait.h"
#include "PseudoTerminal.h"
#include "serial/SerialDriver.h"

#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

class PortOnPseudoTerminal : public ::testing::Test {
protected:
    PortOnPseudoTerminal()
    {
        port->SetComPort(pnCOM1);
        port->SetOnReceiveData([this](TSerialPortDriver* sender, const uint8_t* data, int32_t size) {
            EXPECT_EQ(sender, port.get());
            blockSizes.push_back(size);
            received.append(reinterpret_cast<const char*>(data), size);
        });
    }

    std::unique_ptr<TSerialPortDriver> makePort()
    {
        return std::make_unique<TSerialPortDriver>(nullptr, [this](const QByteArray& name) {
            if (name == "COM1")
                return com1.path();
            if (name == "COM2")
                return com2.path();
            return QStringLiteral("/nonexistent/") + QString::fromLatin1(name);
        });
    }
    const QTimer& pollTimer() const { return *port->findChild<QTimer*>(QStringLiteral("PollTimer")); }
    bool receive(const QByteArray& expected)
    {
        return processUntil([&] { return received.size() >= expected.size(); }, 3000) && received == expected;
    }
    // Long enough for bytes written to a pseudo-terminal to reach the far end's queue.
    static void letTheLineSettle() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }

    PseudoTerminal com1;
    PseudoTerminal com2;
    std::unique_ptr<TSerialPortDriver> port = makePort();
    QByteArray received;
    std::vector<int32_t> blockSizes;
};

TEST(SerialPortNames, ComOneToFourAreTheOnBoardPorts)
{
    EXPECT_EQ(onBoardComPortPath("COM1"), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(onBoardComPortPath("COM4"), QStringLiteral("/dev/ttyS3"));

    QByteArray asked;
    TSerialPortDriver port(nullptr, [&](const QByteArray& name) {
        asked = name;
        return QStringLiteral("/nonexistent/port");
    });
    EXPECT_EQ(port.ComPort(), pnCOM2);
    EXPECT_FALSE(port.OpenPort());
    EXPECT_EQ(asked, "COM2");
    EXPECT_FALSE(port.IsPortOpen());
}

TEST_F(PortOnPseudoTerminal, ANewPortIsSetUpAsTheComponentsDefaultsSay)
{
    auto fresh = makePort();
    EXPECT_EQ(fresh->ComPortSpeed(), br9600);
    EXPECT_EQ(fresh->ComPortInBufSize(), 2048);
    EXPECT_EQ(fresh->ComPortOutBufSize(), 2048);
    EXPECT_EQ(fresh->ComPortPollingDelay(), 50);
    EXPECT_TRUE(fresh->EnableDTROnOpen());
    EXPECT_EQ(fresh->OutputTimeout(), 4000);

    fresh->SetComPort(pnCOM1);
    ASSERT_TRUE(fresh->OpenPort());
    const PseudoTerminal::LineSettings line = com1.lineSettings();
    EXPECT_EQ(line.baud, 9600u);
    EXPECT_EQ(line.stopBits, 1);
    EXPECT_FALSE(line.rtsCts);
    EXPECT_FALSE(line.xonXoff);
}

TEST_F(PortOnPseudoTerminal, DeliversEachNonEmptyBlockUntilClosed)
{
    EXPECT_FALSE(pollTimer().isActive());
    ASSERT_TRUE(port->OpenPort());
    EXPECT_TRUE(port->IsPortOpen());
    EXPECT_TRUE(pollTimer().isActive());
    EXPECT_EQ(pollTimer().interval(), 50);

    processFor(200);  // idle polls call nobody
    EXPECT_TRUE(blockSizes.empty());
    com1.write("\x0A" "123\x0D");
    EXPECT_TRUE(receive("\x0A" "123\x0D"));
    for (int32_t size : blockSizes)
        EXPECT_GT(size, 0);

    port->ClosePort();
    EXPECT_FALSE(port->IsPortOpen());
    EXPECT_FALSE(pollTimer().isActive());
    com1.write("late");
    processFor(200);
    EXPECT_EQ(received, "\x0A" "123\x0D");
    port->ClosePort();  // closing a closed port does nothing
}

// The window busy for 30 s while the thermometer sends at 2400 baud: its 7200 bytes wait on the
// line (the terminal's read queue and the kernel's buffers behind it, which take 64 KiB and more)
// and all arrive, in order, once the polls run again.
TEST_F(PortOnPseudoTerminal, AThirtySecondStallAt2400BaudLosesNoByte)
{
    port->SetComPortSpeed(br2400);
    ASSERT_TRUE(port->OpenPort());
    QByteArray sent;
    for (int i = 0; sent.size() < 7200; ++i)
        sent += QByteArray::number(100000 + i) + "\r\n";
    sent.truncate(7200);
    std::thread line([&] {
        // 240 bytes a second, in blocks of 24 as a UART's interrupts would hand them on.
        for (qsizetype at = 0; at < sent.size(); at += 24) {
            com1.write(sent.mid(at, 24));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    std::this_thread::sleep_for(std::chrono::seconds(30));
    line.join();
    EXPECT_TRUE(receive(sent)) << received.size() << " of " << sent.size() << " bytes";
}

TEST_F(PortOnPseudoTerminal, OpeningDiscardsWhatWaitedButOpeningAgainDoesNot)
{
    com1.write("stale");
    letTheLineSettle();
    ASSERT_TRUE(port->OpenPort());
    com1.write("fresh");
    letTheLineSettle();
    EXPECT_TRUE(port->OpenPort());  // already open: no new set-up, no purge
    EXPECT_TRUE(receive("fresh"));
}

TEST_F(PortOnPseudoTerminal, APortInUseDoesNotOpenUntilItsHolderIsDestroyed)
{
    ASSERT_TRUE(port->OpenPort());
    auto second = makePort();
    second->SetComPort(pnCOM1);
    EXPECT_FALSE(second->OpenPort());
    port.reset();
    EXPECT_TRUE(second->OpenPort());
}

TEST_F(PortOnPseudoTerminal, PortAndBufferChangesAreRefusedWhileOpenAndTakenWhenClosed)
{
    ASSERT_TRUE(port->OpenPort());
    port->SetComPort(pnCOM2);
    port->SetComPortInBufSize(4);
    port->SetComPortOutBufSize(16);
    EXPECT_EQ(port->ComPort(), pnCOM1);
    EXPECT_EQ(port->ComPortInBufSize(), 2048);
    EXPECT_EQ(port->ComPortOutBufSize(), 2048);
    port->ClosePort();  // the refused port is not taken up now either
    ASSERT_TRUE(port->OpenPort());
    com1.write("still COM1");
    EXPECT_TRUE(receive("still COM1"));

    port->ClosePort();
    port->SetComPort(pnCOM2);
    port->SetComPortInBufSize(4);
    ASSERT_TRUE(port->OpenPort());
    received.clear();
    blockSizes.clear();
    com2.write("COM2, four bytes a poll");
    EXPECT_TRUE(receive("COM2, four bytes a poll"));
    for (int32_t size : blockSizes)
        EXPECT_LE(size, 4);
}

// Every rate of the list reaches the line, the two that POSIX has no constant for included.
TEST_F(PortOnPseudoTerminal, EverySpeedIsAppliedAtOnceWhileOpen)
{
    ASSERT_TRUE(port->OpenPort());
    for (int rate = br110; rate <= br115200; ++rate) {
        port->SetComPortSpeed(TComPortBaudRate(rate));
        EXPECT_EQ(com1.lineSettings().baud, uint32_t(baudRateNumber(TComPortBaudRate(rate)))) << "rate " << rate;
    }
}

TEST_F(PortOnPseudoTerminal, LineSettingsAreStoredWhileClosedAndAppliedAtOnceWhileOpen)
{
    port->SetComPortSpeed(br14400);
    port->SetComPortDataBits(db7BITS);
    port->SetComPortParity(ptODD);
    port->SetComPortStopBits(sb2BITS);
    port->SetComPortHwHandshaking(hhRTSCTS);
    ASSERT_TRUE(port->OpenPort());
    const PseudoTerminal::LineSettings line = com1.lineSettings();
    EXPECT_EQ(line.baud, 14400u);
    EXPECT_EQ(line.stopBits, 2);
    EXPECT_TRUE(line.rtsCts);

    struct Case {
        std::function<void()> change;
        std::function<bool(const PseudoTerminal::LineSettings&)> onTheLine;
    };
    const Case cases[] = {
        // Qt on Linux has no one and a half stop bits and sets one.
        {[&] { port->SetComPortStopBits(sb1HALFBITS); }, [](auto& l) { return l.stopBits == 1; }},
        {[&] { port->SetComPortStopBits(sb2BITS); }, [](auto& l) { return l.stopBits == 2; }},
        {[&] { port->SetComPortHwHandshaking(hhNONE); }, [](auto& l) { return !l.rtsCts && !l.xonXoff; }},
        {[&] { port->SetComPortSwHandshaking(shXONXOFF); }, [](auto& l) { return !l.rtsCts && l.xonXoff; }},
        {[&] { port->SetComPortSpeed(br56000); }, [](auto& l) { return l.baud == 56000 && l.xonXoff; }},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        cases[i].change();
        EXPECT_TRUE(cases[i].onTheLine(com1.lineSettings())) << "case " << i;
    }
}

TEST_F(PortOnPseudoTerminal, ANewPollingDelayRestartsThePollOnlyWhileOpen)
{
    port->SetComPortPollingDelay(120);
    EXPECT_FALSE(pollTimer().isActive());
    ASSERT_TRUE(port->OpenPort());
    EXPECT_EQ(pollTimer().interval(), 120);
    port->SetComPortPollingDelay(20);
    EXPECT_TRUE(pollTimer().isActive());
    EXPECT_EQ(pollTimer().interval(), 20);
    com1.write("polled");
    EXPECT_TRUE(receive("polled"));
}

TEST_F(PortOnPseudoTerminal, AFailingHandlerIsReportedAndPollingGoesOn)
{
    QStringList failures;
    port->SetOnHandlerFailure([&](const QString& message) { failures << message; });
    port->SetOnReceiveData([&](TSerialPortDriver*, const uint8_t* data, int32_t size) {
        received.append(reinterpret_cast<const char*>(data), size);
        if (received.contains('!'))
            throw ProgramError("'12C4' is not a valid integer value");
    });
    ASSERT_TRUE(port->OpenPort());
    com1.write("bad!");
    ASSERT_TRUE(processUntil([&] { return !failures.isEmpty(); }, 3000));
    EXPECT_EQ(failures, QStringList{QStringLiteral("'12C4' is not a valid integer value")});
    received.clear();
    port->SetOnReceiveData([&](TSerialPortDriver*, const uint8_t* data, int32_t size) {
        received.append(reinterpret_cast<const char*>(data), size);
    });
    com1.write("next");
    EXPECT_TRUE(receive("next"));  // the failed block is not delivered again
}

}  // namespace
