// sorvane-admin report, end to end through the real tool: each report
// writes the figures the windows show (the same CSV, byte for byte), a PDF,
// or a table on the screen; bad arguments are refused with exit code 2 and
// nothing written.

#include "support/TestSupport.h"

#include "book/BillLife.h"
#include "book/DiscountBanks.h"
#include "book/Payables.h"
#include "book/Planning.h"
#include "book/Receivables.h"
#include "book/Totals.h"
#include "data/Calendar.h"
#include "data/Files.h"

#include "AdminRun.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QDate kToday(2026, 12, 7);

// A book with an account, an issued bill, a received bill in hand and one
// discounted, written by the book's own steps.
void fill(const QString &folder)
{
    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb));
    const qint64 a =
        book::addAccount(*db, {{u"kozano"_qs, 1}, {u"口座種別"_qs, u"当座"_qs}, {u"銀行名"_qs, u"東西銀行"_qs}});
    book::setDefaultCollectionAccount(*db, a);
    db->execute(u"insert into T0(tc,tn) values('C1','得意先商事')"_qs);
    book::DiscountBank bank;
    bank.コード = u"D1"_qs;
    bank.銀行名 = u"東西銀行"_qs;
    bank.入金口座 = u"1"_qs;
    book::saveDiscountBank(*db, bank);
    book::Issue i;
    i.accountId = a;
    i.日付 = {2026, 11, 10};
    i.手形番号 = u"P1"_qs;
    i.取引先コード = u"S1"_qs;
    i.取引先 = u"仕入商会"_qs;
    i.手形期日 = {2027, 1, 8};
    i.金額 = 700'000;
    book::issueBill(*db, i);
    for (const auto &[number, due, amount] :
         {std::tuple{u"R1"_qs, QDate(2026, 12, 25), 400'000}, std::tuple{u"R2"_qs, QDate(2027, 2, 26), 150'000}}) {
        book::ReceivableBill r;
        r.日付 = {2026, 10, 1};
        r.手形番号 = number;
        r.取引先コード = u"C1"_qs;
        r.取引先 = u"得意先商事"_qs;
        r.手形期日 = due;
        r.金額 = amount;
        const qint64 id = book::registerReceivableBill(*db, r, std::nullopt);
        if (number == u"R2")
            book::discountBill(*db, {id, std::nullopt, {2026, 12, 1}, kToday}, u"D1"_qs, 2'000);
    }
    book::enterBalance(*db, a, {2026, 11, 1}, 100'000);
}

// The sheet the window shows for the same figures.
book::Sheet expected(const QString &folder, const QString &what)
{
    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb));
    const qint64 a = book::accountRecord(*db, 1)->id;
    if (what == u"cash") {
        BankCalendar calendar(folder, ws);
        return book::cashSheet(book::cashPlan(*db, a, {2026, 12, 1}, 3, calendar));
    }
    if (what == u"trial")
        return book::trialSheet(u"すべての口座"_qs, book::trialBalance(*db, 0, {2026, 10, 1}, 3));
    if (what == u"reserved")
        return book::reservedSheet(book::reservedBills(*db, {2026, 12, 31}));
    return book::totalsSheet(
        book::billTotals(*db, book::TotalsBy::Booking, {2026, 10, 1}, 3, {book::PartyChoice::Kind::Customer, u"C1"_qs}),
        u"得意先 C1 得意先商事"_qs);
}

QByteArray read(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestAdminReport : public QObject {
    Q_OBJECT
private slots:
    void writesTheWindowsFigures_data();
    void writesTheWindowsFigures();
    void pdfAndScreen();
    void refusals_data();
    void refusals();
};

void TestAdminReport::writesTheWindowsFigures_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QStringList>("args");
    QTest::newRow("cash") << u"cash"_qs << QStringList{u"cash"_qs,    u"--account"_qs, u"1"_qs, u"--from"_qs,
                                                       u"2026/12"_qs, u"--months"_qs,  u"3"_qs};
    QTest::newRow("trial, every account, an era month")
        << u"trial"_qs << QStringList{u"trial"_qs, u"--from"_qs, u"R8/10"_qs, u"--months=3"_qs};
    QTest::newRow("reserved at the year end")
        << u"reserved"_qs << QStringList{u"reserved"_qs, u"--date"_qs, u"2026/12/31"_qs};
    QTest::newRow("totals by booking date, one customer")
        << u"totals"_qs << QStringList{u"totals"_qs,   u"--by"_qs, u"booking"_qs,    u"--from"_qs, u"2026/10"_qs,
                                       u"--months"_qs, u"3"_qs,    u"--customer"_qs, u"ｃ１"_qs};
}

