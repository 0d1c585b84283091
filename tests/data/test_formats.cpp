#include "data/Formats.h"
#include "data/TypedInput.h"

#include <QTest>

#include <limits>

using namespace sorvane;

class TestFormats : public QObject {
    Q_OBJECT

private slots:
    void formatDates_data();
    void formatDates();
    void parseDate_data();
    void parseDate();
    void dateRoundTrips();
    void eraBoundaries_data();
    void eraBoundaries();
    void formatAmount_data();
    void formatAmount();
    void parseAmount_data();
    void parseAmount();
    void amountRoundTrips();
    void parseWholeNumber_data();
    void parseWholeNumber();
    void roundHalfEven_data();
    void roundHalfEven();
    void codes_data();
    void codes();
    void typedAmount_data();
    void typedAmount();
    void typedDates_data();
    void typedDates();
};

void TestFormats::formatDates_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QStringList>("forms"); // ymd, ymdShort, md, mmdd, yymmdd, iso

    QTest::newRow("December") << QDate(2026, 12, 7)
                              << QStringList{QStringLiteral("2026/12/07"), QStringLiteral("2026/12/7"),
                                             QStringLiteral("12/7"),       QStringLiteral("12/07"),
                                             QStringLiteral("26/12/07"),   QStringLiteral("2026-12-07")};
    QTest::newRow("single digits") << QDate(2005, 3, 4)
                                   << QStringList{QStringLiteral("2005/03/04"), QStringLiteral("2005/3/4"),
                                                  QStringLiteral("3/4"),        QStringLiteral("03/04"),
                                                  QStringLiteral("05/03/04"),   QStringLiteral("2005-03-04")};
    QTest::newRow("year 2000") << QDate(2000, 1, 1)
                               << QStringList{QStringLiteral("2000/01/01"), QStringLiteral("2000/1/1"),
                                              QStringLiteral("1/1"),        QStringLiteral("01/01"),
                                              QStringLiteral("00/01/01"),   QStringLiteral("2000-01-01")};
    QTest::newRow("no date") << QDate() << QStringList{{}, {}, {}, {}, {}, {}};
}

void TestFormats::formatDates()
{
    QFETCH(QDate, date);
    QFETCH(QStringList, forms);
    const QStringList got{fmt::ymd(date),  fmt::ymdShort(date), fmt::md(date),
                          fmt::mmdd(date), fmt::yymmdd(date),   fmt::iso(date)};
    QCOMPARE(got, forms);
}

