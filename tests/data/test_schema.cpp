// The main database: every table and column the windows use, counters that
// are never reused, dates that sort with empty ones first, the settings row.

#include "data/DataFolder.h"
#include "data/Engine.h"
#include "data/Schema.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

class TestSchema : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Workspace> m_ws;
    Database *m_db = nullptr;

    // The customers and suppliers as the versions before 5 had them.
    void dropPartyNumbers()
    {
        m_db->execute(QStringLiteral("alter table T0 drop column 登録番号"));
        m_db->execute(QStringLiteral("alter table S0 drop column 登録番号"));
    }

    // The settings, tables and history trigger as the versions before 8 had them.
    void insertBill(const QString &number, const QVariant &due)
    {
        m_db->execute(QStringLiteral("insert into D_手形(処理, 手形番号, 手形期日) values(0, ?, ?)"), {number, due});
    }

    // The book as version 6 left it: without the plan's columns.
    void makeVersionSix() { sorvane::test::makeVersionSix(*m_db); }

    // Takes the file back to what version 5 wrote: no history, no discount
    // banks, no collection days, the first four journal accounts.
    void makeVersionFive()
    {
        makeVersionSix();
        m_db->execute(QStringLiteral("drop table 手形履歴"));
        m_db->execute(QStringLiteral("drop table 割引先"));
        m_db->execute(QStringLiteral("alter table 設定 drop column 取立日数"));
        m_db->execute(QStringLiteral("alter table 設定 drop column 仕訳出力済日"));
        m_db->execute(QStringLiteral("delete from 仕訳科目 where id > 4"));
        m_db->execute(QStringLiteral("pragma user_version = 5"));
    }

