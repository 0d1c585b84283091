#include "book/Migration.h"

#include "book/AppContext.h"
#include "data/DataFolder.h"
#include "data/Engine.h"
#include "data/FileUtil.h"
#include "data/Files.h"
#include "data/Schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace sorvane::book {

namespace {

constexpr int kPage = 5000;       // rows read from the source at a time
constexpr int kBatchCells = 3000; // bound values per insert statement

QString native(const QString &p)
{
    return QDir::toNativeSeparators(p);
}

// The value as text that is the same on both engines.
QByteArray canonical(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return QByteArrayLiteral("\\N");
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate).toUtf8();
    return v.toString().toUtf8();
}

QString columnList(Database &db, const QStringList &columns)
{
    QStringList quoted;
    for (const QString &c : columns)
        quoted << db.quotedName(c);
    return quoted.join(u',');
}

// Reads the rows of the table the condition selects (empty: all) in id
// order, a page at a time.
void readTable(Database &db, const QString &table, const QStringList &columns,
               const std::function<void(const Recordset &)> &row, const QString &where = {},
               const QVariantList &values = {})
{
    const QString sql = QStringLiteral("select %1 from %2 where id > ?%4 order by id limit %3")
                            .arg(columnList(db, columns), db.quotedName(table))
                            .arg(kPage)
                            .arg(where.isEmpty() ? QString() : QStringLiteral(" and (%1)").arg(where));
    qint64 after = -1; // ids begin at 1
    for (;;) {
        Recordset rs = db.openRecordset(sql, QVariantList{after} + values);
        if (rs.eof())
            return;
        for (; !rs.eof(); rs.moveNext()) {
            row(rs);
            after = rs.number(QStringLiteral("id"));
        }
        if (rs.rowCount() < kPage)
            return;
    }
}

TableCheck checkTable(Database &db, const QString &table, const QStringList &columns, const QString &where = {},
                      const QVariantList &values = {})
{
    TableCheck c;
    c.table = table;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    readTable(
        db, table, columns,
        [&](const Recordset &rs) {
            for (const QString &col : columns) {
                hash.addData(canonical(rs.value(col)));
                hash.addData(QByteArrayView("\x1f", 1));
            }
            hash.addData(QByteArrayView("\x1e", 1));
            ++c.rows;
        },
        where, values);
    c.checksum = hash.result().toHex();
    return c;
}

QStringList columnsOf(Database &db, const QString &table)
{
    QStringList columns = db.tableColumns(table);
    if (!columns.contains(QStringLiteral("id"), Qt::CaseInsensitive))
        throw DbError(QStringLiteral("表 %1 に id がありません").arg(table));
    return columns;
}

// The highest id the table ever handed out, deleted rows included.
qint64 highWaterMark(Database &db, const QString &table)
{
    const qint64 used = db.scalar(db.dialect().highWaterMark, {db.dialect().folded(table)}).toLongLong();
    const qint64 present = db.scalar(QStringLiteral("select max(id) from %1").arg(db.quotedName(table))).toLongLong();
    return std::max(used, present);
}

// Tables whose id is a counter (設定 has its one fixed row).
bool hasCounter(const QString &table)
{
    return table != u"設定";
}

void copyTable(Database &from, Database &to, const QString &table, const QStringList &columns,
               const QString &where = {}, const QVariantList &values = {})
{
    const int perStatement = std::max(1, kBatchCells / int(columns.size()));
    const QString head =
        QStringLiteral("insert into %1 (%2) values ").arg(to.quotedName(table), columnList(to, columns));
    const QString oneRow = u'(' + QStringList(columns.size(), QStringLiteral("?")).join(u',') + u')';
    QVariantList batch;
    int rows = 0;
    const auto flush = [&] {
        if (rows == 0)
            return;
        to.execute(head + QStringList(rows, oneRow).join(u','), batch);
        batch.clear();
        rows = 0;
    };
    readTable(
        from, table, columns,
        [&](const Recordset &rs) {
            for (const QString &c : columns)
                batch << rs.value(c);
            if (++rows == perStatement)
                flush();
        },
        where, values);
    flush();
}

