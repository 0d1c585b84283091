// The rules of the company's accounts where they live: the CSV reader, the
// values a column takes, and imports and changes that fail midway.

#include "book/Accounts.h"
#include "support/PrivateServer.h"
#include "support/TestSupport.h"

#include <QTest>

using namespace sorvane;

namespace {

// "line:field|field" per record, records joined by " / ".
QString shown(const QList<book::CsvRecord> &records)
{
    QStringList out;
    for (const book::CsvRecord &r : records)
        out << QString::number(r.line) + u':' + r.fields.join(u'|');
    return out.join(QStringLiteral(" / "));
}

QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const DbError &e) {
        return e.description();
    }
    return {};
}

const book::AccountField &field(const QString &column)
{
    return *book::findAccountField(column);
}

int accountCount(Database &db)
{
    return db.scalar(QStringLiteral("select count(*) from 口座データ")).toInt();
}

} // namespace

class TestAccounts : public QObject {
    Q_OBJECT

private slots:
    void readCsv_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("records"); // or the error, beginning with "!"
        QTest::newRow("plain") << QByteArray("a,b\n1,2\n") << QStringLiteral("1:a|b / 2:1|2");
        QTest::newRow("no final line end") << QByteArray("a,b\n1,2") << QStringLiteral("1:a|b / 2:1|2");
        QTest::newRow("BOM and CRLF") << QByteArray("\xEF\xBB\xBF"
                                                    "a,b\r\n1,2\r\n")
                                      << QStringLiteral("1:a|b / 2:1|2");
        QTest::newRow("empty fields") << QByteArray("a,,c\n,,x\n") << QStringLiteral("1:a||c / 2:||x");
        QTest::newRow("quoted comma and doubled quote")
            << QByteArray("\"x, y\",\"say \"\"hi\"\"\",\"\"\n") << QStringLiteral("1:x, y|say \"hi\"|");
        QTest::newRow("quoted line break counts lines")
            << QByteArray("a\n\"one\r\ntwo\"\nb\n") << QStringLiteral("1:a / 2:one\ntwo / 4:b");
        QTest::newRow("blank and comma-only lines left out")
            << QByteArray("a\n\n , \nb\n") << QStringLiteral("1:a / 4:b");
        QTest::newRow("spaces around a quoted field") << QByteArray("  \"a\" ,b\n") << QStringLiteral("1:a|b");
        QTest::newRow("unquoted spaces kept") << QByteArray(" a ,b\n") << QStringLiteral("1: a |b");
        QTest::newRow("japanese") << QStringLiteral("口座種別,銀行名\n当座,みずほ銀行\n").toUtf8()
                                  << QStringLiteral("1:口座種別|銀行名 / 2:当座|みずほ銀行");
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("only a BOM") << QByteArray("\xEF\xBB\xBF") << QString();
        QTest::newRow("unclosed quote names its first line")
            << QByteArray("a\nb,\"open\nmore\n") << QStringLiteral("!2 行目: 引用符 (\") が閉じていません");
        QTest::newRow("quote inside a field")
            << QByteArray("a\nab\"c\n") << QStringLiteral("!2 行目: 項目の途中に引用符");
        QTest::newRow("text after a closing quote")
            << QByteArray("\"a\"b\n") << QStringLiteral("!1 行目: 閉じた引用符");
        QTest::newRow("Shift_JIS on line 3")
            << QByteArray("a\nb\n\x93\x96\x8d\xc0\n") << QStringLiteral("!3 行目: UTF-8 の文字ではありません");
    }

    void readCsv()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, records);
        QString actual;
        const QString error = errorOf([&] { actual = shown(book::readCsv(bytes)); });
        if (records.startsWith(u'!'))
            QVERIFY2(error.startsWith(records.mid(1)), qPrintable(error));
        else
            QCOMPARE(error.isEmpty() ? actual : error, records);
    }

    void parseValue_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QVariant>("value"); // invalid QVariant: refused
        QTest::newRow("kozano") << QStringLiteral("kozano") << QStringLiteral(" 12 ") << QVariant(qint64(12));
        QTest::newRow("kozano full-width")
            << QStringLiteral("kozano") << QStringLiteral("１２") << QVariant(qint64(12));
        QTest::newRow("kozano empty") << QStringLiteral("kozano") << QString() << QVariant();
        QTest::newRow("kozano zero") << QStringLiteral("kozano") << QStringLiteral("0") << QVariant();
        QTest::newRow("kozano too large") << QStringLiteral("kozano") << QStringLiteral("1000000000") << QVariant();
        QTest::newRow("kozano fraction") << QStringLiteral("kozano") << QStringLiteral("1.5") << QVariant();
        QTest::newRow("term empty is 0") << QStringLiteral("手形期間") << QString() << QVariant(qint64(0));
        QTest::newRow("term") << QStringLiteral("手形期間") << QStringLiteral("120") << QVariant(qint64(120));
        QTest::newRow("term negative") << QStringLiteral("手形期間") << QStringLiteral("-1") << QVariant();
        QTest::newRow("term with unit") << QStringLiteral("手形期間") << QStringLiteral("90日") << QVariant();
        QTest::newRow("amount grouped") << QStringLiteral("担保枠") << QStringLiteral("¥10,000,000")
                                        << QVariant(qint64(10000000));
        QTest::newRow("amount negative") << QStringLiteral("担保枠") << QStringLiteral("-5") << QVariant();
        QTest::newRow("date iso") << QStringLiteral("確定済年月") << QStringLiteral("2026-03-31")
                                  << QVariant(QDate(2026, 3, 31));
        QTest::newRow("date era") << QStringLiteral("計画済年月") << QStringLiteral("R8/12/7")
                                  << QVariant(QDate(2026, 12, 7));
        QTest::newRow("date m/d in this year")
            << QStringLiteral("計画済年月") << QStringLiteral("3/31") << QVariant(QDate(2026, 3, 31));
        QTest::newRow("date empty clears") << QStringLiteral("計画済年月") << QStringLiteral(" ") << QVariant(QDate());
        QTest::newRow("date impossible") << QStringLiteral("計画済年月") << QStringLiteral("2026/2/29") << QVariant();
        QTest::newRow("code half-width") << QStringLiteral("銀行コード") << QStringLiteral("０００１")
                                         << QVariant(QStringLiteral("0001"));
        QTest::newRow("text trimmed") << QStringLiteral("口座種別") << QStringLiteral(" 当座　")
                                      << QVariant(QStringLiteral("当座"));
        QTest::newRow("text with quote") << QStringLiteral("口座名義") << QStringLiteral("O'Hara")
                                         << QVariant(QStringLiteral("O'Hara"));
        QTest::newRow("text with tab") << QStringLiteral("銀行名") << QStringLiteral("A\tB") << QVariant();
    }

    void parseValue()
    {
        QFETCH(QString, column);
        QFETCH(QString, typed);
        QFETCH(QVariant, value);
        QString why;
        const std::optional<QVariant> v = book::parseAccountValue(field(column), typed, QDate(2026, 12, 7), &why);
        if (!value.isValid()) {
            QVERIFY2(!v, qPrintable(v ? v->toString() : QString()));
            QVERIFY(!why.isEmpty());
            return;
        }
        QVERIFY2(v, qPrintable(why));
        QCOMPARE(*v, value);
    }

    void failureMidwayChangesNothing_data()
    {
        QTest::addColumn<QString>("trigger"); // fails on the value 'FAIL'
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("action");
        QTest::newRow("third row of an import") << QStringLiteral("before insert on 口座データ")
                                                << QStringLiteral("new.銀行名='FAIL'") << QStringLiteral("import");
        QTest::newRow("update") << QStringLiteral("before update on 口座データ") << QStringLiteral("new.銀行名='FAIL'")
                                << QStringLiteral("set");
        QTest::newRow("delete") << QStringLiteral("before delete on 口座データ") << QStringLiteral("1=1")
                                << QStringLiteral("remove");
    }

    void failureMidwayChangesNothing()
    {
        QFETCH(QString, trigger);
        QFETCH(QString, condition);
        QFETCH(QString, action);
        test::AppFixture f;
        Database &db = f.db();
        book::addAccount(db, {{QStringLiteral("kozano"), 1}, {QStringLiteral("銀行名"), QStringLiteral("みずほ銀行")}});
        test::failWhen(db, QStringLiteral("fail"), trigger, condition, QStringLiteral("disk is full"));
        const QList<book::AccountRecord> before = book::readAccounts(db);

        QString error;
        if (action == u"import")
            error = errorOf([&] {
                book::importAccounts(db, QStringLiteral("kozano,銀行名\n2,A\n3,FAIL\n").toUtf8(), QDate(2026, 12, 7));
            });
        else if (action == u"set")
            error = errorOf([&] {
                book::updateAccount(
                    db, 1, {{QStringLiteral("銀行名"), QStringLiteral("FAIL")}, {QStringLiteral("手形期間"), 90}});
            });
        else
            error = errorOf([&] { book::removeAccount(db, 1); });
        QVERIFY2(error.contains(QStringLiteral("disk is full")), qPrintable(error));
        if (action == u"import")
            QVERIFY2(error.startsWith(QStringLiteral("3 行目")), qPrintable(error));
        QVERIFY(!db.inTransaction());
        const QList<book::AccountRecord> after = book::readAccounts(db);
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.first().values, before.first().values);
    }

    void csvListingReadsBack()
    {
        test::AppFixture f;
        Database &db = f.db();
        const QStringList names{QStringLiteral("株式会社\"山田\"商店"), QStringLiteral("O'Hara, Inc."),
                                QStringLiteral("\"quoted\""), QStringLiteral("ＡＢＣ銀行"), QString()};
        for (int i = 0; i < names.size(); ++i)
            book::addAccount(db, {{QStringLiteral("kozano"), i + 1},
                                  {QStringLiteral("口座名義"), names.at(i)},
                                  {QStringLiteral("担保枠"), qint64(1234567) * i},
                                  {QStringLiteral("確定済年月"), i % 2 ? QDate(2026, 3, 31) : QDate()}});
        const QList<book::AccountRecord> before = book::readAccounts(db);
        const QByteArray csv = book::accountsCsv(before);
        db.execute(QStringLiteral("delete from 口座データ"));
        QCOMPARE(book::importAccounts(db, csv, QDate(2026, 12, 7)), names.size());
        const QList<book::AccountRecord> after = book::readAccounts(db);
        QCOMPARE(after.size(), before.size());
        for (int i = 0; i < after.size(); ++i)
            QCOMPARE(after.at(i).values, before.at(i).values);
        QCOMPARE(accountCount(db), names.size());
    }
};

QTEST_MAIN(TestAccounts)
#include "test_accounts.moc"
