#include "data/Holidays.h"

#include "data/Engine.h"
#include "data/FileUtil.h"
#include "data/Files.h"

#include <QDir>
#include <QSet>

#include <algorithm>

namespace sorvane::holidays {

const QString kBankHolidayName = QStringLiteral("銀行休業日");

namespace {

const QString kSubstituteName = QStringLiteral("振替休日");
const QString kCitizensName = QStringLiteral("国民の休日");

// Substitute holidays began with the amendment in force from this day.
const QDate kSubstituteFrom(1973, 4, 12);
// A day between two holidays became a holiday from this day.
const QDate kCitizensFrom(1985, 12, 27);
// From 2007 the substitute is the next day that is no holiday, and a
// sandwiched day need no longer be a weekday other than Sunday.
const QDate kRules2007(2007, 1, 1);

struct Entry {
    QDate date;
    QString name;
};

// n-th Monday of the month (n from 1).
QDate nthMonday(int year, int month, int n)
{
    const QDate first(year, month, 1);
    const int toMonday = (8 - first.dayOfWeek()) % 7;
    return first.addDays(toMonday + 7 * (n - 1));
}

// The holidays the law names, and the days special laws declared holidays.
// These are what substitute and sandwiched days are reckoned from (the two
// special days of 2019 were to be treated as such by their law; the older
// special days fell where it made no difference).
QList<Entry> namedHolidays(int y)
{
    QList<Entry> h;
    auto add = [&](int month, int day, const QString &name) { h.append({QDate(y, month, day), name}); };
    auto addDate = [&](const QDate &d, const QString &name) { h.append({d, name}); };

    add(1, 1, QStringLiteral("元日"));
    if (y <= 1999)
        add(1, 15, QStringLiteral("成人の日"));
    else
        addDate(nthMonday(y, 1, 2), QStringLiteral("成人の日"));
    if (y >= 1967)
        add(2, 11, QStringLiteral("建国記念の日"));
    if (y >= 2020)
        add(2, 23, QStringLiteral("天皇誕生日"));
    add(3, vernalEquinoxDay(y), QStringLiteral("春分の日"));
    if (y <= 1988)
        add(4, 29, QStringLiteral("天皇誕生日"));
    else if (y <= 2006)
        add(4, 29, QStringLiteral("みどりの日"));
    else
        add(4, 29, QStringLiteral("昭和の日"));
    add(5, 3, QStringLiteral("憲法記念日"));
    if (y >= 2007)
        add(5, 4, QStringLiteral("みどりの日"));
    add(5, 5, QStringLiteral("こどもの日"));

    const QString marine = QStringLiteral("海の日");
    if (y == 2020)
        add(7, 23, marine);
    else if (y == 2021)
        add(7, 22, marine);
    else if (y >= 2003)
        addDate(nthMonday(y, 7, 3), marine);
    else if (y >= 1996)
        add(7, 20, marine);

    const QString mountain = QStringLiteral("山の日");
    if (y == 2020)
        add(8, 10, mountain);
    else if (y == 2021)
        add(8, 8, mountain);
    else if (y >= 2016)
        add(8, 11, mountain);

    const QString aged = QStringLiteral("敬老の日");
    if (y >= 2003)
        addDate(nthMonday(y, 9, 3), aged);
    else if (y >= 1966)
        add(9, 15, aged);
    add(9, autumnalEquinoxDay(y), QStringLiteral("秋分の日"));

    // 体育の日 became スポーツの日 in 2020; the Olympic years moved it to July.
    if (y == 2020)
        add(7, 24, QStringLiteral("スポーツの日"));
    else if (y == 2021)
        add(7, 23, QStringLiteral("スポーツの日"));
    else if (y >= 2020)
        addDate(nthMonday(y, 10, 2), QStringLiteral("スポーツの日"));
    else if (y >= 2000)
        addDate(nthMonday(y, 10, 2), QStringLiteral("体育の日"));
    else if (y >= 1966)
        add(10, 10, QStringLiteral("体育の日"));

    add(11, 3, QStringLiteral("文化の日"));
    add(11, 23, QStringLiteral("勤労感謝の日"));
    if (y >= 1989 && y <= 2018)
        add(12, 23, QStringLiteral("天皇誕生日"));

    // Days made holidays once by their own laws.
    struct OneOff {
        int y, m, d;
        const char16_t *name;
    };
    static const OneOff oneOffs[] = {
        {1959, 4, 10, u"皇太子明仁親王の結婚の儀"},
        {1989, 2, 24, u"昭和天皇の大喪の礼"},
        {1990, 11, 12, u"即位礼正殿の儀"},
        {1993, 6, 9, u"皇太子徳仁親王の結婚の儀"},
        {2019, 5, 1, u"天皇の即位の日"},
        {2019, 10, 22, u"即位礼正殿の儀"},
    };
    for (const OneOff &o : oneOffs)
        if (o.y == y)
            add(o.m, o.d, QString::fromUtf16(o.name));

    std::sort(h.begin(), h.end(), [](const Entry &a, const Entry &b) { return a.date < b.date; });
    return h;
}

} // namespace

// The approximation formula of the equinox days: the constants change at
// 1980, and the leap-year term counts from 1983 before that.
int vernalEquinoxDay(int year)
{
    if (year >= 1980 && year <= 2099)
        return int(20.8431 + 0.242194 * (year - 1980)) - (year - 1980) / 4;
    if (year >= 1900 && year <= 1979)
        return int(20.8357 + 0.242194 * (year - 1980) - (year - 1983) / 4);
    return 0;
}

int autumnalEquinoxDay(int year)
{
    if (year >= 1980 && year <= 2099)
        return int(23.2488 + 0.242194 * (year - 1980)) - (year - 1980) / 4;
    if (year >= 1900 && year <= 1979)
        return int(23.2588 + 0.242194 * (year - 1980) - (year - 1983) / 4);
    return 0;
}

QList<Holiday> publicHolidays(int year)
{
    if (!supportedYear(year))
        return {};
    const QList<Entry> named = namedHolidays(year);
    QSet<QDate> namedDays;
    for (const Entry &e : named)
        namedDays.insert(e.date);

    QList<Holiday> result;
    for (const Entry &e : named)
        result.append({e.date, e.name});

    // A named holiday on a Sunday gives a substitute: the Monday until 2006,
    // from 2007 the next day that is not itself a named holiday.
    QSet<QDate> substitutes;
    for (const Entry &e : named) {
        if (e.date.dayOfWeek() != Qt::Sunday || e.date < kSubstituteFrom)
            continue;
        QDate s = e.date.addDays(1);
        if (e.date >= kRules2007) {
            while (namedDays.contains(s))
                s = s.addDays(1);
        } else if (namedDays.contains(s)) {
            continue;
        }
        if (!substitutes.contains(s)) {
            substitutes.insert(s);
            result.append({s, kSubstituteName});
        }
    }

    // A day whose neighbours are both named holidays is a holiday itself
    // (until 2006 not on a Sunday, and never where a substitute fell).
    for (const Entry &e : named) {
        const QDate d = e.date.addDays(1);
        if (d < kCitizensFrom || d.year() != year || namedDays.contains(d) || substitutes.contains(d))
            continue;
        if (!namedDays.contains(d.addDays(1)))
            continue;
        if (d < kRules2007 && d.dayOfWeek() == Qt::Sunday)
            continue;
        result.append({d, kCitizensName});
    }

    std::sort(result.begin(), result.end(), [](const Holiday &a, const Holiday &b) { return a.date < b.date; });
    return result;
}

QList<Holiday> holidayFileRows(int year)
{
    QList<Holiday> rows = publicHolidays(year);
    if (rows.isEmpty())
        return rows;
    QSet<QDate> taken;
    for (const Holiday &h : rows)
        taken.insert(h.date);
    for (const QDate &d : {QDate(year, 1, 2), QDate(year, 1, 3), QDate(year, 12, 31)})
        if (!taken.contains(d))
            rows.append({d, kBankHolidayName});
    std::sort(rows.begin(), rows.end(), [](const Holiday &a, const Holiday &b) { return a.date < b.date; });
    return rows;
}

void writeHolidayFile(const QString &fileName, int year)
{
    if (!supportedYear(year))
        throw DbError(QStringLiteral("%1年の祝日は計算できません (%2〜%3年)").arg(year).arg(kFirstYear).arg(kLastYear));
    const QList<Holiday> rows = holidayFileRows(year);
    file::replaceWhenComplete(fileName, [&](const QString &work) {
        Workspace ws(QStringLiteral("holidays"), {}, {});
        ScopedDatabase db(ws, work, ScopedDatabase::Mode::Create);
        db->beginTransaction();
        db->execute(QStringLiteral("CREATE TABLE 祝日 (日付 TEXT PRIMARY KEY NOT NULL, 祝日名 TEXT NOT NULL)"));
        for (const Holiday &h : rows)
            db->execute(QStringLiteral("INSERT INTO 祝日 (日付, 祝日名) VALUES (?, ?)"), {h.date, h.name});
        db->commit();
    });
}

QStringList writeHolidayFiles(const QString &folder, int from, int to)
{
    if (!supportedYear(from) || !supportedYear(to))
        throw DbError(QStringLiteral("年は %1 から %2 までで指定してください: %3〜%4")
                          .arg(kFirstYear)
                          .arg(kLastYear)
                          .arg(from)
                          .arg(to));
    if (from > to)
        throw DbError(QStringLiteral("年の範囲が逆です: %1〜%2").arg(from).arg(to));
    if (!file::folderWritable(folder))
        throw DbError(QStringLiteral("フォルダーに書き込めません: %1").arg(QDir::toNativeSeparators(folder)));
    QStringList written;
    for (int y = from; y <= to; ++y) {
        const QString name = files::holidayFileName(y);
        writeHolidayFile(files::path(folder, name), y);
        written << name;
    }
    return written;
}

} // namespace sorvane::holidays
