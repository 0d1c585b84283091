#include "data/Formats.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace sorvane::fmt {

namespace {

QString pad2(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Full-width digits, letters and signs become their ASCII forms (and the
// one-character era signs ㍻, ㋿ their two-character names); spaces go.
QString normalized(const QString &text)
{
    QString s = text.normalized(QString::NormalizationForm_KC);
    s.remove(QRegularExpression(QStringLiteral("\\s")));
    return s;
}

struct Era {
    const char16_t *name;
    QChar letter;
    QDate first;
    QDate last; // invalid: the era goes on
};

const Era kEras[] = {
    // Month and day before 1873 named days of the lunisolar calendar.
    {u"明治", u'M', QDate(1873, 1, 1), QDate(1912, 7, 29)},
    {u"大正", u'T', QDate(1912, 7, 30), QDate(1926, 12, 24)},
    {u"昭和", u'S', QDate(1926, 12, 25), QDate(1989, 1, 7)},
    {u"平成", u'H', QDate(1989, 1, 8), QDate(2019, 4, 30)},
    {u"令和", u'R', QDate(2019, 5, 1), QDate()},
};

// Gregorian year of the era's first year (its year 1).
int eraBaseYear(const Era &era)
{
    // 明治元年 is 1868, though its dates here start with the solar calendar.
    return era.letter == u'M' ? 1868 : era.first.year();
}

bool allDigits(const QString &s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

QString ymd(const QDate &date)
{
    return date.isValid() ? QStringLiteral("%1/%2/%3")
                                .arg(date.year(), 4, 10, QLatin1Char('0'))
                                .arg(pad2(date.month()), pad2(date.day()))
                          : QString();
}

QString ymdShort(const QDate &date)
{
    return date.isValid() ? QStringLiteral("%1/%2/%3").arg(date.year()).arg(date.month()).arg(date.day()) : QString();
}

QString md(const QDate &date)
{
    return date.isValid() ? QStringLiteral("%1/%2").arg(date.month()).arg(date.day()) : QString();
}

QString mmdd(const QDate &date)
{
    return date.isValid() ? QStringLiteral("%1/%2").arg(pad2(date.month()), pad2(date.day())) : QString();
}

QString yymmdd(const QDate &date)
{
    return date.isValid()
               ? QStringLiteral("%1/%2/%3").arg(pad2(date.year() % 100), pad2(date.month()), pad2(date.day()))
               : QString();
}

QString iso(const QDate &date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

namespace {

QDate readDate(const QString &text, const QDate &today)
{
    QString s = normalized(text);
    if (s.isEmpty())
        return {};

    // An era in front: its name or its letter.
    const Era *era = nullptr;
    for (const Era &e : kEras) {
        const QString name = QString::fromUtf16(e.name);
        if (s.startsWith(name)) {
            era = &e;
            s = s.mid(name.size());
            break;
        }
        if (s.at(0).toUpper() == e.letter) {
            era = &e;
            s = s.mid(1);
            break;
        }
    }

    // 年 and 月 separate like '/', a closing 日 goes; '-' and '.' are separators too.
    if (s.endsWith(u'日'))
        s.chop(1);
    for (QChar sep : {u'年', u'月', u'-', u'.'})
        s.replace(sep, u'/');
    QStringList parts = s.split(u'/');

    if (era) {
        if (parts.size() != 3)
            return {};
        if (parts[0] == u"元")
            parts[0] = QStringLiteral("1");
        if (!allDigits(parts[0]) || !allDigits(parts[1]) || !allDigits(parts[2]) || parts[0].size() > 3 ||
            parts[1].size() > 2 || parts[2].size() > 2)
            return {};
        const int eraYear = parts[0].toInt();
        if (eraYear < 1)
            return {};
        const QDate d(eraBaseYear(*era) + eraYear - 1, parts[1].toInt(), parts[2].toInt());
        if (!d.isValid() || d < era->first || (era->last.isValid() && d > era->last))
            return {};
        return d;
    }

    for (const QString &p : parts)
        if (!allDigits(p))
            return {};

    if (parts.size() == 1) {
        // yyyymmdd
        if (s.size() != 8)
            return {};
        return QDate(s.left(4).toInt(), s.mid(4, 2).toInt(), s.mid(6, 2).toInt());
    }
    if (parts[parts.size() - 1].size() > 2 || parts[parts.size() - 2].size() > 2)
        return {};
    const int month = parts[parts.size() - 2].toInt();
    const int day = parts[parts.size() - 1].toInt();
    if (parts.size() == 2) {
        if (!today.isValid())
            return {};
        return QDate(today.year(), month, day);
    }
    if (parts.size() != 3)
        return {};
    const QString &y = parts[0];
    int year = 0;
    if (y.size() == 4)
        year = y.toInt();
    else if (y.size() <= 2)
        year = y.toInt() < 30 ? 2000 + y.toInt() : 1900 + y.toInt();
    else
        return {};
    if (year < 1)
        return {};
    return QDate(year, month, day); // invalid for 2/30, 13/1 and the like
}

// Japan's solar calendar, and its first era date, begin here; an earlier
// year is a slip of the keys, and "yyyy/m/d" could not show it again in a
// form that reads back ("622/12/7").
const QDate kEarliestDate(1873, 1, 1);

} // namespace

QDate parseDate(const QString &text, const QDate &today)
{
    const QDate d = readDate(text, today);
    return d.isValid() && d >= kEarliestDate ? d : QDate();
}

QString amount(qint64 value)
{
    // Through unsigned so that the most negative value has a magnitude too.
    const quint64 magnitude = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    const QString digits = QString::number(magnitude);
    QString out;
    out.reserve(digits.size() + digits.size() / 3 + 1);
    for (int i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += u',';
        out += digits.at(i);
    }
    return value < 0 ? u'-' + out : out;
}

std::optional<qint64> parseAmount(const QString &text, bool *tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    constexpr qint64 kLargestAmount = 999999999999999999; // 18 digits
    QString s = normalized(text);
    s.replace(QChar(0x2212), u'-'); // the minus sign some input methods type
    bool negative = false;
    bool signed_ = false;
    if (!s.isEmpty() && (s.at(0) == u'-' || s.at(0) == u'+')) {
        negative = s.at(0) == u'-';
        signed_ = true;
        s.remove(0, 1);
    }
    // A Japanese keyboard's yen key may type a backslash. One sign only,
    // before or after it: "+-5" is not a number.
    if (s.startsWith(u'¥') || s.startsWith(u'\\')) {
        s.remove(0, 1);
        if (!signed_ && !s.isEmpty() && (s.at(0) == u'-' || s.at(0) == u'+')) {
            // "¥-1,000"
            negative = s.at(0) == u'-';
            s.remove(0, 1);
        }
    }
    if (s.endsWith(u'円'))
        s.chop(1);

    static const QRegularExpression shape(QStringLiteral("^([0-9]{1,3}(?:,[0-9]{3})+|[0-9]+)(?:\\.([0-9]+))?$"));
    const QRegularExpressionMatch m = shape.match(s);
    if (!m.hasMatch())
        return std::nullopt;
    QString whole = m.captured(1);
    whole.remove(u',');
    const QString fraction = m.captured(2);
    // Leading zeros do not count towards the limit.
    int lead = 0;
    while (lead < whole.size() - 1 && whole.at(lead) == u'0')
        ++lead;
    if (whole.size() - lead > 18) {
        if (tooLarge)
            *tooLarge = true;
        return std::nullopt;
    }
    qint64 value = whole.toLongLong();

    // Half to even, decided on the typed digits so that no binary fraction blurs the half.
    if (!fraction.isEmpty()) {
        const QChar first = fraction.at(0);
        bool restNonZero = false;
        for (int i = 1; i < fraction.size(); ++i)
            restNonZero = restNonZero || fraction.at(i) != u'0';
        if (first > u'5' || (first == u'5' && (restNonZero || value % 2 == 1)))
            ++value;
    }
    // Rounding up may carry into a 19th digit, which "#,##0" would show as
    // an amount this reader refuses.
    if (value > kLargestAmount) {
        if (tooLarge)
            *tooLarge = true;
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<qint64> parseWholeNumber(const QString &text)
{
    QString s = normalized(text);
    s.replace(QChar(0x2212), u'-');
    bool negative = false;
    if (!s.isEmpty() && (s.at(0) == u'-' || s.at(0) == u'+')) {
        negative = s.at(0) == u'-';
        s.remove(0, 1);
    }
    if (!allDigits(s) || s.size() > 18)
        return std::nullopt;
    const qint64 value = s.toLongLong();
    return negative ? -value : value;
}

QString normalizeCode(const QString &text)
{
    QString s = text;
    for (QChar &c : s) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(char16_t(u - 0xFF01 + 0x21));
        else if (u == 0x3000)
            c = QChar(u' ');
    }
    return s.trimmed();
}

int charCount(const QString &text)
{
    int n = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        ++n;
    }
    return n;
}

qint64 roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double diff = value - lower;
    double r = lower;
    if (diff > 0.5)
        r = lower + 1;
    else if (diff == 0.5)
        r = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
    return qint64(r);
}

} // namespace sorvane::fmt
