// sorvane-admin customer / supplier, end to end through the real tool: the
// numbers it stores, what it prints, its exit codes, and that a refusal
// changes nothing.

#include "support/ReportBills.h"
#include "support/TestSupport.h"

#include "data/Files.h"

#include "AdminRun.h"

#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

void prepare(const QString &folder)
{
    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb));
    insertParty(*db, u"T0"_qs, u"A1"_qs, u"青葉商事"_qs, u"T7123456789012"_qs);
    insertParty(*db, u"T0"_qs, u"B2"_qs, u"北斗"_qs);
    insertParty(*db, u"S0"_qs, u"A1"_qs, u"丸紅資材"_qs);
}

QStringList numbers(const QString &folder, const QString &table)
{
    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb));
    const QString code = table == u"T0" ? u"tc"_qs : u"sc"_qs;
    Recordset rs = db->openRecordset(
        QStringLiteral("select %1 as c, coalesce(登録番号, '') as n from %2 order by %1").arg(code, table));
    QStringList out;
    for (; !rs.eof(); rs.moveNext())
        out << rs.text(u"c"_qs) + u'=' + rs.text(u"n"_qs);
    return out;
}

} // namespace

class TestAdminParties : public QObject {
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
};

void TestAdminParties::commands_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said"); // on stdout when 0, else on stderr
    QTest::addColumn<QStringList>("customers");
    QTest::addColumn<QStringList>("suppliers");
    const QStringList customers{u"A1=T7123456789012"_qs, u"B2="_qs};
    const QStringList suppliers{u"A1="_qs};
    QTest::newRow("list") << QStringList{u"customer"_qs, u"list"_qs} << 0
                          << u"A1      青葉商事  T7123456789012\nB2      北斗\n"_qs << customers << suppliers;
    QTest::newRow("show one") << QStringList{u"customer"_qs, u"number"_qs, u"a1"_qs} << 0
                              << u"A1 青葉商事: T7123456789012"_qs << customers << suppliers;
    QTest::newRow("set a 法人番号 typed full-width")
        << QStringList{u"customer"_qs, u"number"_qs, u"B2"_qs, u"７０００ ０１２０ ５０００２"_qs} << 0
        << u"B2 北斗 の登録番号（法人番号）: (未登録) → 7000012050002"_qs
        << QStringList{u"A1=T7123456789012"_qs, u"B2=7000012050002"_qs} << suppliers;
    QTest::newRow("a supplier of the same code")
        << QStringList{u"supplier"_qs, u"number"_qs, u"A1"_qs, u"t9010401012345"_qs} << 0 << u"丸紅資材"_qs << customers
        << QStringList{u"A1=T9010401012345"_qs};
    QTest::newRow("clear") << QStringList{u"customer"_qs, u"number"_qs, u"A1"_qs, u"--clear"_qs} << 0
                           << u"T7123456789012 → (未登録)"_qs << QStringList{u"A1="_qs, u"B2="_qs} << suppliers;
    QTest::newRow("help") << QStringList{u"supplier"_qs, u"--help"_qs} << 0 << u"sorvane-admin supplier number"_qs
                          << customers << suppliers;
    QTest::newRow("wrong check digit") << QStringList{u"customer"_qs, u"number"_qs, u"B2"_qs, u"8000012050002"_qs} << 2
                                       << u"法人番号「8000012050002」は正しくありません"_qs << customers << suppliers;
    QTest::newRow("not a number") << QStringList{u"customer"_qs, u"number"_qs, u"B2"_qs, u"T12"_qs} << 2
                                  << u"T と 13 桁の数字"_qs << customers << suppliers;
    QTest::newRow("number and clear") << QStringList{u"customer"_qs, u"number"_qs, u"B2"_qs, u"T7123456789012"_qs,
                                                     u"--clear"_qs}
                                      << 2 << u"一緒に指定できません"_qs << customers << suppliers;
    QTest::newRow("unknown code") << QStringList{u"supplier"_qs, u"number"_qs, u"ZZ"_qs, u"T7123456789012"_qs} << 1
                                  << u"仕入先コード「ZZ」は登録されていません。何も変更していません。"_qs << customers
                                  << suppliers;
    QTest::newRow("unknown subcommand") << QStringList{u"customer"_qs, u"remove"_qs, u"A1"_qs} << 2
                                        << u"不明な customer のコマンドです: remove"_qs << customers << suppliers;
    QTest::newRow("nothing after the command")
        << QStringList{u"supplier"_qs} << 2 << u"list か number"_qs << customers << suppliers;
}

void TestAdminParties::commands()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, said);
    QFETCH(QStringList, customers);
    QFETCH(QStringList, suppliers);
    DataFolder folder;
    prepare(folder.path());
    const AdminRun r = runAdmin(args + QStringList{u"--folder"_qs, folder.path()});
    QCOMPARE(r.code, code);
    const QString text = code == 0 ? r.out : r.err;
    QVERIFY2(text.contains(said), qPrintable(r.out + r.err));
    QCOMPARE(numbers(folder.path(), u"T0"_qs), customers);
    QCOMPARE(numbers(folder.path(), u"S0"_qs), suppliers);
}

QTEST_MAIN(TestAdminParties)
#include "test_admin_parties.moc"
