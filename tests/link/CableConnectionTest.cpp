// The cable connection against the simulated bus, with the window's panels faked.
#include "link/CableConnection.h"
#include "link/HidControllerClass.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <vector>

using Received = SimulatedHidBackend::ReceivedReport;

namespace {

QByteArray zeroPadded(std::initializer_list<int> values, int size)
{
    QByteArray result = bytes(values);
    result.append(QByteArray(size - result.size(), '\0'));
    return result;
}

const QString kNotConnected = QStringLiteral("USB interface cable is not securely connected, please check and re-try.");
const QString kNoProduct = QString::fromUtf8("USB端未连接产品，请检查!");
const QString kMeterSilent =
    QStringLiteral("USB interface cable is securely connected, please check if the meter is ready.");
const QString kDeleteRecord = QStringLiteral("Are you sure that you want to delete this record?");

const Received kFeature{Received::Feature, bytes({0x00, 0x60, 0x09, 0, 0, 3, 0, 0, 0, 0})};
const Received kPoll{Received::Output, zeroPadded({0x00, 0x02, 0x5A}, 9)};
const Received kStartLive{Received::Output, zeroPadded({0x00, 0x01, 90}, 9)};
const Received kStartDownload{Received::Output, zeroPadded({0x00, 0x01, 7}, 9)};
const Received kStop{Received::Output, zeroPadded({0x00, 0x01, 91}, 9)};

struct FakeTopBar : ConnectionControls {
    bool connected = false;
    bool download = false;
    bool downloadEnabled = true;
    int releases = 0;
    QStringList captions;

    bool connectTicked() const override { return connected; }
    void releaseConnectToggle() override
    {
        connected = false;
        ++releases;
    }
    void setConnectCaption(const QString& caption) override { captions << caption; }
    bool downloadTicked() const override { return download; }
    void setDownloadEnabled(bool enabled) override { downloadEnabled = enabled; }
};

struct FakeDeviceList : DeviceListControls {
    QByteArrayList lines;
    int current = -1;

    void clearDeviceLines() override
    {
        lines.clear();
        current = -1;
    }
    void addDeviceLine(const QByteArray& line) override { lines << line; }
    void setCurrentDeviceRow(int row) override { current = row; }
    int selectedDeviceRow() const override { return current; }
};

struct FakeDiagnostics : DiagnosticControls {
    QByteArrayList history;
    bool read = false;
    QByteArray frameText;

    void addHistoryLine(const QByteArray& line) override { history << line; }
    void clearHistory() override { history.clear(); }
    bool readTicked() const override { return read; }
    void releaseReadButton() override { read = false; }
    CableReports::BaudBoxes baudBoxes() const override { return {false, false, true}; }
    void showFrameText(const QByteArray& frame) override { frameText = frame; }
    void showMarkedFrameText(const QByteArray&) override {}
};

struct FakeReadings : ReadingTarget {
    QByteArrayList decoded;
    int samplingSwitchedOff = 0;
    int newRecordings = 0;
    int connectionsLost = 0;
    int64_t unkept = 0;
    int32_t recordNo = 1;
    std::function<void()> whileDecoding;

    void frameClosed(const QByteArray&) override {}
    void setMeasuringRange(int32_t, int32_t) override {}
    int32_t nextRecordNo() const override { return recordNo; }

    void decodeFrame(const QByteArray& frameText) override
    {
        decoded << frameText;
        if (whileDecoding)
            std::exchange(whileDecoding, {})();
    }
    void switchOffSamplingInterval() override { ++samplingSwitchedOff; }
    void startNewRecording() override { ++newRecordings; }
    void connectionLost() override { ++connectionsLost; }
    int64_t unkeptRows() const override { return unkept; }
};

struct FakeMessages : UserMessages {
    struct Notice {
        QString text;
        MessageTone tone;
        bool operator==(const Notice&) const = default;
    };
    std::vector<Notice> notices;
    QStringList questions;
    bool answerYes = false;
    std::function<void()> whileAsking;
    std::function<void()> whileTelling;

