#pragma once

// Moving a book between a file and a server: every table copied in one
// transaction on the target, then each table's row count and checksum
// compared with the source's before anything is kept.

#include "data/ServerAddress.h"

#include <QByteArray>
#include <QString>
#include <QVariantList>

#include <functional>
#include <vector>

namespace sorvane {

class Database;

namespace book {

struct TableCheck {
    QString table;
    qint64 rows = 0;
    QByteArray checksum; // SHA-256 of the rows in id order, hex
};

// Row count and checksum of every table of the book, in mainTables() order.
// Values compare as the book means them: a date is the same date whether
// the engine keeps it as text or as a date.
std::vector<TableCheck> checkBook(Database &db);

// Row count and checksum of the rows of one table the condition selects
// (empty: all), the columns of the table in id order.
TableCheck checkRows(Database &db, const QString &table, const QString &where = {}, const QVariantList &values = {});

// Copies the rows the condition selects (empty: all) into the same table
// of another book, ids kept, then compares the count and checksum of those
// rows with the whole target table: the target table must have been empty.
// Throws DbError when they differ. Returns the source's check.
TableCheck copyRows(Database &from, Database &to, const QString &table, const QString &where = {},
                    const QVariantList &values = {});

// Told of each table once it is copied: name and rows.
using Progress = std::function<void(const QString &table, qint64 rows)>;

// Copies a file book into a server book that has no bills, customers or
// any other rows (the schema is created when the database has no tables),
// in one transaction that is kept only when every table checks equal.
// Throws DbError; the server book is then as it was.
std::vector<TableCheck> migrateFileToServer(const QString &fileName, const ServerAddress &server,
                                            const Progress &progress = {});

// Copies a server book into a new tegata.mdb in the folder, which must not
// have one; the file appears only when every table checks equal. Throws
// DbError; nothing is written then.
std::vector<TableCheck> migrateServerToFile(const ServerAddress &server, const QString &folder,
                                            const Progress &progress = {});

} // namespace book
} // namespace sorvane
