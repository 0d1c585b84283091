// A typed date: whatever the text, the reader gives a date or nothing, and
// a date it gives comes back the same from every form the program writes
// and from the era forms a clerk types.

#include "FuzzSupport.h"

#include "data/Formats.h"

using namespace sorvane;

namespace {

const QDate kToday(2026, 12, 7);

struct EraRef {
    const char16_t *name;
    char16_t letter;
    int base; // Gregorian year of its year 1
    QDate first;
    QDate last;
};

// The eras as the calendar has them, kept here apart from the reader's table.
const EraRef kEraRefs[] = {
    {u"明治", u'M', 1868, QDate(1873, 1, 1), QDate(1912, 7, 29)},
    {u"大正", u'T', 1912, QDate(1912, 7, 30), QDate(1926, 12, 24)},
    {u"昭和", u'S', 1926, QDate(1926, 12, 25), QDate(1989, 1, 7)},
    {u"平成", u'H', 1989, QDate(1989, 1, 8), QDate(2019, 4, 30)},
    {u"令和", u'R', 2019, QDate(2019, 5, 1), QDate(9999, 12, 31)},
};

QString fullWidth(const QString &s)
{
    QString out = s;
    for (QChar &c : out)
        if (c.unicode() >= 0x21 && c.unicode() <= 0x7E)
            c = QChar(char16_t(c.unicode() - 0x21 + 0xFF01));
    return out;
}

void sameDate(const QString &form, const QDate &expected, const QDate &today = {})
{
    const QDate back = fmt::parseDate(form, today);
    FUZZ_CHECK(back == expected, QStringLiteral("%1 read as %2, wanted %3")
                                     .arg(form, back.toString(Qt::ISODate), expected.toString(Qt::ISODate)));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString typed = fuzz::text(data, size);
    const QDate d = fmt::parseDate(typed, kToday);
    const QDate withoutToday = fmt::parseDate(typed);
    // Only the forms without a year need today, and they take its year.
    FUZZ_CHECK(!withoutToday.isValid() || withoutToday == d,
               typed + QStringLiteral(" → ") + withoutToday.toString(Qt::ISODate));
    if (!d.isValid())
        return 0;
    FUZZ_CHECK(d.year() >= 1 && d.year() <= 9999, typed + QStringLiteral(" → ") + d.toString(Qt::ISODate));

    sameDate(fmt::ymd(d), d);
    sameDate(fmt::ymdShort(d), d);
    sameDate(fmt::iso(d), d);
    sameDate(fullWidth(fmt::ymd(d)), d);
    sameDate(fmt::md(d), d, QDate(d.year(), 1, 1));
    sameDate(fmt::mmdd(d), d, QDate(d.year(), 12, 31));
    if (d.year() >= 1930 && d.year() <= 2029)
        sameDate(fmt::yymmdd(d), d);
    for (const EraRef &e : kEraRefs) {
        if (d < e.first || d > e.last)
            continue;
        const int y = d.year() - e.base + 1;
        if (y > 999)
            continue;
        const QString name = QString::fromUtf16(e.name);
        sameDate(QStringLiteral("%1%2年%3月%4日").arg(name).arg(y).arg(d.month()).arg(d.day()), d);
        sameDate(QStringLiteral("%1%2/%3/%4").arg(QChar(e.letter)).arg(y).arg(d.month()).arg(d.day()), d);
        if (y == 1)
            sameDate(QStringLiteral("%1元年%2月%3日").arg(name).arg(d.month()).arg(d.day()), d);
    }
    return 0;
}
