// Closing a fiscal year: the bills finished before the new year began move
// with their endorsers and history into the book of that year, every other
// bill stays; the counts of the two books add up to the counts before; the
// statements of the closed year made from the archive are those made before
// the close; the archive opened as the program opens it refuses every
// write; a close that fails, or one tried while another clerk has the
// server book open, changes nothing.

#include "support/FaultInjection.h"
#include "support/LifeBills.h"
#include "support/ReportBills.h"
#include "support/TestSupport.h"

#include "book/History.h"
#include "book/Maintenance.h"
#include "book/Reports.h"
#include "book/Search.h"
#include "book/YearEnd.h"
#include "data/Engine.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>

using namespace sorvane;
using namespace sorvane::test;

namespace {

// The company's year is the calendar year; 2026 is closed in April 2027.
const QDate kStepsTaken(2027, 3, 31);
const QDate kCloseDay(2027, 4, 15);
const QDate kYearBegin(2026, 1, 1);
const QDate kYearEnd(2026, 12, 31);

book::StepInput on(qint64 id, const QDate &date)
{
    return stepOn(id, date, kStepsTaken);
}

// Where a bill ends up: moved into the archive, kept with a copy in the
// archive, or kept with none (booked after the year end).
enum class Fate { Moved, Carried, Outside };

// A year of bills of every fate, each named.
QHash<QString, qint64> bookYear(Database &db)
{
    book::writeYearEndMonth(db, 12);
    addBank(db);
    QHash<QString, qint64> id;
    const QDate jan(2026, 1, 15);
    id[u"settled"_qs] = receive(db, u"R-paid"_qs, jan, QDate(2026, 3, 31), 120000);
    book::settleBill(db, on(id[u"settled"_qs], QDate(2026, 4, 1)));
    insertEndorser(db, id[u"settled"_qs], 1, u"裏書一郎"_qs);
    insertEndorser(db, id[u"settled"_qs], 2, u"裏書二郎"_qs);
    id[u"paid"_qs] = issue(db, u"P-paid"_qs, jan, QDate(2026, 4, 30), 320000);
    book::settleBill(db, on(id[u"paid"_qs], QDate(2026, 4, 30)));
    id[u"handed past due"_qs] = receive(db, u"R-hand-end"_qs, jan, QDate(2026, 5, 29), 200000);
    book::handOnBill(db, id[u"handed past due"_qs], QDate(2026, 2, 10), u"S1"_qs, u"仕入商会"_qs);
    id[u"handed settled"_qs] = receive(db, u"R-hand-set"_qs, jan, QDate(2026, 5, 29), 210000);
    book::handOnBill(db, id[u"handed settled"_qs], QDate(2026, 2, 10), u"S1"_qs, u"仕入商会"_qs);
    book::settleBill(db, on(id[u"handed settled"_qs], QDate(2026, 5, 29)));
    id[u"discount settled"_qs] = receive(db, u"R-disc-end"_qs, jan, QDate(2026, 6, 30), 150000);
    book::discountBill(db, on(id[u"discount settled"_qs], QDate(2026, 2, 2)), u"B1"_qs, 900);
    book::settleBill(db, on(id[u"discount settled"_qs], QDate(2026, 6, 30)));
    id[u"recovered"_qs] = receive(db, u"R-recover"_qs, jan, QDate(2026, 4, 30), 250000);
    book::dishonourBill(db, on(id[u"recovered"_qs], QDate(2026, 5, 1)), u"資金不足"_qs);
    book::cancelDishonour(db, on(id[u"recovered"_qs], QDate(2026, 8, 3)), book::DishonourUndo::Recovered, 200000);

    id[u"in hand"_qs] = receive(db, u"R-keep"_qs, jan, QDate(2027, 2, 26), 110000);
    insertEndorser(db, id[u"in hand"_qs], 1, u"裏書三郎"_qs);
    id[u"settled after the year end"_qs] = receive(db, u"R-late"_qs, jan, QDate(2026, 12, 31), 130000);
    book::settleBill(db, on(id[u"settled after the year end"_qs], QDate(2027, 1, 4)));
    id[u"settlement taken back"_qs] = receive(db, u"R-unpaid"_qs, jan, QDate(2026, 3, 31), 140000);
    book::settleBill(db, on(id[u"settlement taken back"_qs], QDate(2026, 3, 31)));
    book::cancelSettlement(db, on(id[u"settlement taken back"_qs], QDate(2026, 4, 10)));
    id[u"handed not due"_qs] = receive(db, u"R-hand"_qs, jan, QDate(2027, 1, 29), 180000);
    book::handOnBill(db, id[u"handed not due"_qs], QDate(2026, 2, 10), u"S1"_qs, u"仕入商会"_qs);
    id[u"discounted"_qs] = receive(db, u"R-disc"_qs, jan, QDate(2027, 1, 29), 160000);
    book::discountBill(db, on(id[u"discounted"_qs], QDate(2026, 2, 2)), u"B1"_qs, 2100);
    id[u"dishonoured"_qs] = receive(db, u"R-bounce"_qs, jan, QDate(2026, 4, 30), 170000);
    book::dishonourBill(db, on(id[u"dishonoured"_qs], QDate(2026, 5, 1)), u"資金不足"_qs);
    id[u"recovered after the year end"_qs] = receive(db, u"R-rec-late"_qs, jan, QDate(2026, 4, 30), 190000);
    book::dishonourBill(db, on(id[u"recovered after the year end"_qs], QDate(2026, 5, 1)), u"資金不足"_qs);
    book::cancelDishonour(db, on(id[u"recovered after the year end"_qs], QDate(2027, 1, 5)),
                          book::DishonourUndo::Recovered, 190000);
    id[u"issued open"_qs] = issue(db, u"P-keep"_qs, jan, QDate(2027, 1, 29), 310000);

    id[u"booked next year"_qs] = receive(db, u"R-next"_qs, QDate(2027, 1, 10), QDate(2027, 2, 1), 90000);
    book::settleBill(db, on(id[u"booked next year"_qs], QDate(2027, 2, 1)));

    // A deletion of the year: its events belong to the year's journal.
    const qint64 deleted = receive(db, u"R-del"_qs, jan, QDate(2027, 1, 29), 270000);
    book::deleteReceivableBill(db, deleted, std::nullopt, QDate(2026, 3, 4));
    return id;
}

qint64 count(Database &db, const QString &sql, const QVariantList &values = {})
{
    return db.scalar(sql, values).toLongLong();
}

QString archiveOf(const AppFixture &f)
{
    return f.folder.file(book::archiveFileName(2026));
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QString day(const QDate &d)
{
    return d.toString(Qt::ISODate);
}

// The statements of the year as text, to compare two books by.
using Statement = std::function<QStringList(Database &)>;

QStringList statementOf(Database &db, book::Side side)
{
    QStringList out;
    for (const book::StatementLine &l : book::statementLines(book::statementBills(db, side, kYearEnd)))
        out << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                   .arg(int(l.kind))
                   .arg(l.count)
                   .arg(l.party, l.number, day(l.issued), day(l.due), l.bank + l.branch)
                   .arg(l.amount)
                   .arg(l.receiver + l.note);
    return out;
}

QStringList ledgerOf(Database &db, book::Side side)
{
    QStringList out;
    for (const book::LedgerRow &r : book::readLedger(db, side, kYearBegin, kYearEnd))
        out << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                   .arg(day(r.date), r.number, r.summary, r.party, r.drawer, day(r.due), r.place)
                   .arg(r.amount)
                   .arg(day(r.outcomeDate) + r.outcome);
    return out;
}

QStringList journalOf(Database &db)
{
    QStringList out;
    for (const book::JournalEntry &e : book::journalEntries(db, kYearBegin, kYearEnd))
        out << QStringLiteral("%1|%2|%3/%4|%5|%6")
                   .arg(e.slip)
                   .arg(day(e.date), e.debit, e.credit)
                   .arg(e.amount)
                   .arg(e.summary);
    return out;
}

} // namespace

class TestYearEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { FaultInjection::install(); }
    void cleanup() { FaultInjection::clear(); }