void TestFormats::parseDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date"); // invalid: not a date

    const QDate dec7(2026, 12, 7);
    QTest::newRow("yyyy/mm/dd") << QStringLiteral("2026/12/07") << dec7;
    QTest::newRow("yyyy/m/d") << QStringLiteral("2026/12/7") << dec7;
    QTest::newRow("iso") << QStringLiteral("2026-12-07") << dec7;
    QTest::newRow("dots") << QStringLiteral("2026.12.7") << dec7;
    QTest::newRow("kanji") << QStringLiteral("2026年12月7日") << dec7;
    QTest::newRow("yyyymmdd") << QStringLiteral("20261207") << dec7;
    QTest::newRow("yy/mm/dd") << QStringLiteral("26/12/07") << dec7;
    QTest::newRow("yy 30 is 1930") << QStringLiteral("30/01/02") << QDate(1930, 1, 2);
    QTest::newRow("yy 29 is 2029") << QStringLiteral("29/01/02") << QDate(2029, 1, 2);
    QTest::newRow("spaces around") << QStringLiteral("  2026/12/07 ") << dec7;
    QTest::newRow("full-width") << QStringLiteral("２０２６／１２／０７") << dec7;
    QTest::newRow("ideographic space") << QStringLiteral("\u30002026/12/7") << dec7;
    QTest::newRow("m/d in today's year") << QStringLiteral("3/5") << QDate(2026, 3, 5);
    QTest::newRow("m月d日") << QStringLiteral("3月5日") << QDate(2026, 3, 5);
    QTest::newRow("m/d 2/29 in a common year") << QStringLiteral("2/29") << QDate();

    QTest::newRow("reiwa kanji") << QStringLiteral("令和8年12月7日") << dec7;
    QTest::newRow("reiwa slashes") << QStringLiteral("令和8/12/7") << dec7;
    QTest::newRow("R dots") << QStringLiteral("R8.12.7") << dec7;
    QTest::newRow("r lower case") << QStringLiteral("r8/12/07") << dec7;
    QTest::newRow("full-width R") << QStringLiteral("Ｒ８．１２．７") << dec7;
    QTest::newRow("era sign") << QStringLiteral("㍻16年3月5日") << QDate(2004, 3, 5);
    QTest::newRow("heisei") << QStringLiteral("H16/3/5") << QDate(2004, 3, 5);
    QTest::newRow("showa last day") << QStringLiteral("S64/1/7") << QDate(1989, 1, 7);
    QTest::newRow("reiwa gannen") << QStringLiteral("令和元年5月1日") << QDate(2019, 5, 1);
    QTest::newRow("R gannen") << QStringLiteral("R元/5/1") << QDate(2019, 5, 1);
    QTest::newRow("heisei gannen") << QStringLiteral("平成元年1月8日") << QDate(1989, 1, 8);
    QTest::newRow("taisho") << QStringLiteral("T15/12/24") << QDate(1926, 12, 24);
    QTest::newRow("meiji") << QStringLiteral("M45/7/29") << QDate(1912, 7, 29);

    QTest::newRow("empty") << QString() << QDate();
    QTest::newRow("blank") << QStringLiteral("   ") << QDate();
    QTest::newRow("2/30") << QStringLiteral("2026/2/30") << QDate();
    QTest::newRow("month 13") << QStringLiteral("2026/13/1") << QDate();
    QTest::newRow("m/d month 13") << QStringLiteral("13/1") << QDate();
    QTest::newRow("day 0") << QStringLiteral("2026/12/0") << QDate();
    QTest::newRow("29 Feb common year") << QStringLiteral("2026/2/29") << QDate();
    QTest::newRow("29 Feb leap year") << QStringLiteral("2028/2/29") << QDate(2028, 2, 29);
    QTest::newRow("letters") << QStringLiteral("明日") << QDate();
    QTest::newRow("trailing text") << QStringLiteral("2026/12/07x") << QDate();
    QTest::newRow("three-digit year") << QStringLiteral("226/12/07") << QDate();
    QTest::newRow("four parts") << QStringLiteral("2026/12/07/1") << QDate();
    QTest::newRow("year 0000") << QStringLiteral("0000/01/01") << QDate();
    QTest::newRow("seven digits") << QStringLiteral("2026127") << QDate();
    QTest::newRow("heisei 32") << QStringLiteral("H32/1/1") << QDate();
    QTest::newRow("heisei after its end") << QStringLiteral("H31/5/1") << QDate();
    QTest::newRow("showa 64 after 1/7") << QStringLiteral("S64/1/8") << QDate();
    QTest::newRow("reiwa before its start") << QStringLiteral("R1/4/30") << QDate();
    QTest::newRow("era year 0") << QStringLiteral("R0/5/1") << QDate();
    QTest::newRow("era without day") << QStringLiteral("R8/12") << QDate();
    QTest::newRow("gannen without era") << QStringLiteral("元/5/1") << QDate();
    QTest::newRow("unknown era letter") << QStringLiteral("X8/12/7") << QDate();
    QTest::newRow("negative") << QStringLiteral("-2026/12/7") << QDate();
    // Before the solar calendar: "yyyy/m/d" would show 0622 as "622/12/7",
    // which reads as nothing when the bill is saved again.
    QTest::newRow("year 0622") << QStringLiteral("0622/12/07") << QDate();
    QTest::newRow("year 0622 as digits") << QStringLiteral("06221207") << QDate();
    QTest::newRow("day before the solar calendar") << QStringLiteral("1872/12/31") << QDate();
    QTest::newRow("first day of the solar calendar") << QStringLiteral("1873/1/1") << QDate(1873, 1, 1);
}

