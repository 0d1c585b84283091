#include "data/Engine.h"
#include "data/Files.h"
#include "data/Holidays.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

namespace {

// "MM-dd 名" lines, the form the published lists are copied in below.
QStringList lines(const QList<holidays::Holiday> &list)
{
    QStringList out;
    for (const holidays::Holiday &h : list)
        out << h.date.toString(QStringLiteral("MM-dd")) + u' ' + h.name;
    return out;
}

QString nameOn(const QDate &date)
{
    for (const holidays::Holiday &h : holidays::publicHolidays(date.year()))
        if (h.date == date)
            return h.name;
    return {};
}

} // namespace

class TestHolidays : public QObject {
    Q_OBJECT

private slots:
    void wholeYears_data();
    void wholeYears();
    void equinoxes_data();
    void equinoxes();
    void lawHistory_data();
    void lawHistory();
    void bankHolidays_data();
    void bankHolidays();
    void everyYearIsSane();
    void fileContents();
    void failedWriteKeepsOldFile();
    void rangeChecks_data();
    void rangeChecks();
    void initWritesTheYears();
};

// The cabinet office's published lists, with 振替休日 and 国民の休日 named.
void TestHolidays::wholeYears_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("expected");

    QTest::newRow("2019 accession, no emperor's birthday")
        << 2019
        << QStringLiteral("01-01 元日;01-14 成人の日;02-11 建国記念の日;03-21 春分の日;04-29 昭和の日;"
                          "04-30 国民の休日;05-01 天皇の即位の日;05-02 国民の休日;05-03 憲法記念日;"
                          "05-04 みどりの日;05-05 こどもの日;05-06 振替休日;07-15 海の日;08-11 山の日;"
                          "08-12 振替休日;09-16 敬老の日;09-23 秋分の日;10-14 体育の日;10-22 即位礼正殿の儀;"
                          "11-03 文化の日;11-04 振替休日;11-23 勤労感謝の日");
    QTest::newRow("2020 Olympic moves")
        << 2020
        << QStringLiteral("01-01 元日;01-13 成人の日;02-11 建国記念の日;02-23 天皇誕生日;02-24 振替休日;"
                          "03-20 春分の日;04-29 昭和の日;05-03 憲法記念日;05-04 みどりの日;05-05 こどもの日;"
                          "05-06 振替休日;07-23 海の日;07-24 スポーツの日;08-10 山の日;09-21 敬老の日;"
                          "09-22 秋分の日;11-03 文化の日;11-23 勤労感謝の日");
    QTest::newRow("2021 Olympic moves")
        << 2021
        << QStringLiteral("01-01 元日;01-11 成人の日;02-11 建国記念の日;02-23 天皇誕生日;03-20 春分の日;"
                          "04-29 昭和の日;05-03 憲法記念日;05-04 みどりの日;05-05 こどもの日;07-22 海の日;"
                          "07-23 スポーツの日;08-08 山の日;08-09 振替休日;09-20 敬老の日;09-23 秋分の日;"
                          "11-03 文化の日;11-23 勤労感謝の日");
    QTest::newRow("2025") << 2025
                          << QStringLiteral(
                                 "01-01 元日;01-13 成人の日;02-11 建国記念の日;02-23 天皇誕生日;02-24 振替休日;"
                                 "03-20 春分の日;04-29 昭和の日;05-03 憲法記念日;05-04 みどりの日;05-05 こどもの日;"
                                 "05-06 振替休日;07-21 海の日;08-11 山の日;09-15 敬老の日;09-23 秋分の日;"
                                 "10-13 スポーツの日;11-03 文化の日;11-23 勤労感謝の日;11-24 振替休日");
    QTest::newRow("2026 with a citizens' holiday in September")
        << 2026
        << QStringLiteral("01-01 元日;01-12 成人の日;02-11 建国記念の日;02-23 天皇誕生日;03-20 春分の日;"
                          "04-29 昭和の日;05-03 憲法記念日;05-04 みどりの日;05-05 こどもの日;05-06 振替休日;"
                          "07-20 海の日;08-11 山の日;09-21 敬老の日;09-22 国民の休日;09-23 秋分の日;"
                          "10-12 スポーツの日;11-03 文化の日;11-23 勤労感謝の日");
    QTest::newRow("1989 change of era")
        << 1989
        << QStringLiteral("01-01 元日;01-02 振替休日;01-15 成人の日;01-16 振替休日;02-11 建国記念の日;"
                          "02-24 昭和天皇の大喪の礼;03-21 春分の日;04-29 みどりの日;05-03 憲法記念日;"
                          "05-04 国民の休日;05-05 こどもの日;09-15 敬老の日;09-23 秋分の日;10-10 体育の日;"
                          "11-03 文化の日;11-23 勤労感謝の日;12-23 天皇誕生日");
    QTest::newRow("2009 first silver week")
        << 2009
        << QStringLiteral("01-01 元日;01-12 成人の日;02-11 建国記念の日;03-20 春分の日;04-29 昭和の日;"
                          "05-03 憲法記念日;05-04 みどりの日;05-05 こどもの日;05-06 振替休日;07-20 海の日;"
                          "09-21 敬老の日;09-22 国民の休日;09-23 秋分の日;10-12 体育の日;11-03 文化の日;"
                          "11-23 勤労感謝の日;12-23 天皇誕生日");
}