    void eachBillMovesOrStays_data();
    void eachBillMovesOrStays();
    void countsAddUp();
    void statementsFromTheArchive_data();
    void statementsFromTheArchive();
    void archiveRefusesEveryWrite_data();
    void archiveRefusesEveryWrite();
    void whichYearIsClosed_data();
    void whichYearIsClosed();
    void failedCloseChangesNothing_data();
    void failedCloseChangesNothing();
    void existingArchiveIsNeverOverwritten();
    void refusedWhileAnotherClerkHasTheBook();
    void historyLeavesOnlyWithAClose();
};

void TestYearEnd::eachBillMovesOrStays_data()
{
    QTest::addColumn<QString>("bill");
    QTest::addColumn<int>("fate");
    for (const char *moved : {"settled", "paid", "handed past due", "handed settled", "discount settled", "recovered"})
        QTest::newRow(moved) << QString::fromUtf8(moved) << int(Fate::Moved);
    for (const char *carried : {"in hand", "settled after the year end", "settlement taken back", "handed not due",
                                "discounted", "dishonoured", "recovered after the year end", "issued open"})
        QTest::newRow(carried) << QString::fromUtf8(carried) << int(Fate::Carried);
    QTest::newRow("booked next year") << u"booked next year"_qs << int(Fate::Outside);
}

