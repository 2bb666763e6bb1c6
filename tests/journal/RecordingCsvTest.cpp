#include "journal/RecordingCsv.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

JournalRow row(std::optional<int32_t> no, const QDateTime& at, std::optional<double> value, QByteArray unit)
{
    // The table's texts are set to what the CSV must not show.
    return {.no = no, .time = "99:99:99", .valueText = "--", .unitText = "?", .takenAt = at, .value = value,
            .unit = std::move(unit)};
}

QDateTime at(int hour, int minute, int second, int ms, int offsetSeconds)
{
    return QDateTime(QDate(2026, 12, 10), QTime(hour, minute, second, ms), Qt::OffsetFromUTC, offsetSeconds);
}

}  // namespace

TEST(RecordingCsv, OneLinePerRowWithIsoTimesInTheirOwnOffsetPlainNumbersAndNamedUnits)
{
    const std::vector<JournalRow> rows{
        row(1, at(13, 14, 16, 250, 3600), 25.3, "C"),
        row(std::nullopt, at(8, 14, 17, 0, -5 * 3600), -4.5, "F"),
        row(3, at(12, 14, 18, 5, 0), std::nullopt, ""),
        row(-7, at(18, 44, 19, 999, 5 * 3600 + 1800), 100.0, "C"),
        row(2147483647, at(0, 0, 0, 0, 17 * 60 + 30), 0.1 + 0.2, "K"),
    };
    const QByteArray expected = "No,Date and time,Value,Unit\r\n"
                                "1,2026-12-10T13:14:16.250+01:00,25.3,\u00B0C\r\n"
                                ",2026-12-10T08:14:17.000-05:00,-4.5,\u00B0F\r\n"
                                "3,2026-12-10T12:14:18.005+00:00,,\r\n"
                                "-7,2026-12-10T18:44:19.999+05:30,100,\u00B0C\r\n"
                                "2147483647,2026-12-10T00:00:00.000+00:17:30,0.30000000000000004,\r\n";
    EXPECT_EQ(RecordingCsv::text(rows), expected);
    EXPECT_EQ(RecordingCsv::text({}), QByteArray("No,Date and time,Value,Unit\r\n"));
}

TEST(RecordingCsv, NumbersAreTheShortestPlainDecimalThatReadsBackExactly)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {25.3, "25.3"},
        {-4.5, "-4.5"},
        {100.0, "100"},
        {0.0, "0"},
        {-0.0, "-0"},
        {1e-7, "0.0000001"},
        {1e21, "1000000000000000000000"},
        {1.0 / 3, "0.3333333333333333"},
        {std::numeric_limits<double>::quiet_NaN(), ""},
        {-std::numeric_limits<double>::infinity(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecordingCsv::number(c.value), QByteArray(c.text)) << c.text;

    // Any finite double at all, with no exponent and no comma.
    std::mt19937_64 random(612);
    for (int i = 0; i < 20000; ++i) {
        uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (i % 2)
            value = std::uniform_real_distribution<double>(-200.0, 1800.0)(random);
        if (!std::isfinite(value))
            continue;
        const QByteArray text = RecordingCsv::number(value);
        double back = 0;
        const auto read = std::from_chars(text.constData(), text.constData() + text.size(), back);
        ASSERT_EQ(read.ec, std::errc()) << text.constData();
        ASSERT_EQ(read.ptr, text.constData() + text.size()) << text.constData();
        ASSERT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text.constData();
        ASSERT_FALSE(text.contains('e') || text.contains(',')) << text.constData();
    }
}

TEST(RecordingCsv, FieldsAreQuotedOnlyWhenTheyMustBe)
{
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"\u00B0C", "\u00B0C"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"line\n", "\"line\n\""},
        {"cr\r", "\"cr\r\""},
    };
    for (const auto& c : cases) {
        QByteArray csv = "x,";
        RecordingCsv::appendField(csv, c.text);
        EXPECT_EQ(csv, QByteArray("x,") + c.field) << c.text;
    }
}