private slots:
    void init()
    {
        const QString file = m_dir.filePath(QStringLiteral("tegata.mdb"));
        QFile::remove(file);
        datafolder::createMainDatabase(file);
        m_ws = std::make_unique<Workspace>(QStringLiteral("Varnostel"), QStringLiteral("admin"), QString());
        m_db = m_ws->openDatabase(file);
        schema::prepareMainDatabase(*m_db);
    }

    void cleanup()
    {
        m_ws.reset();
        m_db = nullptr;
    }

    void everyColumnExists_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        const auto list = [](const char16_t *s) { return QString::fromUtf16(s).split(u','); };
        QTest::newRow("D_手形") << QStringLiteral("D_手形")
                                << list(u"id,処理,状態,日付,手形番号,取引先コード,取引先,振出人,振出地,振出日,手形期日,"
                                        u"手形期間,金額,支払県,支払市,支払場所コード,支払場所,支払場所支店コード,"
                                        u"支払場所支店,保管場所,注意フラグ,kozano,譲渡先コード,譲渡先,予約フラグ,"
                                        u"予約処理,予約日,予約口座id,終了フラグ");
        QTest::newRow("裏書人") << QStringLiteral("裏書人") << list(u"手形id,表示順,裏書人,裏書人住所");
        QTest::newRow("口座データ")
            << QStringLiteral("口座データ")
            << list(u"id,kozano,口座名義,銀行コード,銀行名,支店コード,支店名,口座番号,"
                    u"口座種別,支払県,支払市,手形期間,最終手形番号,担保枠,確定済年月,計画済年月");
        QTest::newRow("口座残高") << QStringLiteral("口座残高") << list(u"口座id,月末日付");
        QTest::newRow("口座明細") << QStringLiteral("口座明細") << list(u"口座id,月末日付");
        QTest::newRow("T0") << QStringLiteral("T0") << list(u"id,tc,tn,登録番号");
        QTest::newRow("T1") << QStringLiteral("T1")
                            << list(u"id,idoft,振出人,支払県,支払市,支払場所コード,支払場所,支払場所支店コード,"
                                    u"支払場所支店,手形期間,最終手形番号");
        QTest::newRow("S0") << QStringLiteral("S0") << list(u"id,sc,sn,登録番号");
        QTest::newRow("保管場所") << QStringLiteral("保管場所") << list(u"id,保管場所");
        QTest::newRow("検索結果") << QStringLiteral("検索結果")
                                  << list(u"id,手形id,処理,日付,kozano,手形番号,取引先コード,取引先,振出人,支払県,"
                                          u"支払市,支払場所コード,支払場所,支払場所支店コード,支払場所支店,振出日,"
                                          u"手形期日,手形期間,金額,保管場所,注意フラグ,予約口座id,予約フラグ,"
                                          u"終了フラグ,譲渡先コード,譲渡先");
        QTest::newRow("settings") << QStringLiteral("設定") << list(u"days,取立日数,仕訳出力済日");
        QTest::newRow("history") << QStringLiteral("手形履歴")
                                 << list(u"id,手形id,種別,処理日,処理,手形番号,取引先コード,取引先,手形期日,金額,"
                                         u"相手先コード,相手先,手数料,回収額,事由,前状態,後状態,取消元id,変更前,変更後,"
                                         u"記録日時,記録者");
        QTest::newRow("discount banks") << QStringLiteral("割引先") << list(u"id,コード,銀行名,支店名,入金口座,割引枠");
        QTest::newRow("journal accounts") << QStringLiteral("仕訳科目") << list(u"id,用途,勘定科目,補助科目");
    }

    void everyColumnExists()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        // Table names are found without regard to letter case.
        QVERIFY(m_db->tableExists(table.toLower()));
        const QStringList actual = m_db->tableColumns(table);
        for (const QString &c : columns)
            QVERIFY2(actual.contains(c), qPrintable(table + u'.' + c));
    }

    void datesMayBeEmptyButNotMalformed()
    {
        insertBill(QStringLiteral("A1"), QVariant());
        QVERIFY(m_db->scalar(QStringLiteral("select 手形期日 from D_手形")).isNull());
        QVERIFY_THROWS_EXCEPTION(DbError, insertBill(QStringLiteral("A2"), QStringLiteral("2026/12/07")));
        insertBill(QStringLiteral("A3"), QDate(2026, 12, 7));
        QCOMPARE(m_db->scalar(QStringLiteral("select 手形期日 from D_手形 where 手形番号='A3'")).toString(),
                 QStringLiteral("2026-12-07"));
    }

    void newBillTakesDefaults()
    {
        insertBill(QStringLiteral("A1"), QVariant());
        Recordset rs = m_db->openRecordset(QStringLiteral("select * from D_手形"));
        for (const char16_t *c : {u"状態", u"手形期間", u"金額", u"注意フラグ", u"kozano", u"予約フラグ", u"予約処理",
                                  u"予約口座id", u"終了フラグ"})
            QCOMPARE(rs.value(QString::fromUtf16(c)).toInt(), 0);
    }

    void deletedIdIsNeverReused()
    {
        insertBill(QStringLiteral("A1"), QVariant());
        insertBill(QStringLiteral("A2"), QVariant());
        const qint64 last = m_db->lastInsertId();
        m_db->execute(QStringLiteral("delete from D_手形 where id=?"), {last});
        insertBill(QStringLiteral("A3"), QVariant());
        QVERIFY(m_db->lastInsertId() > last);

        // The same holds for every table with a counter.
        m_db->execute(QStringLiteral("insert into T0(tc, tn) values('X', 'x')"));
        const qint64 customer = m_db->lastInsertId();
        m_db->execute(QStringLiteral("delete from T0"));
        m_db->execute(QStringLiteral("insert into T0(tc, tn) values('X', 'x')"));
        QVERIFY(m_db->lastInsertId() > customer);
    }

    void billsWithoutDueDateComeFirst()
    {
        insertBill(QStringLiteral("late"), QDate(2027, 1, 5));
        insertBill(QStringLiteral("none"), QVariant());
        insertBill(QStringLiteral("early"), QDate(2026, 12, 31));
        insertBill(QStringLiteral("early2"), QDate(2026, 2, 1));
        Recordset rs = m_db->openRecordset(QStringLiteral("select 手形番号 from D_手形 order by 手形期日, id"));
        QStringList order;
        for (; !rs.eof(); rs.moveNext())
            order << rs.text(QStringLiteral("手形番号"));
        QCOMPARE(order, (QStringList{QStringLiteral("none"), QStringLiteral("early2"), QStringLiteral("early"),
                                     QStringLiteral("late")}));
    }

    void codesAreUniqueWithoutRegardToCase()
    {
        m_db->execute(QStringLiteral("insert into S0(sc, sn) values('ab', 'x')"));
        QVERIFY_THROWS_EXCEPTION(DbError, m_db->execute(QStringLiteral("insert into S0(sc, sn) values('AB', 'y')")));
        QCOMPARE(m_db->scalar(QStringLiteral("select sn from S0 where sc='AB'")).toString(), QStringLiteral("x"));
    }

    void settingsRow()
    {
        QCOMPARE(schema::readDueWindowDays(*m_db), 14);
        schema::writeDueWindowDays(*m_db, 30);
        QCOMPARE(schema::readDueWindowDays(*m_db), 30);
        // A lost settings row comes back with the default, without an error.
        m_db->execute(QStringLiteral("delete from 設定"));
        QCOMPARE(schema::readDueWindowDays(*m_db), 14);
        QCOMPARE(m_db->scalar(QStringLiteral("select days from 設定 where id=1")).toInt(), 14);
    }

    // The planner's figures are taken once a book is big enough to need
    // them, and again when it has doubled or halved since.
    void plannerStatisticsFollowTheBook_data()
    {
        QTest::addColumn<int>("billsBefore"); // when figures were last taken; 0: never
        QTest::addColumn<int>("bills");
        QTest::addColumn<int>("counted"); // what the figures say afterwards; 0: none
        QTest::newRow("small book") << 0 << 999 << 0;
        QTest::newRow("big enough") << 0 << 1000 << 1000;
        QTest::newRow("grown a little") << 1000 << 1900 << 1000;
        QTest::newRow("doubled and more") << 1000 << 2001 << 2001;
        QTest::newRow("halved and more") << 3000 << 1400 << 1400;
    }

    void plannerStatisticsFollowTheBook()
    {
        QFETCH(int, billsBefore);
        QFETCH(int, bills);
        QFETCH(int, counted);
        const auto fill = [this](int n) {
            Transaction t(*m_db);
            const int have = m_db->scalar(QStringLiteral("select count(*) from D_手形")).toInt();
            for (int i = have; i < n; ++i)
                insertBill(QStringLiteral("N%1").arg(i), QDate(2026, 1, 1).addDays(i % 400));
            // A third are payable: the index of the payable list holds only those.
            m_db->execute(QStringLiteral("update D_手形 set 処理 = 1 where id % 3 = 0"));
            m_db->execute(QStringLiteral("delete from D_手形 where id > (select min(id) from D_手形) + ? - 1"), {n});
            t.commit();
        };
        if (billsBefore > 0) {
            fill(billsBefore);
            schema::prepareForWork(*m_db);
        }
        fill(bills);
        schema::prepareForWork(*m_db);
        const auto stat = [this] {
            return m_db->tableExists(QStringLiteral("sqlite_stat1"))
                       ? m_db->scalar(QStringLiteral("select stat from sqlite_stat1 where tbl = 'D_手形' and "
                                                     "idx = 'D_手形_番号'"))
                             .toString()
                             .section(u' ', 0, 0)
                             .toInt()
                       : 0;
        };
        QCOMPARE(stat(), counted);
        // Opened again unchanged, the figures are kept as they are.
        if (counted > 0) {
            m_db->execute(
                QStringLiteral("update sqlite_stat1 set stat = '%1 1' where idx = 'D_手形_番号'").arg(counted + 1));
            schema::prepareForWork(*m_db);
            QCOMPARE(stat(), counted + 1);
        }
        // The figures change no bill.
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from D_手形")).toInt(), bills);
    }

    // A file of the version before gets the indexes of the long lists when it
    // is opened; an upgrade that fails leaves the file as it was.
    void olderFileIsUpgraded_data()
    {
        QTest::addColumn<bool>("blocked");
        QTest::newRow("upgraded") << false;
        QTest::newRow("upgrade fails") << true;
    }

    void olderFileIsUpgraded()
    {
        QFETCH(bool, blocked);
        const auto columnsOf = [this](const QString &index) {
            Recordset rs =
                m_db->openRecordset(QStringLiteral("select name from pragma_index_info(?) order by seqno"), {index});
            QStringList names;
            for (; !rs.eof(); rs.moveNext())
                names << rs.text(QStringLiteral("name"));
            return names.join(u',');
        };
        // The file as the version before wrote it.
        makeVersionFive();
        m_db->execute(QStringLiteral("drop index D_手形_支払一覧"));
        m_db->execute(QStringLiteral("drop index D_手形_処理_期日"));
        m_db->execute(QStringLiteral("create index D_手形_処理_期日 on D_手形 (処理, 手形期日)"));
        dropPartyNumbers();
        m_db->execute(QStringLiteral("pragma user_version = 3"));
        insertBill(QStringLiteral("A1"), QStringLiteral("2026-12-07"));
        if (blocked)
            m_db->execute(QStringLiteral("create table D_手形_支払一覧 (x)"));

        if (blocked) {
            QVERIFY_THROWS_EXCEPTION(DbError, schema::prepareMainDatabase(*m_db));
            QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), 3);
            QCOMPARE(columnsOf(QStringLiteral("D_手形_処理_期日")), QStringLiteral("処理,手形期日"));
        } else {
            schema::prepareMainDatabase(*m_db);
            QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), schema::kVersion);
            QCOMPARE(columnsOf(QStringLiteral("D_手形_処理_期日")),
                     QStringLiteral("処理,手形期日,id,状態,予約フラグ,終了フラグ,種類"));
            QCOMPARE(columnsOf(QStringLiteral("D_手形_支払一覧")), QStringLiteral("手形期日,id,終了フラグ,種類"));
        }
        QVERIFY(!m_db->inTransaction());
        QCOMPARE(m_db->scalar(QStringLiteral("select 手形番号 from D_手形")).toString(), QStringLiteral("A1"));
    }

    // A file of version 6 gets the plan's columns: its account balance rows
    // stay, read as no balance entered; bills are collected into no account
    // of their own. A failure leaves it at version 6 without any of them.
    void versionSixIsUpgraded_data()
    {
        QTest::addColumn<bool>("blocked");
        QTest::newRow("upgraded") << false;
        QTest::newRow("failure midway leaves version 6") << true;
    }

    void versionSixIsUpgraded()
    {
        QFETCH(bool, blocked);
        makeVersionSix();
        insertBill(QStringLiteral("KEEP"), QDate(2026, 12, 7));
        m_db->execute(QStringLiteral("insert into 口座残高(口座id,月末日付) values(1,'2026-11-30')"));
        if (blocked) // takes the name of the upgrade's last index
            m_db->execute(QStringLiteral("create table 手形履歴_期日 (x)"));
        if (blocked) {
            QVERIFY_THROWS_EXCEPTION(DbError, schema::prepareMainDatabase(*m_db));
            QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), 6);
            QVERIFY(!m_db->tableColumns(QStringLiteral("口座残高")).contains(QStringLiteral("月末残高")));
            QVERIFY(!m_db->tableColumns(QStringLiteral("D_手形")).contains(QStringLiteral("取立口座id")));
            QVERIFY(!m_db->inTransaction());
            return;
        }
        schema::prepareMainDatabase(*m_db);
        QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), schema::kVersion);
        QVERIFY(m_db->scalar(QStringLiteral("select 月末残高 from 口座残高")).isNull());
        QCOMPARE(m_db->scalar(QStringLiteral("select 取立口座id from D_手形 where 手形番号='KEEP'")).toInt(), 0);
        QCOMPARE(m_db->scalar(QStringLiteral("select 取立口座id from 設定")).toInt(), 0);
        for (const char16_t *c : {u"月初残高", u"入金", u"支払", u"最低残高", u"最低日", u"残高", u"入力残高",
                                  u"手形月初残高", u"振出", u"決済", u"手形残高", u"振出件数", u"決済件数"})
            QVERIFY(m_db->tableColumns(QStringLiteral("口座明細")).contains(QString::fromUtf16(c)));
    }

    // A file of version 5 gets the history with the events its bills imply
    // (received or issued on the booking date, handed on on the hand-on's
    // date), in the same transaction as the tables: a failure leaves it at
    // version 5 without any of them.
    void versionFiveIsUpgraded_data()
    {
        QTest::addColumn<bool>("blocked");
        QTest::newRow("upgraded") << false;
        QTest::newRow("failure midway leaves version 5") << true;
    }

    void versionFiveIsUpgraded()
    {
        QFETCH(bool, blocked);
        makeVersionFive();
        m_db->execute(QStringLiteral("insert into D_手形(処理,状態,日付,手形番号,取引先コード,取引先,手形期日,金額) "
                                     "values(0,0,'2026-04-01','R1','C1','得意先','2026-07-31',1000)"));
        m_db->execute(QStringLiteral("insert into D_手形(処理,日付,手形番号,取引先コード,取引先,手形期日,金額) "
                                     "values(1,'2026-04-02','P1','S1','仕入先','2026-08-31',2000)"));
        m_db->execute(
            QStringLiteral("insert into D_手形(処理,状態,日付,手形番号,取引先コード,取引先,手形期日,金額,"
                           "予約フラグ,予約処理,予約日,譲渡先コード,譲渡先) values(2,-2,'2026-04-03','H1','C2',"
                           "'得意先二','2026-09-30',3000,1,1,'2026-05-10','S2','仕入先二')"));
        if (blocked) // takes the name the history's index needs
            m_db->execute(QStringLiteral("create table 手形履歴_処理日 (x)"));

        if (blocked) {
            QVERIFY_THROWS_EXCEPTION(DbError, schema::prepareMainDatabase(*m_db));
            QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), 5);
            QVERIFY(!m_db->tableExists(QStringLiteral("手形履歴")));
            QVERIFY(!m_db->tableExists(QStringLiteral("割引先")));
            QVERIFY(!m_db->tableColumns(QStringLiteral("設定")).contains(QStringLiteral("取立日数")));
            QVERIFY(!m_db->inTransaction());
            return;
        }
        schema::prepareMainDatabase(*m_db);
        QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), schema::kVersion);
        Recordset rs = m_db->openRecordset(QStringLiteral(
            "select h.種別, h.処理日, h.手形番号, h.金額, h.相手先コード, h.前状態, h.後状態, h.記録者, h.記録日時 "
            "from 手形履歴 h order by h.id"));
        QStringList events;
        for (; !rs.eof(); rs.moveNext()) {
            events << QStringList{rs.text(QStringLiteral("種別")),         rs.text(QStringLiteral("処理日")),
                                  rs.text(QStringLiteral("手形番号")),     rs.text(QStringLiteral("金額")),
                                  rs.text(QStringLiteral("相手先コード")), rs.text(QStringLiteral("前状態")),
                                  rs.text(QStringLiteral("後状態"))}
                          .join(u' ');
            QVERIFY(!rs.text(QStringLiteral("記録者")).isEmpty());
            QVERIFY(QDateTime::fromString(rs.text(QStringLiteral("記録日時")), QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                        .isValid());
        }
        QCOMPARE(events, (QStringList{QStringLiteral("受取 2026-04-01 R1 1000   手元"),
                                      QStringLiteral("振出 2026-04-02 P1 2000   振出"),
                                      QStringLiteral("受取 2026-04-03 H1 3000   手元"),
                                      QStringLiteral("譲渡 2026-05-10 H1 3000 S2 手元 譲渡")}));
        QCOMPARE(schema::readCollectionDays(*m_db), 0);
        // Opening again writes nothing twice.
        schema::prepareMainDatabase(*m_db);
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from 手形履歴")).toInt(), 4);
        // The table takes new rows but refuses to change or lose one.
        QVERIFY_THROWS_EXCEPTION(DbError, m_db->execute(QStringLiteral("update 手形履歴 set 金額 = 0")));
        QVERIFY_THROWS_EXCEPTION(DbError, m_db->execute(QStringLiteral("delete from 手形履歴 where 手形番号 = 'R1'")));
        QCOMPARE(m_db->scalar(QStringLiteral("select sum(金額) from 手形履歴")).toInt(), 9000);
    }

    // A file of version 8 takes the electronic claims: its bills become
    // paper 約束手形, its history keeps every row (and still refuses to
    // change one) and learns 分割; a failure leaves version 8 whole.
    void versionEightTakesClaims_data()
    {
        QTest::addColumn<bool>("blocked");
        QTest::newRow("upgraded") << false;
        QTest::newRow("failure midway leaves version 8") << true;
    }

    void versionEightTakesClaims()
    {
        QFETCH(bool, blocked);
        test::makeVersionEight(*m_db);
        m_db->execute(QStringLiteral("insert into D_手形(処理,状態,日付,手形番号,手形期日,金額) "
                                     "values(0,0,'2026-04-01','R1','2026-07-31',1000)"));
        m_db->execute(QStringLiteral("insert into 手形履歴(手形id,種別,処理日,金額,記録日時,記録者) "
                                     "values(1,'受取','2026-04-01',1000,'2026-04-01 10:00:00','clerk')"));
        if (blocked) // takes the name the claims' index needs
            m_db->execute(QStringLiteral("create table D_手形_記録番号 (x)"));
        if (blocked) {
            QVERIFY_THROWS_EXCEPTION(DbError, schema::prepareMainDatabase(*m_db));
            QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), 8);
            QVERIFY(!m_db->tableColumns(QStringLiteral("D_手形")).contains(QStringLiteral("種類")));
            QVERIFY(!m_db->inTransaction());
            QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from 手形履歴")).toInt(), 1);
            return;
        }
        schema::prepareMainDatabase(*m_db);
        QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), schema::kVersion);
        QCOMPARE(m_db->scalar(QStringLiteral("select 種類 from D_手形")).toInt(), 0);
        QCOMPARE(m_db->scalar(QStringLiteral("select 手形番号 from D_手形")).toString(), QStringLiteral("R1"));
        QCOMPARE(schema::readDensaiBlackoutDays(*m_db), schema::kDefaultDensaiBlackoutDays);
        QCOMPARE(m_db->scalar(QStringLiteral("select 記録者 from 手形履歴")).toString(), QStringLiteral("clerk"));
        // The history made anew keeps the plan's index and lets a closing
        // year's rows leave.
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from sqlite_master where name = '手形履歴_期日'")).toInt(),
                 1);
        QVERIFY(m_db->scalar(QStringLiteral("select sql from sqlite_master where name = '手形履歴_削除禁止'"))
                    .toString()
                    .contains(QStringLiteral("年度移送")));
        m_db->execute(QStringLiteral("insert into 手形履歴(手形id,種別,処理日,金額,記録日時,記録者) "
                                     "values(1,'分割','2026-05-01',100,'2026-05-01 10:00:00','clerk')"));
        QVERIFY_THROWS_EXCEPTION(DbError, m_db->execute(QStringLiteral("update 手形履歴 set 金額 = 0")));
        QVERIFY_THROWS_EXCEPTION(DbError, m_db->execute(QStringLiteral("delete from 手形履歴")));
        QVERIFY_THROWS_EXCEPTION(DbError, m_db->execute(QStringLiteral("insert into 手形履歴(手形id,種別,記録日時,"
                                                                       "記録者) values(1,'発明','x','y')")));
        // 記録番号 is unique; paper bills leave it empty, as many as they are.
        m_db->execute(
            QStringLiteral("insert into D_手形(処理,種類,記録番号,金額) values(0,2,'AB000000000000000001',5)"));
        QVERIFY_THROWS_EXCEPTION(DbError, m_db->execute(QStringLiteral("insert into D_手形(処理,種類,記録番号,金額) "
                                                                       "values(0,2,'AB000000000000000001',6)")));
        m_db->execute(QStringLiteral("insert into D_手形(処理,金額) values(0,7)"));
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from D_手形 where 記録番号 is null")).toInt(), 2);
    }

    void collectionDaysAreKept_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("none") << 0 << true;
        QTest::newRow("most") << 10 << true;
        QTest::newRow("too many") << 11 << false;
        QTest::newRow("negative") << -1 << false;
    }

    void collectionDaysAreKept()
    {
        QFETCH(int, days);
        QFETCH(bool, accepted);
        QCOMPARE(schema::readCollectionDays(*m_db), 0);
        if (!accepted) {
            QVERIFY_THROWS_EXCEPTION(DbError, schema::writeCollectionDays(*m_db, days));
            QCOMPARE(schema::readCollectionDays(*m_db), 0);
            // Not even a statement of its own gets past the table.
            QVERIFY_THROWS_EXCEPTION(DbError, m_db->execute(QStringLiteral("update 設定 set 取立日数 = ?"), {days}));
            return;
        }
        schema::writeCollectionDays(*m_db, days);
        QCOMPARE(schema::readCollectionDays(*m_db), days);
        // The approaching-due window is a setting of its own.
        QCOMPARE(schema::readDueWindowDays(*m_db), 14);
    }

    // A file of version 4 gets the parties' 登録番号 column in one
    // transaction: a failure leaves both tables as they were.
    void versionFourGetsPartyNumbers_data()
    {
        QTest::addColumn<bool>("blocked");
        QTest::newRow("upgraded") << false;
        QTest::newRow("failure on the second table leaves the first") << true;
    }

    void versionFourGetsPartyNumbers()
    {
        QFETCH(bool, blocked);
        makeVersionFive();
        m_db->execute(QStringLiteral("alter table T0 drop column 登録番号"));
        if (!blocked) // a column of that name already there makes the second step fail
            m_db->execute(QStringLiteral("alter table S0 drop column 登録番号"));
        m_db->execute(QStringLiteral("pragma user_version = 4"));
        m_db->execute(QStringLiteral("insert into T0 (tc, tn) values ('A1', '青葉商事')"));
        if (blocked) {
            QVERIFY_THROWS_EXCEPTION(DbError, schema::prepareMainDatabase(*m_db));
            QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), 4);
            QVERIFY(!m_db->tableColumns(QStringLiteral("T0")).contains(QStringLiteral("登録番号")));
        } else {
            schema::prepareMainDatabase(*m_db);
            QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), schema::kVersion);
            for (const QString &t : {QStringLiteral("T0"), QStringLiteral("S0")})
                QVERIFY(m_db->tableColumns(t).contains(QStringLiteral("登録番号")));
            // The customer is kept, its number not known.
            QCOMPARE(m_db->scalar(QStringLiteral("select coalesce(登録番号, '') from T0 where tc = 'A1'")).toString(),
                     QString());
        }
        QVERIFY(!m_db->inTransaction());
        QCOMPARE(m_db->scalar(QStringLiteral("select tn from T0")).toString(), QStringLiteral("青葉商事"));
    }

    // A file of version 6 gets the backup and year settings with their
    // defaults, and the tables of closed years, in one transaction.
    void versionSevenGetsBackupsAndYears_data()
    {
        QTest::addColumn<bool>("blocked");
        QTest::newRow("upgraded") << false;
        QTest::newRow("failure on the last table leaves version 7") << true;
    }

    void versionSevenGetsBackupsAndYears()
    {
        QFETCH(bool, blocked);
        sorvane::test::makeVersionSeven(*m_db);
        m_db->execute(QStringLiteral("update 設定 set days = 30"));
        if (blocked) // takes the name of the upgrade's last table
            m_db->execute(QStringLiteral("create table 年度移送 (x)"));
        if (blocked) {
            QVERIFY_THROWS_EXCEPTION(DbError, schema::prepareMainDatabase(*m_db));
            QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), 7);
            QVERIFY(!m_db->tableColumns(QStringLiteral("設定")).contains(QStringLiteral("バックアップ世代")));
            QVERIFY(!m_db->tableExists(QStringLiteral("年度締め")));
        } else {
            schema::prepareMainDatabase(*m_db);
            QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), schema::kVersion);
            Recordset rs = m_db->openRecordset(QStringLiteral(
                "select days, バックアップ先, バックアップ世代, 最終バックアップ, 年度末月, 過去データ年度 from 設定"));
            QCOMPARE(rs.number(QStringLiteral("days")), 30);
            QCOMPARE(rs.text(QStringLiteral("バックアップ先")), QString());
            QCOMPARE(rs.number(QStringLiteral("バックアップ世代")), schema::kDefaultBackupGenerations);
            QVERIFY(rs.isNull(QStringLiteral("最終バックアップ")));
            QCOMPARE(rs.number(QStringLiteral("年度末月")), 3);
            QVERIFY(rs.isNull(QStringLiteral("過去データ年度")));
            // The settings keep to their ranges.
            for (const char *bad : {"update 設定 set バックアップ世代 = 0", "update 設定 set 年度末月 = 13"})
                QVERIFY_THROWS_EXCEPTION(DbError, m_db->execute(QString::fromUtf8(bad)));
        }
        QVERIFY(!m_db->inTransaction());
    }

    void foreignFilesAreRefused_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::newRow("empty file") << QString();
        QTest::newRow("other tables") << QStringLiteral("create table x(a)");
        QTest::newRow("newer version") << QStringLiteral("pragma user_version = 99");
    }

    void foreignFilesAreRefused()
    {
        QFETCH(QString, setup);
        const QString file = m_dir.filePath(QStringLiteral("other.mdb"));
        QFile::remove(file);
        Database *other = m_ws->createDatabase(file);
        if (!setup.isEmpty())
            other->execute(setup);
        QVERIFY_THROWS_EXCEPTION(DbError, schema::prepareMainDatabase(*other));
        // Nothing was created in the refused file.
        QVERIFY(!other->tableExists(QStringLiteral("D_手形")));
    }

    // A file of version 1 (no journal accounts) gets them on opening, with
    // its bills kept; a failing step leaves it at version 1, unchanged.
    void versionOneIsUpgraded_data()
    {
        QTest::addColumn<bool>("blocked");
        QTest::newRow("upgraded") << false;
        QTest::newRow("failure midway leaves version 1") << true;
    }

    void versionOneIsUpgraded()
    {
        QFETCH(bool, blocked);
        insertBill(QStringLiteral("KEEP"), QDate(2026, 12, 7));
        makeVersionFive();
        m_db->execute(QStringLiteral("drop table 仕訳科目"));
        m_db->execute(QStringLiteral("alter table D_手形 drop column 更新回数"));
        dropPartyNumbers();
        m_db->execute(QStringLiteral("pragma user_version = 1"));
        if (blocked) // takes the name the upgrade's index needs
            m_db->execute(QStringLiteral("create table 仕訳科目_用途 (x)"));

        if (blocked) {
            QVERIFY_THROWS_EXCEPTION(DbError, schema::prepareMainDatabase(*m_db));
            QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), 1);
            QVERIFY(!m_db->tableExists(QStringLiteral("仕訳科目")));
            QVERIFY(!m_db->tableColumns(QStringLiteral("D_手形")).contains(QStringLiteral("更新回数")));
            QVERIFY(!m_db->inTransaction());
        } else {
            schema::prepareMainDatabase(*m_db);
            QCOMPARE(m_db->scalar(QStringLiteral("pragma user_version")).toInt(), schema::kVersion);
            QCOMPARE(schema::kVersion, 9);
            // Bills of the old file start at row version 0.
            QCOMPARE(m_db->scalar(QStringLiteral("select 更新回数 from D_手形")).toInt(), 0);
            QStringList rows;
            Recordset rs =
                m_db->openRecordset(QStringLiteral("select 用途, 勘定科目, 補助科目 from 仕訳科目 order by id"));
            for (; !rs.eof(); rs.moveNext())
                rows << rs.text(QStringLiteral("用途")) + u'=' + rs.text(QStringLiteral("勘定科目")) + u'/' +
                            rs.text(QStringLiteral("補助科目"));
            QCOMPARE(rows, (QStringList{QStringLiteral("受取手形=受取手形/"), QStringLiteral("売掛金=売掛金/"),
                                        QStringLiteral("支払手形=支払手形/"), QStringLiteral("買掛金=買掛金/"),
                                        QStringLiteral("当座預金=当座預金/"), QStringLiteral("手形売却損=手形売却損/"),
                                        QStringLiteral("不渡手形=不渡手形/"), QStringLiteral("貸倒損失=貸倒損失/"),
                                        QStringLiteral("電子記録債権=電子記録債権/"),
                                        QStringLiteral("電子記録債務=電子記録債務/")}));
            // Opening again changes nothing.
            schema::prepareMainDatabase(*m_db);
            QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from 仕訳科目")).toInt(), 10);
        }
        QCOMPARE(m_db->scalar(QStringLiteral("select 手形番号 from D_手形")).toString(), QStringLiteral("KEEP"));
    }
};

QTEST_MAIN(TestSchema)
#include "test_schema.moc"
