// sorvane-admin account, end to end through the real tool: the rows it
// leaves in tegata.mdb, what it prints and its exit codes.

#include "data/Engine.h"
#include "data/Files.h"

#include "AdminRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;
using test::AdminRun;
using test::runAdmin;

namespace {

QByteArray g_mainDb; // a fresh tegata.mdb written by init, copied for each test

// One line per account in kozano order, every column but the key.
QStringList accountRows(const QString &folder)
{
    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb));
    Recordset rs = db->openRecordset(QStringLiteral("select * from 口座データ order by kozano"));
    QStringList rows;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (const QString &c : rs.columns())
            if (c != u"id")
                cells << (rs.isNull(c) ? QStringLiteral("NULL") : rs.value(c).toString());
        rows << cells.join(u'|');
    }
    return rows;
}

QVariant column(const QString &folder, qint64 kozano, const QString &name)
{
    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb));
    return db->scalar(QStringLiteral("select %1 from 口座データ where kozano=?").arg(Database::quoteName(name)),
                      {kozano});
}

void execute(const QString &folder, const QString &sql, const QVariantList &values = {})
{
    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb));
    db->execute(sql, values);
}

AdminRun account(const QString &folder, const QStringList &args)
{
    return runAdmin(QStringList{QStringLiteral("account")} + args + QStringList{QStringLiteral("--folder"), folder});
}

QStringList add(const QString &kozano, const QString &kind)
{
    return {QStringLiteral("add"), QStringLiteral("--kozano"), kozano, QStringLiteral("--kind"), kind};
}

QByteArray utf8(const QString &s)
{
    return s.toUtf8();
}

} // namespace

class TestAdminAccounts : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;
    int m_case = 0;

