// The engine layer: values survive every statement unchanged, result sets
// behave as the windows expect, and every failure arrives as a DbError.

#include "data/Engine.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

class TestEngine : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Engine m_engine;
    Workspace *m_ws = nullptr;
    Database *m_db = nullptr;

private slots:
    void init()
    {
        m_ws = m_engine.createWorkspace(QStringLiteral("Varnostel"), QStringLiteral("admin"), QString());
        QFile::remove(m_dir.filePath(QStringLiteral("t.db")));
        m_db = m_ws->createDatabase(m_dir.filePath(QStringLiteral("t.db")));
        m_db->execute(QStringLiteral("create table t (id integer primary key autoincrement, name text collate "
                                     "nocase, d text, n integer)"));
    }

    void cleanup()
    {
        m_engine.releaseWorkspace(m_ws);
        m_ws = nullptr;
        m_db = nullptr;
    }

    void valuesRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("apostrophe") << QStringLiteral("O'Hara");
        QTest::newRow("quoted company") << QStringLiteral("'A' 商事");
        QTest::newRow("double quote") << QStringLiteral("say \"hi\"");
        QTest::newRow("percent") << QStringLiteral("100%");
        QTest::newRow("semicolon") << QStringLiteral("a; drop table t; --");
        QTest::newRow("japanese") << QStringLiteral("株式会社　東京手形商会");
        QTest::newRow("wildcards") << QStringLiteral("_*?[]");
    }

    void valuesRoundTrip()
    {
        QFETCH(QString, value);
        m_db->execute(QStringLiteral("insert into t(name) values(?)"), {value});
        const qint64 id = m_db->lastInsertId();
        QCOMPARE(m_db->scalar(QStringLiteral("select name from t where name=?"), {value}).toString(), value);

        const QString changed = value + QStringLiteral("'2");
        QCOMPARE(m_db->execute(QStringLiteral("update t set name=? where name=?"), {changed, value}), 1);
        Recordset rs = m_db->openRecordset(QStringLiteral("select id, name from t where name=?"), {changed});
        QVERIFY(!rs.eof());
        QCOMPARE(rs.number(QStringLiteral("id")), id);
        QCOMPARE(rs.text(QStringLiteral("name")), changed);

        QCOMPARE(m_db->execute(QStringLiteral("delete from t where name=?"), {changed}), 1);
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from t")).toInt(), 0);
        QVERIFY(m_db->tableExists(QStringLiteral("t")));
    }

    void resultSetNavigation()
    {
        for (int i = 1; i <= 5; ++i)
            m_db->execute(QStringLiteral("insert into t(name, n, d) values(?, ?, ?)"),
                          {QStringLiteral("r%1").arg(i), i, i == 3 ? QVariant() : QVariant(QDate(2026, 1, i))});
        Recordset rs = m_db->openRecordset(QStringLiteral("select * from t order by id"));
        QVERIFY(!rs.eof());
        QCOMPARE(rs.text(QStringLiteral("NAME")), QStringLiteral("r1"));  // names ignore case
        rs.moveLast();
        QCOMPARE(rs.rowCount(), 5);
        QCOMPARE(rs.number(QStringLiteral("n")), 5);
        rs.moveFirst();
        rs.moveNext();
        rs.moveNext();
        QVERIFY(rs.isNull(QStringLiteral("d")));
        QVERIFY(!rs.date(QStringLiteral("d")).isValid());
        rs.moveNext();
        QCOMPARE(rs.date(QStringLiteral("d")), QDate(2026, 1, 4));
        rs.moveNext();
        rs.moveNext();
        QVERIFY(rs.eof());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.value(QStringLiteral("n")));

        QVERIFY(rs.findFirst(QStringLiteral("name"), QStringLiteral("R4")));
        QVERIFY(!rs.noMatch());
        QCOMPARE(rs.number(QStringLiteral("n")), 4);
        QVERIFY(rs.findFirst(QStringLiteral("d"), QDate(2026, 1, 2)));
        QCOMPARE(rs.number(QStringLiteral("n")), 2);
        QVERIFY(!rs.findFirst(QStringLiteral("n"), 99));
        QVERIFY(rs.noMatch());

        Recordset empty = m_db->openRecordset(QStringLiteral("select * from t where n > 100"));
        QVERIFY(empty.eof());
        QCOMPARE(empty.rowCount(), 0);
    }

    void changeableSet()
    {
        Recordset rs = m_db->openTable(QStringLiteral("t"), QStringLiteral("name=?"), {QStringLiteral("x'y")});
        QVERIFY(rs.eof());
        rs.addNew();
        rs.setValue(QStringLiteral("name"), QStringLiteral("x'y"));
        rs.setValue(QStringLiteral("n"), 7);
        rs.update();
        QVERIFY(rs.lastInsertId() > 0);
        QCOMPARE(rs.number(QStringLiteral("id")), rs.lastInsertId());

        Recordset again = m_db->openTable(QStringLiteral("t"), QStringLiteral("name=?"), {QStringLiteral("X'Y")});
        QCOMPARE(again.rowCount(), 1);
        again.edit();
        again.setValue(QStringLiteral("name"), QStringLiteral("X'Y"));
        again.update();
        QCOMPARE(m_db->scalar(QStringLiteral("select name from t")).toString(), QStringLiteral("X'Y"));
        QCOMPARE(m_db->scalar(QStringLiteral("select n from t")).toInt(), 7);

        Recordset readOnly = m_db->openRecordset(QStringLiteral("select * from t"));
        QVERIFY_THROWS_EXCEPTION(DbError, readOnly.addNew());
    }

    void failuresCarryDescription_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("firstLine"); // in Japanese, for the clerk
        QTest::addColumn<QString>("fragment");  // the engine's words below it
        // A table gone from the file: the file is not ours or is damaged.
        QTest::newRow("missing table") << QStringLiteral("select * from nothere")
                                       << QStringLiteral("t.db はこのプログラムのデータではないか、壊れています。"
                                                         "sorvane-admin init --force で作り直すか、"
                                                         "バックアップから戻してください。")
                                       << QStringLiteral("no such table: nothere");
        QTest::newRow("syntax") << QStringLiteral("selec x") << QStringLiteral("SQL 文を準備できません")
                                << QStringLiteral("syntax");
        QTest::newRow("constraint") << QStringLiteral("insert into t(id) values(1),(1)")
                                    << QStringLiteral("データベースの処理に失敗しました") << QStringLiteral("UNIQUE");
    }

    void failuresCarryDescription()
    {
        QFETCH(QString, sql);
        QFETCH(QString, firstLine);
        QFETCH(QString, fragment);
        try {
            m_db->execute(sql);
            QFAIL("no error");
        } catch (const DbError &e) {
            QCOMPARE(e.description().section(u'\n', 0, 0), firstLine);
            QVERIFY2(e.description().section(u'\n', 1).contains(fragment), qPrintable(e.description()));
        }
        // Nothing of a failed multi-row insert stays behind.
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from t")).toInt(), 0);
    }

    void openingNeverCreatesOrAcceptsGarbage()
    {
        const QString missing = m_dir.filePath(QStringLiteral("missing.mdb"));
        QVERIFY_THROWS_EXCEPTION(DbError, m_ws->openDatabase(missing));
        QVERIFY(!QFile::exists(missing));

        const QString garbage = m_dir.filePath(QStringLiteral("garbage.mdb"));
        QFile f(garbage);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        try {
            m_ws->openDatabase(garbage);
            QFAIL("a damaged file opened");
        } catch (const DbError &e) {
            QVERIFY2(e.description().contains(QStringLiteral("not a database")), qPrintable(e.description()));
        }
    }

    void findWorkspaceAndDatabase()
    {
        QCOMPARE(m_engine.findWorkspace(QStringLiteral("Varnostel")), m_ws);
        QCOMPARE(m_engine.findWorkspace(QStringLiteral("other")), nullptr);
        QCOMPARE(m_ws->findDatabase(m_dir.filePath(QStringLiteral("t.db"))), m_db);
        m_ws->releaseDatabase(m_db);
        QCOMPARE(m_ws->findDatabase(m_dir.filePath(QStringLiteral("t.db"))), nullptr);
        m_db = nullptr;
    }

    void compaction()
    {
        for (int i = 0; i < 500; ++i)
            m_db->execute(QStringLiteral("insert into t(name) values(?)"), {QString(200, QChar(u'あ'))});
        m_db->execute(QStringLiteral("delete from t where id > 10"));
        const QString src = m_db->fileName();
        m_ws->releaseDatabase(m_db);
        m_db = nullptr;
        const qint64 before = QFileInfo(src).size();

        const QString dst = m_dir.filePath(QStringLiteral("compacted.mdb"));
        QFile::remove(dst);
        Engine::compact(src, dst);
        QVERIFY(QFileInfo(dst).size() < before);
        QCOMPARE(QFileInfo(src).size(), before);
        ScopedDatabase copy(*m_ws, dst);
        QCOMPARE(copy->scalar(QStringLiteral("select count(*) from t")).toInt(), 10);

        // The new file must be new: an existing one is never overwritten.
        QVERIFY_THROWS_EXCEPTION(DbError, Engine::compact(src, dst));
    }

    void transactionRollsBack()
    {
        m_db->beginTransaction();
        m_db->execute(QStringLiteral("insert into t(name) values('a')"));
        m_db->rollback();
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from t")).toInt(), 0);
    }

    // A guarded action inside a batch: its own failure undoes only its rows,
    // and the batch decides for everything, the action's rows included.
    void transactionInsideTransaction_data()
    {
        QTest::addColumn<bool>("innerFails");
        QTest::addColumn<bool>("outerCommits");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("both commit") << false << true << QStringList{QStringLiteral("outer"), QStringLiteral("inner")};
        QTest::newRow("inner fails, batch commits") << true << true << QStringList{QStringLiteral("outer")};
        QTest::newRow("batch rolls back a committed action") << false << false << QStringList{};
        QTest::newRow("both fail") << true << false << QStringList{};
    }

    void transactionInsideTransaction()
    {
        QFETCH(bool, innerFails);
        QFETCH(bool, outerCommits);
        QFETCH(QStringList, kept);
        {
            Transaction outer(*m_db);
            m_db->execute(QStringLiteral("insert into t(name) values('outer')"));
            try {
                Transaction inner(*m_db);
                m_db->execute(QStringLiteral("insert into t(name) values('inner')"));
                if (innerFails)
                    m_db->execute(QStringLiteral("insert into nowhere values(1)"));
                inner.commit();
            } catch (const DbError &) {
                QVERIFY(innerFails);
            }
            QVERIFY(m_db->inTransaction());
            if (outerCommits)
                outer.commit();
        }
        QVERIFY(!m_db->inTransaction());
        Recordset rs = m_db->openRecordset(QStringLiteral("select name from t order by id"));
        QStringList names;
        for (; !rs.eof(); rs.moveNext())
            names << rs.text(QStringLiteral("name"));
        QCOMPARE(names, kept);
        // The file takes a new transaction afterwards.
        Transaction next(*m_db);
        next.commit();
    }
};

QTEST_MAIN(TestEngine)
#include "test_engine.moc"
