#pragma once

// The one door to the database files. Every failure leaves here as a DbError
// that carries a text the windows can show as it stands.

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "data/Dialect.h"

#include <exception>
#include <functional>
#include <memory>
#include <vector>

class QSqlError;
class QSqlQuery;

namespace sorvane {

class DbError : public std::exception {
public:
    explicit DbError(QString description);
    // The error of a statement on the file. A common cause (read-only file,
    // another program holding it, a file that is not ours or is damaged, a
    // full disk) is told in a Japanese sentence with what to do; otherwise
    // `what` says what failed. The engine's own words follow on the next line.
    static DbError fromSql(const QSqlError &error, const QString &what, const QString &fileName = {});
    // The sentence for an SQLite result code and message; empty when none fits.
    static QString causeOf(int code, const QString &detail, const QString &fileName);

    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_description;
    QByteArray m_utf8;
};

// The connection to the server broke. What the statement would have done
// did not happen, and a transaction it belonged to was undone by the server;
// only a break during the commit itself leaves open whether the change was
// stored, and the text says so.
class ConnectionLost : public DbError {
public:
    enum class When { Working, Committing };
    explicit ConnectionLost(const QString &detail = {}, When when = When::Working);
};

// The text an error shows the clerk: a database error's description (the
// Japanese sentence first), any other error's own words.
QString errorText(const std::exception &e);

class Database;
struct ServerAddress;

// A result set read from the database. Rows are fetched when the set is
// opened, so the row count is exact from the start (moveLast keeps the old
// contract for callers that rely on it). A changeable set belongs to one
// table and writes its new or edited rows back with bound statements.
class Recordset {
public:
    Recordset() = default;

    bool eof() const { return m_pos < 0 || m_pos >= rowCount(); }
    bool bof() const { return m_pos < 0; }
    void moveFirst() { m_pos = rowCount() > 0 ? 0 : -1; }
    void moveNext();
    void moveLast() { m_pos = rowCount() - 1; }
    int rowCount() const { return int(m_rows.size()); }
    int position() const { return m_pos; }

    // Value of a column in the current row; a null QVariant for NULL.
    // Column names compare without regard to letter case, as the engine does.
    QVariant value(const QString &column) const;
    QString text(const QString &column) const;   // NULL reads as empty text
    qint64 number(const QString &column) const;  // NULL reads as 0
    QDate date(const QString &column) const;     // NULL reads as an invalid date
    bool isNull(const QString &column) const { return value(column).isNull(); }
    bool hasColumn(const QString &column) const;
    QStringList columns() const { return m_columns; }

    // Makes the first row whose column equals the value current. Text
    // compares without regard to letter case, dates as dates.
    bool findFirst(const QString &column, const QVariant &value);
    bool noMatch() const { return m_noMatch; }

    // Changeable sets only.
    void addNew();
    void edit();
    void setValue(const QString &column, const QVariant &value);
    void update();  // stores the row that addNew or edit began
    void cancelUpdate();
    qint64 lastInsertId() const { return m_lastInsertId; }

private:
    friend class Database;
    int columnIndex(const QString &column) const;

    QStringList m_columns;
    std::vector<QVariantList> m_rows;
    std::vector<qint64> m_rowIds;  // rowid of each row of a changeable set
    int m_pos = -1;
    bool m_noMatch = false;

