#include "data/BillNumber.h"
#include "data/Calendar.h"
#include "data/Engine.h"
#include "data/Files.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTest>

using namespace sorvane;

namespace {

const QString kSunday = QStringLiteral("手形期日が日曜日です");
const QString kSaturday = QStringLiteral("手形期日が土曜日です");

// Writes a holiday file of our own making, for rules the real calendar
// never exercises.
void writeHolidayRows(const QString &fileName, const QList<QDate> &dates)
{
    Workspace ws(QStringLiteral("w"), {}, {});
    ScopedDatabase db(ws, fileName, ScopedDatabase::Mode::Create);
    db->execute(QStringLiteral("CREATE TABLE 祝日 (日付 TEXT PRIMARY KEY, 祝日名 TEXT)"));
    for (const QDate &d : dates)
        db->execute(QStringLiteral("INSERT INTO 祝日 (日付, 祝日名) VALUES (?, ?)"), {d, QStringLiteral("休日")});
}

} // namespace

class TestCalendar : public QObject {
    Q_OBJECT

private slots:
    void nextBillNumber_data();
    void nextBillNumber();
    void billNumberAfter_data();
    void billNumberAfter();
    void addTermSkipWeekend_data();
    void addTermSkipWeekend();
    void fillDueDate_data();
    void fillDueDate();
    void checkDueDate_data();
    void checkDueDate();
    void yearWithoutHolidayFile();
    void unreadableHolidayFileKeepsWeekendMove();
    void searchWindowEndsTheStepping();
};

void TestCalendar::nextBillNumber_data()
{
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("next");

    QTest::newRow("prefix and zeros") << QStringLiteral("A0099") << QStringLiteral("A0100");
    QTest::newRow("plain") << QStringLiteral("41") << QStringLiteral("42");
    QTest::newRow("widens") << QStringLiteral("999") << QStringLiteral("1000");
    QTest::newRow("no digits") << QStringLiteral("AB") << QStringLiteral("1");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("leading zeros kept") << QStringLiteral("0009") << QStringLiteral("0010");
    QTest::newRow("digits inside the prefix") << QStringLiteral("X9Y01") << QStringLiteral("X9Y02");
    QTest::newRow("prefix widens") << QStringLiteral("AB99") << QStringLiteral("AB100");
    QTest::newRow("separator before tail") << QStringLiteral("12-05") << QStringLiteral("12-06");
    QTest::newRow("letter at the end") << QStringLiteral("A12B") << QStringLiteral("1");
    QTest::newRow("spaces around") << QStringLiteral(" A0099 ") << QStringLiteral("A0100");
    QTest::newRow("only spaces") << QStringLiteral("   ") << QString();
    QTest::newRow("longer than any integer")
        << QStringLiteral("N99999999999999999999") << QStringLiteral("N100000000000000000000");
    QTest::newRow("japanese prefix") << QStringLiteral("ア第0012") << QStringLiteral("ア第0013");
    QTest::newRow("full-width letters and digits") << QStringLiteral("Ａ０９９") << QStringLiteral("A100");
    QTest::newRow("full-width sign") << QStringLiteral("Ｆ－００１") << QStringLiteral("F-002");
}

void TestCalendar::nextBillNumber()
{
    QFETCH(QString, last);
    QFETCH(QString, next);
    QCOMPARE(NextBillNumber(last), next);
}

void TestCalendar::billNumberAfter_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("last");
    QTest::addColumn<bool>("after");
    QTest::newRow("next in the series") << u"A0100"_qs << u"A0099"_qs << true;
    QTest::newRow("lower in the series") << u"A0098"_qs << u"A0099"_qs << false;
    QTest::newRow("the same number") << u"A0099"_qs << u"A0099"_qs << false;
    QTest::newRow("wider digits are larger") << u"A1000"_qs << u"A999"_qs << true;
    QTest::newRow("leading zeros do not count") << u"A00100"_qs << u"A099"_qs << true;
    QTest::newRow("longer than any integer") << u"X123456789012345678901"_qs << u"X123456789012345678900"_qs << true;
    QTest::newRow("letters of the prefix in either case") << u"a0098"_qs << u"A0099"_qs << false;
    QTest::newRow("a new series replaces the old") << u"B0001"_qs << u"A0099"_qs << true;
    QTest::newRow("nothing recorded yet") << u"A0001"_qs << QString() << true;
    QTest::newRow("an empty number never") << QString() << u"A0099"_qs << false;
    QTest::newRow("numbers without digits differ") << u"AB"_qs << u"AC"_qs << true;
    QTest::newRow("spaces around are ignored") << u" A0098 "_qs << u"A0099"_qs << false;
    QTest::newRow("full-width is the same series") << u"Ａ００９８"_qs << u"A0099"_qs << false;
}