private slots:
    void initTestCase()
    {
        QTemporaryDir prepared;
        QVERIFY(runAdmin({QStringLiteral("init"), QStringLiteral("--folder"), prepared.path()}).code == 0);
        QFile f(files::path(prepared.path(), files::kMainDb));
        QVERIFY(f.open(QIODevice::ReadOnly));
        g_mainDb = f.readAll();
    }

    void init()
    {
        m_folder = m_dir.filePath(QStringLiteral("case%1").arg(++m_case));
        QVERIFY(QDir().mkpath(m_folder));
        QFile f(files::path(m_folder, files::kMainDb));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(g_mainDb);
    }

    void addThenList_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("checkColumn");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("listed");
        QTest::newRow("latin options") << QStringList{QStringLiteral("--kozano"),    QStringLiteral("3"),
                                                      QStringLiteral("--kind"),      QStringLiteral("当座"),
                                                      QStringLiteral("--bank"),      QStringLiteral("みずほ銀行"),
                                                      QStringLiteral("--bank-code"), QStringLiteral("0001"),
                                                      QStringLiteral("--branch"),    QStringLiteral("本店"),
                                                      QStringLiteral("--number"),    QStringLiteral("1234567"),
                                                      QStringLiteral("--term"),      QStringLiteral("90")}
                                       << QStringLiteral("手形期間") << QVariant(90)
                                       << QStringLiteral("     3  当座      みずほ銀行 (0001)  本店  1234567");
        QTest::newRow("japanese column names")
            << QStringList{QStringLiteral("--kozano"),   QStringLiteral("4"),
                           QStringLiteral("--口座種別"), QStringLiteral("当座"),
                           QStringLiteral("--銀行名"),   QStringLiteral("りそな銀行"),
                           QStringLiteral("--口座名義"), QStringLiteral("株式会社'オハラ'")}
            << QStringLiteral("口座名義") << QVariant(QStringLiteral("株式会社'オハラ'"))
            << QStringLiteral("     4  当座      りそな銀行");
        QTest::newRow("full-width, era date, amount")
            << QStringList{QStringLiteral("--kozano"),     QStringLiteral("１２"),
                           QStringLiteral("--kind"),       QStringLiteral("普通"),
                           QStringLiteral("--bank-code"),  QStringLiteral("０００５"),
                           QStringLiteral("--settled"),    QStringLiteral("令和8年3月31日"),
                           QStringLiteral("--collateral"), QStringLiteral("1,000,000")}
            << QStringLiteral("確定済年月") << QVariant(QStringLiteral("2026-03-31")) << QStringLiteral("    12  普通");
        QTest::newRow("date cleared by default")
            << QStringList{QStringLiteral("--kozano=7")} << QStringLiteral("計画済年月") << QVariant()
            << QStringLiteral("     7");
    }

    void addThenList()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, checkColumn);
        QFETCH(QVariant, stored);
        QFETCH(QString, listed);
        // One account there already, with a higher number: the list is in kozano order, not in entry order.
        QCOMPARE(account(m_folder, add(QStringLiteral("20"), QStringLiteral("当座"))).code, 0);

        const AdminRun r = account(m_folder, QStringList{QStringLiteral("add")} + options);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(QStringLiteral("口座を登録しました")), qPrintable(r.out));
        const qint64 kozano = accountRows(m_folder).first().section(u'|', 0, 0).toLongLong();
        const QVariant actual = column(m_folder, kozano, checkColumn);
        QCOMPARE(actual.isNull(), stored.isNull());
        if (!stored.isNull())
            QCOMPARE(actual.toString(), stored.toString());
        // Text columns hold an empty text, never NULL.
        QCOMPARE(column(m_folder, kozano, QStringLiteral("支払市")).isNull(), false);

        const AdminRun list = account(m_folder, {QStringLiteral("list")});
        QCOMPARE(list.code, 0);
        const QStringList lines = list.out.split(u'\n');
        QVERIFY2(lines.size() > 4, qPrintable(list.out));
        QVERIFY(lines.at(0).startsWith(QStringLiteral("kozano  口座種別")));
        QVERIFY2(lines.at(2).startsWith(listed), qPrintable(list.out));
        QVERIFY2(lines.at(3).startsWith(QStringLiteral("    20  当座")), qPrintable(list.out));
        QVERIFY(list.out.contains(QStringLiteral("2 件")));
        // A kind other than 当座 is accepted, with a word that the payable windows will not offer it.
        QCOMPARE(r.err.contains(QStringLiteral("支払手形の画面に出ません")), !options.contains(QStringLiteral("当座")));
    }

    void setOneColumn_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("changedColumn");
        QTest::addColumn<QString>("stored");
        QTest::newRow("kind") << QStringList{QStringLiteral("--kind"), QStringLiteral("普通")}
                              << QStringLiteral("口座種別") << QStringLiteral("普通");
        QTest::newRow("term by japanese name") << QStringList{QStringLiteral("--手形期間"), QStringLiteral("120")}
                                               << QStringLiteral("手形期間") << QStringLiteral("120");
        QTest::newRow("date cleared") << QStringList{QStringLiteral("--settled"), QString()}
                                      << QStringLiteral("確定済年月") << QStringLiteral("NULL");
        QTest::newRow("last bill number, full-width")
            << QStringList{QStringLiteral("--last-bill"), QStringLiteral("ＡＢ０１２")}
            << QStringLiteral("最終手形番号") << QStringLiteral("AB012");
        QTest::newRow("renumbered while unused") << QStringList{QStringLiteral("--kozano"), QStringLiteral("8")}
                                                 << QStringLiteral("kozano") << QStringLiteral("8");
    }

    void setOneColumn()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, changedColumn);
        QFETCH(QString, stored);
        QCOMPARE(account(m_folder, add(QStringLiteral("1"), QStringLiteral("当座")) +
                                       QStringList{QStringLiteral("--term"), QStringLiteral("90"),
                                                   QStringLiteral("--settled"), QStringLiteral("2026/3/31"),
                                                   QStringLiteral("--bank"), QStringLiteral("みずほ銀行")})
                     .code,
                 0);
        QCOMPARE(account(m_folder, add(QStringLiteral("2"), QStringLiteral("当座"))).code, 0);
        QStringList expected = accountRows(m_folder);

        const AdminRun r = account(m_folder, QStringList{QStringLiteral("set"), QStringLiteral("1")} + options);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(changedColumn + QStringLiteral(": ")), qPrintable(r.out));

        // Only that column of that account changed.
        Workspace ws(QStringLiteral("t"), {}, {});
        ScopedDatabase db(ws, files::path(m_folder, files::kMainDb));
        const QStringList columns = db->tableColumns(QStringLiteral("口座データ")).mid(1);
        QStringList cells = expected.first().split(u'|');
        cells[columns.indexOf(changedColumn)] = stored;
        expected[0] = cells.join(u'|');
        expected.sort();
        QStringList actual = accountRows(m_folder);
        actual.sort();
        QCOMPARE(actual, expected);
    }

    void refused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const auto args = [](std::initializer_list<const char16_t *> list) {
            QStringList l;
            for (const char16_t *a : list)
                l << QString::fromUtf16(a);
            return l;
        };
        QTest::newRow("duplicate kozano") << args({u"add", u"--kozano", u"1", u"--kind", u"普通"}) << 1
                                          << QStringLiteral("kozano 1 の口座は既に登録されています");
        QTest::newRow("duplicate typed full-width")
            << args({u"add", u"--kozano", u"１"}) << 1 << QStringLiteral("既に登録されています");
        QTest::newRow("missing kozano") << args({u"add", u"--kind", u"当座"}) << 2
                                        << QStringLiteral("--kozano を指定してください");
        QTest::newRow("kozano not a number")
            << args({u"add", u"--kozano", u"一"}) << 2 << QStringLiteral("1〜999999999");
        QTest::newRow("term not a number") << args({u"add", u"--kozano", u"5", u"--term", u"九十日"}) << 2
                                           << QStringLiteral("--term (手形期間): 日数を数字で");
        QTest::newRow("negative term") << args({u"add", u"--kozano", u"5", u"--term", u"-30"}) << 2
                                       << QStringLiteral("日数は 0〜9999");
        QTest::newRow("not a date") << args({u"add", u"--kozano", u"5", u"--planned", u"2026/2/30"}) << 2
                                    << QStringLiteral("--planned (計画済年月): 日付ではありません");
        QTest::newRow("negative collateral")
            << args({u"add", u"--kozano", u"5", u"--担保枠", u"-1"}) << 2 << QStringLiteral("金額は 0 以上");
        QTest::newRow("unknown column") << args({u"add", u"--kozano", u"5", u"--bnak", u"x"}) << 2
                                        << QStringLiteral("不明なオプションです: --bnak");
        QTest::newRow("column twice") << args({u"add", u"--kozano", u"5", u"--kind", u"当座", u"--口座種別", u"普通"})
                                      << 2 << QStringLiteral("2 回指定されています");
        QTest::newRow("line break in a name")
            << args({u"add", u"--kozano", u"5", u"--holder", u"株式会社\nテスト"}) << 2 << QStringLiteral("制御文字");
        QTest::newRow("set unknown account")
            << args({u"set", u"9", u"--kind", u"当座"}) << 1 << QStringLiteral("kozano 9 の口座は登録されていません");
        QTest::newRow("set without change")
            << args({u"set", u"2"}) << 2 << QStringLiteral("変える項目を指定してください");
        QTest::newRow("set to a taken kozano")
            << args({u"set", u"2", u"--kozano", u"1"}) << 1 << QStringLiteral("kozano 1 の口座は既に登録されています");
        QTest::newRow("renumber an account in use")
            << args({u"set", u"1", u"--kozano", u"5"}) << 1 << QStringLiteral("振り出した手形が 1 件あるため");
        QTest::newRow("set a bad value") << args({u"set", u"2", u"--term", u"-1"}) << 2
                                         << QStringLiteral("日数は 0〜9999");
        QTest::newRow("remove unknown") << args({u"remove", u"9"}) << 1 << QStringLiteral("登録されていません");
        QTest::newRow("remove without kozano") << args({u"remove"}) << 2 << QStringLiteral("kozano を 1 つ");
        QTest::newRow("remove not a number") << args({u"remove", u"x"}) << 2 << QStringLiteral("口座の kozano");
        QTest::newRow("import missing file")
            << args({u"import", u"nothere.csv"}) << 2 << QStringLiteral("CSV ファイルを読めません");
        QTest::newRow("list with extra argument") << args({u"list", u"all"}) << 2 << QStringLiteral("余分な引数");
    }

    void refused()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        QCOMPARE(account(m_folder, add(QStringLiteral("1"), QStringLiteral("当座"))).code, 0);
        QCOMPARE(account(m_folder, add(QStringLiteral("2"), QStringLiteral("普通"))).code, 0);
        execute(m_folder, QStringLiteral("insert into D_手形(処理, kozano) values(1, 1)"));
        const auto before = test::snapshot(m_folder);
        const AdminRun r = account(m_folder, args);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(test::snapshot(m_folder), before);
    }

    void remove_data()
    {
        // Bills as 処理, kozano, 予約口座id; ACCOUNT stands for the removed account's key.
        QTest::addColumn<QList<QVariantList>>("bills");
        QTest::addColumn<QString>("refusal");
        const QVariant acc = QStringLiteral("ACCOUNT");
        QTest::newRow("no bills") << QList<QVariantList>{} << QString();
        QTest::newRow("handed-on and received bills only")
            << QList<QVariantList>{{2, 0, 0}, {0, 0, 0}, {0, 3, 0}} << QString();
        QTest::newRow("bills on another account") << QList<QVariantList>{{1, 4, 99}} << QString();
        QTest::newRow("two issued") << QList<QVariantList>{{1, 3, 0}, {1, 3, 0}}
                                    << QStringLiteral("kozano 3 の口座は 2 件の手形が使っているため、削除できません");
        QTest::newRow("reserved") << QList<QVariantList>{{0, 0, acc}} << QStringLiteral("1 件の手形が使っている");
        QTest::newRow("issued and reserved, counted once")
            << QList<QVariantList>{{1, 3, acc}, {2, 0, acc}} << QStringLiteral("2 件の手形が使っている");
    }

    void remove()
    {
        QFETCH(QList<QVariantList>, bills);
        QFETCH(QString, refusal);
        QCOMPARE(account(m_folder, add(QStringLiteral("3"), QStringLiteral("当座"))).code, 0);
        QCOMPARE(account(m_folder, add(QStringLiteral("4"), QStringLiteral("当座"))).code, 0);
        const QVariant id = column(m_folder, 3, QStringLiteral("id"));
        for (QVariantList b : bills) {
            if (b.at(2) == QVariant(QStringLiteral("ACCOUNT")))
                b[2] = id;
            execute(m_folder, QStringLiteral("insert into D_手形(処理, kozano, 予約口座id) values(?, ?, ?)"), b);
        }
        const auto before = test::snapshot(m_folder);
        const AdminRun r = account(m_folder, {QStringLiteral("remove"), QStringLiteral("3")});
        if (refusal.isEmpty()) {
            QVERIFY2(r.code == 0, qPrintable(r.err));
            QVERIFY(r.out.contains(QStringLiteral("削除しました")));
            QCOMPARE(accountRows(m_folder).size(), 1);
            QVERIFY(accountRows(m_folder).first().startsWith(QStringLiteral("4|")));
        } else {
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.contains(refusal), qPrintable(r.err));
            QCOMPARE(test::snapshot(m_folder), before);
        }
    }

    void import_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("added"); // kozano|口座名義|銀行名|支店名|口座種別|手形期間|確定済年月
        QTest::newRow("quoted fields, BOM, CRLF")
            << QByteArray("\xEF\xBB\xBF") +
                   utf8(QStringLiteral("口座種別,kozano,口座名義,銀行名,支店名,手形期間,確定済年月\r\n"
                                       "当座,2,\"株式会社\"\"山田\"\"商店\",\"みずほ銀行, 東京\",本店,90,2026/3/31\r\n"
                                       "\"普通\",\"3\",\"O'Hara, Inc.\",りそな銀行,\"新宿 西口\",,\r\n"))
            << QString()
            << QStringList{QStringLiteral("2|株式会社\"山田\"商店|みずほ銀行, 東京|本店|当座|90|2026-03-31"),
                           QStringLiteral("3|O'Hara, Inc.|りそな銀行|新宿 西口|普通|0|NULL")};
        QTest::newRow("no BOM, LF, blank and empty lines")
            << utf8(QStringLiteral("kozano,口座種別\n\n5,当座\n,\n6,当座\n")) << QString()
            << QStringList{QStringLiteral("5||||当座|0|NULL"), QStringLiteral("6||||当座|0|NULL")};
        QTest::newRow("bad row refuses the whole file")
            << utf8(QStringLiteral("kozano,口座種別,手形期間\n2,当座,90\n3,当座,-5\n4,当座,30\n"))
            << QStringLiteral("3 行目: 手形期間") << QStringList{};
        QTest::newRow("not a date") << utf8(QStringLiteral("kozano,支店名,確定済年月\n2,本店,\n3,本店,2026/13/1\n"))
                                    << QStringLiteral("3 行目: 確定済年月: 日付ではありません") << QStringList{};
        // A line break would break the windows' fixed-width lines.
        QTest::newRow("line break in a quoted name")
            << utf8(QStringLiteral("kozano,支店名\n2,本店\n3,\"新宿\n西口\"\n"))
            << QStringLiteral("3 行目: 支店名: 改行やタブなどの制御文字は使えません") << QStringList{};
        QTest::newRow("kozano twice in the file")
            << utf8(QStringLiteral("kozano\n2\n3\n2\n"))
            << QStringLiteral("4 行目: kozano 2 はこのファイルの 2 行目にもあります") << QStringList{};
        QTest::newRow("kozano already registered")
            << utf8(QStringLiteral("kozano\n2\n1\n")) << QStringLiteral("3 行目: kozano 1 の口座は既に登録されています")
            << QStringList{};
        QTest::newRow("unknown column") << utf8(QStringLiteral("kozano,銀行\n2,みずほ\n"))
                                        << QStringLiteral("1 行目: 不明な列名です: 銀行") << QStringList{};
        QTest::newRow("no kozano column") << utf8(QStringLiteral("銀行名\nみずほ銀行\n"))
                                          << QStringLiteral("kozano の列がありません") << QStringList{};
        QTest::newRow("missing kozano in a row")
            << utf8(QStringLiteral("kozano,銀行名\n2,A\n,B\n"))
            << QStringLiteral("3 行目: kozano: kozano を指定してください") << QStringList{};
        QTest::newRow("too few fields") << utf8(QStringLiteral("kozano,銀行名,支店名\n2,A\n"))
                                        << QStringLiteral("2 行目: 項目の数 (2) が見出しの列の数 (3) と違います")
                                        << QStringList{};
        QTest::newRow("Shift_JIS") << QByteArray("kozano,\x8b\xe2\x8d\x73\x96\xbc\n2,\x82\xdd\x82\xb8\x82\xd9\n")
                                   << QStringLiteral("1 行目: UTF-8 の文字ではありません") << QStringList{};
        QTest::newRow("unclosed quote") << utf8(QStringLiteral("kozano,銀行名\n2,\"みずほ\n3,りそな\n"))
                                        << QStringLiteral("2 行目: 引用符 (\") が閉じていません") << QStringList{};
        QTest::newRow("header only") << utf8(QStringLiteral("kozano,銀行名\n"))
                                     << QStringLiteral("取り込む口座の行がありません") << QStringList{};
    }

    void import()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, error);
        QFETCH(QStringList, added);
        QCOMPARE(account(m_folder, add(QStringLiteral("1"), QStringLiteral("当座"))).code, 0);
        const QString file = m_dir.filePath(QStringLiteral("口座 一覧.csv"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(csv);
        f.close();
        const auto before = test::snapshot(m_folder);

        const AdminRun r = account(m_folder, {QStringLiteral("import"), file});
        if (!error.isEmpty()) {
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.contains(error), qPrintable(r.err));
            QCOMPARE(test::snapshot(m_folder), before);
            return;
        }
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(r.out.contains(QStringLiteral("%1 件の口座を取り込みました").arg(added.size())));
        Workspace ws(QStringLiteral("t"), {}, {});
        ScopedDatabase db(ws, files::path(m_folder, files::kMainDb));
        Recordset rs = db->openRecordset(QStringLiteral(
            "select kozano,口座名義,銀行名,支店名,口座種別,手形期間,ifnull(確定済年月,'NULL') d from 口座データ "
            "where kozano<>1 order by kozano"));
        QStringList rows;
        for (; !rs.eof(); rs.moveNext()) {
            QStringList cells;
            for (const QString &c : rs.columns())
                cells << rs.value(c).toString();
            rows << cells.join(u'|');
        }
        QCOMPARE(rows, added);
    }

    void moreThanTwentyAccounts()
    {
        // Accounts 1..25, every other one a checking account; the file lists them backwards.
        QString csv = QStringLiteral("kozano,口座種別,銀行名\n");
        for (int k = 25; k >= 1; --k)
            csv += QStringLiteral("%1,%2,銀行%1\n").arg(k).arg(k % 2 ? QStringLiteral("当座") : QStringLiteral("普通"));
        const QString file = m_dir.filePath(QStringLiteral("many.csv"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(csv.toUtf8());
        f.close();
        AdminRun r = account(m_folder, {QStringLiteral("import"), file});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        r = account(m_folder, add(QStringLiteral("26"), QStringLiteral("当座")));
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(accountRows(m_folder).size(), 26);

        r = account(m_folder, {QStringLiteral("list")});
        QCOMPARE(r.code, 0);
        QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2 + 26 + 1);
        for (int k = 1; k <= 26; ++k) {
            const QString line = lines.at(1 + k);
            QVERIFY2(line.section(u' ', 0, 0, QString::SectionSkipEmpty) == QString::number(k), qPrintable(line));
            QVERIFY2(line.contains(k % 2 || k == 26 ? QStringLiteral("当座") : QStringLiteral("普通")),
                     qPrintable(line));
        }
        QVERIFY2(lines.last().startsWith(QStringLiteral("26 件 (当座 14 件")), qPrintable(lines.last()));

        // The CSV listing reads back as the same accounts.
        r = account(m_folder, {QStringLiteral("list"), QStringLiteral("--csv")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.count(u'\n'), 27);
        const QStringList before = accountRows(m_folder);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(r.out.toUtf8());
        f.close();
        execute(m_folder, QStringLiteral("delete from 口座データ"));
        r = account(m_folder, {QStringLiteral("import"), file});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(accountRows(m_folder), before);
    }
};

QTEST_MAIN(TestAdminAccounts)
#include "test_admin_accounts.moc"