    MessageAnswer askInBox(const QString&, const QString&, MessageChoices, MessageTone) override
    {
        return MessageAnswer::Cancel;
    }
    // Notices with an OK button; questions with Yes and No.
    MessageAnswer askInDialog(const QString& text, MessageTone tone, MessageChoices choices) override
    {
        if (choices == MessageChoices::Ok) {
            notices.push_back({text, tone});
            if (whileTelling)
                whileTelling();
            return MessageAnswer::Ok;
        }
        questions << text;
        if (whileAsking)
            whileAsking();
        return answerYes ? MessageAnswer::Yes : MessageAnswer::No;
    }
};

// A connection on its own simulated bus that never waits for its clock. Devices plugged before
// start() are the ones it lists first.
struct Rig {
    void start()
    {
        connection = std::make_unique<CableConnection>(
            bus, CableConnectionPorts{topBar, deviceList, diagnostics, readings, messages}, nullptr,
            [this] { return clockMs; });
    }
    // As the toggle does: it flips, then runs its click handler.
    void clickConnect()
    {
        topBar.connected = !topBar.connected;
        connection->connectOrDisconnect();
    }
    std::vector<Received> received() const { return bus->receivedReports(cable); }
    // Reports of the cable that carry no payload, as a silent meter leaves them.
    void reportsWithoutPayload(int count)
    {
        const uint8_t empty = 0;
        for (int i = 0; i < count; ++i)
            connection->framer().handleReport(0, &empty, 1);
    }
    // Time passes tick by tick, and the watchdog runs on each, as the old free-running timer ran.
    void tick(int times)
    {
        for (int i = 0; i < times; ++i) {
            clockMs += WatchdogGrid::kTickMs;
            connection->checkWatchdog();
        }
    }

    int64_t clockMs = 0;

    std::shared_ptr<SimulatedHidBackend> bus = std::make_shared<SimulatedHidBackend>(
        SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::Fast, 1.0});
    SimulatedHidBackend::DeviceId cable = -1;
    FakeTopBar topBar;
    FakeDeviceList deviceList;
    FakeDiagnostics diagnostics;
    FakeReadings readings;
    FakeMessages messages;
    std::unique_ptr<CableConnection> connection;
};

const SimulatedHidBackend::DeviceSpec kMouse{.vendorId = 0x046D, .productId = 0xC077};

}  // namespace