void TestCalendar::billNumberAfter()
{
    QFETCH(QString, number);
    QFETCH(QString, last);
    QFETCH(bool, after);
    QCOMPARE(BillNumberAfter(number, last), after);
}

void TestCalendar::addTermSkipWeekend_data()
{
    QTest::addColumn<QDate>("issue");
    QTest::addColumn<int>("term");
    QTest::addColumn<QDate>("due");

    QTest::newRow("weekday") << QDate(2026, 12, 7) << 30 << QDate(2027, 1, 6);
    QTest::newRow("lands on Saturday") << QDate(2026, 12, 7) << 5 << QDate(2026, 12, 14);
    QTest::newRow("lands on Sunday") << QDate(2026, 12, 7) << 6 << QDate(2026, 12, 14);
    QTest::newRow("term 0 on a Saturday") << QDate(2026, 12, 5) << 0 << QDate(2026, 12, 5);
    QTest::newRow("term 0 on a Sunday") << QDate(2026, 12, 6) << 0 << QDate(2026, 12, 6);
    QTest::newRow("negative term") << QDate(2026, 12, 6) << -3 << QDate(2026, 12, 6);
    // Holidays are left to the due-date check.
    QTest::newRow("lands on New Year's Day") << QDate(2026, 12, 1) << 31 << QDate(2027, 1, 1);
    QTest::newRow("over a leap day") << QDate(2028, 2, 1) << 28 << QDate(2028, 2, 29);
}

void TestCalendar::addTermSkipWeekend()
{
    QFETCH(QDate, issue);
    QFETCH(int, term);
    QFETCH(QDate, due);
    QCOMPARE(AddTermSkipWeekend(issue, term), due);
}

void TestCalendar::fillDueDate_data()
{
    QTest::addColumn<QString>("issue");
    QTest::addColumn<QString>("term");
    QTest::addColumn<QString>("due");
    QTest::addColumn<QString>("expected");

    const QString old = QStringLiteral("2027/03/01");
    QTest::newRow("empty issue empties") << QString() << QStringLiteral("30") << old << QString();
    QTest::newRow("blank issue empties") << QStringLiteral("  ") << QStringLiteral("30") << old << QString();
    QTest::newRow("issue + term") << QStringLiteral("2026/12/07") << QStringLiteral("30") << old
                                  << QStringLiteral("2027/01/06");
    QTest::newRow("moved off Saturday") << QStringLiteral("2026/12/7") << QStringLiteral("5") << old
                                        << QStringLiteral("2026/12/14");
    QTest::newRow("term 0 keeps weekend issue")
        << QStringLiteral("2026/12/05") << QStringLiteral("0") << old << QStringLiteral("2026/12/05");
    QTest::newRow("empty term keeps due") << QStringLiteral("2026/12/07") << QString() << old << old;
    QTest::newRow("term not a number") << QStringLiteral("2026/12/07") << QStringLiteral("30日") << old << old;
    QTest::newRow("issue not a date keeps due") << QStringLiteral("2026/13/07") << QStringLiteral("30") << old << old;
    QTest::newRow("issue text keeps due") << QStringLiteral("あした") << QStringLiteral("30") << old << old;
    QTest::newRow("full-width term") << QStringLiteral("2026/12/07") << QStringLiteral("３０") << old
                                     << QStringLiteral("2027/01/06");
    QTest::newRow("era issue date") << QStringLiteral("R8.12.7") << QStringLiteral("30") << old
                                    << QStringLiteral("2027/01/06");
    QTest::newRow("m/d issue in today's year")
        << QStringLiteral("12/7") << QStringLiteral("30") << old << QStringLiteral("2027/01/06");
    QTest::newRow("term beyond year 9999") << QStringLiteral("2026/12/07") << QStringLiteral("9999999") << old << old;
}