void TestYearEnd::eachBillMovesOrStays()
{
    QFETCH(QString, bill);
    QFETCH(int, fate);
    AppFixture f;
    Database &db = f.db();
    const qint64 id = bookYear(db).value(bill);
    QVERIFY(id > 0);
    const qint64 endorsers = count(db, u"select count(*) from 裏書人 where 手形id = ?"_qs, {id});
    const QStringList events = [&] {
        QStringList out;
        for (const book::BillEvent &e : book::eventsOfBill(db, id))
            out << e.kind + day(e.date) + e.記録日時;
        return out;
    }();
    QVERIFY(!events.isEmpty());

    book::closeYear(db, f.folder.path(), kCloseDay);

    const bool moved = fate == int(Fate::Moved);
    QCOMPARE(count(db, u"select count(*) from D_手形 where id = ?"_qs, {id}), moved ? 0 : 1);
    QCOMPARE(count(db, u"select count(*) from 裏書人 where 手形id = ?"_qs, {id}), moved ? 0 : endorsers);
    QCOMPARE(book::eventsOfBill(db, id).size(), moved ? 0 : events.size());

    Workspace ws(u"archive"_qs, {}, {});
    ScopedDatabase archive(ws, archiveOf(f), Access::ReadOnly);
    const bool inArchive = fate != int(Fate::Outside);
    QCOMPARE(count(*archive, u"select count(*) from D_手形 where id = ?"_qs, {id}), inArchive ? 1 : 0);
    QCOMPARE(count(*archive, u"select count(*) from 年度繰越 where 手形id = ?"_qs, {id}),
             fate == int(Fate::Carried) ? 1 : 0);
    QCOMPARE(count(*archive, u"select count(*) from 裏書人 where 手形id = ?"_qs, {id}), inArchive ? endorsers : 0);
    QStringList archived;
    for (const book::BillEvent &e : book::eventsOfBill(*archive, id))
        archived << e.kind + day(e.date) + e.記録日時;
    QCOMPARE(archived, inArchive ? events : QStringList());
}

void TestYearEnd::countsAddUp()
{
    AppFixture f;
    Database &db = f.db();
    bookYear(db);
    const qint64 bills = count(db, u"select count(*) from D_手形"_qs);
    const qint64 endorsers = count(db, u"select count(*) from 裏書人"_qs);
    const qint64 events = count(db, u"select count(*) from 手形履歴"_qs);
    const QString openSql = u"select count(*) from D_手形 where 終了フラグ = 0 and not (処理 = 2 and 手形期日 <= ?)"_qs;
    const qint64 open = count(db, openSql, {kYearEnd});
    QCOMPARE(open, 6);
    const book::YearEndPlan plan = book::planYearEnd(db, kCloseDay);
    QCOMPARE(plan.year.year, 2026);
    QCOMPARE(plan.year.begin, kYearBegin);
    QCOMPARE(plan.year.end, kYearEnd);
    QCOMPARE(plan.moving, 6);
    QCOMPARE(plan.carried, 8);

    const book::YearEndDone done = book::closeYear(db, f.folder.path(), kCloseDay);
    const book::ClosedYear &c = done.closed;
    QCOMPARE(done.archive, archiveOf(f));
    QCOMPARE(c.movedBills, 6);
    QCOMPARE(c.carriedBills, 8);
    QCOMPARE(c.movedEndorsers, 2);
    QCOMPARE(count(db, u"select count(*) from D_手形"_qs), bills - c.movedBills);
    QCOMPARE(count(db, u"select count(*) from 裏書人"_qs), endorsers - c.movedEndorsers);
    QCOMPARE(count(db, u"select count(*) from 手形履歴"_qs), events - c.movedEvents);
    QCOMPARE(count(db, u"select count(*) from 年度移送"_qs), 0);
    // Every bill still open is in the working book.
    QCOMPARE(count(db, openSql, {kYearEnd}), open);
    const QList<book::ClosedYear> closed = book::closedYears(db);
    QCOMPARE(closed.size(), 1);
    QCOMPARE(closed.first().movedBills, c.movedBills);
    QCOMPARE(closed.first().file, u"tegata-2026.mdb"_qs);

    const book::ArchiveInfo info = book::readArchive(done.archive);
    QCOMPARE(info.problem, QString());
    QCOMPARE(info.year.year, 2026);
    QCOMPARE(info.year.end, kYearEnd);
    QCOMPARE(info.bills, c.movedBills + c.carriedBills);
    QCOMPARE(info.carried, c.carriedBills);
    Workspace ws(u"archive"_qs, {}, {});
    ScopedDatabase archive(ws, done.archive, Access::ReadOnly);
    QCOMPARE(count(*archive, u"select count(*) from 手形履歴"_qs), c.copiedEvents);
    // The moved bills' history is in the archive once, with the copies.
    QCOMPARE(count(*archive, u"select count(*) from 手形履歴 where 手形id not in (select 手形id from 年度繰越) "
                             "and 手形id in (select id from D_手形)"_qs),
             c.movedEvents);
    // The registers came along, so the windows find the parties.
    QCOMPARE(count(*archive, u"select count(*) from 割引先"_qs), 1);
    QCOMPARE(count(*archive, u"select count(*) from 口座データ"_qs), 1);
}