    Database *m_db = nullptr;  // set only for changeable sets
    QString m_table;
    enum class EditMode { None, Adding, Editing } m_mode = EditMode::None;
    QHash<QString, QVariant> m_pending;
    qint64 m_lastInsertId = 0;
};

// The current row of a forward-only read, by column position. Valid only
// inside the callback that receives it.
class RowView {
public:
    QVariant value(int column) const;
    QString text(int column) const;  // NULL reads as empty text
    qint64 number(int column) const; // NULL reads as 0
    QDate date(int column) const;    // NULL reads as an invalid date

private:
    friend class Database;
    explicit RowView(const QSqlQuery &query) : m_query(query) {}
    const QSqlQuery &m_query;
};

// How a database file is opened: for work, or only to be read (a backup
// looked at, the book of a closed year).
enum class Access { ReadWrite, ReadOnly };

// One open database: a file, or a book on a PostgreSQL server.
class Database {
public:
    Database(const QString &fileName, const QString &user, const QString &password, Access access = Access::ReadWrite);
    // Connects to the server; the password comes from ~/.pgpass or
    // PGPASSWORD. A DbError in plain Japanese when the server cannot be
    // reached, refuses the log-on or has no such database.
    explicit Database(const ServerAddress &server);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // The file's name, or the server book's URL.
    const QString &fileName() const { return m_fileName; }
    bool isOpen() const;
    const Dialect &dialect() const { return *m_dialect; }
    bool isServer() const { return m_dialect->isServer(); }
    bool isReadOnly() const { return m_access == Access::ReadOnly; }
    // What a refused write of a read-only book says, instead of the advice
    // to make the file writable: such a book is read-only on purpose.
    void setReadOnlyNotice(const QString &text) { m_readOnlyNotice = text; }

    // Runs an insert, update, delete or DDL statement. Values are bound to
    // the '?' placeholders in order; none is ever spliced into the text.
    // Returns the number of rows changed.
    int execute(const QString &sql, const QVariantList &values = {});
    qint64 lastInsertId() const { return m_lastInsertId; }

    Recordset openRecordset(const QString &sql, const QVariantList &values = {});
    // Hands the rows to `row` one by one and keeps none of them: long lists
    // are read at the engine's own pace, without a second copy of the rows.
    void forEachRow(const QString &sql, const QVariantList &values, const std::function<void(const RowView &)> &row);
    // Single value of the first row's first column, or a null QVariant.
    QVariant scalar(const QString &sql, const QVariantList &values = {});

    // A changeable set over the rows of one table that meet the condition.
    Recordset openTable(const QString &table, const QString &where = {},
                        const QVariantList &values = {}, const QString &orderBy = {});

    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    // A server book whose connection broke. The next statement outside a
    // transaction connects again first (a few tries a moment apart, then no
    // new try for a second, so a window that reads several lists does
    // not wait for each). A read, or the start of a transaction, that meets a
    // connection broken while the program stood idle connects again and runs
    // once more; anything that may have written is reported, never repeated.
    bool connectionLost() const { return m_lost; }
    // Tries to connect again now; true when the book can be used.
    bool reconnect();
    // Counts the connections broken so far: a transaction begun before a
    // break has nothing left to roll back.
    quint64 breaks() const { return m_breaks; }
    // Runs on every new connection after the first: what a session keeps
    // of its own (temporary tables) is made again.
    void setSessionSetup(std::function<void(Database &)> setup) { m_sessionSetup = std::move(setup); }
    // Told each time the book was reached again after a break.
    void setReconnected(std::function<void()> told) { m_reconnected = std::move(told); }

    bool tableExists(const QString &table);
    QStringList tableColumns(const QString &table);

    void close();

    // Quotes a table or column name for SQL text. Only names the program
    // itself chose, or names checked against a list, ever go through here.
    static QString quoteName(const QString &name);
    // The same, folded as this engine stores names.
    QString quotedName(const QString &name) const { return quoteName(m_dialect->folded(name)); }

private:
    friend class Recordset;
    QSqlQuery run(const QString &sql, const QVariantList &values);
    DbError failure(const QSqlError &error, const QString &what) const;
    QSqlQuery runOnce(const QString &sql, const QVariantList &values);
    [[noreturn]] void fail(const QSqlQuery &q, const QString &what, const QString &sql);
    bool broken(const QSqlError &error) const;
    void startSession();
    bool resume();

