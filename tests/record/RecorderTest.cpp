#include "base/IntegerText.h"
#include "base/LocaleTexts.h"
#include "chart/ChartEngine.h"
#include "chart/TChartControl.h"
#include "dialogs/MessageCodes.h"
#include "dialogs/PlatformMessageBox.h"
#include "record/MeasurementTable.h"
#include "record/Recorder.h"
#include "record/RecordLimitMenu.h"
#include "record/SamplingInterval.h"
#include "widgets/NumberBoxFilter.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

using namespace PlatformMessageBox;

namespace {

struct Question {
    QString text;
    QString caption;
    unsigned flags;
};

// The window's controls as they start: Repeat and Sampling Interval ticked, interval "1",
// RecallData unticked; a clock that stands still unless a test moves it.
class FakeControls : public RecordingControls, public RecorderHost, public UserMessages {
public:
    bool repeat = true;
    bool sampling = true;
    bool recall = false;
    QByteArray interval = "1";
    QTime clock{13, 14, 15};
    int answer = IDOK;
    std::function<void()> whileAsking;
    std::function<void()> onSave;

    std::optional<int32_t> pageLabel;
    std::vector<Question> questions;
    int saves = 0;

    bool repeatTicked() const override { return repeat; }
    bool samplingTicked() const override { return sampling; }
    QByteArray intervalText() const override { return interval; }
    void switchOffSamplingInterval() override { sampling = false; }
    bool recallTicked() const override { return recall; }
    QTime currentTimeOfDay() const override { return clock; }
    void setPageLabel(int32_t page) override { pageLabel = page; }
    MessageAnswer askInBox(const QString& text, const QString& caption, MessageChoices choices,
                           MessageTone tone) override
    {
        questions.push_back({text, caption, MessageCodes::boxFlags(choices, tone)});
        if (whileAsking)
            whileAsking();
        return MessageCodes::answer(answer);
    }
    MessageAnswer askInDialog(const QString&, MessageTone, MessageChoices) override { return MessageAnswer::Cancel; }
    void runSave() override
    {
        ++saves;
        if (onSave)
            onSave();
    }
};

struct Row {
    std::optional<int32_t> no;
    QByteArray time;
    QByteArray value;
    QByteArray unit;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& r, std::ostream* os)
{
    *os << "{" << (r.no ? std::to_string(*r.no) : "-") << ", " << r.time.constData() << ", '"
        << r.value.constData() << "', " << r.unit.constData() << "}";
}

QString limitText(int limit)
{
    return QString("Measurement data exceeds %1 sets!Save and remove on-screen data before proceeding next "
                   "measurement.")
        .arg(limit);
}

// The recorder with the real table and chart pager, in the state the program starts with.
class RecorderTest : public testing::Test {
protected:
    RecorderTest() : pager(chart, 100)
    {
        recorder.setStartTime(kStartTime);
        pager.SetYMaximum(100);
        pager.SetYMinimum(-50);
    }

    void read(const QByteArray& text, float value, const QByteArray& unit = "#")
    {
        recorder.recordReading({text, value, unit});
    }

    // Distinct readings, one per call, with sampling and Repeat out of the way.
    void readMany(int count)
    {
        for (int i = 0; i < count; ++i)
            read(QByteArray::number(i % 1000), float(i % 1000) / 10);
    }

    Row row(int index) const
    {
        const MeasurementRow r = table.row(index);
        return {r.no(), r.time()->toByteArray(), r.value()->toByteArray(), r.unit()->toByteArray()};
    }

    // Points on the chart, the start point not counted.
    int64_t plotted() const { return chart.series(0).count() - 1; }

    void chooseLimit(const char* caption)
    {
        for (const RecordLimitItem& item : kRecordLimitItems)
            if (QByteArray(item.caption) == caption)
                recorder.setLimit(item.limit);
    }