void TestHolidays::wholeYears()
{
    QFETCH(int, year);
    QFETCH(QString, expected);
    QCOMPARE(lines(holidays::publicHolidays(year)), expected.split(u';'));
}

void TestHolidays::equinoxes_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("vernal");
    QTest::addColumn<int>("autumnal");

    QTest::newRow("1978") << 1978 << 21 << 23;
    QTest::newRow("1979 last 9/24") << 1979 << 21 << 24;
    QTest::newRow("1988") << 1988 << 20 << 23;
    QTest::newRow("2000") << 2000 << 20 << 23;
    QTest::newRow("2012") << 2012 << 20 << 22;
    QTest::newRow("2019") << 2019 << 21 << 23;
    QTest::newRow("2023") << 2023 << 21 << 23;
    QTest::newRow("2024") << 2024 << 20 << 22;
    QTest::newRow("2027") << 2027 << 21 << 23;
    QTest::newRow("2092 first 3/19") << 2092 << 19 << 22;
}

void TestHolidays::equinoxes()
{
    QFETCH(int, year);
    QFETCH(int, vernal);
    QFETCH(int, autumnal);
    QCOMPARE(holidays::vernalEquinoxDay(year), vernal);
    QCOMPARE(holidays::autumnalEquinoxDay(year), autumnal);
    QCOMPARE(nameOn(QDate(year, 3, vernal)), QStringLiteral("春分の日"));
    QCOMPARE(nameOn(QDate(year, 9, autumnal)), QStringLiteral("秋分の日"));
}