    const Dialect *m_dialect = &Dialect::file();
    Access m_access = Access::ReadWrite;
    QString m_readOnlyNotice;
    QString m_connection;
    QString m_fileName;
    qint64 m_lastInsertId = 0;
    bool m_inTransaction = false;
    bool m_lost = false;
    // The connection broke inside a transaction that has not been ended yet:
    // its statements fail until the caller rolls it back.
    bool m_brokenTransaction = false;
    bool m_reconnecting = false;
    quint64 m_breaks = 0;
    qint64 m_lastFailedTry = -1; // ms on a monotonic clock
    std::function<void(Database &)> m_sessionSetup;
    std::function<void()> m_reconnected;
};

// One transaction for the scope: commit() keeps the changes; leaving the
// scope without it (an exception on the way) rolls every change back.
// Inside a transaction already begun (a batch of many actions) the scope is
// a savepoint: a failure undoes its own changes and leaves the batch's.
class Transaction {
public:
    explicit Transaction(Database &db) : m_db(db), m_nested(db.inTransaction()), m_breaks(db.breaks())
    {
        if (m_nested)
            m_db.execute(QStringLiteral("savepoint nested"));
        else
            m_db.beginTransaction();
    }
    ~Transaction()
    {
        if (!m_done) {
            try {
                if (m_nested && m_db.breaks() != m_breaks) {
                    // The server undid the whole transaction with the connection.
                } else if (m_nested) {
                    m_db.execute(QStringLiteral("rollback to nested"));
                    m_db.execute(QStringLiteral("release nested"));
                } else {
                    m_db.rollback();
                }
            } catch (...) {
                // The statement that failed is reported by the caller; a
                // failing rollback leaves SQLite to undo the journal.
            }
        }
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit()
    {
        if (m_nested)
            m_db.execute(QStringLiteral("release nested"));
        else
            m_db.commit();
        m_done = true;
    }

private:
    Database &m_db;
    bool m_nested;
    quint64 m_breaks;
    bool m_done = false;
};

// A named log-on session under which databases are opened.
class Workspace {
public:
    Workspace(QString name, QString user, QString password);
    ~Workspace();
    Workspace(const Workspace &) = delete;
    Workspace &operator=(const Workspace &) = delete;

    const QString &name() const { return m_name; }
    const QString &user() const { return m_user; }

    // Opens the file shared and read-write (or only to be read). A missing
    // file is an error: opening never creates a database by accident.
    Database *openDatabase(const QString &fileName, Access access = Access::ReadWrite);
    // Creates a new, empty database file (an error when it exists).
    Database *createDatabase(const QString &fileName);
    // Opens the book on a PostgreSQL server.
    Database *openServer(const ServerAddress &server);
    Database *findDatabase(const QString &fileName) const;
    void releaseDatabase(Database *db);
    const std::vector<std::unique_ptr<Database>> &databases() const { return m_databases; }

private:
    QString m_name;
    QString m_user;
    QString m_password;
    std::vector<std::unique_ptr<Database>> m_databases;
};

// Owns the workspaces of the program.
class Engine {
public:
    Engine() = default;
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    Workspace *findWorkspace(const QString &name) const;
    Workspace *createWorkspace(const QString &name, const QString &user, const QString &password);
    void releaseWorkspace(Workspace *ws);

    // Writes a compacted copy of the source file into a new file. The new
    // file must not exist yet; the source is left as it was.
    static void compact(const QString &sourceFile, const QString &newFile);

private:
    std::vector<std::unique_ptr<Workspace>> m_workspaces;
};

// Opens a database for one short action and releases it at scope end.
class ScopedDatabase {
public:
    enum class Mode { Open, Create };
    ScopedDatabase(Workspace &ws, const QString &fileName, Mode mode = Mode::Open)
        : m_ws(ws), m_db(mode == Mode::Open ? ws.openDatabase(fileName) : ws.createDatabase(fileName))
    {
    }
    ScopedDatabase(Workspace &ws, const QString &fileName, Access access)
        : m_ws(ws), m_db(ws.openDatabase(fileName, access))
    {
    }
    ScopedDatabase(Workspace &ws, const ServerAddress &server) : m_ws(ws), m_db(ws.openServer(server)) {}
    ~ScopedDatabase() { m_ws.releaseDatabase(m_db); }
    ScopedDatabase(const ScopedDatabase &) = delete;
    ScopedDatabase &operator=(const ScopedDatabase &) = delete;
    Database *operator->() const { return m_db; }
    Database &operator*() const { return *m_db; }

private:
    Workspace &m_ws;
    Database *m_db;
};

} // namespace sorvane
