#include "book/Era.h"

namespace sorvane::book {

namespace {

struct EraDef {
    int code;
    const char16_t *name;
    char16_t letter;
    QDate first;
    int baseYear; // the Gregorian year of the era's first year
};

const EraDef kEras[] = {
    {5, u"令和", u'R', QDate(2019, 5, 1), 2019},
    {4, u"平成", u'H', QDate(1989, 1, 8), 1989},
    {3, u"昭和", u'S', QDate(1926, 12, 25), 1926},
    {2, u"大正", u'T', QDate(1912, 7, 30), 1912},
    // The solar calendar began in 1873; 明治元年 is 1868.
    {1, u"明治", u'M', QDate(1873, 1, 1), 1868},
};

QString pad2(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

std::optional<EraYear> eraOf(const QDate &date)
{
    if (!date.isValid())
        return std::nullopt;
    for (const EraDef &e : kEras) {
        if (date >= e.first)
            return EraYear{e.code, QString::fromUtf16(e.name), QChar(e.letter), date.year() - e.baseYear + 1};
    }
    return std::nullopt;
}

QString eraYearText(const QDate &date)
{
    const auto era = eraOf(date);
    if (!era)
        return {};
    return era->name + (era->year == 1 ? QStringLiteral("元") : QString::number(era->year)) + u'年';
}

QString eraShort(const QDate &date)
{
    const auto era = eraOf(date);
    if (!era)
        return {};
    return QStringLiteral("%1%2.%3.%4").arg(era->letter).arg(era->year).arg(pad2(date.month()), pad2(date.day()));
}

QString eraLong(const QDate &date)
{
    const QString year = eraYearText(date);
    if (year.isEmpty())
        return {};
    return QStringLiteral("%1%2月%3日").arg(year).arg(date.month()).arg(date.day());
}

} // namespace sorvane::book