void TestFormats::parseDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(fmt::parseDate(text, QDate(2026, 12, 7)), date);
}

// Every form a window shows reads back as the same day.
void TestFormats::dateRoundTrips()
{
    for (QDate d(1999, 12, 25); d <= QDate(2029, 1, 10); d = d.addDays(1)) {
        QCOMPARE(fmt::parseDate(fmt::ymd(d)), d);
        QCOMPARE(fmt::parseDate(fmt::ymdShort(d)), d);
        QCOMPARE(fmt::parseDate(fmt::yymmdd(d)), d);
        QCOMPARE(fmt::parseDate(fmt::iso(d)), d);
        QCOMPARE(fmt::parseDate(fmt::md(d), QDate(d.year(), 6, 30)), d);
        QCOMPARE(fmt::parseDate(fmt::mmdd(d), QDate(d.year(), 1, 1)), d);
    }
    // Without a today, "m/d" has no year and is no date.
    QVERIFY(!fmt::parseDate(QStringLiteral("12/7")).isValid());
}

void TestFormats::eraBoundaries_data()
{
    QTest::addColumn<QString>("lastDay");
    QTest::addColumn<QString>("firstDayOfNext");
    QTest::addColumn<QDate>("change");
    QTest::addColumn<QString>("pastEnd");     // the old era one day too long
    QTest::addColumn<QString>("beforeStart"); // the new era one day too early

    QTest::newRow("taisho→showa") << QStringLiteral("大正15年12月24日") << QStringLiteral("昭和元年12月25日")
                                  << QDate(1926, 12, 25) << QStringLiteral("T15/12/25") << QStringLiteral("S1/12/24");
    QTest::newRow("showa→heisei") << QStringLiteral("昭和64年1月7日") << QStringLiteral("平成元年1月8日")
                                  << QDate(1989, 1, 8) << QStringLiteral("S64/1/8") << QStringLiteral("H1/1/7");
    QTest::newRow("heisei→reiwa") << QStringLiteral("平成31年4月30日") << QStringLiteral("令和元年5月1日")
                                  << QDate(2019, 5, 1) << QStringLiteral("H31/5/1") << QStringLiteral("R1/4/30");
}

void TestFormats::eraBoundaries()
{
    QFETCH(QString, lastDay);
    QFETCH(QString, firstDayOfNext);
    QFETCH(QDate, change);
    QFETCH(QString, pastEnd);
    QFETCH(QString, beforeStart);
    QCOMPARE(fmt::parseDate(lastDay), change.addDays(-1));
    QCOMPARE(fmt::parseDate(firstDayOfNext), change);
    QVERIFY(!fmt::parseDate(pastEnd).isValid());
    QVERIFY(!fmt::parseDate(beforeStart).isValid());
}

void TestFormats::formatAmount_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << qint64(0) << QStringLiteral("0");
    QTest::newRow("three digits") << qint64(999) << QStringLiteral("999");
    QTest::newRow("four digits") << qint64(1000) << QStringLiteral("1,000");
    QTest::newRow("millions") << qint64(1234567) << QStringLiteral("1,234,567");
    QTest::newRow("negative") << qint64(-1234) << QStringLiteral("-1,234");
    QTest::newRow("negative small") << qint64(-5) << QStringLiteral("-5");
    QTest::newRow("32-bit limit") << qint64(2147483647) << QStringLiteral("2,147,483,647");
    QTest::newRow("most negative") << std::numeric_limits<qint64>::min()
                                   << QStringLiteral("-9,223,372,036,854,775,808");
}

void TestFormats::formatAmount()
{
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QCOMPARE(fmt::amount(value), text);
}

