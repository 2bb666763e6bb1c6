#include "base/LocaleTexts.h"

#include <cmath>

namespace LocaleTexts {

namespace {
const QDate kDayZero(1899, 12, 30);
}

QByteArray decimalSeparator(const QLocale& locale)
{
    return locale.decimalPoint().toLocal8Bit();
}

QByteArray timeSeparator(const QLocale& locale)
{
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    const qsizetype hour = format.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    if (hour < 0)
        return ":";
    qsizetype i = hour;
    while (i < format.size() && (format[i] == QLatin1Char('h') || format[i] == QLatin1Char('H')))
        ++i;
    QString separator;
    while (i < format.size() && !format[i].isLetter() && format[i] != QLatin1Char('\''))
        separator += format[i++];
    separator = separator.trimmed().isEmpty() ? separator : separator.trimmed();
    return separator.isEmpty() ? QByteArray(":") : separator.toLocal8Bit();
}

QByteArray timeOfDayText(const QTime& time, const QLocale& locale)
{
    const QByteArray sep = timeSeparator(locale);
    auto two = [](int v) { return QByteArray::number(v).rightJustified(2, '0'); };
    return two(time.hour()) + sep + two(time.minute()) + sep + two(time.second());
}

QByteArray shortDateText(const QDate& date, const QLocale& locale)
{
    return locale.toString(date, QLocale::ShortFormat).toLocal8Bit();
}

double toDayCount(const QDateTime& local)
{
    const double days = double(kDayZero.daysTo(local.date()));
    const double fraction = local.time().msecsSinceStartOfDay() / 86400000.0;
    return days + fraction;
}

QDateTime fromDayCount(double days)
{
    const double whole = std::floor(days);
    const qint64 ms = qint64(std::llround((days - whole) * 86400000.0));
    return QDateTime(kDayZero.addDays(qint64(whole)), QTime(0, 0).addMSecs(int(std::min<qint64>(ms, 86399999))));
}

}  // namespace LocaleTexts