    static inline const double kStartTime =
        LocaleTexts::toDayCount(QDateTime(QDate(2026, 12, 10), QTime(8, 30, 5, 700)));
    MeasurementTable table;
    ChartEngine chart;
    TChartControl pager;
    FakeControls controls;
    Recorder recorder{table, pager, controls, controls, controls, QLocale::c()};
};

TEST_F(RecorderTest, FirstReadingAtOnceThenOnePerInterval)
{
    read(" 25.3", 25.3f);
    ASSERT_EQ(table.rowCount(), 1);
    EXPECT_EQ(row(0), (Row{1, "13:14:15", " 25.3", "#"}));
    EXPECT_EQ(controls.pageLabel, 1);
    EXPECT_EQ(chart.series(0).value(1), double(25.3f));
    EXPECT_EQ(chart.series(1).value(1), double(25.3f));

    // Until the next tick readings are not samples and use up no number.
    read(" 25.4", 25.4f);
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(recorder.recordNo(), 2);

    recorder.tickSamplingTimer();
    controls.clock = QTime(13, 14, 16);
    read(" 25.5", 25.5f);
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(row(1), (Row{2, "13:14:16", " 25.5", "#"}));
    EXPECT_EQ(recorder.rowCount(), 2);
    EXPECT_EQ(plotted(), 2);
}

TEST_F(RecorderTest, CountdownRunsOnlyWhileSamplingIsTicked)
{
    controls.interval = "3";
    read("1", 0.1f);
    for (int tick = 0; tick < 2; ++tick) {
        recorder.tickSamplingTimer();
        read("2", 0.2f);
    }
    EXPECT_EQ(table.rowCount(), 1);

    // Unticked: every reading is a sample and the countdown is reloaded but stands still.
    controls.sampling = false;
    read("3", 0.3f);
    read("4", 0.4f);
    recorder.tickSamplingTimer();
    EXPECT_EQ(table.rowCount(), 3);
    EXPECT_EQ(recorder.sampleTick(), 3);

    // Ticked again: one whole interval first.
    controls.sampling = true;
    for (int tick = 0; tick < 3; ++tick) {
        read("5", 0.5f);
        recorder.tickSamplingTimer();
    }
    EXPECT_EQ(table.rowCount(), 3);
    read("6", 0.6f);
    EXPECT_EQ(table.rowCount(), 4);

    // A changed interval box restarts the countdown from its text.
    controls.interval = "2";
    recorder.restartSamplingCountdown();
    EXPECT_EQ(recorder.sampleTick(), 2);
    controls.interval = "";
    recorder.restartSamplingCountdown();
    read("7", 0.7f);
    read("8", 0.8f);
    EXPECT_EQ(table.rowCount(), 6);
}

TEST_F(RecorderTest, RepeatFilterDropsEqualReadingsButNumbersThem)
{
    controls.repeat = false;
    controls.sampling = false;
    for (int i = 0; i < 5; ++i)
        read(" 25.3", 25.3f);
    read(" 25.4", 25.4f);
    // Same text in the other unit is a different reading.
    read(" 25.4", 25.4f, "?");
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(row(0).no, 1);
    EXPECT_EQ(row(1).no, 6);
    EXPECT_EQ(row(2), (Row{7, "13:14:15", " 25.4", "?"}));
    EXPECT_EQ(plotted(), 3);
    EXPECT_EQ(recorder.rowCount(), 3);
}

TEST_F(RecorderTest, CloseDataStartsAgainButRemembersTheLastReading)
{
    controls.repeat = false;
    controls.sampling = false;
    read("150.5", 150.5f);
    read("-12.0", -12.0f);

    controls.answer = IDNO;
    recorder.closeData();
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(recorder.recordNo(), 3);

    controls.answer = IDYES;
    recorder.closeData();
    ASSERT_EQ(controls.questions.size(), 2u);
    EXPECT_EQ(controls.questions[1].text, "Do you want to remove on-screen data and create new data?");
    EXPECT_EQ(controls.questions[1].caption, "Tarvion TQ-612");
    EXPECT_EQ(controls.questions[1].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(recorder.recordNo(), 1);
    EXPECT_EQ(recorder.rowCount(), 0);
    EXPECT_EQ(plotted(), 0);
    EXPECT_EQ(recorder.peakValue(), 150.5);
    EXPECT_EQ(pager.YMaximum(), 200.0);

    // The last reading before the clear is still the Repeat filter's reference.
    read("-12.0", -12.0f);
    EXPECT_EQ(table.rowCount(), 0);
    read("-12.1", -12.1f);
    ASSERT_EQ(table.rowCount(), 1);
    EXPECT_EQ(row(0).no, 2);
    EXPECT_EQ(controls.pageLabel, 1);
}

class RecorderLimitTest : public RecorderTest, public testing::WithParamInterface<int> {};

TEST_P(RecorderLimitTest, PromptComesWithTheLimitRowAndRecordingStops)
{
    controls.sampling = false;
    controls.answer = GetParam();
    chooseLimit("1000");
    readMany(999);
    EXPECT_TRUE(controls.questions.empty());

    read("99.9", 99.9f);
    EXPECT_EQ(table.rowCount(), 1000);
    EXPECT_EQ(plotted(), 1000);
    EXPECT_EQ(recorder.recordNo(), 1001);
    ASSERT_EQ(controls.questions.size(), 1u);
    EXPECT_EQ(controls.questions[0].text, limitText(1000));
    EXPECT_EQ(controls.questions[0].caption, "Tarvion TQ-612");
    EXPECT_EQ(controls.questions[0].flags, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(controls.saves, GetParam() == IDOK ? 1 : 0);
    EXPECT_EQ(recorder.rowCount(), 1001);

    readMany(5);
    EXPECT_EQ(table.rowCount(), 1000);
    EXPECT_EQ(controls.questions.size(), 1u);
    EXPECT_EQ(recorder.recordNo(), 1001);

    controls.answer = IDYES;
    recorder.closeData();
    read("20.0", 20.0f);
    ASSERT_EQ(table.rowCount(), 1);
    EXPECT_EQ(row(0).no, 1);
}

INSTANTIATE_TEST_SUITE_P(Answers, RecorderLimitTest, testing::Values(IDOK, IDCANCEL),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param == IDOK ? "Ok" : "Cancel";
                         });

struct LimitChoice {
    const char* name;
    int rows;           // recorded before the limit is chosen
    const char* limit;  // the menu item's caption
    int answer;
    bool prompt;
};

void PrintTo(const LimitChoice& c, std::ostream* os)
{
    *os << c.name;
}

class RecorderLimitChoiceTest : public RecorderTest, public testing::WithParamInterface<LimitChoice> {};

// A limit at or below the rows recorded asks at once, exactly as reaching it does; recording then
// stays stopped, without asking again, until the limit is raised.
TEST_P(RecorderLimitChoiceTest, ALimitAtOrBelowTheRowsRecordedAsksAtOnce)
{
    const LimitChoice& c = GetParam();
    controls.sampling = false;
    controls.answer = c.answer;
    readMany(c.rows);
    controls.sampling = true;  // the countdown of the last row is still running

    chooseLimit(c.limit);
    ASSERT_EQ(controls.questions.size(), c.prompt ? 1u : 0u);
    if (c.prompt) {
        EXPECT_EQ(controls.questions[0].text, limitText(recorder.recordLimit()));
        EXPECT_EQ(controls.questions[0].flags, MB_OKCANCEL | MB_ICONQUESTION);
    }
    EXPECT_EQ(controls.saves, c.prompt && c.answer == IDOK ? 1 : 0);

    controls.sampling = false;
    readMany(3);
    EXPECT_EQ(table.rowCount(), c.rows + (c.prompt ? 0 : 3));
    EXPECT_EQ(controls.questions.size(), c.prompt ? 1u : 0u);

    chooseLimit("limitless");
    readMany(1);
    EXPECT_EQ(table.rowCount(), c.rows + (c.prompt ? 1 : 4));
    EXPECT_EQ(controls.questions.size(), c.prompt ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Choices, RecorderLimitChoiceTest,
                         testing::Values(LimitChoice{"BelowTheRowsOk", 1065, "1000", IDOK, true},
                                         LimitChoice{"FarBelowTheRowsCancel", 4000, "1000", IDCANCEL, true},
                                         LimitChoice{"AtTheRows", 5000, "5000", IDCANCEL, true},
                                         LimitChoice{"AboveTheRows", 500, "1000", IDOK, false}),
                         [](const testing::TestParamInfo<LimitChoice>& info) { return info.param.name; });

TEST_F(RecorderTest, RaisedLimitResumesAndPromptsAgainAtTheNewLimit)
{
    controls.sampling = false;
    controls.answer = IDCANCEL;
    chooseLimit("1000");
    readMany(1000);
    ASSERT_EQ(controls.questions.size(), 1u);

    chooseLimit("5000");
    readMany(3998);
    EXPECT_EQ(controls.questions.size(), 1u);
    readMany(1);
    EXPECT_EQ(table.rowCount(), 4999);
    EXPECT_EQ(recorder.rowCount(), 5000 + 1);
    ASSERT_EQ(controls.questions.size(), 2u);
    EXPECT_EQ(controls.questions[1].text, limitText(5000));
}

TEST_F(RecorderTest, NothingIsRecordedWhileThePromptIsOpenOrAfterTheSaveFails)
{
    controls.sampling = false;
    chooseLimit("1000");
    readMany(999);
    // The box's event loop may deliver more readings, and the save may fail.
    controls.whileAsking = [this] { read("1.0", 1.0f); };
    controls.onSave = [] { throw ProgramError("Cannot write the file."); };
    EXPECT_THROW(read("2.0", 2.0f), ProgramError);
    EXPECT_EQ(controls.questions.size(), 1u);
    EXPECT_EQ(table.rowCount(), 1000);

    controls.whileAsking = nullptr;
    read("3.0", 3.0f);
    EXPECT_EQ(controls.questions.size(), 1u);
    EXPECT_EQ(table.rowCount(), 1000);
}

TEST_F(RecorderTest, RecallDataStampsEveryRowWithTheStartTime)
{
    Recorder finnish(table, pager, controls, controls, controls, QLocale(QLocale::Finnish, QLocale::Finland));
    finnish.setStartTime(kStartTime);
    controls.sampling = false;
    controls.recall = true;
    finnish.recordReading({"1"});
    controls.clock = QTime(17, 0, 0);
    finnish.recordReading({"2"});
    controls.recall = false;
    finnish.recordReading({"3"});
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(row(0).time, "08.30.05");
    EXPECT_EQ(row(1).time, "08.30.05");
    EXPECT_EQ(row(2).time, "17.00.00");
}

struct PeakCase {
    std::vector<float> readings;
    double peak;
    double yMaximum;
};

void PrintTo(const PeakCase& c, std::ostream* os)
{
    for (float r : c.readings)
        *os << r << ' ';
}

class RecorderPeakTest : public RecorderTest, public testing::WithParamInterface<PeakCase> {};

TEST_P(RecorderPeakTest, ValueAxisGrowsToTheHundredAboveTheRoundedPeak)
{
    controls.sampling = false;
    for (float value : GetParam().readings)
        read(QByteArray::number(value), value);
    EXPECT_EQ(recorder.peakValue(), GetParam().peak);
    EXPECT_EQ(pager.YMaximum(), GetParam().yMaximum);
}

INSTANTIATE_TEST_SUITE_P(Peaks, RecorderPeakTest,
                         testing::Values(PeakCase{{99.4f}, double(99.4f), 100}, PeakCase{{99.5f}, 99.5, 200},
                                         PeakCase{{150.5f}, 150.5, 200}, PeakCase{{250.0f}, 250.0, 300},
                                         PeakCase{{250.0f, 120.0f}, 250.0, 300},
                                         PeakCase{{-5.0f, -20.0f}, 0.0, 100},
                                         PeakCase{{855.0f}, 855.0, 900}));

TEST(RecorderSettings, IntervalTexts)
{
    constexpr int32_t kLongest = std::numeric_limits<int32_t>::max();
    const std::pair<const char*, int32_t> cases[] = {
        {"", 0}, {"-", 0}, {"+", 0}, {"0", 0}, {"1", 1}, {"0060", 60}, {"+5", 5}, {"  7", 7},
        // Pasted texts: the leading number counts, a negative one or none is 0.
        {"-5", 0}, {"12 s", 12}, {"1.5", 1}, {"abc", 0}, {" ", 0},
        {"2147483647", kLongest}, {"2147483648", kLongest}, {"99999999999999999999999", kLongest},
    };
    for (const auto& [text, seconds] : cases)
        EXPECT_EQ(intervalSeconds(text), seconds) << '"' << text << '"';
}

TEST(RecorderSettings, OnlyDigitsAndBackspaceMayBeTyped)
{
    for (char16_t c : u"0123456789\b")
        if (c)
            EXPECT_TRUE(isIntervalKey(c)) << int(c);
    for (char16_t c : u"-+ .,aZ\r\x7f\u0661")
        if (c)
            EXPECT_FALSE(isIntervalKey(c)) << int(c);
}

TEST(RecorderSettings, EachLimitTicksOnlyItsOwnItem)
{
    const std::pair<const char*, int32_t> expected[] = {{"N10001", 1000},    {"N50001", 5000},
                                                        {"N100001", 10000},  {"N500001", 50000},
                                                        {"N1000001", 100000}, {"limitess", 10000000}};
    ASSERT_EQ(kRecordLimitItems.size(), std::size(expected));
    for (size_t chosen = 0; chosen < kRecordLimitItems.size(); ++chosen) {
        EXPECT_STREQ(kRecordLimitItems[chosen].objectName, expected[chosen].first);
        EXPECT_EQ(kRecordLimitItems[chosen].limit, expected[chosen].second);
        for (size_t i = 0; i < kRecordLimitItems.size(); ++i)
            EXPECT_EQ(isRecordLimitTicked(kRecordLimitItems[i], expected[chosen].second), i == chosen);
    }
}

}  // namespace