void TestAdminReport::writesTheWindowsFigures()
{
    QFETCH(QString, what);
    QFETCH(QStringList, args);
    DataFolder folder;
    fill(folder.path());
    QTemporaryDir out;
    const QString csv = out.filePath(u"集計.csv"_qs);
    const AdminRun r =
        runAdmin(QStringList{u"report"_qs} + args + QStringList{u"--csv"_qs, csv, u"--folder"_qs, folder.path()});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY2(r.out.startsWith(u"書き込み: "_qs + csv), qPrintable(r.out));
    const book::Sheet sheet = expected(folder.path(), what);
    QVERIFY(!sheet.rows.isEmpty());
    QCOMPARE(read(csv), book::sheetCsv(sheet));
}

void TestAdminReport::pdfAndScreen()
{
    DataFolder folder;
    fill(folder.path());
    QTemporaryDir out;
    const QString pdf = out.filePath(u"予約.pdf"_qs);
    AdminRun r = runAdmin({u"report"_qs, u"reserved"_qs, u"--date"_qs, u"2026/12/31"_qs, u"--pdf"_qs, pdf,
                           u"--folder"_qs, folder.path()});
    QCOMPARE(r.code, 0);
    QVERIFY(read(pdf).startsWith("%PDF-"));

    // Without a file: the table on the screen, numbers under their headings.
    r = runAdmin({u"report"_qs, u"cash"_qs, u"--account"_qs, u"1"_qs, u"--from"_qs, u"2026/12"_qs, u"--months"_qs,
                  u"2"_qs, u"--folder"_qs, folder.path()});
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split(u'\n');
    QCOMPARE(lines.value(0), u"口座別資金確認"_qs);
    QVERIFY2(lines.value(2).startsWith(u"年月"_qs), qPrintable(r.out));
    // December: 100,000 carried, +148,000 (the discount, 12/1) +400,000 (R1, 12/25).
    QVERIFY2(lines.value(4).startsWith(u"2026/12"_qs) && lines.value(4).contains(u"648,000"_qs), qPrintable(r.out));
}

void TestAdminReport::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("no report") << QStringList{} << 2
                               << u"report の後に cash、trial、reserved、totals のどれかを指定してください"_qs;
    QTest::newRow("unknown report") << QStringList{u"plan"_qs} << 2 << u"不明な report の種類です: plan"_qs;
    QTest::newRow("cash without account")
        << QStringList{u"cash"_qs} << 2 << u"report cash には --account で口座の kozano を指定してください"_qs;
    QTest::newRow("months out of range") << QStringList{u"trial"_qs, u"--months"_qs, u"61"_qs} << 2
                                         << u"--months は 1〜60 で指定してください: 61"_qs;
    QTest::newRow("no month") << QStringList{u"trial"_qs, u"--from"_qs, u"13月"_qs} << 2
                              << u"--from の月が正しくありません: 13月 (例: 2026/12、R8/12)"_qs;
    QTest::newRow("totals without --by") << QStringList{u"totals"_qs} << 2
                                         << u"--by には due か booking を指定してください"_qs;
    QTest::newRow("customer and supplier")
        << QStringList{u"totals"_qs, u"--by"_qs, u"due"_qs, u"--customer"_qs, u"C1"_qs, u"--supplier"_qs, u"S1"_qs} << 2
        << u"--customer と --supplier はどちらか一方だけ指定してください"_qs;
    QTest::newRow("no date") << QStringList{u"reserved"_qs, u"--date"_qs, u"2/30"_qs} << 2
                             << u"--date の日付が正しくありません: 2/30 (例: 2027/3/31、R9.3.31)"_qs;
    QTest::newRow("an option of another report")
        << QStringList{u"reserved"_qs, u"--account"_qs, u"1"_qs} << 2 << QString();
    QTest::newRow("unknown account") << QStringList{u"cash"_qs, u"--account"_qs, u"9"_qs} << 1
                                     << u"kozano 9 の口座は登録されていません"_qs;
    QTest::newRow("unknown customer") << QStringList{u"totals"_qs, u"--by"_qs, u"due"_qs, u"--customer"_qs, u"Z9"_qs}
                                      << 1 << u"得意先 Z9 は登録されていません"_qs;
}

void TestAdminReport::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    DataFolder folder;
    fill(folder.path());
    QTemporaryDir out;
    const QString csv = out.filePath(u"x.csv"_qs);
    const AdminRun r =
        runAdmin(QStringList{u"report"_qs} + args + QStringList{u"--csv"_qs, csv, u"--folder"_qs, folder.path()});
    QCOMPARE(r.code, code);
    if (!message.isEmpty())
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!QFile::exists(csv));
}

QTEST_MAIN(TestAdminReport)
#include "test_admin_report.moc"
