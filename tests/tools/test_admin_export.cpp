// sorvane-admin export, end to end through the real tool: the files it
// writes, what it prints, its exit codes, and that refusals write nothing.

#include "support/ReportBills.h"
#include "support/TestSupport.h"

#include "data/Files.h"
#include "report/Renderer.h"

#include "AdminRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

void addBills(const QString &folder)
{
    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb));
    for (const KindCase &c : billsOfEveryKind(QDate(2026, 4, 1), 8))
        insertBill(*db, c.bill);
    insertBill(*db, issuedBill(QDate(2026, 4, 2), QStringLiteral("P1"), QStringLiteral("株式会社佐藤製作所"),
                               QDate(2026, 7, 1), 2500000));
}

// The tool run where fontconfig finds no font at all.
AdminRun runWithoutFonts(const QStringList &args, const QString &work)
{
    QDir(work).mkpath(u"nofonts"_qs);
    QFile conf(QDir(work).filePath(u"fonts.conf"_qs));
    if (conf.open(QIODevice::WriteOnly))
        conf.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig><dir>%1</dir><cachedir>%1</cachedir>"
                                  "</fontconfig>\n")
                       .arg(QDir(work).filePath(u"nofonts"_qs))
                       .toUtf8());
    conf.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"FONTCONFIG_FILE"_qs, conf.fileName());
    return runAdmin(args, env);
}

} // namespace

class TestAdminExport : public QObject {
    Q_OBJECT
private slots:
    void writes_data();
    void writes();
    void refusals_data();
    void refusals();
    void noReportFontWritesNothing_data();
    void noReportFontWritesNothing();
};

void TestAdminExport::writes_data()
{
    QTest::addColumn<QStringList>("args"); // OUT stands for the output folder
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QString>("said");
    QTest::newRow("receivable ledger") << QStringList{u"ledger"_qs, u"receivable"_qs,     u"--from"_qs, u"2026/4/1"_qs,
                                                      u"--to"_qs,   u"令和8年4月30日"_qs, u"--pdf"_qs,  u"OUT/r.pdf"_qs}
                                       << QStringList{u"r.pdf"_qs} << QByteArray("%PDF") << u"手形 8 件、1 ページ"_qs;
    QTest::newRow("payable ledger in era dates")
        << QStringList{u"ledger"_qs,  u"payable"_qs, u"--from"_qs,    u"R8.4.1"_qs, u"--to"_qs,
                       u"R8.4.30"_qs, u"--pdf"_qs,   u"OUT/p.pdf"_qs, u"--era"_qs}
        << QStringList{u"p.pdf"_qs} << QByteArray("%PDF") << u"手形 1 件、1 ページ"_qs;
    QTest::newRow("statements, PDF and CSV")
        << QStringList{u"statement"_qs, u"--date"_qs, u"2026/4/30"_qs, u"--pdf"_qs,
                       u"OUT/s.pdf"_qs, u"--csv"_qs,  u"OUT"_qs}
        << QStringList{u"HOI020_4.0_受取手形.csv"_qs, u"HOI080_4.0_支払手形.csv"_qs, u"s.pdf"_qs} << QByteArray("2,0,")
        << u"手形 5 件"_qs;
    QTest::newRow("journal, first layout")
        << QStringList{u"journal"_qs,  u"--from"_qs, u"2026/4/1"_qs, u"--to"_qs,     u"2026/4/30"_qs,
                       u"--layout"_qs, u"yayoi"_qs,  u"--out"_qs,    u"OUT/j.csv"_qs}
        << QStringList{u"j.csv"_qs} << QByteArray("2000,1,,2026/04/01,") << u"手形 11 件"_qs;
    QTest::newRow("journal, second layout")
        << QStringList{u"journal"_qs,   u"--from"_qs,      u"2026/4/1"_qs, u"--to"_qs,
                       u"2026/4/30"_qs, u"--layout=mf"_qs, u"--out"_qs,    u"OUT/m.csv"_qs}
        << QStringList{u"m.csv"_qs} << u"取引No,"_qs.toUtf8() << u"手形 11 件"_qs;
}

void TestAdminExport::writes()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, files);
    QFETCH(QByteArray, start);
    QFETCH(QString, said);
    if (args.contains(u"--pdf"_qs) && !report::reportFontProblem().isEmpty())
        QSKIP("needs the report font IPAex Gothic: install fonts-ipaexfont-gothic (scripts/install-deps.sh)");
    DataFolder folder;
    addBills(folder.path());
    QTemporaryDir out;
    for (QString &a : args)
        a.replace(u"OUT"_qs, out.path());
    const AdminRun r = runAdmin(QStringList{u"export"_qs} + args + QStringList{u"--folder"_qs, folder.path()});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files), files);
    QFile first(QDir(out.path()).filePath(files.first()));
    QVERIFY(first.open(QIODevice::ReadOnly));
    QVERIFY(first.readAll().startsWith(start));
    QVERIFY2(r.out.contains(said), qPrintable(r.out));
    QVERIFY(r.out.contains(u"書き込み: "_qs + QDir::toNativeSeparators(first.fileName())));
}

