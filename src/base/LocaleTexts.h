#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QLocale>

// What the program takes from the user's regional settings. Every function takes the
// locale explicitly so tests can pass, say, a German one; the program passes QLocale::system().
namespace LocaleTexts {

// The decimal separator, or "" when the locale gives none.
QByteArray decimalSeparator(const QLocale& locale);

// The separator between hours and minutes in the locale's time format (":" when it has none).
QByteArray timeSeparator(const QLocale& locale);

// "hh:mm:ss" with the locale's time separator; fractions of a second dropped.
QByteArray timeOfDayText(const QTime& time, const QLocale& locale);

// The date in the locale's short date format.
QByteArray shortDateText(const QDate& date, const QLocale& locale);

// Date-times are counted in days since 1899-12-30, the fraction being the time of day.
double toDayCount(const QDateTime& local);
QDateTime fromDayCount(double days);

}  // namespace LocaleTexts