void TestFormats::parseAmount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("value");

    QTest::newRow("plain") << QStringLiteral("1234567") << true << qint64(1234567);
    QTest::newRow("separators") << QStringLiteral("1,234,567") << true << qint64(1234567);
    QTest::newRow("full-width") << QStringLiteral("１，２３４，５６７") << true << qint64(1234567);
    QTest::newRow("spaces") << QStringLiteral(" 1,000 ") << true << qint64(1000);
    QTest::newRow("negative") << QStringLiteral("-1,234") << true << qint64(-1234);
    QTest::newRow("minus sign") << QStringLiteral("\u22121,234") << true << qint64(-1234);
    QTest::newRow("full-width minus") << QStringLiteral("－５００") << true << qint64(-500);
    QTest::newRow("plus") << QStringLiteral("+500") << true << qint64(500);
    QTest::newRow("yen sign") << QStringLiteral("¥1,000") << true << qint64(1000);
    QTest::newRow("full-width yen") << QStringLiteral("￥1,000") << true << qint64(1000);
    QTest::newRow("negative yen") << QStringLiteral("-¥1,000") << true << qint64(-1000);
    QTest::newRow("yen suffix") << QStringLiteral("1,000円") << true << qint64(1000);
    QTest::newRow("zero") << QStringLiteral("0") << true << qint64(0);
    QTest::newRow("leading zeros") << QStringLiteral("000123") << true << qint64(123);
    QTest::newRow("half down to even") << QStringLiteral("1234.5") << true << qint64(1234);
    QTest::newRow("half up to even") << QStringLiteral("1235.5") << true << qint64(1236);
    QTest::newRow("just over half") << QStringLiteral("1234.5001") << true << qint64(1235);
    QTest::newRow("below half") << QStringLiteral("1234.4999") << true << qint64(1234);
    QTest::newRow("negative half") << QStringLiteral("-2.5") << true << qint64(-2);
    QTest::newRow("fraction with separators") << QStringLiteral("1,000.75") << true << qint64(1001);
    QTest::newRow("18 digits") << QStringLiteral("999999999999999999") << true << qint64(999999999999999999LL);

    QTest::newRow("empty") << QString() << false << qint64(0);
    QTest::newRow("letters") << QStringLiteral("abc") << false << qint64(0);
    QTest::newRow("bad grouping") << QStringLiteral("12,34") << false << qint64(0);
    QTest::newRow("trailing comma") << QStringLiteral("1,000,") << false << qint64(0);
    QTest::newRow("two points") << QStringLiteral("1.2.3") << false << qint64(0);
    QTest::newRow("point only") << QStringLiteral(".5") << false << qint64(0);
    QTest::newRow("sign only") << QStringLiteral("-") << false << qint64(0);
    QTest::newRow("two signs") << QStringLiteral("--5") << false << qint64(0);
    QTest::newRow("19 digits") << QStringLiteral("1234567890123456789") << false << qint64(0);
    QTest::newRow("exponent") << QStringLiteral("1e3") << false << qint64(0);
    QTest::newRow("inner text") << QStringLiteral("1万") << false << qint64(0);
    // Rounding must not carry into a 19th digit that the reader refuses when typed.
    QTest::newRow("rounds past 18 digits") << QStringLiteral("999999999999999999.9") << false << qint64(0);
    QTest::newRow("negative rounds past 18 digits") << QStringLiteral("-999999999999999999.5") << false << qint64(0);
    QTest::newRow("18 digits, fraction below half")
        << QStringLiteral("999999999999999999.4") << true << qint64(999999999999999999LL);
    QTest::newRow("half just below the limit")
        << QStringLiteral("999999999999999998.5") << true << qint64(999999999999999998LL);
    QTest::newRow("yen then minus") << QStringLiteral("¥-1,000") << true << qint64(-1000);
    QTest::newRow("plus then minus") << QStringLiteral("+-5") << false << qint64(0);
    QTest::newRow("sign on both sides of yen") << QStringLiteral("-¥-5") << false << qint64(0);
    // Digits of other scripts are not yen amounts (they once read as 0).
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0663\u0663") << false << qint64(0);
    QTest::newRow("Devanagari digits") << QStringLiteral("\u0967,\u0966\u0966\u0966") << false << qint64(0);
}