void TestYearEnd::statementsFromTheArchive_data()
{
    QTest::addColumn<Statement>("statement");
    QTest::newRow("勘定科目内訳明細書 受取手形")
        << Statement([](Database &db) { return statementOf(db, book::Side::Receivable); });
    QTest::newRow("勘定科目内訳明細書 支払手形")
        << Statement([](Database &db) { return statementOf(db, book::Side::Payable); });
    QTest::newRow("受取手形記入帳") << Statement([](Database &db) { return ledgerOf(db, book::Side::Receivable); });
    QTest::newRow("支払手形記入帳") << Statement([](Database &db) { return ledgerOf(db, book::Side::Payable); });
    QTest::newRow("仕訳") << Statement([](Database &db) { return journalOf(db); });
}

void TestYearEnd::statementsFromTheArchive()
{
    QFETCH(Statement, statement);
    AppFixture f;
    Database &db = f.db();
    const QHash<QString, qint64> id = bookYear(db);
    const QStringList before = statement(db);
    QVERIFY(before.size() >= 2);

    book::closeYear(db, f.folder.path(), kCloseDay);
    // The working book goes on; the closed year's papers do not move.
    book::settleBill(db, on(id.value(u"in hand"_qs), QDate(2027, 2, 26)));
    QVERIFY(f.ctx->OpenArchive(archiveOf(f)));
    QCOMPARE(statement(f.db()), before);
}

void TestYearEnd::archiveRefusesEveryWrite_data()
{
    using Write = std::function<void(Database &)>;
    QTest::addColumn<Write>("write");
    QTest::newRow("a bill booked") << Write(
        [](Database &db) { receive(db, u"R-new"_qs, QDate(2026, 12, 1), QDate(2027, 3, 1), 1000); });
    QTest::newRow("a bill settled") << Write([](Database &db) {
        const qint64 id = db.scalar(u"select id from D_手形 where 手形番号 = 'R-keep'"_qs).toLongLong();
        book::settleBill(db, stepOn(id, QDate(2027, 2, 26), kCloseDay));
    });
    QTest::newRow("a bill deleted") << Write([](Database &db) {
        const qint64 id = db.scalar(u"select id from D_手形 where 手形番号 = 'R-keep'"_qs).toLongLong();
        book::deleteReceivableBill(db, id, std::nullopt, QDate(2027, 1, 4));
    });
    QTest::newRow("a customer") << Write([](Database &db) { insertParty(db, u"T0"_qs, u"C9"_qs, u"新規商事"_qs); });
    QTest::newRow("the year-end month") << Write([](Database &db) { book::writeYearEndMonth(db, 3); });
    QTest::newRow("a table of its own") << Write([](Database &db) { db.execute(u"delete from 年度繰越"_qs); });
}

