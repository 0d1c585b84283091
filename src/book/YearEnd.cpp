#include "book/YearEnd.h"

#include "book/AppContext.h"
#include "book/Migration.h"
#include "data/DataFolder.h"
#include "data/Engine.h"
#include "data/FileUtil.h"
#include "data/Files.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace sorvane::book {

namespace {

const QString kDay = QStringLiteral("yyyy/MM/dd");

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Booked by the year end (a bill without booking date counts as booked).
const QString kBookedBy = QStringLiteral("(日付 is null or 日付 <= ?)");

// Finished before the new year began: settled or recovered by the year end
// (the day of the standing settlement or recovery in the history; a bill
// finished before the history was kept on its due date), or handed on and
// due by then. Bound: the year end, three times.
const QString kFinishedBy = QStringLiteral(
    "(d.日付 is null or d.日付 <= ?) and ("
    "(d.終了フラグ <> 0 and coalesce((select h.処理日 from 手形履歴 h where h.手形id = d.id and (h.種別 = '決済' or "
    "(h.種別 = '不渡取消' and h.事由 = '回収')) order by h.id desc limit 1), d.手形期日, d.日付) <= ?) "
    "or (d.終了フラグ = 0 and d.処理 = 2 and d.状態 = -2 and d.手形期日 <= ?))");

const QString kMoving = QStringLiteral("select 手形id from 年度移送");

// What an archive holds besides its bills: the registers and settings, so
// that every window and every statement of the year works on it alone.
const QStringList &registerTables()
{
    static const QStringList tables = {
        QStringLiteral("T0"),       QStringLiteral("T1"),         QStringLiteral("S0"),
        QStringLiteral("保管場所"), QStringLiteral("口座データ"), QStringLiteral("口座残高"),
        QStringLiteral("口座明細"), QStringLiteral("仕訳科目"),   QStringLiteral("割引先"),
        QStringLiteral("設定"),     QStringLiteral("年度締め")};
    return tables;
}

qint64 count(Database &db, const QString &sql, const QVariantList &values = {})
{
    return db.scalar(sql, values).toLongLong();
}

// Settings of a book that is not yet at version 8 read as the defaults.
bool hasYearColumns(Database &db)
{
    return db.tableColumns(QStringLiteral("設定")).contains(QStringLiteral("年度末月"), Qt::CaseInsensitive);
}

ClosedYear closedFrom(const Recordset &rs)
{
    ClosedYear c;
    c.year.year = int(rs.number(QStringLiteral("年度")));
    c.year.begin = rs.date(QStringLiteral("期首"));
    c.year.end = rs.date(QStringLiteral("期末"));
    c.file = rs.text(QStringLiteral("ファイル"));
    c.movedBills = rs.number(QStringLiteral("移した手形"));
    c.movedEndorsers = rs.number(QStringLiteral("移した裏書人"));
    c.movedEvents = rs.number(QStringLiteral("移した履歴"));
    c.copiedEvents = rs.number(QStringLiteral("写した履歴"));
    c.carriedBills = rs.number(QStringLiteral("繰越手形"));
    c.closedAt = rs.text(QStringLiteral("締め日時"));
    c.closedBy = rs.text(QStringLiteral("記録者"));
    return c;
}

void writeClosed(Database &db, const ClosedYear &c)
{
    db.execute(QStringLiteral("insert into 年度締め (年度, 期首, 期末, ファイル, 移した手形, 移した裏書人, 移した履歴, "
                              "写した履歴, 繰越手形, 締め日時, 記録者) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
               {c.year.year, c.year.begin, c.year.end, c.file, c.movedBills, c.movedEndorsers, c.movedEvents,
                c.copiedEvents, c.carriedBills, c.closedAt, c.closedBy});
}

QString otherClerksMessage(int others)
{
    return QStringLiteral("ほかの担当者がサーバーの手形データを開いています（ほかの接続 %1）。\n"
                          "新年度処理は、ほかの担当者がプログラムを終えてから行ってください。何も変わっていません。")
        .arg(others);
}

// A work file the close writes the archive into, checked page by page.
void checkArchivePages(Database &archive)
{
    const QString result = archive.scalar(QStringLiteral("pragma integrity_check(20)")).toString();
    if (result != u"ok")
        throw DbError(QStringLiteral("書いた過去のデータが壊れています。\n") + result);
}

void compareCount(const QString &what, qint64 expected, qint64 found)
{
    if (expected != found)
        throw DbError(QStringLiteral("%1の数が合いません（%2 のはずが %3）。").arg(what).arg(expected).arg(found));
}

// An archive of the year already in the folder is replaced only when it is
// what a close cut short left: its bills are all still in the working
// book. Anything else (the archive of a book reset or restored since, a
// file of another program) may hold the only copy of its bills.
void checkReplaceable(Database &db, const QString &archive)
{
    if (!QFileInfo::exists(archive))
        return;
    const QString refused = QStringLiteral("%1 が既にあります。上書きはしません。\n"
                                           "このファイルを別のフォルダーに移してから、もう一度行ってください。")
                                .arg(native(archive));
    if (!readArchive(archive).problem.isEmpty())
        throw DbError(refused);
    QSet<QString> working;
    db.forEachRow(QStringLiteral("select id, 手形番号, 金額 from D_手形"), {}, [&](const RowView &r) {
        working.insert(QStringLiteral("%1|%2|%3").arg(r.number(0)).arg(r.text(1)).arg(r.number(2)));
    });
    Workspace ws(QStringLiteral("archive"), AppContext::kUserName, QString());
    ScopedDatabase old(ws, archive, Access::ReadOnly);
    bool all = true;
    old->forEachRow(QStringLiteral("select id, 手形番号, 金額 from D_手形"), {}, [&](const RowView &r) {
        all = all && working.contains(QStringLiteral("%1|%2|%3").arg(r.number(0)).arg(r.text(1)).arg(r.number(2)));
    });
    if (!all)
        throw DbError(refused);
}

} // namespace

FiscalYear fiscalYear(int endMonth, int year)
{
    FiscalYear y;
    y.year = year;
    y.begin = QDate(year, endMonth % 12 + 1, 1);
    y.end = y.begin.addYears(1).addDays(-1);
    return y;
}

FiscalYear fiscalYearContaining(int endMonth, const QDate &date)
{
    FiscalYear y = fiscalYear(endMonth, date.year());
    if (date < y.begin)
        y = fiscalYear(endMonth, date.year() - 1);
    else if (date > y.end)
        y = fiscalYear(endMonth, date.year() + 1);
    return y;
}

int readYearEndMonth(Database &db)
{
    if (!hasYearColumns(db))
        return schema::kDefaultYearEndMonth;
    const QVariant month = db.scalar(QStringLiteral("select 年度末月 from 設定 where id = 1"));
    return month.isNull() ? schema::kDefaultYearEndMonth : month.toInt();
}

void writeYearEndMonth(Database &db, int month)
{
    if (month < 1 || month > 12)
        throw DbError(QStringLiteral("決算月は 1〜12 月で選んでください。"));
    Transaction t(db);
    schema::readDueWindowDays(db); // a lost settings row comes back first
    db.execute(QStringLiteral("update 設定 set 年度末月 = ? where id = 1"), {month});
    t.commit();
}

QString archiveFileName(int year)
{
    return QStringLiteral("tegata-%1.mdb").arg(year, 4, 10, QLatin1Char('0'));
}

QList<ClosedYear> closedYears(Database &db)
{
    QList<ClosedYear> out;
    if (!db.tableExists(QStringLiteral("年度締め")))
        return out;
    Recordset rs = db.openRecordset(QStringLiteral("select * from 年度締め order by 期末, id"));
    for (; !rs.eof(); rs.moveNext())
        out << closedFrom(rs);
    return out;
}

YearEndPlan planYearEnd(Database &db, const QDate &today)
{
    const int month = readYearEndMonth(db);
    YearEndPlan plan;
    const QList<ClosedYear> closed = closedYears(db);
    FiscalYear next;
    if (closed.isEmpty()) {
        // The first close takes the last year that ended, with everything
        // finished before it.
        next = fiscalYearContaining(month, today);
        next = fiscalYear(month, next.year - 1);
    } else {
        // The year after the last one closed; a year-end month changed
        // since makes that year start where the last one ended.
        const QDate from = closed.last().year.end.addDays(1);
        next = fiscalYearContaining(month, from);
        next.begin = from;
        if (next.year <= closed.last().year.year)
            next.year = closed.last().year.year + 1;
    }
    if (next.end >= today) {
        plan.nextCloseFrom = next.end.addDays(1);
        plan.year = next;
        plan.year.year = 0;
        return plan;
    }
    plan.year = next;
    plan.moving =
        count(db, QStringLiteral("select count(*) from D_手形 d where ") + kFinishedBy, {next.end, next.end, next.end});
    const qint64 booked = count(db, QStringLiteral("select count(*) from D_手形 where ") + kBookedBy, {next.end});
    plan.carried = booked - plan.moving;
    plan.remaining = count(db, QStringLiteral("select count(*) from D_手形")) - plan.moving;
    return plan;
}

int otherClerks(Database &db)
{
    if (!db.isServer())
        return 0;
    return db
        .scalar(QStringLiteral("select count(*) from pg_stat_activity where datname = current_database() "
                               "and pid <> pg_backend_pid() and backend_type = 'client backend'"))
        .toInt();
}

YearEndDone closeYear(Database &db, const QString &folder, const QDate &today)
{
    if (db.isReadOnly())
        throw DbError(QStringLiteral("過去のデータを開いているあいだは、新年度処理はできません。"));
    const YearEndPlan plan = planYearEnd(db, today);
    if (!plan.year.isValid())
        throw DbError(QStringLiteral("締められる年度がまだありません。この年度は %1 から締められます。")
                          .arg(plan.nextCloseFrom.toString(kDay)));
    if (const int others = otherClerks(db); others > 0)
        throw DbError(otherClerksMessage(others));

    const FiscalYear year = plan.year;
    const QString archive = files::path(folder, archiveFileName(year.year));
    YearEndDone done;
    done.archive = archive;
    ClosedYear &rec = done.closed;
    rec.year = year;
    rec.file = archiveFileName(year.year);
    rec.closedAt = schema::recordedAt();
    rec.closedBy = schema::recorderName(db);

    bool archiveWritten = false;
    bool committing = false;
    try {
        Transaction t(db);
        if (db.isServer()) {
            // Nobody writes bills while they are moved; a clerk who started
            // the program a moment ago is found now.
            db.execute(QStringLiteral("lock table %1, %2, %3, %4 in exclusive mode")
                           .arg(db.quotedName(QStringLiteral("D_手形")), db.quotedName(QStringLiteral("裏書人")),
                                db.quotedName(QStringLiteral("手形履歴")), db.quotedName(QStringLiteral("年度締め"))));
            if (const int others = otherClerks(db); others > 0)
                throw DbError(otherClerksMessage(others));
        }
        if (count(db, QStringLiteral("select count(*) from 年度締め where 年度 = ?"), {year.year}) > 0)
            throw DbError(QStringLiteral("%1年度は既に締めてあります。").arg(year.year));

        checkReplaceable(db, archive);
        db.execute(QStringLiteral("delete from 年度移送"));
        db.execute(QStringLiteral("insert into 年度移送 (手形id) select d.id from D_手形 d where ") + kFinishedBy +
                       QStringLiteral(" order by d.id"),
                   {year.end, year.end, year.end});

        const QString inArchive = QStringLiteral("select id from D_手形 where ") + kBookedBy;
        const QString billsWhere = kBookedBy;
        const QString endorsersWhere = QStringLiteral("手形id in (%1)").arg(inArchive);
        // The whole history of the bills it holds, and the year's other
        // events (those of bills deleted since), for the journal.
        const QString eventsWhere = QStringLiteral("手形id in (%1) or (処理日 between ? and ?)").arg(inArchive);
        const QVariantList eventsValues = {year.end, year.begin, year.end};

        const qint64 billsBefore = count(db, QStringLiteral("select count(*) from D_手形"));
        const qint64 endorsersBefore = count(db, QStringLiteral("select count(*) from 裏書人"));
        const qint64 eventsBefore = count(db, QStringLiteral("select count(*) from 手形履歴"));
        rec.movedBills = count(db, QStringLiteral("select count(*) from 年度移送"));
        rec.movedEndorsers = count(db, QStringLiteral("select count(*) from 裏書人 where 手形id in (%1)").arg(kMoving));
        rec.movedEvents = count(db, QStringLiteral("select count(*) from 手形履歴 where 手形id in (%1)").arg(kMoving));

        file::replaceWhenComplete(archive, [&](const QString &work) {
            datafolder::createMainDatabase(work);
            Workspace ws(QStringLiteral("year-end"), AppContext::kUserName, QString());
            ScopedDatabase a(ws, work);
            {
                Transaction ta(*a);
                // The rows a new book starts with give way to the book's own.
                a->execute(QStringLiteral("delete from 設定"));
                a->execute(QStringLiteral("delete from 仕訳科目"));
                for (const QString &table : registerTables())
                    copyRows(db, *a, table);
                const TableCheck bills = copyRows(db, *a, QStringLiteral("D_手形"), billsWhere, {year.end});
                copyRows(db, *a, QStringLiteral("裏書人"), endorsersWhere, {year.end});
                const TableCheck events = copyRows(db, *a, QStringLiteral("手形履歴"), eventsWhere, eventsValues);
                copyRows(db, *a, QStringLiteral("年度移送"));
                a->execute(QStringLiteral("insert into 年度繰越 (手形id) select id from D_手形 where id not in (%1) "
                                          "order by id")
                               .arg(kMoving));
                a->execute(QStringLiteral("delete from 年度移送"));
                rec.copiedEvents = events.rows;
                rec.carriedBills = count(*a, QStringLiteral("select count(*) from 年度繰越"));
                compareCount(QStringLiteral("過去のデータの手形"), rec.movedBills + rec.carriedBills, bills.rows);
                a->execute(
                    QStringLiteral("update 設定 set 過去データ年度 = ?, バックアップ先 = '', 最終バックアップ = null "
                                   "where id = 1"),
                    {year.year});
                writeClosed(*a, rec);
                ta.commit();
            }
            checkArchivePages(*a);
        });
        archiveWritten = true;

        db.execute(QStringLiteral("delete from 裏書人 where 手形id in (%1)").arg(kMoving));
        db.execute(QStringLiteral("delete from 手形履歴 where 手形id in (%1)").arg(kMoving));
        db.execute(QStringLiteral("delete from D_手形 where id in (%1)").arg(kMoving));
        compareCount(QStringLiteral("残った手形"), billsBefore - rec.movedBills,
                     count(db, QStringLiteral("select count(*) from D_手形")));
        compareCount(QStringLiteral("残った裏書人"), endorsersBefore - rec.movedEndorsers,
                     count(db, QStringLiteral("select count(*) from 裏書人")));
        compareCount(QStringLiteral("残った履歴"), eventsBefore - rec.movedEvents,
                     count(db, QStringLiteral("select count(*) from 手形履歴")));
        writeClosed(db, rec);
        db.execute(QStringLiteral("delete from 年度移送"));
        committing = true;
        t.commit();
    } catch (const DbError &e) {
        // Until the working book commits, it holds every bill: an archive
        // written meanwhile goes. A commit cut off on a server may have
        // arrived, and then the archive is the only copy of its bills.
        if (archiveWritten && !committing) {
            QFile::remove(archive);
        }
        if (committing)
            throw;
        throw DbError(QStringLiteral("%1年度の新年度処理を中止しました。手形データは変わっていません。\n%2")
                          .arg(year.year)
                          .arg(e.description()));
    }
    return done;
}

ArchiveInfo readArchive(const QString &path)
{
    ArchiveInfo info;
    info.path = path;
    try {
        if (!QFileInfo(path).isFile())
            throw DbError(QStringLiteral("ファイル %1 がありません。").arg(native(path)));
        Workspace ws(QStringLiteral("archive"), AppContext::kUserName, QString());
        ScopedDatabase db(ws, path, Access::ReadOnly);
        const QString pages = db->scalar(QStringLiteral("pragma quick_check(1)")).toString();
        if (pages != u"ok")
            throw DbError(QStringLiteral("ファイルが壊れています。\n") + pages);
        const int version = schema::storedVersion(*db);
        if (version > schema::kVersion)
            throw DbError(QStringLiteral("新しい版のプログラムで作られています (版 %1)。").arg(version));
        if (version < 1 || !db->tableExists(QStringLiteral("D_手形")))
            throw DbError(QStringLiteral("手形データのファイルではありません。"));
        const QVariant year = hasYearColumns(*db)
                                  ? db->scalar(QStringLiteral("select 過去データ年度 from 設定 where id = 1"))
                                  : QVariant();
        if (year.isNull())
            throw DbError(QStringLiteral("過去のデータ（新年度処理で作ったファイル）ではありません。"));
        info.year.year = year.toInt();
        for (const ClosedYear &c : closedYears(*db))
            if (c.year.year == info.year.year)
                info.year = c.year;
        info.bills = count(*db, QStringLiteral("select count(*) from D_手形"));
        info.carried = count(*db, QStringLiteral("select count(*) from 年度繰越"));
    } catch (const DbError &e) {
        info.problem = e.description().section(u'\n', 0, 0);
        info.year = {};
    }
    return info;
}

QList<ArchiveInfo> listArchives(const QString &folder)
{
    static const QRegularExpression name(QStringLiteral("^tegata-([0-9]{4})\\.mdb$"));
    QList<ArchiveInfo> out;
    const QDir dir(folder);
    for (const QString &f : dir.entryList(QDir::Files, QDir::Name | QDir::Reversed))
        if (name.match(f).hasMatch())
            out << readArchive(dir.filePath(f));
    return out;
}

void upgradeArchive(const QString &path)
{
    int version = 0;
    {
        Workspace ws(QStringLiteral("archive"), AppContext::kUserName, QString());
        ScopedDatabase db(ws, path, Access::ReadOnly);
        version = schema::storedVersion(*db);
    }
    if (version >= schema::kVersion)
        return;
    Workspace ws(QStringLiteral("archive"), AppContext::kUserName, QString());
    ScopedDatabase db(ws, path);
    schema::prepareMainDatabase(*db);
}

QString archiveReadOnlyNotice(const FiscalYear &year)
{
    return QStringLiteral("%1年度の過去のデータは見るだけで、変更できません。\n何も変わっていません。\n"
                          "今のデータに戻るときは、ファイルの「新規（現在のデータ）」を選んでください。")
        .arg(year.year);
}

} // namespace sorvane::book