// Each rule of the law starts (or ends) in its year; an empty name means
// "no holiday that day".
void TestHolidays::lawHistory_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");

    QTest::newRow("crown prince's wedding 1959") << QDate(1959, 4, 10) << QStringLiteral("皇太子明仁親王の結婚の儀");
    QTest::newRow("no respect-for-aged day 1965") << QDate(1965, 9, 15) << QString();
    QTest::newRow("respect-for-aged day 1966") << QDate(1966, 9, 15) << QStringLiteral("敬老の日");
    QTest::newRow("sports day 1966") << QDate(1966, 10, 10) << QStringLiteral("体育の日");
    QTest::newRow("no foundation day 1966") << QDate(1966, 2, 11) << QString();
    QTest::newRow("foundation day 1967") << QDate(1967, 2, 11) << QStringLiteral("建国記念の日");
    QTest::newRow("no substitute before the rule") << QDate(1973, 2, 12) << QString();
    QTest::newRow("first substitute 1973") << QDate(1973, 4, 30) << QStringLiteral("振替休日");
    QTest::newRow("1987 5/4 is a substitute") << QDate(1987, 5, 4) << QStringLiteral("振替休日");
    QTest::newRow("first citizens' holiday 1988") << QDate(1988, 5, 4) << QStringLiteral("国民の休日");
    QTest::newRow("emperor's birthday 1988") << QDate(1988, 4, 29) << QStringLiteral("天皇誕生日");
    QTest::newRow("enthronement 1990") << QDate(1990, 11, 12) << QStringLiteral("即位礼正殿の儀");
    QTest::newRow("crown prince's wedding 1993") << QDate(1993, 6, 9) << QStringLiteral("皇太子徳仁親王の結婚の儀");
    QTest::newRow("no marine day 1995") << QDate(1995, 7, 20) << QString();
    QTest::newRow("marine day 1996") << QDate(1996, 7, 20) << QStringLiteral("海の日");
    QTest::newRow("sandwiched Sunday before 2007") << QDate(1997, 5, 4) << QString();
    QTest::newRow("coming-of-age 1999 fixed") << QDate(1999, 1, 15) << QStringLiteral("成人の日");
    QTest::newRow("coming-of-age 2000 Monday") << QDate(2000, 1, 10) << QStringLiteral("成人の日");
    QTest::newRow("no fixed coming-of-age 2000") << QDate(2000, 1, 15) << QString();
    QTest::newRow("sports day 2000 Monday") << QDate(2000, 10, 9) << QStringLiteral("体育の日");
    QTest::newRow("marine day 2002 fixed") << QDate(2002, 7, 20) << QStringLiteral("海の日");
    QTest::newRow("respect-for-aged 2002 Sunday") << QDate(2002, 9, 16) << QStringLiteral("振替休日");
    QTest::newRow("marine day 2003 Monday") << QDate(2003, 7, 21) << QStringLiteral("海の日");
    QTest::newRow("respect-for-aged 2003 Monday") << QDate(2003, 9, 15) << QStringLiteral("敬老の日");
    QTest::newRow("citizens' holiday 2006") << QDate(2006, 5, 4) << QStringLiteral("国民の休日");
    QTest::newRow("greenery day moved 2007") << QDate(2007, 5, 4) << QStringLiteral("みどりの日");
    QTest::newRow("showa day 2007") << QDate(2007, 4, 29) << QStringLiteral("昭和の日");
    QTest::newRow("substitute after two holidays 2008") << QDate(2008, 5, 6) << QStringLiteral("振替休日");
    QTest::newRow("no mountain day 2015") << QDate(2015, 8, 11) << QString();
    QTest::newRow("mountain day 2016") << QDate(2016, 8, 11) << QStringLiteral("山の日");
    QTest::newRow("emperor's birthday 2018") << QDate(2018, 12, 23) << QStringLiteral("天皇誕生日");
    QTest::newRow("no emperor's birthday 2019-12") << QDate(2019, 12, 23) << QString();
    QTest::newRow("no emperor's birthday 2019-02") << QDate(2019, 2, 23) << QString();
    QTest::newRow("no sports day 2020 in October") << QDate(2020, 10, 12) << QString();
    QTest::newRow("no sports day 2021 in October") << QDate(2021, 10, 11) << QString();
    QTest::newRow("no mountain day 2021 on 8/11") << QDate(2021, 8, 11) << QString();
    QTest::newRow("sports day 2022") << QDate(2022, 10, 10) << QStringLiteral("スポーツの日");
    QTest::newRow("silver week 2032") << QDate(2032, 9, 21) << QStringLiteral("国民の休日");
}

void TestHolidays::lawHistory()
{
    QFETCH(QDate, date);
    QFETCH(QString, name);
    QCOMPARE(nameOn(date), name);
}

void TestHolidays::bankHolidays_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("jan2");
    QTest::addColumn<QString>("jan3");
    QTest::addColumn<QString>("dec31");

    const QString bank = holidays::kBankHolidayName;
    QTest::newRow("2026") << 2026 << bank << bank << bank;
    // 1/1/2023 was a Sunday: 1/2 is its substitute and keeps that name.
    QTest::newRow("2023 substitute on 1/2") << 2023 << QStringLiteral("振替休日") << bank << bank;
    QTest::newRow("1955") << 1955 << bank << bank << bank;
}

void TestHolidays::bankHolidays()
{
    QFETCH(int, year);
    QFETCH(QString, jan2);
    QFETCH(QString, jan3);
    QFETCH(QString, dec31);

    const QList<holidays::Holiday> rows = holidays::holidayFileRows(year);
    QHash<QDate, QString> byDate;
    for (const holidays::Holiday &h : rows) {
        QVERIFY2(!byDate.contains(h.date), qPrintable(h.date.toString(Qt::ISODate)));
        byDate.insert(h.date, h.name);
    }
    QCOMPARE(byDate.value(QDate(year, 1, 2)), jan2);
    QCOMPARE(byDate.value(QDate(year, 1, 3)), jan3);
    QCOMPARE(byDate.value(QDate(year, 12, 31)), dec31);
    QCOMPARE(byDate.value(QDate(year, 12, 30)), QString());
    // Every public holiday is in the file too.
    for (const holidays::Holiday &h : holidays::publicHolidays(year))
        QCOMPARE(byDate.value(h.date), h.name);
}

