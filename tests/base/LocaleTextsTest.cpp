#include "base/LocaleTexts.h"

#include <gtest/gtest.h>

TEST(LocaleTexts, DecimalSeparatorFollowsTheLocale)
{
    EXPECT_EQ(LocaleTexts::decimalSeparator(QLocale(QLocale::German, QLocale::Germany)), ",");
    EXPECT_EQ(LocaleTexts::decimalSeparator(QLocale(QLocale::English, QLocale::UnitedStates)), ".");
}

TEST(LocaleTexts, TimeOfDayUsesTwoDigitsAndTheLocaleSeparator)
{
    const QLocale c = QLocale::c();
    EXPECT_EQ(LocaleTexts::timeOfDayText(QTime(9, 5, 3, 999), c), "09:05:03");
    EXPECT_EQ(LocaleTexts::timeOfDayText(QTime(23, 59, 59), QLocale(QLocale::Finnish, QLocale::Finland)), "23.59.59");
}

TEST(LocaleTexts, DayCountStartsAt1899_12_30)
{
    EXPECT_DOUBLE_EQ(LocaleTexts::toDayCount(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
    EXPECT_DOUBLE_EQ(LocaleTexts::toDayCount(QDateTime(QDate(1900, 1, 1), QTime(12, 0))), 2.5);
    const QDateTime t(QDate(2026, 12, 10), QTime(13, 14, 15));
    EXPECT_EQ(LocaleTexts::fromDayCount(LocaleTexts::toDayCount(t)), t);
}