void TestFormats::parseAmount()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(qint64, value);
    const std::optional<qint64> got = fmt::parseAmount(text);
    QCOMPARE(got.has_value(), ok);
    if (ok)
        QCOMPARE(*got, value);
}

void TestFormats::amountRoundTrips()
{
    const qint64 values[] = {0, 1, -1, 12, 999, 1000, -1000, 123456, 1000000, -98765432, 2147483647, -2147483648LL};
    for (qint64 v : values) {
        const std::optional<qint64> back = fmt::parseAmount(fmt::amount(v));
        QVERIFY2(back.has_value(), qPrintable(fmt::amount(v)));
        QCOMPARE(*back, v);
    }
}

void TestFormats::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("rounded");

    QTest::newRow("0.5") << 0.5 << qint64(0);
    QTest::newRow("1.5") << 1.5 << qint64(2);
    QTest::newRow("2.5") << 2.5 << qint64(2);
    QTest::newRow("3.5") << 3.5 << qint64(4);
    QTest::newRow("2.51") << 2.51 << qint64(3);
    QTest::newRow("2.49") << 2.49 << qint64(2);
    QTest::newRow("-2.5") << -2.5 << qint64(-2);
    QTest::newRow("-3.5") << -3.5 << qint64(-4);
    QTest::newRow("-2.6") << -2.6 << qint64(-3);
    QTest::newRow("whole") << 7.0 << qint64(7);
    QTest::newRow("large half") << 1234567.5 << qint64(1234568);
}

void TestFormats::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(qint64, rounded);
    QCOMPARE(fmt::roundHalfEven(value), rounded);
}

void TestFormats::parseWholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("value");
    QTest::newRow("digits") << QStringLiteral("90") << true << qint64(90);
    QTest::newRow("zero") << QStringLiteral("0") << true << qint64(0);
    QTest::newRow("spaces") << QStringLiteral(" 120 ") << true << qint64(120);
    QTest::newRow("full-width") << QStringLiteral("１２０") << true << qint64(120);
    QTest::newRow("negative") << QStringLiteral("-5") << true << qint64(-5);
    QTest::newRow("minus sign") << QStringLiteral("−5") << true << qint64(-5);
    QTest::newRow("fraction") << QStringLiteral("90.5") << false << qint64(0);
    QTest::newRow("separator") << QStringLiteral("1,000") << false << qint64(0);
    QTest::newRow("unit") << QStringLiteral("90日") << false << qint64(0);
    QTest::newRow("empty") << QString() << false << qint64(0);
    QTest::newRow("sign only") << QStringLiteral("-") << false << qint64(0);
    QTest::newRow("too long") << QStringLiteral("1234567890123456789") << false << qint64(0);
}

void TestFormats::parseWholeNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, value);
    const std::optional<qint64> got = fmt::parseWholeNumber(text);
    QCOMPARE(got.has_value(), valid);
    if (valid)
        QCOMPARE(*got, value);
}

void TestFormats::codes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("characters");
    QTest::newRow("half-width as it is") << u"A12"_qs << u"A12"_qs << 3;
    QTest::newRow("full-width letters and digits") << u"Ａ１２"_qs << u"A12"_qs << 3;
    QTest::newRow("full-width lower case keeps its case") << u"ａ１２"_qs << u"a12"_qs << 3;
    QTest::newRow("full-width signs") << u"Ｘ－１＃"_qs << u"X-1#"_qs << 4;
    QTest::newRow("ideographic spaces around") << u"　Ｂ７　"_qs << u"B7"_qs << 2;
    QTest::newRow("kana and kanji kept") << u"ｶﾅ漢字"_qs << u"ｶﾅ漢字"_qs << 4;
    QTest::newRow("outside the basic plane counts once") << u"😀😀😀"_qs << u"😀😀😀"_qs << 3;
    QTest::newRow("empty") << QString() << QString() << 0;
}