// Over the whole range: dates sorted, unique, within the year, and the
// number of holidays plausible for the law of the time.
void TestHolidays::everyYearIsSane()
{
    for (int y = holidays::kFirstYear; y <= holidays::kLastYear; ++y) {
        const QList<holidays::Holiday> list = holidays::publicHolidays(y);
        QVERIFY2(list.size() >= 9 && list.size() <= 22, qPrintable(QString::number(y)));
        for (int i = 0; i < list.size(); ++i) {
            QCOMPARE(list[i].date.year(), y);
            QVERIFY(!list[i].name.isEmpty());
            if (i > 0)
                QVERIFY2(list[i - 1].date < list[i].date, qPrintable(list[i].date.toString(Qt::ISODate)));
        }
        // A substitute falls on a weekday and follows a run of holidays that
        // began on a Sunday.
        QSet<QDate> days;
        for (const holidays::Holiday &h : list)
            days.insert(h.date);
        for (const holidays::Holiday &h : list) {
            if (h.name != u"振替休日")
                continue;
            QVERIFY(h.date.dayOfWeek() < Qt::Saturday);
            QDate back = h.date.addDays(-1);
            while (days.contains(back) && back.dayOfWeek() != Qt::Sunday)
                back = back.addDays(-1);
            QVERIFY2(days.contains(back) && back.dayOfWeek() == Qt::Sunday, qPrintable(h.date.toString(Qt::ISODate)));
        }
    }
    QVERIFY(holidays::publicHolidays(holidays::kFirstYear - 1).isEmpty());
    QVERIFY(holidays::publicHolidays(holidays::kLastYear + 1).isEmpty());
}

void TestHolidays::fileContents()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(files::holidayFileName(2026));
    holidays::writeHolidayFile(fileName, 2026);

    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, fileName);
    Recordset rs = db->openRecordset(QStringLiteral("select 日付, 祝日名 from 祝日 order by 日付"));
    const QList<holidays::Holiday> expected = holidays::holidayFileRows(2026);
    QCOMPARE(rs.rowCount(), expected.size());
    for (const holidays::Holiday &h : expected) {
        QVERIFY(!rs.eof());
        // Stored as ISO text, so that range queries compare as dates.
        QCOMPARE(rs.value(QStringLiteral("日付")).toString(), h.date.toString(Qt::ISODate));
        QCOMPARE(rs.text(QStringLiteral("祝日名")), h.name);
        rs.moveNext();
    }
    QCOMPARE(db->scalar(QStringLiteral("select count(*) from 祝日 where 日付>=? and 日付<=?"),
                        {QDate(2026, 5, 1), QDate(2026, 5, 31)})
                 .toInt(),
             4);
}

void TestHolidays::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(files::holidayFileName(2026));
    holidays::writeHolidayFile(fileName, 2026);
    QFile f(fileName);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    // A directory where the work file would go makes the write fail midway.
    QVERIFY(QDir(dir.path()).mkdir(files::holidayFileName(2026) + QStringLiteral(".work")));
    QVERIFY_THROWS_EXCEPTION(DbError, holidays::writeHolidayFile(fileName, 2026));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestHolidays::rangeChecks_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("ok");

    QTest::newRow("one year") << 2030 << 2030 << true;
    QTest::newRow("first year") << 1955 << 1955 << true;
    QTest::newRow("last year") << 2099 << 2099 << true;
    QTest::newRow("before the range") << 1954 << 1960 << false;
    QTest::newRow("after the range") << 2090 << 2100 << false;
    QTest::newRow("reversed") << 2031 << 2030 << false;
}

void TestHolidays::rangeChecks()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, ok);

    QTemporaryDir dir;
    if (ok) {
        const QStringList written = holidays::writeHolidayFiles(dir.path(), from, to);
        QCOMPARE(written.size(), to - from + 1);
        for (const QString &name : written)
            QVERIFY(QFileInfo::exists(dir.filePath(name)));
    } else {
        QVERIFY_THROWS_EXCEPTION(DbError, holidays::writeHolidayFiles(dir.path(), from, to));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }
}

void TestHolidays::initWritesTheYears()
{
    test::DataFolder folder;
    QVERIFY(!QFileInfo::exists(folder.file(files::holidayFileName(1999))));
    for (int y = 2000; y <= 2060; ++y)
        QVERIFY2(QFileInfo::exists(folder.file(files::holidayFileName(y))), qPrintable(QString::number(y)));
    QVERIFY(!QFileInfo::exists(folder.file(files::holidayFileName(2061))));
    // Nothing half-written is left behind.
    QVERIFY(QDir(folder.path()).entryList({QStringLiteral("*.work")}, QDir::AllEntries).isEmpty());
}

QTEST_MAIN(TestHolidays)
#include "test_holidays.moc"