std::vector<TableCheck> copyBook(Database &from, Database &to, const Progress &progress)
{
    std::vector<TableCheck> checks;
    Transaction snapshot(from);
    if (!from.dialect().readSnapshot.isEmpty())
        from.execute(from.dialect().readSnapshot);
    Transaction t(to);
    for (const QString &table : schema::mainTables()) {
        const QStringList columns = columnsOf(from, table);
        QStringList targetColumns = columnsOf(to, table);
        for (QString &c : targetColumns)
            c = c.toLower();
        for (const QString &c : columns)
            if (!targetColumns.contains(c.toLower()))
                throw DbError(QStringLiteral("移す先の表 %1 に列 %2 がありません").arg(table, c));
        const qint64 present =
            to.scalar(QStringLiteral("select count(*) from %1").arg(to.quotedName(table))).toLongLong();
        // Rows a new book starts with (the settings, the journal's account
        // names) give way to the ones copied.
        if (table == u"設定" || table == u"仕訳科目")
            to.execute(QStringLiteral("delete from %1").arg(to.quotedName(table)));
        else if (present > 0)
            throw DbError(QStringLiteral("移す先の手形データは空ではありません（表 %1 に %2 行あります）。\n"
                                         "何も書き込みませんでした。空のデータベースに移してください。")
                              .arg(table)
                              .arg(present));
        copyTable(from, to, table, columns);
        if (hasCounter(table)) {
            const qint64 mark = highWaterMark(from, table);
            if (mark > 0)
                for (const QString &sql : to.dialect().setHighWaterMark)
                    to.execute(sql, {mark, to.dialect().folded(table)});
        }
        const TableCheck source = checkTable(from, table, columns);
        const TableCheck copied = checkTable(to, table, columns);
        if (source.rows != copied.rows || source.checksum != copied.checksum)
            throw DbError(
                QStringLiteral("表 %1 を正しく移せませんでした（元 %2 行、移した先 %3 行、"
                               "チェックサムが%4）。何も書き込みませんでした。")
                    .arg(table)
                    .arg(source.rows)
                    .arg(copied.rows)
                    .arg(source.checksum == copied.checksum ? QStringLiteral("一致") : QStringLiteral("不一致")));
        checks.push_back(source);
        if (progress)
            progress(table, source.rows);
    }
    t.commit();
    return checks;
}

} // namespace

TableCheck checkRows(Database &db, const QString &table, const QString &where, const QVariantList &values)
{
    return checkTable(db, table, columnsOf(db, table), where, values);
}

TableCheck copyRows(Database &from, Database &to, const QString &table, const QString &where,
                    const QVariantList &values)
{
    const QStringList columns = columnsOf(from, table);
    copyTable(from, to, table, columns, where, values);
    const TableCheck source = checkTable(from, table, columns, where, values);
    const TableCheck copied = checkTable(to, table, columns);
    if (source.rows != copied.rows || source.checksum != copied.checksum)
        throw DbError(QStringLiteral("表 %1 を正しく写せませんでした（元 %2 行、写した先 %3 行、チェックサムが%4）。")
                          .arg(table)
                          .arg(source.rows)
                          .arg(copied.rows)
                          .arg(source.checksum == copied.checksum ? QStringLiteral("一致") : QStringLiteral("不一致")));
    return source;
}

std::vector<TableCheck> checkBook(Database &db)
{
    std::vector<TableCheck> checks;
    for (const QString &table : schema::mainTables())
        checks.push_back(checkTable(db, table, columnsOf(db, table)));
    return checks;
}

std::vector<TableCheck> migrateFileToServer(const QString &fileName, const ServerAddress &server,
                                            const Progress &progress)
{
    Workspace ws(QStringLiteral("migrate"), AppContext::kUserName, QString());
    ScopedDatabase from(ws, fileName);
    schema::prepareMainDatabase(*from);
    ScopedDatabase to(ws, server);
    if (to->scalar(to->dialect().tableCount).toInt() == 0)
        schema::createMainSchema(*to);
    schema::prepareMainDatabase(*to);
    return copyBook(*from, *to, progress);
}

std::vector<TableCheck> migrateServerToFile(const ServerAddress &server, const QString &folder,
                                            const Progress &progress)
{
    const QString target = files::path(folder, files::kMainDb);
    if (QFileInfo::exists(target))
        throw DbError(QStringLiteral("%1 が既にあります。上書きはしません。\n"
                                     "別のフォルダーを指定するか、今のファイルを移してから、もう一度実行してください。")
                          .arg(native(target)));
    Workspace ws(QStringLiteral("migrate"), AppContext::kUserName, QString());
    ScopedDatabase from(ws, server);
    schema::prepareMainDatabase(*from);
    std::vector<TableCheck> checks;
    file::replaceWhenComplete(target, [&](const QString &work) {
        datafolder::createMainDatabase(work);
        ScopedDatabase to(ws, work);
        checks = copyBook(*from, *to, progress);
    });
    return checks;
}

} // namespace sorvane::book