void TestAdminExport::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said");
    const QStringList period{u"--from"_qs, u"2026/4/1"_qs, u"--to"_qs, u"2026/4/30"_qs};
    QTest::newRow("nothing after export") << QStringList{} << 2 << u"ledger、statement、journal"_qs;
    QTest::newRow("ledger without side") << QStringList{u"ledger"_qs} + period +
                                                QStringList{u"--pdf"_qs, u"OUT/a.pdf"_qs}
                                         << 2 << u"receivable か payable"_qs;
    QTest::newRow("missing date") << QStringList{u"ledger"_qs,    u"receivable"_qs, u"--to"_qs,
                                                 u"2026/4/30"_qs, u"--pdf"_qs,      u"OUT/a.pdf"_qs}
                                  << 2 << u"--from を指定してください"_qs;
    QTest::newRow("not a date") << QStringList{u"journal"_qs, u"--from"_qs,    u"2026/13/1"_qs,
                                               u"--to"_qs,    u"2026/4/30"_qs, u"--layout"_qs,
                                               u"mf"_qs,      u"--out"_qs,     u"OUT/a.csv"_qs}
                                << 2 << u"--from の日付が正しくありません: 2026/13/1"_qs;
    QTest::newRow("reversed period") << QStringList{u"journal"_qs, u"--from"_qs,    u"2026/5/1"_qs,
                                                    u"--to"_qs,    u"2026/4/30"_qs, u"--layout"_qs,
                                                    u"mf"_qs,      u"--out"_qs,     u"OUT/a.csv"_qs}
                                     << 2 << u"期間の始めが終わりより後になっています"_qs;
    QTest::newRow("unknown layout") << QStringList{u"journal"_qs} + period +
                                           QStringList{u"--layout"_qs, u"freee"_qs, u"--out"_qs, u"OUT/a.csv"_qs}
                                    << 2 << u"yayoi か mf"_qs;
    QTest::newRow("statement without output")
        << QStringList{u"statement"_qs, u"--date"_qs, u"2026/4/30"_qs} << 2 << u"--pdf か --csv"_qs;
    QTest::newRow("empty period") << QStringList{u"ledger"_qs, u"receivable"_qs, u"--from"_qs, u"2020/1/1"_qs,
                                                 u"--to"_qs,   u"2020/1/31"_qs,  u"--pdf"_qs,  u"OUT/a.pdf"_qs}
                                  << 1 << u"出力する手形がありません"_qs;
    QTest::newRow("unwritable file") << QStringList{u"journal"_qs} + period +
                                            QStringList{u"--layout"_qs, u"yayoi"_qs, u"--out"_qs, u"OUT/no/a.csv"_qs}
                                     << 1 << u"保存先のフォルダーがありません"_qs;
    QTest::newRow("CSV folder missing") << QStringList{u"statement"_qs, u"--date"_qs, u"2026/4/30"_qs, u"--pdf"_qs,
                                                       u"OUT/s.pdf"_qs, u"--csv"_qs,  u"OUT/no"_qs}
                                        << 1 << u"CSV の保存先のフォルダーがありません"_qs;
}

void TestAdminExport::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, said);
    DataFolder folder;
    addBills(folder.path());
    QTemporaryDir out;
    for (QString &a : args)
        a.replace(u"OUT"_qs, out.path());
    const QMap<QString, QByteArray> before = snapshot(folder.path());
    const AdminRun r = runAdmin(QStringList{u"export"_qs} + args + QStringList{u"--folder"_qs, folder.path()});
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(said), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QVERIFY(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    QCOMPARE(snapshot(folder.path()), before);
}

void TestAdminExport::noReportFontWritesNothing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("ledger") << QStringList{u"ledger"_qs, u"receivable"_qs, u"--from"_qs, u"2026/4/1"_qs,
                                           u"--to"_qs,   u"2026/4/30"_qs,  u"--pdf"_qs,  u"OUT/r.pdf"_qs};
    QTest::newRow("statements with their CSV") << QStringList{
        u"statement"_qs, u"--date"_qs, u"2026/4/30"_qs, u"--pdf"_qs, u"OUT/s.pdf"_qs, u"--csv"_qs, u"OUT"_qs};
}

// Without IPAex Gothic the PDF would lose its digits: the tool names the
// package and writes nothing.
void TestAdminExport::noReportFontWritesNothing()
{
    QFETCH(QStringList, args);
    DataFolder folder;
    addBills(folder.path());
    QTemporaryDir out;
    QTemporaryDir work;
    for (QString &a : args)
        a.replace(u"OUT"_qs, out.path());
    const AdminRun r =
        runWithoutFonts(QStringList{u"export"_qs} + args + QStringList{u"--folder"_qs, folder.path()}, work.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(u"fonts-ipaexfont-gothic"_qs) && r.err.contains(u"何も書き出していません"_qs),
             qPrintable(r.err));
    QVERIFY(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

QTEST_MAIN(TestAdminExport)
#include "test_admin_export.moc"