void TestYearEnd::archiveRefusesEveryWrite()
{
    using Write = std::function<void(Database &)>;
    QFETCH(Write, write);
    AppFixture f;
    bookYear(f.db());
    book::closeYear(f.db(), f.folder.path(), kCloseDay);
    const QByteArray before = fileHash(archiveOf(f));
    QVERIFY(f.ctx->OpenArchive(archiveOf(f)));
    QVERIFY(f.ctx->isArchive());
    QVERIFY(f.ctx->bookName().contains(u"2026年度"_qs));
    Database &archive = f.db();
    QVERIFY(archive.isReadOnly());
    // Reading and searching work.
    QCOMPARE(count(archive, u"select count(*) from D_手形"_qs), 14);
    book::SearchCriteria c;
    c.number = u"R-keep"_qs;
    QCOMPARE(book::searchBills(archive, c, kCloseDay), 1);

    try {
        write(archive);
        QFAIL("the archive took a write");
    } catch (const DbError &e) {
        QVERIFY2(e.description().startsWith(u"2026年度の過去のデータは見るだけで、変更できません。"_qs),
                 qPrintable(e.description()));
    }
    f.ctx->OpenWorkingBook();
    QVERIFY(!f.ctx->isArchive());
    QCOMPARE(fileHash(archiveOf(f)), before);
}

void TestYearEnd::whichYearIsClosed_data()
{
    QTest::addColumn<int>("month");   // 年度末月 at the second close
    QTest::addColumn<QDate>("today"); // of the second close
    QTest::addColumn<int>("year");    // 0: refused
    QTest::addColumn<QDate>("begin");
    QTest::addColumn<QDate>("end");
    QTest::newRow("the next year has not ended") << 12 << QDate(2027, 12, 31) << 0 << QDate() << QDate();
    QTest::newRow("the next year") << 12 << QDate(2028, 1, 1) << 2027 << QDate(2027, 1, 1) << QDate(2027, 12, 31);
    QTest::newRow("a changed year end makes a short year")
        << 3 << QDate(2027, 4, 1) << 2027 << QDate(2027, 1, 1) << QDate(2027, 3, 31);
}

void TestYearEnd::whichYearIsClosed()
{
    QFETCH(int, month);
    QFETCH(QDate, today);
    QFETCH(int, year);
    QFETCH(QDate, begin);
    QFETCH(QDate, end);
    AppFixture f;
    Database &db = f.db();
    bookYear(db);
    // The first close takes the last year that ended.
    QCOMPARE(book::planYearEnd(db, QDate(2027, 12, 31)).year.year, 2026);
    book::closeYear(db, f.folder.path(), kCloseDay);
    book::writeYearEndMonth(db, month);
    const book::YearEndPlan plan = book::planYearEnd(db, today);
    QCOMPARE(plan.year.year, year);
    if (year == 0) {
        try {
            book::closeYear(db, f.folder.path(), today);
            QFAIL("a year not ended was closed");
        } catch (const DbError &e) {
            QVERIFY2(e.description().startsWith(u"締められる年度がまだありません。"_qs), qPrintable(e.description()));
        }
        QCOMPARE(book::closedYears(db).size(), 1);
        return;
    }
    QCOMPARE(plan.year.begin, begin);
    QCOMPARE(plan.year.end, end);
    book::settleBill(db, stepOn(db.scalar(u"select id from D_手形 where 手形番号 = 'R-keep'"_qs).toLongLong(),
                                QDate(2027, 2, 26), today));
    const book::YearEndDone done = book::closeYear(db, f.folder.path(), today);
    QCOMPARE(done.closed.movedBills, 5); // R-keep, R-late, R-rec-late, R-hand, R-next
    QCOMPARE(book::closedYears(db).size(), 2);
    QCOMPARE(book::readArchive(done.archive).year.begin, begin);
    // The first archive is as it was.
    QCOMPARE(book::readArchive(archiveOf(f)).bills, 14);
}

void TestYearEnd::failedCloseChangesNothing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("the disk fills while the archive is written") << u"full"_qs;
    QTest::newRow("the archive cannot take its name") << u"rename"_qs;
    QTest::newRow("a folder in the archive's place") << u"folder"_qs;
}