void TestFormats::codes()
{
    QFETCH(QString, typed);
    QFETCH(QString, code);
    QFETCH(int, characters);
    QCOMPARE(fmt::normalizeCode(typed), code);
    QCOMPARE(fmt::charCount(fmt::normalizeCode(typed)), characters);
    // Reading a code twice changes nothing.
    QCOMPARE(fmt::normalizeCode(code), code);
}

namespace {

const QString kNotANumber = u"金額は数字で入力してください\n（例: 1,234,567）"_qs;
const QString kTooLarge = u"金額が大きすぎます\n2,147,483,647円までの金額を入力してください"_qs;
const QString kNegative = u"金額にマイナスは使えません\n0円以上の金額を入力してください"_qs;

} // namespace

void TestFormats::typedAmount_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("message"); // empty: taken
    QTest::newRow("separators") << u"2,500"_qs << qint64(2500) << QString();
    QTest::newRow("zero") << u"0"_qs << qint64(0) << QString();
    QTest::newRow("the largest") << u"2,147,483,647"_qs << qint64(2147483647) << QString();
    QTest::newRow("one yen below zero") << u"-1"_qs << qint64(0) << kNegative;
    QTest::newRow("the input method's minus") << u"−5,000"_qs << qint64(0) << kNegative;
    QTest::newRow("far below zero") << u"-9999999999"_qs << qint64(0) << kNegative;
    QTest::newRow("one yen too many") << u"2,147,483,648"_qs << qint64(0) << kTooLarge;
    QTest::newRow("twenty digits are a number, too large") << u"12345678901234567890"_qs << qint64(0) << kTooLarge;
    QTest::newRow("twenty full-width digits")
        << u"１２３４５６７８９０１２３４５６７８９０"_qs << qint64(0) << kTooLarge;
    QTest::newRow("a letter") << u"12a"_qs << qint64(0) << kNotANumber;
    QTest::newRow("empty") << QString() << qint64(0) << kNotANumber;
}

void TestFormats::typedAmount()
{
    QFETCH(QString, typed);
    QFETCH(qint64, value);
    QFETCH(QString, message);
    input::Problem problem;
    const std::optional<qint64> read = input::readAmount(typed, problem);
    QCOMPARE(read.has_value(), message.isEmpty());
    QCOMPARE(problem.message, message);
    if (read)
        QCOMPARE(*read, value);
    else
        QCOMPARE(problem.field, u"金額"_qs);
}

void TestFormats::typedDates_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");      // invalid: an empty field
    QTest::addColumn<QString>("message"); // empty: taken
    QTest::newRow("booking date m/d") << u"日付"_qs << u"3/5"_qs << QDate(2026, 3, 5) << QString();
    QTest::newRow("left empty") << u"手形期日"_qs << u" "_qs << QDate() << QString();
    QTest::newRow("2/29 of a common year")
        << u"日付"_qs << u"2/29"_qs << QDate()
        << u"日付「2/29」が正しくありません\n月/日の形で入力してください（例 12/7）"_qs;
    QTest::newRow("month 13") << u"日付"_qs << u"13/1"_qs << QDate()
                              << u"日付「13/1」が正しくありません\n月/日の形で入力してください（例 12/7）"_qs;
    QTest::newRow("2/30")
        << u"手形期日"_qs << u"2027/2/30"_qs << QDate()
        << u"手形期日「2027/2/30」は日付ではありません\n年/月/日の形で入力してください（例 2026/12/7）"_qs;
}

void TestFormats::typedDates()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    QFETCH(QString, message);
    input::Problem problem;
    const std::optional<QDate> read = input::readDate(field, typed, QDate(2026, 12, 7), problem);
    QCOMPARE(read.has_value(), message.isEmpty());
    QCOMPARE(problem.message, message);
    if (read)
        QCOMPARE(*read, date);
    else
        QCOMPARE(problem.field, field);
}

QTEST_MAIN(TestFormats)
#include "test_formats.moc"
