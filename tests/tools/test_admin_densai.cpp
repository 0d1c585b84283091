// sorvane-admin densai, end to end through the real tool: a good file in
// UTF-8 or Shift_JIS, a bad line refused with the line and why and nothing
// written, and the round trip through list.

#include "support/TestSupport.h"

#include "book/TextEncoding.h"
#include "data/Files.h"

#include "AdminRun.h"

#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

struct Book {
    DataFolder folder;
    Workspace ws{QStringLiteral("t"), {}, {}};
    Database *db = nullptr;
    Book()
    {
        db = ws.openDatabase(files::path(folder.path(), files::kMainDb));
        db->execute(QStringLiteral("insert into T0(tc,tn) values('C1','得意先商事'),('C2','二番,商店')"));
        db->execute(QStringLiteral("insert into S0(sc,sn) values('S1','仕入商会')"));
        db->execute(QStringLiteral("insert into 口座データ(kozano,口座種別,銀行名,支店名,口座番号) "
                                   "values(1,'当座','北銀行','本店','1234567')"));
    }
    ~Book() { ws.releaseDatabase(db); }
    QStringList args(QStringList a) const { return a << QStringLiteral("--folder") << folder.path(); }
    int count(const QString &table) const
    {
        return db->scalar(QStringLiteral("select count(*) from ") + table).toInt();
    }
    QString write(const QByteArray &bytes) const
    {
        const QString name = folder.file(QStringLiteral("claims.csv"));
        QFile f(name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return name;
    }
};

const QString kHeader = QStringLiteral("処理,記録番号,親記録番号,電子記録日,手形期日,金額,取引先コード,kozano,支払場所,"
                                       "支払場所支店,債務者口座,債権者銀行,債権者支店,債権者口座,譲渡制限");

// Three claims as list writes them: two receivable (one restricted, with a
// party whose name holds a comma), one of ours.
const QStringList kGood{
    QStringLiteral(
        "0,AB000000000000000001,,2026-10-01,2027-03-31,300000,C1,,南銀行,駅前,7654321,北銀行,本店,1234567,0"),
    QStringLiteral("0,AB000000000000000002,,2026-10-02,2027-04-30,1,C2,,南銀行,駅前,7654321,北銀行,本店,1234567,1"),
    QStringLiteral("1,AB000000000000000003,,2026-10-03,2027-05-31,45000,S1,1,北銀行,本店,1234567,西銀行,港,555,0"),
};

QByteArray fileOf(const QStringList &lines)
{
    return (QStringList{kHeader} + lines).join(u'\n').toUtf8() + '\n';
}

} // namespace