void TestCalendar::fillDueDate()
{
    QFETCH(QString, issue);
    QFETCH(QString, term);
    QFETCH(QString, due);
    QFETCH(QString, expected);
    QCOMPARE(FillDueDate(issue, term, due, QDate(2026, 12, 7)), expected);
}

void TestCalendar::checkDueDate_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("holidays");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("messages");

    const QStringList none;
    QTest::newRow("empty") << QString() << true << QString() << none;
    QTest::newRow("not a date") << QStringLiteral("2026/02/30") << true << QStringLiteral("2026/02/30") << none;
    QTest::newRow("weekday stays as typed")
        << QStringLiteral("2026/12/8") << true << QStringLiteral("2026/12/8") << none;
    QTest::newRow("Sunday") << QStringLiteral("2026/12/06") << true << QStringLiteral("2026/12/07")
                            << QStringList{kSunday};
    QTest::newRow("Saturday") << QStringLiteral("2026/12/05") << true << QStringLiteral("2026/12/07")
                              << QStringList{kSaturday};
    QTest::newRow("day before golden week")
        << QStringLiteral("2026/05/01") << true << QStringLiteral("2026/05/01") << none;
    QTest::newRow("holiday, weekend, holiday")
        << QStringLiteral("2024/05/03") << true << QStringLiteral("2024/05/07") << none;
    QTest::newRow("Saturday onto golden week")
        << QStringLiteral("2026/05/02") << true << QStringLiteral("2026/05/07") << QStringList{kSaturday};
    QTest::newRow("Sunday holiday onto golden week")
        << QStringLiteral("2026/05/03") << true << QStringLiteral("2026/05/07") << QStringList{kSunday};
    QTest::newRow("citizens' holiday") << QStringLiteral("2026/09/22") << true << QStringLiteral("2026/09/24") << none;
    QTest::newRow("12/31 over New Year") << QStringLiteral("2026/12/31") << true << QStringLiteral("2027/01/04")
                                         << none;
    QTest::newRow("12/31 Wednesday") << QStringLiteral("2025/12/31") << true << QStringLiteral("2026/01/05") << none;
    QTest::newRow("12/31 onto bank holiday 1/3")
        << QStringLiteral("2027/12/31") << true << QStringLiteral("2028/01/04") << none;
    QTest::newRow("Sunday into January") << QStringLiteral("2028/12/31") << true << QStringLiteral("2029/01/04")
                                         << QStringList{kSunday};
    QTest::newRow("era date") << QStringLiteral("R8/5/3") << true << QStringLiteral("2026/05/07")
                              << QStringList{kSunday};
    QTest::newRow("m/d in today's year") << QStringLiteral("9/22") << true << QStringLiteral("2026/09/24") << none;
    QTest::newRow("payable without holiday data: holiday stays")
        << QStringLiteral("2026/05/04") << false << QStringLiteral("2026/05/04") << none;
    QTest::newRow("payable without holiday data: weekend only")
        << QStringLiteral("2026/05/02") << false << QStringLiteral("2026/05/04") << QStringList{kSaturday};
}

void TestCalendar::checkDueDate()
{
    QFETCH(QString, typed);
    QFETCH(bool, holidays);
    QFETCH(QString, expected);
    QFETCH(QStringList, messages);

    test::DataFolder folder;
    test::ScriptedUi ui;
    Workspace ws(QStringLiteral("Varnostel"), QStringLiteral("admin"), {});
    QCOMPARE(CheckDueDate(typed, holidays, folder.path(), ws, ui, QDate(2026, 12, 7)), expected);
    QCOMPARE(ui.texts(), messages);
    for (const test::Shown &s : ui.shown) {
        QVERIFY(s.kind == test::Shown::Kind::Information);
        QVERIFY(s.title.isEmpty());
    }
    // The holiday files were opened only for the check.
    QVERIFY(ws.databases().empty());
}