TEST(CableConnection, TheWatchdogGivesUpOnASilentMeterAndKeepsALiveOneAwake)
{
    struct Case {
        const char* name;
        bool connected;
        int32_t reportsWithoutPayload;
        int ticks;
        int polls;     // keep-alive polls sent
        bool givenUp;  // warned once, toggle released, report handler unbound
    };
    const Case cases[] = {
        {"a silent meter is given up once, though checked twice", true, 3000, 6, 0, true},
        {"not before the third tick", true, 3000, 2, 0, false},
        {"one report short", true, 2999, 3, 0, false},
        {"a poll after 600 checks", true, 0, 1800, 1, false},
        {"none a check earlier", true, 0, 1797, 0, false},
        {"no poll while disconnected", false, 0, 1800, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        // Without input reports the cable takes a report handler but starts no reader thread.
        rig.cable = rig.bus->plugDevice({.product = QStringLiteral("USB to Serial"),
                                         .reportLengths = {0, SimulatedCable::kOutputReportByteLength,
                                                           SimulatedCable::kFeatureReportByteLength}});
        rig.start();
        if (c.connected)
            rig.clickConnect();
        ASSERT_NE(rig.connection->currentDevice(), nullptr);
        const size_t sentBefore = rig.received().size();
        rig.reportsWithoutPayload(c.reportsWithoutPayload);

        rig.tick(c.ticks);

        const auto sent = rig.received();
        EXPECT_EQ(sent.size(), sentBefore + size_t(c.polls));
        EXPECT_EQ(std::count(sent.begin() + sentBefore, sent.end(), kPoll), c.polls);
        if (c.givenUp)
            EXPECT_EQ(rig.messages.notices, (std::vector<FakeMessages::Notice>{{kMeterSilent, MessageTone::Warning}}));
        else
            EXPECT_TRUE(rig.messages.notices.empty());
        EXPECT_EQ(rig.readings.connectionsLost, c.givenUp ? 1 : 0);
        const bool connected = c.connected && !c.givenUp;
        EXPECT_EQ(rig.topBar.connected, connected);
        if (c.connected)
            EXPECT_EQ(bool(rig.connection->currentDevice()->ReportHandler()), connected);
        EXPECT_EQ(rig.topBar.captions.back(), connected ? QStringLiteral("USB Disconnect") : QStringLiteral("USB Connect"));
    }
}

// The watchdog sleeps until the next check that can change anything: the keep-alive poll while
// connected, the check after a silent meter's 3000th empty report; nothing while disconnected.
TEST(CableConnection, TheWatchdogWakesOnlyForTheNextCheckThatMatters)
{
    Rig rig;
    rig.cable = rig.bus->plugCable();
    rig.start();
    QTimer* timer = rig.connection->watchdogTimer();
    EXPECT_FALSE(timer->isActive());

    rig.clickConnect();
    ASSERT_TRUE(timer->isActive());
    // Checks fall on ticks 2, 5, 8, ...: the 600th on tick 1799, which comes at 18000 ms.
    EXPECT_EQ(timer->interval(), 18000);
    EXPECT_EQ(rig.topBar.captions.back(), QStringLiteral("USB Disconnect"));

    // A frame at 55 ms, after the first check (tick 2, at 30 ms), starts the cycle on tick 5:
    // the 599 checks still due end on tick 1801.
    rig.clockMs = 55;
    rig.connection->frameDecoded();
    EXPECT_EQ(timer->interval(), 18020 - 55);

    rig.clickConnect();
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(rig.topBar.captions.back(), QStringLiteral("USB Connect"));
}

// Driven by its deadlines alone, the watchdog polls and gives up on exactly the ticks on which a
// timer ticking every 10 ms and checking every third tick did, whatever comes between them.
TEST(CableConnection, TheWatchdogsDeadlinesMatchTheTickingTimer)
{
    enum class Event { Frame, EmptyReports, Connect, Disconnect };
    struct Step {
        int64_t at;
        Event event;
        int reports;
    };
    struct Outcome {
        std::vector<int64_t> polls, givenUp;  // tick indices
        bool operator==(const Outcome&) const = default;
        std::string text() const
        {
            std::string result = "polls";
            for (int64_t tick : polls)
                result += " " + std::to_string(tick);
            result += ", given up";
            for (int64_t tick : givenUp)
                result += " " + std::to_string(tick);
            return result;
        }
    };
    // The timer as it ran: every tick, IdleTicks counts to 2, and on 2 the checks run.
    auto ticking = [](const std::vector<Step>& steps, int64_t end) {
        Outcome outcome;
        int idle = 0, watchdogTicks = 0, reportCount = 0;
        bool connected = false;
        size_t next = 0;
        for (int64_t tick = 0;; ++tick) {
            const int64_t at = (tick + 1) * WatchdogGrid::kTickMs;
            for (; next < steps.size() && steps[next].at < at; ++next) {
                const Step& step = steps[next];
                if (step.event == Event::Frame)
                    idle = 0;
                else if (step.event == Event::EmptyReports && connected)
                    reportCount += step.reports;
                else if (step.event == Event::Connect || step.event == Event::Disconnect) {
                    reportCount = watchdogTicks = 0;
                    connected = step.event == Event::Connect;
                }
            }
            if (at > end)
                return outcome;
            if (idle == 2) {
                if (connected && ++watchdogTicks >= 600) {
                    watchdogTicks = 0;
                    outcome.polls.push_back(tick);
                }
                if (reportCount >= 3000) {
                    reportCount = 0;
                    connected = false;
                    outcome.givenUp.push_back(tick);
                }
                idle = 0;
            } else {
                ++idle;
            }
        }
    };

    std::mt19937 random(612);
    for (int script = 0; script < 60; ++script) {
        SCOPED_TRACE(script);
        std::vector<Step> steps;
        int64_t at = 1;
        bool connected = false;
        for (int i = 0; i < 40; ++i) {
            at += std::uniform_int_distribution<int64_t>(1, random() % 4 == 0 ? 40000 : 400)(random);
            const int kind = int(random() % 8);
            Event event = kind < 4 ? Event::Frame : kind < 6 ? Event::EmptyReports : Event::Connect;
            if (event == Event::Connect && connected)
                event = Event::Disconnect;
            if (event == Event::Connect || event == Event::Disconnect)
                connected = !connected;
            steps.push_back({at, event, int(random() % 3200)});
        }
        const int64_t end = at + 60000;

        Rig rig;
        rig.cable = rig.bus->plugDevice({.product = QStringLiteral("USB to Serial"),
                                         .reportLengths = {0, SimulatedCable::kOutputReportByteLength,
                                                           SimulatedCable::kFeatureReportByteLength}});
        rig.start();
        Outcome deadlines;
        int64_t due = -1;
        auto noteDue = [&] { due = rig.connection->watchdogDue().value_or(-1); };
        auto runDueUntil = [&](int64_t until) {
            while (due >= 0 && due <= until) {
                rig.clockMs = due;
                const size_t sent = rig.received().size();
                const size_t told = rig.messages.notices.size();
                rig.connection->checkWatchdog();
                const int64_t tick = rig.clockMs / WatchdogGrid::kTickMs - 1;
                if (rig.received().size() > sent)
                    deadlines.polls.push_back(tick);
                if (rig.messages.notices.size() > told)
                    deadlines.givenUp.push_back(tick);
                noteDue();
            }
        };
        const uint8_t empty = 0;
        for (const Step& step : steps) {
            runDueUntil(step.at);
            rig.clockMs = step.at;
            if (step.event == Event::Frame) {
                rig.connection->frameDecoded();
            } else if (step.event == Event::EmptyReports) {
                THidDevice* cable = rig.connection->currentDevice();
                if (cable && cable->ReportHandler())
                    for (int i = 0; i < step.reports; ++i)
                        cable->ReportHandler()(cable, 0, &empty, 1);
            } else if ((step.event == Event::Connect) != rig.topBar.connected) {
                rig.clickConnect();
            } else {
                continue;  // the toggle was released by the watchdog meanwhile
            }
            noteDue();
        }
        runDueUntil(end);

        EXPECT_EQ(deadlines.text(), ticking(steps, end).text());

    }
}

TEST(CableConnection, ConnectStartsLiveReadingAndDisconnectStopsIt)
{
    Rig rig;
    rig.cable = rig.bus->plugCable();
    rig.start();
    rig.diagnostics.history.clear();

    rig.clickConnect();
    EXPECT_EQ(rig.received(), (std::vector<Received>{kFeature, kPoll, kStartLive}));
    EXPECT_EQ(rig.diagnostics.history.mid(0, 3),
              (QByteArrayList{"60 09 00 00 03 00 00 00 00 00 ", "02 5A 00 00 00 00 00 00 00 ",
                              "01 5A 00 00 00 00 00 00 00 "}));
    EXPECT_FALSE(rig.topBar.downloadEnabled);
    ASSERT_TRUE(processUntil([&] { return rig.readings.decoded.size() >= 2; }));
    EXPECT_EQ(ReportFramer::typeCode(rig.readings.decoded[0]), "AD01");
    EXPECT_TRUE(rig.messages.notices.empty());

    rig.clickConnect();
    const auto sent = rig.received();
    EXPECT_EQ(std::vector<Received>(sent.end() - 2, sent.end()), (std::vector<Received>{kFeature, kStop}));
    EXPECT_FALSE(rig.connection->currentDevice()->ReportHandler());
    EXPECT_TRUE(rig.topBar.downloadEnabled);
    EXPECT_EQ(rig.readings.connectionsLost, 1);
}

TEST(CableConnection, DownloadAsksFirstThenReadsTheStoredReadingsAndStopsAfterTheMarkedOne)
{
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        Rig rig;
        SimulatedCable::Options options;
        options.thermometer.storedReadings = {20.5, 20.6, 20.7};
        rig.cable = rig.bus->plugCable(options);
        rig.start();
        rig.topBar.download = true;
        rig.messages.answerYes = yes;
        // Rows only the table holds are counted in the question.
        rig.readings.unkept = yes ? 0 : 2;
        std::vector<Received> sentWhenAsked;
        rig.messages.whileAsking = [&] { sentWhenAsked = rig.received(); };

        rig.clickConnect();
        EXPECT_EQ(rig.messages.questions,
                  QStringList{yes ? kDeleteRecord
                                  : kDeleteRecord + "\n2 readings are not saved and not kept anywhere else: the "
                                                    "journal cannot write them now."});
        EXPECT_EQ(sentWhenAsked, (std::vector<Received>{kFeature, kPoll}));
        EXPECT_EQ(rig.readings.newRecordings, yes ? 1 : 0);
        ASSERT_TRUE(processUntil([&] { return rig.received().back() == kStop; }));
        EXPECT_EQ(rig.received(), (std::vector<Received>{kFeature, kPoll, kStartDownload, kStop}));
        ASSERT_EQ(rig.readings.decoded.size(), qsizetype(3));
        for (const QByteArray& frame : rig.readings.decoded)
            EXPECT_EQ(ReportFramer::typeCode(frame), "AD07");
        EXPECT_EQ(rig.readings.decoded.back().mid(8, 2), "99");
        EXPECT_GE(rig.readings.samplingSwitchedOff, 3);
    }
}

