#include "data/Schema.h"

#include "data/Engine.h"

#include <QDateTime>
#include <QDir>

#include <functional>

namespace sorvane::schema {

namespace {

// Dates are ISO text in a file; the check keeps anything else out of the
// columns that lists sort and compare on. The server has a date type.
QString dateColumn(const Dialect &d, const QString &name)
{
    if (d.isServer())
        return name + u' ' + d.dateType;
    return QStringLiteral("%1 TEXT CHECK (%1 IS NULL OR %1 GLOB "
                          "'[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]')")
        .arg(name);
}

QString text(const Dialect &d, const QString &name)
{
    return name + u' ' + d.textType;
}

QString number(const Dialect &d, const QString &name)
{
    return name + QStringLiteral(" %1 NOT NULL DEFAULT 0").arg(d.integerType);
}

QString boolean(const Dialect &d, const QString &name)
{
    return name + QStringLiteral(" %2 NOT NULL DEFAULT 0 CHECK (%1 IN (0,1))").arg(name, d.integerType);
}

QString counter(const Dialect &d)
{
    return QStringLiteral("id ") + d.counterType;
}

// The column helpers bound to one engine, under the names the table lists use.
#define SORVANE_COLUMN_HELPERS(d)                                                                                      \
    [[maybe_unused]] const auto dateColumn = [&d](const QString &n) { return schema::dateColumn(d, n); };              \
    [[maybe_unused]] const auto text = [&d](const QString &n) { return schema::text(d, n); };                          \
    [[maybe_unused]] const auto number = [&d](const QString &n) { return schema::number(d, n); };                      \
    [[maybe_unused]] const auto boolean = [&d](const QString &n) { return schema::boolean(d, n); };                    \
    [[maybe_unused]] const QString kCounter = counter(d)

QString table(const QString &name, const QStringList &columns)
{
    return QStringLiteral("CREATE TABLE %1 (\n  %2\n)").arg(name, columns.join(QStringLiteral(",\n  ")));
}

// Columns of a bill that the search work table copies, in the bill's own kinds.
QStringList billCopyColumns(const Dialect &d)
{
    SORVANE_COLUMN_HELPERS(d);
    return {number(QStringLiteral("処理")),
            dateColumn(QStringLiteral("日付")),
            number(QStringLiteral("kozano")),
            text(QStringLiteral("手形番号")),
            text(QStringLiteral("取引先コード")),
            text(QStringLiteral("取引先")),
            text(QStringLiteral("振出人")),
            text(QStringLiteral("支払県")),
            text(QStringLiteral("支払市")),
            text(QStringLiteral("支払場所コード")),
            text(QStringLiteral("支払場所")),
            text(QStringLiteral("支払場所支店コード")),
            text(QStringLiteral("支払場所支店")),
            dateColumn(QStringLiteral("振出日")),
            dateColumn(QStringLiteral("手形期日")),
            number(QStringLiteral("手形期間")),
            number(QStringLiteral("金額")),
            text(QStringLiteral("保管場所")),
            boolean(QStringLiteral("注意フラグ")),
            number(QStringLiteral("予約口座id")),
            boolean(QStringLiteral("予約フラグ")),
            boolean(QStringLiteral("終了フラグ")),
            text(QStringLiteral("譲渡先コード")),
            text(QStringLiteral("譲渡先"))};
}

QStringList version1Statements(const Dialect &d)
{
    SORVANE_COLUMN_HELPERS(d);
    QStringList s;
    s << table(QStringLiteral("D_手形"),
               {kCounter,
                number(QStringLiteral("処理")),
                number(QStringLiteral("状態")),
                dateColumn(QStringLiteral("日付")),
                text(QStringLiteral("手形番号")),
                text(QStringLiteral("取引先コード")),
                text(QStringLiteral("取引先")),
                text(QStringLiteral("振出人")),
                text(QStringLiteral("振出地")),
                dateColumn(QStringLiteral("振出日")),
                dateColumn(QStringLiteral("手形期日")),
                number(QStringLiteral("手形期間")),
                number(QStringLiteral("金額")),
                text(QStringLiteral("支払県")),
                text(QStringLiteral("支払市")),
                text(QStringLiteral("支払場所コード")),
                text(QStringLiteral("支払場所")),
                text(QStringLiteral("支払場所支店コード")),
                text(QStringLiteral("支払場所支店")),
                text(QStringLiteral("保管場所")),
                boolean(QStringLiteral("注意フラグ")),
                number(QStringLiteral("kozano")),
                text(QStringLiteral("譲渡先コード")),
                text(QStringLiteral("譲渡先")),
                boolean(QStringLiteral("予約フラグ")),
                number(QStringLiteral("予約処理")),
                dateColumn(QStringLiteral("予約日")),
                number(QStringLiteral("予約口座id")),
                boolean(QStringLiteral("終了フラグ"))});
    // The lists filter on kind and state and sort on the due date; the
    // search filters on number, parties, drawer and place.
    s << QStringLiteral("CREATE INDEX D_手形_処理_期日 ON D_手形 (処理, 手形期日)");
    s << QStringLiteral("CREATE INDEX D_手形_期日 ON D_手形 (手形期日)");
    s << QStringLiteral("CREATE INDEX D_手形_番号 ON D_手形 (手形番号)");
    s << QStringLiteral("CREATE INDEX D_手形_取引先コード ON D_手形 (取引先コード)");
    s << QStringLiteral("CREATE INDEX D_手形_譲渡先コード ON D_手形 (譲渡先コード)");
    s << QStringLiteral("CREATE INDEX D_手形_振出人 ON D_手形 (振出人)");
    s << QStringLiteral("CREATE INDEX D_手形_保管場所 ON D_手形 (保管場所)");

    s << table(QStringLiteral("裏書人"),
               {kCounter,
                number(QStringLiteral("手形id")),
                number(QStringLiteral("表示順")),
                text(QStringLiteral("裏書人")),
                text(QStringLiteral("裏書人住所"))});
    s << QStringLiteral("CREATE INDEX 裏書人_手形id ON 裏書人 (手形id, 表示順)");
    s << QStringLiteral("CREATE INDEX 裏書人_名 ON 裏書人 (裏書人)");

    s << table(QStringLiteral("口座データ"),
               {kCounter,
                QStringLiteral("kozano INTEGER NOT NULL DEFAULT 0"),
                text(QStringLiteral("口座名義")),
                text(QStringLiteral("銀行コード")),
                text(QStringLiteral("銀行名")),
                text(QStringLiteral("支店コード")),
                text(QStringLiteral("支店名")),
                text(QStringLiteral("口座番号")),
                text(QStringLiteral("口座種別")),
                text(QStringLiteral("支払県")),
                text(QStringLiteral("支払市")),
                number(QStringLiteral("手形期間")),
                text(QStringLiteral("最終手形番号")),
                number(QStringLiteral("担保枠")),
                dateColumn(QStringLiteral("確定済年月")),
                dateColumn(QStringLiteral("計画済年月"))});
    s << QStringLiteral("CREATE UNIQUE INDEX 口座データ_kozano ON 口座データ (kozano)");

    for (const QString &t : {QStringLiteral("口座残高"), QStringLiteral("口座明細")}) {
        s << table(t, {kCounter, number(QStringLiteral("口座id")), dateColumn(QStringLiteral("月末日付"))});
        s << QStringLiteral("CREATE INDEX %1_口座 ON %1 (口座id, 月末日付)").arg(t);
    }

    s << table(QStringLiteral("T0"), {kCounter, text(QStringLiteral("tc")) + QStringLiteral(" NOT NULL"),
                                      text(QStringLiteral("tn"))});
    s << QStringLiteral("CREATE UNIQUE INDEX T0_tc ON T0 (tc)");

    s << table(QStringLiteral("T1"),
               {kCounter,
                number(QStringLiteral("idoft")),
                text(QStringLiteral("振出人")),
                text(QStringLiteral("支払県")),
                text(QStringLiteral("支払市")),
                text(QStringLiteral("支払場所コード")),
                text(QStringLiteral("支払場所")),
                text(QStringLiteral("支払場所支店コード")),
                text(QStringLiteral("支払場所支店")),
                number(QStringLiteral("手形期間")),
                text(QStringLiteral("最終手形番号"))});
    s << QStringLiteral("CREATE INDEX T1_idoft ON T1 (idoft)");

    s << table(QStringLiteral("S0"), {kCounter, text(QStringLiteral("sc")) + QStringLiteral(" NOT NULL"),
                                      text(QStringLiteral("sn"))});
    s << QStringLiteral("CREATE UNIQUE INDEX S0_sc ON S0 (sc)");

    s << table(QStringLiteral("保管場所"), {kCounter, text(QStringLiteral("保管場所"))});
    s << QStringLiteral("CREATE UNIQUE INDEX 保管場所_名 ON 保管場所 (保管場所)");

    s << table(QStringLiteral("検索結果"), QStringList{kCounter, number(QStringLiteral("手形id"))} + billCopyColumns(d));

    s << table(QStringLiteral("設定"),
               {QStringLiteral("id INTEGER PRIMARY KEY CHECK (id = 1)"),
                QStringLiteral("days INTEGER NOT NULL DEFAULT %1").arg(kDefaultDueWindowDays)});
    s << QStringLiteral("INSERT INTO 設定 (id, days) VALUES (1, %1)").arg(kDefaultDueWindowDays);
    return s;
}

// Version 2: the journal export's account names, one row per role.
QStringList version2Statements(const Dialect &d)
{
    SORVANE_COLUMN_HELPERS(d);
    QStringList s;
    s << table(QStringLiteral("仕訳科目"), {kCounter, text(QStringLiteral("用途")) + QStringLiteral(" NOT NULL"),
                                           text(QStringLiteral("勘定科目")) + QStringLiteral(" NOT NULL DEFAULT ''"),
                                           text(QStringLiteral("補助科目")) + QStringLiteral(" NOT NULL DEFAULT ''")});
    s << QStringLiteral("CREATE UNIQUE INDEX 仕訳科目_用途 ON 仕訳科目 (用途)");
    // The roles are the program's own names, never typed by a user.
    for (const QString &role : journalRoles().mid(0, kFirstJournalRoles))
        s << QStringLiteral("INSERT INTO 仕訳科目 (用途, 勘定科目) VALUES ('%1', '%1')").arg(role);
    return s;
}

// Version 3: a bill's row version, raised by every change of the row, so
// that a correction made on an older reading is refused instead of
// overwriting.
QStringList version3Statements(const Dialect &d)
{
    return {QStringLiteral("ALTER TABLE D_手形 ADD COLUMN %1").arg(number(d, QStringLiteral("更新回数")))};
}

// Version 4: the long lists read their keys from the indexes alone, the
// received bills by kind and due date with the flags that select them, the
// payable bills (kind 1 and 2) by due date. At a million bills a list
// otherwise reads most of the file to find its keys.
QStringList version4Statements()
{
    return {
        QStringLiteral("DROP INDEX IF EXISTS D_手形_処理_期日"),
        QStringLiteral("CREATE INDEX D_手形_処理_期日 ON D_手形 (処理, 手形期日, id, 状態, 予約フラグ, 終了フラグ)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS D_手形_支払一覧 ON D_手形 (手形期日, id, 終了フラグ) WHERE 処理 > 0")};
}

// Version 5: a customer's or supplier's 登録番号 (the invoice registration
// number, "T" and 13 digits) or 法人番号 (13 digits), for the year-end
// statements; empty while not known.
QStringList version5Statements(const Dialect &d)
{
    return {QStringLiteral("ALTER TABLE T0 ADD COLUMN %1").arg(text(d, QStringLiteral("登録番号"))),
            QStringLiteral("ALTER TABLE S0 ADD COLUMN %1").arg(text(d, QStringLiteral("登録番号")))};
}

// The kinds of event the history of a bill records.
QString eventKindCheck()
{
    QStringList quoted;
    for (const QString &k : eventKinds())
        quoted << u'\'' + k + u'\'';
    return QStringLiteral("CHECK (種別 IN (%1))").arg(quoted.join(u','));
}

// The history table under the name given, with the kinds of event given:
// a file cannot change a CHECK in place, so version 9 copies it whole.
QStringList historyTable(const Dialect &d, const QString &name, const QString &kindCheck)
{
    SORVANE_COLUMN_HELPERS(d);
    return {table(name, {kCounter,
                         number(QStringLiteral("手形id")),
                         text(QStringLiteral("種別")) + QStringLiteral(" NOT NULL ") + kindCheck,
                         dateColumn(QStringLiteral("処理日")),
                         number(QStringLiteral("処理")),
                         text(QStringLiteral("手形番号")),
                         text(QStringLiteral("取引先コード")),
                         text(QStringLiteral("取引先")),
                         dateColumn(QStringLiteral("手形期日")),
                         number(QStringLiteral("金額")),
                         text(QStringLiteral("相手先コード")),
                         text(QStringLiteral("相手先")),
                         number(QStringLiteral("手数料")),
                         number(QStringLiteral("回収額")),
                         text(QStringLiteral("事由")),
                         text(QStringLiteral("前状態")),
                         text(QStringLiteral("後状態")),
                         number(QStringLiteral("取消元id")),
                         text(QStringLiteral("変更前")),
                         text(QStringLiteral("変更後")),
                         text(QStringLiteral("記録日時")) + QStringLiteral(" NOT NULL"),
                         text(QStringLiteral("記録者")) + QStringLiteral(" NOT NULL")})};
}

QStringList historyIndexesAndGuards(const Dialect &d)
{
    QStringList s;
    // A bill's events in order; the audit search by date and by amount.
    s << QStringLiteral("CREATE INDEX 手形履歴_手形 ON 手形履歴 (手形id, id)");
    s << QStringLiteral("CREATE INDEX 手形履歴_処理日 ON 手形履歴 (処理日, id)");
    s << QStringLiteral("CREATE INDEX 手形履歴_金額 ON 手形履歴 (金額)");
    s << QStringLiteral("CREATE INDEX 手形履歴_種別 ON 手形履歴 (種別, 処理日)");
    if (d.isServer()) {
        s << QStringLiteral(
            "CREATE OR REPLACE FUNCTION 手形履歴_追記のみ() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
            "RAISE EXCEPTION '手形履歴は追記のみです。変更も削除もできません'; END $$");
        s << QStringLiteral("CREATE TRIGGER 手形履歴_変更禁止 BEFORE UPDATE OR DELETE ON 手形履歴 "
                            "FOR EACH ROW EXECUTE FUNCTION 手形履歴_追記のみ()");
        s << QStringLiteral("CREATE TRIGGER 手形履歴_切捨禁止 BEFORE TRUNCATE ON 手形履歴 "
                            "FOR EACH STATEMENT EXECUTE FUNCTION 手形履歴_追記のみ()");
    } else {
        s << QStringLiteral("CREATE TRIGGER 手形履歴_変更禁止 BEFORE UPDATE ON 手形履歴 BEGIN "
                            "SELECT RAISE(ABORT, '手形履歴は追記のみです。変更も削除もできません'); END");
        s << QStringLiteral("CREATE TRIGGER 手形履歴_削除禁止 BEFORE DELETE ON 手形履歴 BEGIN "
                            "SELECT RAISE(ABORT, '手形履歴は追記のみです。変更も削除もできません'); END");
    }
    return s;
}

// Version 6: the history of every bill (受取 to 削除), which no statement
// may change or delete once written; the banks that discount bills; the
// days a collected bill takes to reach the account; the journal accounts
// of settlement, discounting and dishonour. The events the bills already
// in the book imply are written with the table, in the same transaction.
QStringList version6Statements(const Dialect &d)
{
    SORVANE_COLUMN_HELPERS(d);
    QStringList s;
    s << historyTable(d, QStringLiteral("手形履歴"), eventKindCheck());
    s << historyIndexesAndGuards(d);

    s << table(QStringLiteral("割引先"),
               {kCounter, text(QStringLiteral("コード")) + QStringLiteral(" NOT NULL"), text(QStringLiteral("銀行名")),
                text(QStringLiteral("支店名")), text(QStringLiteral("入金口座")), number(QStringLiteral("割引枠"))});
    s << QStringLiteral("CREATE UNIQUE INDEX 割引先_コード ON 割引先 (コード)");

    s << QStringLiteral("ALTER TABLE 設定 ADD COLUMN 取立日数 %1 NOT NULL DEFAULT 0 CHECK (取立日数 BETWEEN 0 AND %2)")
             .arg(d.integerType)
             .arg(kMaxCollectionDays);
    // The date up to which the journal was last written out, to warn before
    // an entry of that period is taken back.
    s << QStringLiteral("ALTER TABLE 設定 ADD COLUMN %1").arg(dateColumn(QStringLiteral("仕訳出力済日")));

    for (const QString &role : journalRoles().mid(kFirstJournalRoles, kLifeJournalRoles - kFirstJournalRoles))
        s << QStringLiteral("INSERT INTO 仕訳科目 (用途, 勘定科目) VALUES ('%1', '%1')").arg(role);
    return s;
}

// The index the reserved bills are read from (version 7).
QString historyDueIndex()
{
    return QStringLiteral("CREATE INDEX 手形履歴_期日 ON 手形履歴 (種別, 手形期日)");
}

// On a file, the history's delete guard that lets the rows of a closing
// year's bills leave, and no others (version 8).
QStringList yearEndHistoryGuard()
{
    return {QStringLiteral("DROP TRIGGER 手形履歴_削除禁止"),
            QStringLiteral("CREATE TRIGGER 手形履歴_削除禁止 BEFORE DELETE ON 手形履歴 "
                           "WHEN OLD.手形id NOT IN (SELECT 手形id FROM 年度移送) BEGIN "
                           "SELECT RAISE(ABORT, '手形履歴は追記のみです。変更も削除もできません'); END")};
}

// Version 7: the plan of each account. 口座残高 keeps the month-end
// balance the clerk enters (NULL: a row of an older book, no balance);
// 口座明細 the figures of a closed month, which later bookings do not
// change; 設定 the account received bills are collected into, and a bill
// its own (0: none chosen / the default); the indexes the figures are read from.
QStringList version7Statements(const Dialect &d)
{
    SORVANE_COLUMN_HELPERS(d);
    QStringList s;
    s << QStringLiteral("ALTER TABLE 口座残高 ADD COLUMN 月末残高 %1").arg(d.integerType);
    for (const QString &c : {QStringLiteral("月初残高"), QStringLiteral("入金"), QStringLiteral("支払"),
                             QStringLiteral("最低残高"), QStringLiteral("残高"), QStringLiteral("手形月初残高"),
                             QStringLiteral("振出"), QStringLiteral("決済"), QStringLiteral("手形残高"),
                             QStringLiteral("振出件数"), QStringLiteral("決済件数")})
        s << QStringLiteral("ALTER TABLE 口座明細 ADD COLUMN %1").arg(number(c));
    s << QStringLiteral("ALTER TABLE 口座明細 ADD COLUMN %1").arg(dateColumn(QStringLiteral("最低日")));
    s << QStringLiteral("ALTER TABLE 口座明細 ADD COLUMN 入力残高 %1").arg(d.integerType);
    s << QStringLiteral("ALTER TABLE 設定 ADD COLUMN %1").arg(number(QStringLiteral("取立口座id")));
    s << QStringLiteral("ALTER TABLE D_手形 ADD COLUMN %1").arg(number(QStringLiteral("取立口座id")));
    // Each window of figures reads its bills from one index alone: the
    // totals by booking date, an account's collections of bills in hand,
    // the issued bills of an account by booking and by due date, the bills
    // reserved on a day by their due date.
    s << QStringLiteral("CREATE INDEX D_手形_日付 ON D_手形 (日付, 処理, 状態, 予約処理, 終了フラグ, 金額)");
    s << QStringLiteral("CREATE INDEX D_手形_取立 ON D_手形 (処理, 状態, 予約フラグ, 終了フラグ, 取立口座id, 手形期日, 金額)");
    s << QStringLiteral("CREATE INDEX D_手形_振出 ON D_手形 (処理, 予約口座id, kozano, 日付, 手形期日, 金額)");
    s << historyDueIndex();
    return s;
}

// Version 9: electronically recorded claims (電子記録債権・債務) in the bill
// table beside the paper bills. 種類 0 is a paper 約束手形 (every row written
// before), 1 a paper 為替手形, 2 an electronic claim, receivable or payable
// by 処理 as a paper bill is. The claim's 記録番号 is unique in the book; a
// part split off keeps its parent's number in 親記録番号. The debtor's bank
// and branch are the bill's place of payment; the creditor's bank, branch
// and both accounts have columns of their own. The long lists' indexes take
// 種類 so that the paper lists still read their keys from the index alone.
// The history learns 分割; the journal learns the two claim accounts; the
// settings keep the days before a due date in which the network takes no
// transfer, split or discount.
QStringList version9Statements(const Dialect &d)
{
    SORVANE_COLUMN_HELPERS(d);
    QStringList s;
    s << QStringLiteral("ALTER TABLE D_手形 ADD COLUMN 種類 %1 NOT NULL DEFAULT 0 CHECK (種類 IN (0,1,2))")
             .arg(d.integerType);
    for (const QString &c : {QStringLiteral("記録番号"), QStringLiteral("親記録番号"), QStringLiteral("債務者口座"),
                             QStringLiteral("債権者銀行"), QStringLiteral("債権者支店"), QStringLiteral("債権者口座")})
        s << QStringLiteral("ALTER TABLE D_手形 ADD COLUMN %1").arg(text(c));
    s << QStringLiteral("ALTER TABLE D_手形 ADD COLUMN %1").arg(dateColumn(QStringLiteral("電子記録日")));
    s << QStringLiteral("ALTER TABLE D_手形 ADD COLUMN %1").arg(boolean(QStringLiteral("譲渡制限")));
    s << QStringLiteral("CREATE UNIQUE INDEX D_手形_記録番号 ON D_手形 (記録番号)");
    s << QStringLiteral("CREATE INDEX D_手形_親記録番号 ON D_手形 (親記録番号)");
    s << QStringLiteral("DROP INDEX IF EXISTS D_手形_処理_期日");
    s << QStringLiteral(
        "CREATE INDEX D_手形_処理_期日 ON D_手形 (処理, 手形期日, id, 状態, 予約フラグ, 終了フラグ, 種類)");
    s << QStringLiteral("DROP INDEX IF EXISTS D_手形_支払一覧");
    s << QStringLiteral("CREATE INDEX D_手形_支払一覧 ON D_手形 (手形期日, id, 終了フラグ, 種類) WHERE 処理 > 0");
    s << QStringLiteral("ALTER TABLE 検索結果 ADD COLUMN 種類 %1 NOT NULL DEFAULT 0").arg(d.integerType);
    s << QStringLiteral("ALTER TABLE 検索結果 ADD COLUMN %1").arg(text(QStringLiteral("記録番号")));
    s << QStringLiteral("ALTER TABLE 設定 ADD COLUMN 電子停止日数 %1 NOT NULL DEFAULT %2 CHECK (電子停止日数 BETWEEN 0 "
                        "AND %3)")
             .arg(d.integerType)
             .arg(kDefaultDensaiBlackoutDays)
             .arg(kMaxDensaiBlackoutDays);
    for (const QString &role : journalRoles().mid(kLifeJournalRoles))
        s << QStringLiteral("INSERT INTO 仕訳科目 (用途, 勘定科目) VALUES ('%1', '%1')").arg(role);

    // The history's kinds: the rows are copied whole into a table that
    // knows 分割 (a server changes its CHECK in place).
    if (d.isServer()) {
        s << QStringLiteral("ALTER TABLE 手形履歴 DROP CONSTRAINT IF EXISTS 手形履歴_種別_check");
        s << QStringLiteral("ALTER TABLE 手形履歴 ADD CONSTRAINT 手形履歴_種別_check ") + eventKindCheck();
    } else {
        s << historyTable(d, QStringLiteral("手形履歴_新"), eventKindCheck());
        s << QStringLiteral("INSERT INTO 手形履歴_新 SELECT * FROM 手形履歴");
        s << QStringLiteral("DROP TABLE 手形履歴");
        s << QStringLiteral("ALTER TABLE 手形履歴_新 RENAME TO 手形履歴");
        s << historyIndexesAndGuards(d);
        // The table made anew keeps what versions 7 and 8 gave the old one.
        s << historyDueIndex();
        s << yearEndHistoryGuard();
    }
    return s;
}

// The events the rows of a book written before the history imply: each
// bill received or issued on its booking date, each hand-on on its date.
// Bound: when and by whom they were written.
const QString kImpliedEvents = QStringLiteral(
    "INSERT INTO 手形履歴 (手形id, 種別, 処理日, 処理, 手形番号, 取引先コード, 取引先, 手形期日, 金額, 相手先コード, "
    "相手先, 事由, 前状態, 後状態, 変更前, 変更後, 記録日時, 記録者) "
    "SELECT id, 種別, 処理日, 処理, 手形番号, 取引先コード, 取引先, 手形期日, 金額, 相手先コード, 相手先, "
    "'既存のデータから記録', 前状態, 後状態, '', '', 記録日時, 記録者 FROM ("
    "SELECT id, 0 AS 順, CASE 処理 WHEN 1 THEN '振出' ELSE '受取' END AS 種別, 日付 AS 処理日, "
    "CASE 処理 WHEN 1 THEN 1 ELSE 0 END AS 処理, 手形番号, 取引先コード, 取引先, 手形期日, 金額, "
    "'' AS 相手先コード, '' AS 相手先, '' AS 前状態, CASE 処理 WHEN 1 THEN '振出' ELSE '手元' END AS 後状態, "
    "CAST(? AS TEXT) AS 記録日時, CAST(? AS TEXT) AS 記録者 FROM D_手形 "
    "UNION ALL "
    "SELECT id, 1, '譲渡', 予約日, 2, 手形番号, 取引先コード, 取引先, 手形期日, 金額, coalesce(譲渡先コード, ''), "
    "coalesce(譲渡先, ''), '手元', '譲渡', CAST(? AS TEXT), CAST(? AS TEXT) FROM D_手形 WHERE 処理 = 2) 事象 "
    "ORDER BY id, 順");

// Version 8: where backups go and how many are kept, when the last one was
// made; the month the company's fiscal year ends; the record of each year
// closed, and in a book of a closed year (an archive) that year and the
// bills it holds only as copies, since they run on in the working book.
QStringList version8Statements(const Dialect &d)
{
    SORVANE_COLUMN_HELPERS(d);
    QStringList s;
    s << QStringLiteral("ALTER TABLE 設定 ADD COLUMN バックアップ先 %1 NOT NULL DEFAULT ''").arg(d.textType);
    s << QStringLiteral("ALTER TABLE 設定 ADD COLUMN バックアップ世代 %1 NOT NULL DEFAULT %2 "
                        "CHECK (バックアップ世代 BETWEEN 1 AND %3)")
             .arg(d.integerType)
             .arg(kDefaultBackupGenerations)
             .arg(kMaxBackupGenerations);
    // Local time as "yyyy-MM-dd HH:mm:ss", as the history records it.
    s << QStringLiteral("ALTER TABLE 設定 ADD COLUMN 最終バックアップ %1").arg(d.textType);
    s << QStringLiteral("ALTER TABLE 設定 ADD COLUMN 年度末月 %1 NOT NULL DEFAULT %2 CHECK (年度末月 BETWEEN 1 AND 12)")
             .arg(d.integerType)
             .arg(kDefaultYearEndMonth);
    s << QStringLiteral("ALTER TABLE 設定 ADD COLUMN 過去データ年度 %1").arg(d.integerType);
    s << table(QStringLiteral("年度締め"),
               {kCounter, number(QStringLiteral("年度")), dateColumn(QStringLiteral("期首")),
                dateColumn(QStringLiteral("期末")), text(QStringLiteral("ファイル")),
                number(QStringLiteral("移した手形")), number(QStringLiteral("移した裏書人")),
                number(QStringLiteral("移した履歴")), number(QStringLiteral("写した履歴")),
                number(QStringLiteral("繰越手形")), text(QStringLiteral("締め日時")), text(QStringLiteral("記録者"))});
    s << QStringLiteral("CREATE UNIQUE INDEX 年度締め_年度 ON 年度締め (年度)");
    s << table(QStringLiteral("年度繰越"), {kCounter, number(QStringLiteral("手形id"))});
    s << QStringLiteral("CREATE UNIQUE INDEX 年度繰越_手形 ON 年度繰越 (手形id)");
    // The bills a year end is moving to the archive, listed and emptied
    // again inside its one transaction: the only rows of the history that
    // may be deleted are theirs, once copied and checked.
    s << table(QStringLiteral("年度移送"), {kCounter, number(QStringLiteral("手形id"))});
    s << QStringLiteral("CREATE UNIQUE INDEX 年度移送_手形 ON 年度移送 (手形id)");
    if (d.isServer()) {
        s << QStringLiteral(
            "CREATE OR REPLACE FUNCTION 手形履歴_追記のみ() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
            "IF TG_OP = 'DELETE' THEN "
            "IF EXISTS (SELECT 1 FROM 年度移送 WHERE 手形id = OLD.手形id) THEN RETURN OLD; END IF; "
            "END IF; "
            "RAISE EXCEPTION '手形履歴は追記のみです。変更も削除もできません'; END $$");
    } else {
        s << yearEndHistoryGuard();
    }
    return s;
}

void runInTransaction(Database &db, const QStringList &statements, int newVersion,
                      const std::function<void()> &after = {})
{
    db.beginTransaction();
    try {
        for (const QString &sql : statements)
            db.execute(sql);
        if (after)
            after();
        db.execute(db.dialect().writeVersion.arg(newVersion));
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

// The planner picks indexes by these figures. Without them it takes the kind
// of a bill, which has three values, for a selective key, and reads most of
// a big book for a search by number or endorser. They are taken again when
// the book has doubled or halved since; a small book is fast with any plan.
void refreshStatistics(Database &db)
{
    const qint64 bills = db.scalar(QStringLiteral("select count(*) from D_手形")).toLongLong();
    if (bills < 1000)
        return;
    qint64 counted = 0;
    if (db.tableExists(QStringLiteral("sqlite_stat1")))
        // A partial index counts only its own rows: the table's are the most.
        counted = db.scalar(QStringLiteral("select max(cast(stat as integer)) from sqlite_stat1 where tbl = 'D_手形'"))
                      .toLongLong();
    if (counted > 0 && bills <= 2 * counted && 2 * bills >= counted)
        return;
    db.execute(QStringLiteral("analyze"));
}

} // namespace

void prepareForWork(Database &db)
{
    // A server takes its own figures as the tables change.
    if (db.isServer())
        return;
    try {
        refreshStatistics(db);
    } catch (const DbError &) {
    }
}

QStringList mainTables()
{
    return {QStringLiteral("D_手形"),   QStringLiteral("裏書人"),   QStringLiteral("口座データ"),
            QStringLiteral("口座残高"), QStringLiteral("口座明細"), QStringLiteral("T0"),
            QStringLiteral("T1"),       QStringLiteral("S0"),       QStringLiteral("保管場所"),
            QStringLiteral("検索結果"), QStringLiteral("設定"),     QStringLiteral("仕訳科目"),
            QStringLiteral("手形履歴"), QStringLiteral("割引先"),   QStringLiteral("年度締め"),
            QStringLiteral("年度繰越"), QStringLiteral("年度移送")};
}

QStringList journalRoles()
{
    return {QStringLiteral("受取手形"),    QStringLiteral("売掛金"),   QStringLiteral("支払手形"),
            QStringLiteral("買掛金"),      QStringLiteral("当座預金"), QStringLiteral("手形売却損"),
            QStringLiteral("不渡手形"),    QStringLiteral("貸倒損失"), QStringLiteral("電子記録債権"),
            QStringLiteral("電子記録債務")};
}

QStringList eventKinds()
{
    return {QStringLiteral("受取"), QStringLiteral("振出"),     QStringLiteral("譲渡"), QStringLiteral("譲渡取消"),
            QStringLiteral("割引"), QStringLiteral("割引取消"), QStringLiteral("決済"), QStringLiteral("決済取消"),
            QStringLiteral("不渡"), QStringLiteral("不渡取消"), QStringLiteral("修正"), QStringLiteral("削除"),
            QStringLiteral("分割")};
}

QString recorderName(Database &db)
{
    if (db.isServer())
        return db.scalar(QStringLiteral("select session_user")).toString();
    for (const char *name : {"USER", "USERNAME", "LOGNAME"}) {
        const QString v = qEnvironmentVariable(name).trimmed();
        if (!v.isEmpty())
            return v;
    }
    return QDir::home().dirName();
}

QString recordedAt()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void writeImpliedEvents(Database &db)
{
    const QString at = recordedAt();
    const QString who = recorderName(db);
    db.execute(kImpliedEvents, {at, who, at, who});
}

int storedVersion(Database &db)
{
    const Dialect &d = db.dialect();
    if (!d.versionTable.isEmpty() && !db.tableExists(d.versionTable))
        return 0;
    return db.scalar(d.readVersion).toInt();
}

void createMainSchema(Database &db)
{
    const Dialect &d = db.dialect();
    if (db.scalar(d.tableCount).toInt() > 0)
        throw DbError(d.isServer() ? QStringLiteral("表のあるデータベースに新しい手形データは作れません。"
                                                    "空のデータベースを用意してください")
                                   : QStringLiteral("空でないファイルに新しいデータベースは作れません"));
    runInTransaction(db,
                     d.prepare + version1Statements(d) + version2Statements(d) + version3Statements(d) +
                         version4Statements() + version5Statements(d) + version6Statements(d) +
                         version7Statements(d) + version8Statements(d) + version9Statements(d),
                     kVersion);
}

void prepareMainDatabase(Database &db)
{
    const int version = storedVersion(db);
    if (version > kVersion)
        throw DbError(QStringLiteral("このデータは新しい版のプログラムで作られています (版 %1)").arg(version));
    // A file of version 0 was not written by this program (an empty file
    // opens as an empty database): refuse it rather than fill it silently.
    if (version < 1 || !db.tableExists(QStringLiteral("D_手形")))
        throw DbError(db.isServer() ? QStringLiteral("接続先のデータベースに手形データがありません。\n"
                                                     "sorvane-admin init --server で作るか、"
                                                     "接続先の設定（sorvane-admin connect）を確かめてください。")
                                    : QStringLiteral("手形データのファイルではありません"));
    // Each step in one transaction: a failure leaves the file at its old version.
    if (version < 2)
        runInTransaction(db, version2Statements(db.dialect()), 2);
    if (version < 3)
        runInTransaction(db, version3Statements(db.dialect()), 3);
    if (version < 4)
        runInTransaction(db, version4Statements(), 4);
    if (version < 5)
        runInTransaction(db, version5Statements(db.dialect()), 5);
    if (version < 6)
        runInTransaction(db, version6Statements(db.dialect()), 6, [&db] { writeImpliedEvents(db); });
    if (version < 7)
        runInTransaction(db, version7Statements(db.dialect()), 7);
    if (version < 8)
        runInTransaction(db, version8Statements(db.dialect()), 8);
    if (version < 9)
        runInTransaction(db, version9Statements(db.dialect()), 9);
}

int readDueWindowDays(Database &db)
{
    const QVariant days = db.scalar(QStringLiteral("select days from 設定 where id = 1"));
    if (days.isNull()) {
        writeDueWindowDays(db, kDefaultDueWindowDays);
        return kDefaultDueWindowDays;
    }
    return days.toInt();
}

int readCollectionDays(Database &db)
{
    return db.scalar(QStringLiteral("select 取立日数 from 設定 where id = 1")).toInt();
}

void writeCollectionDays(Database &db, int days)
{
    if (days < 0 || days > kMaxCollectionDays)
        throw DbError(QStringLiteral("取立日数は 0〜%1 日で入力してください").arg(kMaxCollectionDays));
    Transaction t(db);
    readDueWindowDays(db); // a lost settings row comes back first
    db.execute(QStringLiteral("update 設定 set 取立日数 = ? where id = 1"), {days});
    t.commit();
}

int readDensaiBlackoutDays(Database &db)
{
    return db.scalar(QStringLiteral("select 電子停止日数 from 設定 where id = 1")).toInt();
}

void writeDensaiBlackoutDays(Database &db, int days)
{
    if (days < 0 || days > kMaxDensaiBlackoutDays)
        throw DbError(QStringLiteral("譲渡・分割・割引ができない期間は 0〜%1 営業日で入力してください")
                          .arg(kMaxDensaiBlackoutDays));
    Transaction t(db);
    readDueWindowDays(db); // a lost settings row comes back first
    db.execute(QStringLiteral("update 設定 set 電子停止日数 = ? where id = 1"), {days});
    t.commit();
}

void writeDueWindowDays(Database &db, int days)
{
    db.execute(QStringLiteral("INSERT INTO 設定 (id, days) VALUES (1, ?) "
                              "ON CONFLICT(id) DO UPDATE SET days = excluded.days"),
               {days});
}

} // namespace sorvane::schema