class TestAdminDensai : public QObject {
    Q_OBJECT
private slots:
    void goodFileRoundTrips_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::newRow("UTF-8") << QStringLiteral("utf8");
        QTest::newRow("UTF-8 with BOM") << QStringLiteral("bom");
        QTest::newRow("Shift_JIS") << QStringLiteral("sjis");
    }

    void goodFileRoundTrips()
    {
        QFETCH(QString, encoding);
        Book b;
        QByteArray bytes = fileOf(kGood);
        if (encoding == u"bom")
            bytes.prepend("\xEF\xBB\xBF");
        if (encoding == u"sjis")
            bytes = *book::toShiftJis(QString::fromUtf8(bytes));
        const AdminRun in = runAdmin(b.args({QStringLiteral("densai"), QStringLiteral("import"), b.write(bytes)}));
        QVERIFY2(in.code == 0, qPrintable(in.err));
        QVERIFY(in.out.contains(QStringLiteral("3 件")));
        QCOMPARE(b.count(QStringLiteral("D_手形 where 種類=2")), 3);
        QCOMPARE(b.db->scalar(QStringLiteral("select 取引先 from D_手形 where 金額=1")).toString(),
                 QStringLiteral("二番,商店"));
        const AdminRun out = runAdmin(b.args({QStringLiteral("densai"), QStringLiteral("list")}));
        QCOMPARE(out.code, 0);
        QCOMPARE(out.out.toUtf8(), fileOf(kGood));

        // The listed file read into a fresh book lists the same again.
        Book second;
        const AdminRun again =
            runAdmin(second.args({QStringLiteral("densai"), QStringLiteral("import"), second.write(out.out.toUtf8())}));
        QVERIFY2(again.code == 0, qPrintable(again.err));
        QCOMPARE(runAdmin(second.args({QStringLiteral("densai"), QStringLiteral("list")})).out, out.out);
    }

    void badLineWritesNothing_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message");
        const auto with = [](int i, const QString &line) {
            QStringList l = kGood;
            l[i] = line;
            return l;
        };
        QTest::newRow("short number") << with(1, QStringLiteral("0,AB00000000000000002,,2026-10-02,2027-04-30,1,C2,,"
                                                                ",,,,,,0"))
                                      << QStringLiteral("3 行目: 記録番号は半角英数字 20 桁です");
        QTest::newRow("number twice") << with(2, QStringLiteral("0,AB000000000000000001,,2026-10-02,2027-04-30,1,C1,,"
                                                                ",,,,,,0"))
                                      << QStringLiteral(
                                             "4 行目: 記録番号 AB000000000000000001 はすでに登録されています");
        QTest::newRow("unknown customer") << with(0, QStringLiteral("0,AB000000000000000001,,2026-10-01,2027-03-31,5,"
                                                                    "C9,,,,,,,,0"))
                                          << QStringLiteral("2 行目: 得意先コード「C9」は登録されていません");
        QTest::newRow("due on a Saturday") << with(1, QStringLiteral("0,AB000000000000000002,,2026-10-02,2027-05-01,"
                                                                     "1,C2,,,,,,,,0"))
                                           << QStringLiteral("3 行目: 支払期日 2027/05/01 は銀行の休業日です");
        QTest::newRow("no amount") << with(1, QStringLiteral("0,AB000000000000000002,,2026-10-02,2027-04-30,0,C2,,,,,,"
                                                             ",,0"))
                                   << QStringLiteral("3 行目: 金額は 1 円以上");
        QTest::newRow("a field short") << with(2, QStringLiteral("1,AB000000000000000003,,2026-10-03,2027-05-31,45000"))
                                       << QStringLiteral("4 行目: 項目の数が 6 個です");
        QTest::newRow("not a date") << with(0, QStringLiteral("0,AB000000000000000001,,2026-02-30,2027-03-31,5,C1,,,,"
                                                              ",,,,0"))
                                    << QStringLiteral("2 行目: ");
        QTest::newRow("restriction unreadable") << with(0, QStringLiteral("0,AB000000000000000001,,2026-10-01,"
                                                                          "2027-03-31,5,C1,,,,,,,,たぶん"))
                                                << QStringLiteral("2 行目: 譲渡制限は 0 (なし) か 1 (あり)");
    }

    void badLineWritesNothing()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, message);
        Book b;
        const int history = b.count(QStringLiteral("手形履歴"));
        const AdminRun r =
            runAdmin(b.args({QStringLiteral("densai"), QStringLiteral("import"), b.write(fileOf(lines))}));
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("何も登録していません")));
        QCOMPARE(b.count(QStringLiteral("D_手形")), 0);
        QCOMPARE(b.count(QStringLiteral("手形履歴")), history);
    }

    void badHeaderAndArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown column") << QStringList{QStringLiteral("import")}
                                        << QByteArray("処理,記録番号,色\n0,AB000000000000000001,赤\n") << 1
                                        << QStringLiteral("1 行目: 不明な列名です: 色");
        QTest::newRow("column missing") << QStringList{QStringLiteral("import")}
                                        << QByteArray("処理,記録番号\n0,AB000000000000000001\n") << 1
                                        << QStringLiteral("列 電子記録日 がありません");
        QTest::newRow("no file") << QStringList{QStringLiteral("import")} << QByteArray() << 2
                                 << QStringLiteral("CSV ファイルを 1 つ");
        QTest::newRow("unknown verb") << QStringList{QStringLiteral("erase")} << QByteArray() << 2
                                      << QStringLiteral("不明な densai のコマンドです: erase");
        QTest::newRow("blackout too long") << QStringList{QStringLiteral("blackout"), QStringLiteral("11")}
                                           << QByteArray() << 2 << QStringLiteral("0〜10 の日数");
    }

    void badHeaderAndArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, file);
        QFETCH(int, code);
        QFETCH(QString, message);
        Book b;
        if (!file.isEmpty())
            args << b.write(file);
        const AdminRun r = runAdmin(b.args(QStringList{QStringLiteral("densai")} + args));
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(b.count(QStringLiteral("D_手形")), 0);
    }

    void blackoutIsASetting()
    {
        Book b;
        AdminRun r = runAdmin(b.args({QStringLiteral("densai"), QStringLiteral("blackout")}));
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(QStringLiteral("支払期日の 3 銀行営業日前")));
        r = runAdmin(b.args({QStringLiteral("densai"), QStringLiteral("blackout"), QStringLiteral("5")}));
        QCOMPARE(r.code, 0);
        QCOMPARE(b.db->scalar(QStringLiteral("select 電子停止日数 from 設定")).toInt(), 5);
    }
};

QTEST_MAIN(TestAdminDensai)
#include "test_admin_densai.moc"