TEST(CableConnection, WithoutACableEachCommandTellsTheUserAndReleasesTheToggle)
{
    struct Case {
        const char* name;
        std::function<void(CableConnection&)> command;
        FakeMessages::Notice notice;
    };
    const Case cases[] = {
        {"connect", [](CableConnection& c) { c.connectOrDisconnect(); }, {kNotConnected, MessageTone::Warning}},
        {"feature", [](CableConnection& c) { c.sendFeatureReport(); }, {kNotConnected, MessageTone::Warning}},
        {"poll", [](CableConnection& c) { c.sendPoll(); }, {kNotConnected, MessageTone::Warning}},
        {"command", [](CableConnection& c) { c.sendCommand(90); }, {kNoProduct, MessageTone::Information}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.bus->plugDevice(kMouse);
        rig.start();
        rig.topBar.connected = true;
        c.command(*rig.connection);
        EXPECT_EQ(rig.messages.notices, std::vector<FakeMessages::Notice>{c.notice});
        EXPECT_FALSE(rig.topBar.connected);
    }
}

TEST(CableConnection, DownloadDataMayBeChosenAgainHoweverTheConnectionEnds)
{
    struct Case {
        const char* name;
        std::function<void(Rig&)> end;
    };
    const Case cases[] = {
        {"disconnected", [](Rig& rig) { rig.clickConnect(); }},
        {"a silent meter given up",
         [](Rig& rig) {
             rig.reportsWithoutPayload(3000);
             rig.tick(3);
         }},
        {"the cable pulled out",
         [](Rig& rig) {
             rig.bus->unplug(rig.cable);
             ASSERT_TRUE(processUntil([&] { return rig.deviceList.lines.isEmpty(); }));
         }},
        {"no cable for the keep-alive poll",
         [](Rig& rig) {
             rig.deviceList.current = -1;
             rig.connection->sendPoll();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.cable = rig.bus->plugCable();
        rig.start();
        rig.clickConnect();
        ASSERT_FALSE(rig.topBar.downloadEnabled);

        c.end(rig);
        EXPECT_FALSE(rig.topBar.connected);
        EXPECT_TRUE(rig.topBar.downloadEnabled);
    }
}

TEST(CableConnection, TheDeviceListSelectsTheLastExactCableLine)
{
    Rig rig;
    rig.bus->plugDevice(kMouse);
    rig.cable = rig.bus->plugCable();
    rig.bus->plugDevice({.product = QStringLiteral("USB to Serial"), .serialNumber = QStringLiteral("A17")});
    rig.start();
    EXPECT_EQ(rig.deviceList.lines,
              (QByteArrayList{"Device VID=046D PID=C077", "USB to Serial", "USB to Serial (Serial=A17)"}));
    EXPECT_EQ(rig.deviceList.current, 1);
}

TEST(CableConnection, OnlyTheCablesRemovalEndsTheConnection)
{
    Rig rig;
    rig.cable = rig.bus->plugCable();
    const auto mouse = rig.bus->plugDevice(kMouse);
    rig.start();
    rig.clickConnect();

    rig.bus->unplug(mouse);
    ASSERT_TRUE(processUntil([&] { return rig.deviceList.lines.size() == 1; }));
    EXPECT_TRUE(rig.topBar.connected);
    EXPECT_TRUE(rig.diagnostics.history.contains("Removal of Device VID=046D PID=C077"));

    rig.bus->unplug(rig.cable);
    ASSERT_TRUE(processUntil([&] { return rig.deviceList.lines.isEmpty(); }));
    EXPECT_FALSE(rig.topBar.connected);
    EXPECT_EQ(rig.topBar.releases, 1);
    EXPECT_TRUE(rig.diagnostics.history.contains("Removal of USB to Serial"));
}

TEST(CableConnection, TheCablePulledOutWhileConnectedIsToldOnceTheConnectionIsReleased)
{
    struct Case {
        const char* name;
        bool connected;
        bool download;
        QString told;  // %1: the frames decoded before the cable went
    };
    const Case cases[] = {
        // RecordNo is 18 then: the last reading taken was number 17.
        {"recording", true, false, "The cable was unplugged: recording stopped after reading 17."},
        {"downloading", true, true, "The cable was unplugged: the download stopped after %1 readings."},
        {"not connected: nothing stopped", false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        // Paced by its clock (20 times faster than real), so that the reader, which reads ahead of
        // the decoding, has not already read the whole download when the cable goes.
        rig.bus = std::make_shared<SimulatedHidBackend>(
            SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::RealTime, 20.0});
        SimulatedCable::Options options;
        options.thermometer.storedReadings = std::vector<double>(50, 21.5);
        rig.cable = rig.bus->plugCable(options);
        rig.start();
        rig.topBar.download = c.download;
        rig.readings.recordNo = 18;
        // The cable goes as the fifth frame is decoded, however fast the frames come.
        std::function<void()> pullOutAtTheFifth = [&] {
            if (rig.readings.decoded.size() == 5)
                rig.bus->unplug(rig.cable);
            else
                rig.readings.whileDecoding = pullOutAtTheFifth;
        };
        rig.readings.whileDecoding = pullOutAtTheFifth;
        bool releasedWhenTold = false;
        rig.messages.whileTelling = [&] {
            releasedWhenTold = !rig.topBar.connected && rig.deviceList.lines.isEmpty() && !rig.connection->currentDevice()
                               && rig.topBar.captions.value(rig.topBar.captions.size() - 1) == "USB Connect"
                               && rig.readings.connectionsLost == 1;
        };

        if (c.connected)
            rig.clickConnect();
        else
            rig.bus->unplug(rig.cable);
        ASSERT_TRUE(processUntil([&] { return rig.deviceList.lines.isEmpty(); }));
        processFor(100);

        EXPECT_FALSE(rig.topBar.connected);
        EXPECT_TRUE(rig.diagnostics.history.contains("Removal of USB to Serial"));
        if (c.told.isEmpty()) {
            EXPECT_TRUE(rig.messages.notices.empty());
            continue;
        }
        const qsizetype decoded = rig.readings.decoded.size();
        EXPECT_GE(decoded, 5);
        EXPECT_LT(decoded, 50);
        const QString told = c.download ? c.told.arg(decoded) : c.told;
        EXPECT_EQ(rig.messages.notices, (std::vector<FakeMessages::Notice>{{told, MessageTone::Warning}}));
        EXPECT_TRUE(releasedWhenTold);
    }
}

TEST(CableConnection, ADeviceChangeRebindsTheCableOnlyWhileConnected)
{
    Rig rig;
    rig.cable = rig.bus->plugCable();
    rig.start();
    rig.bus->plugDevice(kMouse);
    ASSERT_TRUE(processUntil([&] { return rig.deviceList.lines.size() == 2; }));
    EXPECT_FALSE(rig.connection->currentDevice()->ReportHandler());

    rig.clickConnect();
    ASSERT_TRUE(processUntil([&] { return !rig.readings.decoded.isEmpty(); }));
    rig.bus->plugDevice({.vendorId = 0x1A2B, .productId = 0x0001});
    ASSERT_TRUE(processUntil([&] { return rig.deviceList.lines.size() == 3; }));
    EXPECT_EQ(rig.deviceList.current, 0);
    EXPECT_TRUE(rig.connection->currentDevice()->ReportHandler());
    const auto decoded = rig.readings.decoded.size();
    EXPECT_TRUE(processUntil([&] { return rig.readings.decoded.size() >= decoded + 2; }));
}

TEST(CableConnection, ADeviceChangeWhileAFrameIsDecodedLeavesTheReleasedDeviceAlone)
{
    Rig rig;
    rig.cable = rig.bus->plugCable();
    rig.start();
    // As a dialog opened by the decoder does: its event loop lets the device change through,
    // which releases the device whose report is still being handled. Touching it afterwards is
    // a use after free, which a build with AddressSanitizer reports here.
    rig.readings.whileDecoding = [&] {
        rig.bus->plugDevice(kMouse);
        ASSERT_TRUE(processUntil([&] { return rig.deviceList.lines.size() == 2; }));
    };
    rig.clickConnect();
    ASSERT_TRUE(processUntil([&] { return rig.readings.decoded.size() >= 3; }));
    EXPECT_TRUE(rig.connection->currentDevice()->ReportHandler());
}

TEST(CableConnection, ReadErrorsReachTheHistory)
{
    Rig rig;
    rig.cable = rig.bus->plugCable();
    rig.bus->failReads(rig.cable, 2);
    rig.start();
    rig.clickConnect();
    ASSERT_TRUE(processUntil([&] { return !rig.readings.decoded.isEmpty(); }));
    EXPECT_TRUE(std::any_of(rig.diagnostics.history.begin(), rig.diagnostics.history.end(),
                            [](const QByteArray& line) { return line.startsWith("READ ERROR: "); }));
}