void TestYearEnd::failedCloseChangesNothing()
{
    QFETCH(QString, fault);
    AppFixture f;
    Database &db = f.db();
    bookYear(db);
    const QStringList tables = {u"D_手形"_qs, u"裏書人"_qs, u"手形履歴"_qs, u"年度締め"_qs};
    QStringList before;
    for (const QString &t : tables)
        before << QString::number(count(db, u"select count(*) from "_qs + t));
    if (fault == u"full")
        FaultInjection::failWrites(u".mdb.work"_qs, FaultInjection::Failure::DiskFull, 20);
    else if (fault == u"rename")
        FaultInjection::failRenames(u"tegata-2026.mdb"_qs);
    else
        QVERIFY(QDir(f.folder.path()).mkdir(u"tegata-2026.mdb"_qs));
    try {
        book::closeYear(db, f.folder.path(), kCloseDay);
        QFAIL("the close went through");
    } catch (const DbError &e) {
        QVERIFY2(e.description().startsWith(u"2026年度の新年度処理を中止しました。手形データは変わっていません。"_qs),
                 qPrintable(e.description()));
    }
    FaultInjection::clear();
    QStringList after;
    for (const QString &t : tables)
        after << QString::number(count(db, u"select count(*) from "_qs + t));
    QCOMPARE(after, before);
    QCOMPARE(count(db, u"select count(*) from 年度移送"_qs), 0);
    if (fault != u"folder")
        QVERIFY(!QFileInfo::exists(archiveOf(f)));
    // A second try, with the disk mended, closes the year.
    if (fault == u"folder")
        QVERIFY(QDir(f.folder.path()).rmdir(u"tegata-2026.mdb"_qs));
    QCOMPARE(book::closeYear(db, f.folder.path(), kCloseDay).closed.movedBills, 6);
}

void TestYearEnd::existingArchiveIsNeverOverwritten()
{
    AppFixture f;
    bookYear(f.db());
    book::closeYear(f.db(), f.folder.path(), kCloseDay);
    const QByteArray archive = fileHash(archiveOf(f));
    // A book emptied since knows nothing of that close; the archive holds
    // the only copy of the bills it moved.
    QCOMPARE(book::resetData(*f.ctx), book::ToolResult::Done);
    Database &db = f.db();
    book::writeYearEndMonth(db, 12);
    const qint64 paid = receive(db, u"N-paid"_qs, QDate(2026, 2, 2), QDate(2026, 3, 31), 5000);
    book::settleBill(db, on(paid, QDate(2026, 3, 31)));
    try {
        book::closeYear(db, f.folder.path(), kCloseDay);
        QFAIL("an archive of another book was replaced");
    } catch (const DbError &e) {
        QVERIFY2(e.description().contains(u"tegata-2026.mdb が既にあります。上書きはしません。"_qs),
                 qPrintable(e.description()));
    }
    QCOMPARE(fileHash(archiveOf(f)), archive);
    QCOMPARE(count(db, u"select count(*) from D_手形"_qs), 1);
    QCOMPARE(book::closedYears(db).size(), 0);
}

void TestYearEnd::refusedWhileAnotherClerkHasTheBook()
{
    if (!testsOnServer())
        QSKIP("a file book has no list of the clerks who have it open");
    AppFixture f;
    Database &db = f.db();
    bookYear(db);
    const qint64 bills = count(db, u"select count(*) from D_手形"_qs);
    {
        SecondClerk other(f);
        QCOMPARE(book::otherClerks(db), 1);
        try {
            book::closeYear(db, f.folder.path(), kCloseDay);
            QFAIL("closed while another clerk had the book open");
        } catch (const DbError &e) {
            QVERIFY2(e.description().startsWith(u"ほかの担当者がサーバーの手形データを開いています"_qs),
                     qPrintable(e.description()));
        }
        QCOMPARE(count(db, u"select count(*) from D_手形"_qs), bills);
        QVERIFY(!QFileInfo::exists(archiveOf(f)));
    }
    // The other clerk's connection is gone once the server has noticed.
    for (int i = 0; i < 50 && book::otherClerks(db) > 0; ++i)
        QTest::qWait(100);
    QCOMPARE(book::closeYear(db, f.folder.path(), kCloseDay).closed.movedBills, 6);
}

void TestYearEnd::historyLeavesOnlyWithAClose()
{
    AppFixture f;
    Database &db = f.db();
    const qint64 id = bookYear(db).value(u"settled"_qs);
    const qint64 events = count(db, u"select count(*) from 手形履歴"_qs);
    for (const QString &sql :
         {u"delete from 手形履歴 where 手形id = ?"_qs, u"update 手形履歴 set 金額 = 0 where 手形id = ?"_qs}) {
        try {
            db.execute(sql, {id});
            QFAIL("the history took a change");
        } catch (const DbError &e) {
            QVERIFY2(e.description().contains(u"手形履歴は追記のみです"_qs), qPrintable(e.description()));
        }
    }
    QCOMPARE(count(db, u"select count(*) from 手形履歴"_qs), events);
}

QTEST_MAIN(TestYearEnd)
#include "test_year_end.moc"
