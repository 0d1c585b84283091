#pragma once

// The few places where the file book (SQLite) and the server book
// (PostgreSQL) need different SQL. Everything else the book writes runs on
// both as it stands; what differs is kept here, in one table per engine.

#include <QString>
#include <QStringList>

namespace sorvane {

enum class EngineKind { File, Server };

struct Dialect {
    EngineKind kind;
    QString driver;       // the Qt SQL driver
    QString rowKey;       // the column that keys a row of a changeable set
    QString begin;        // starts a transaction that will write
    QString forUpdate;    // ends a select whose rows the transaction is about to change
    QString counterType;  // an id that is never handed out twice
    QString textType;     // text that compares without regard to letter case
    QString dateType;     // a calendar date, NULL when none
    QString integerType;  // a whole number, 64 bits
    QStringList prepare;  // runs before the first table of a new book
    QString tableCount;   // how many tables the database holds
    QString tableExists;  // count of tables with the bound (folded) name
    QString tableColumns; // names (column "name") of the bound table's columns
    QString versionTable; // where the schema version lives (empty: the engine's own)
    QString readVersion;
    QString writeVersion;         // %1: the version
    QString writeCheck;           // a write rolled back at start-up, to find a book that cannot be written
    QString readSnapshot;         // first statement of a transaction that reads many tables as of one moment
    QString highWaterMark;        // last id handed out for the bound table, or NULL
    QStringList setHighWaterMark; // each bound with: id (at least 1), table

    bool isServer() const { return kind == EngineKind::Server; }

    // A table or column name as the engine stores it: PostgreSQL folds the
    // Latin letters of unquoted names to lower case.
    QString folded(const QString &name) const;

    static const Dialect &file();
    static const Dialect &server();
};

} // namespace sorvane