void TestCalendar::yearWithoutHolidayFile()
{
    test::DataFolder folder;
    test::ScriptedUi ui;
    Workspace ws(QStringLiteral("Varnostel"), QStringLiteral("admin"), {});

    // The prepared folder ends with 2060: later years move off weekends only.
    QCOMPARE(CheckDueDate(QStringLiteral("2070/01/01"), true, folder.path(), ws, ui), QStringLiteral("2070/01/01"));
    QCOMPARE(CheckDueDate(QStringLiteral("2070/01/05"), true, folder.path(), ws, ui), QStringLiteral("2070/01/06"));
    QCOMPARE(ui.texts(), QStringList{kSunday});

    // A file removed from the folder counts as no holiday data for its year.
    QVERIFY(QFile::remove(folder.file(files::holidayFileName(2026))));
    ui.clear();
    QCOMPARE(CheckDueDate(QStringLiteral("2026/05/04"), true, folder.path(), ws, ui), QStringLiteral("2026/05/04"));
    QCOMPARE(CheckDueDate(QStringLiteral("2026/05/03"), true, folder.path(), ws, ui), QStringLiteral("2026/05/04"));
    QCOMPARE(ui.texts(), QStringList{kSunday});
    // The year before still moves off its own holidays, but cannot see those of the missing year.
    QCOMPARE(CheckDueDate(QStringLiteral("2025/12/31"), true, folder.path(), ws, ui), QStringLiteral("2026/01/01"));
}

void TestCalendar::unreadableHolidayFileKeepsWeekendMove()
{
    test::DataFolder folder;
    test::ScriptedUi ui;
    Workspace ws(QStringLiteral("Varnostel"), QStringLiteral("admin"), {});
    QFile f(folder.file(files::holidayFileName(2026)));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(4096, 'x'));
    f.close();

    // 5/3 is a Sunday: moved to the holiday 5/4, and the broken file stops the rest silently.
    QCOMPARE(CheckDueDate(QStringLiteral("2026/05/03"), true, folder.path(), ws, ui), QStringLiteral("2026/05/04"));
    QCOMPARE(ui.texts(), QStringList{kSunday});
    QCOMPARE(CheckDueDate(QStringLiteral("2026/05/04"), true, folder.path(), ws, ui), QStringLiteral("2026/05/04"));
    QVERIFY(ws.databases().empty());
    QVERIFY_THROWS_EXCEPTION(DbError, ShiftOffHolidays(QDate(2026, 5, 4), folder.path(), ws));

    // So does a file without the table.
    QVERIFY(QFile::remove(f.fileName()));
    {
        ScopedDatabase db(ws, f.fileName(), ScopedDatabase::Mode::Create);
        db->execute(QStringLiteral("CREATE TABLE other (x)"));
    }
    QCOMPARE(CheckDueDate(QStringLiteral("2026/05/04"), true, folder.path(), ws, ui), QStringLiteral("2026/05/04"));
    QVERIFY(ws.databases().empty());
}

// Only the holidays of the month from the due date on are read: a run of
// holidays longer than that ends at the first weekday beyond it.
void TestCalendar::searchWindowEndsTheStepping()
{
    QTemporaryDir dir;
    QList<QDate> run;
    for (QDate d(2030, 1, 15); d <= QDate(2030, 2, 28); d = d.addDays(1))
        run << d;
    writeHolidayRows(dir.filePath(files::holidayFileName(2030)), run);
    Workspace ws(QStringLiteral("w"), {}, {});
    // Window 2030-01-15 to 2030-02-14 (a Thursday): Friday 2/15 is beyond it.
    QCOMPARE(ShiftOffHolidays(QDate(2030, 1, 15), dir.path(), ws), QDate(2030, 2, 15));
    // A date that is no holiday is not moved.
    QCOMPARE(ShiftOffHolidays(QDate(2030, 1, 14), dir.path(), ws), QDate(2030, 1, 14));
}

QTEST_MAIN(TestCalendar)
#include "test_calendar.moc"
