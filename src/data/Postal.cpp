#include "data/Postal.h"

#include "data/Engine.h"
#include "data/FileUtil.h"

#include <QFile>
#include <QTextStream>

static void initPostalResource()
{
    Q_INIT_RESOURCE(postal);
}

namespace sorvane::postal {

namespace {

// Reads one of the carried tab-separated files, header line dropped.
QList<QStringList> readTsv(const QString &resource)
{
    initPostalResource();
    QFile f(resource);
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("郵便番号データを読めません: %1").arg(resource));
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    QList<QStringList> rows;
    bool header = true;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (header) {
            header = false;
            continue;
        }
        if (line.trimmed().isEmpty())
            continue;
        rows << line.split(u'\t');
    }
    return rows;
}

} // namespace

void buildPostalDatabase(const QString &fileName)
{
    const QList<QStringList> prefs = readTsv(QStringLiteral(":/postal/prefectures.tsv"));
    const QList<QStringList> towns = readTsv(QStringLiteral(":/postal/municipalities.tsv"));
    if (prefs.size() != 47)
        throw DbError(QStringLiteral("都道府県データが 47 件ではありません (%1 件)").arg(prefs.size()));

    file::replaceWhenComplete(fileName, [&](const QString &work) {
        Workspace ws(QStringLiteral("postal"), {}, {});
        ScopedDatabase db(ws, work, ScopedDatabase::Mode::Create);
        db->beginTransaction();
        db->execute(QStringLiteral("CREATE TABLE 県 (県番 INTEGER PRIMARY KEY, 県 TEXT NOT NULL UNIQUE)"));
        QHash<QString, QString> nameOf;
        for (const QStringList &p : prefs) {
            if (p.size() < 2)
                throw DbError(QStringLiteral("都道府県データの形式が正しくありません"));
            db->execute(QStringLiteral("INSERT INTO 県 (県番, 県) VALUES (?, ?)"), {p.at(0).toInt(), p.at(1)});
            db->execute(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, 郵便番号 TEXT NOT NULL, "
                                       "市町村 TEXT NOT NULL)")
                            .arg(Database::quoteName(p.at(1))));
            db->execute(QStringLiteral("CREATE INDEX %1 ON %2 (郵便番号)")
                            .arg(Database::quoteName(p.at(1) + QStringLiteral("_郵便番号")),
                                 Database::quoteName(p.at(1))));
            nameOf.insert(p.at(0), p.at(1));
        }
        for (const QStringList &t : towns) {
            if (t.size() < 3 || !nameOf.contains(t.at(0)))
                throw DbError(QStringLiteral("市町村データの形式が正しくありません"));
            db->execute(QStringLiteral("INSERT INTO %1 (郵便番号, 市町村) VALUES (?, ?)")
                            .arg(Database::quoteName(nameOf.value(t.at(0)))),
                        {t.at(1), t.at(2)});
        }
        db->commit();
    });
}

QStringList prefectures(Database &yubin)
{
    Recordset rs = yubin.openRecordset(QStringLiteral("select 県番,県 from 県 order by 県番"));
    QStringList names;
    for (; !rs.eof(); rs.moveNext())
        names << rs.text(QStringLiteral("県"));
    return names;
}

QStringList towns(Database &yubin, const QString &prefecture)
{
    // The prefecture text comes from a field the user can type into: it
    // becomes a table name only when it is exactly one of the listed names.
    const QVariant listed = yubin.scalar(QStringLiteral("select 県 from 県 where 県 = ?"), {prefecture});
    if (listed.isNull() || listed.toString() != prefecture || !yubin.tableExists(prefecture))
        throw DbError(QStringLiteral("「%1」の市町村データがありません").arg(prefecture));
    Recordset rs = yubin.openRecordset(
        QStringLiteral("select 郵便番号,市町村 from %1 order by 郵便番号, id").arg(Database::quoteName(prefecture)));
    QStringList names;
    names.reserve(rs.rowCount());
    for (; !rs.eof(); rs.moveNext())
        names << rs.text(QStringLiteral("市町村"));
    return names;
}

} // namespace sorvane::postal
