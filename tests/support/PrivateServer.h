#pragma once

// A private PostgreSQL server for the tests and the benchmarks: initdb into a
// temporary folder, listening only on a Unix socket in that folder, stopped
// when the process ends. PostgreSQL refuses to run as root, so under root the
// server runs as an unprivileged user that owns the folder.

#include "data/ServerAddress.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace sorvane {
class Database;
}

namespace sorvane::test {

class PrivateServer {
public:
    // The one server of this process, started on first use. A failure to
    // start ends the test program with the reason.
    static PrivateServer &instance();
    ~PrivateServer();

    // The superuser "sorvane" logs on without password; the role "clerk"
    // needs kClerkPassword.
    static const QString kClerkPassword;

    QString socketFolder() const;
    ServerAddress address(const QString &database, const QString &user = QStringLiteral("sorvane")) const;

    // Runs SQL through psql as the superuser; throws std::runtime_error with psql's output on failure.
    QString psql(const QString &sql, const QString &database = QStringLiteral("postgres")) const;
    // An empty database (dropped first when it exists), owned by the user.
    void createDatabase(const QString &name, const QString &owner = QStringLiteral("sorvane")) const;

    // The folder with the server's own programs (initdb, pg_ctl, psql, pg_dump).
    static QString binFolder();

    // Stops the server as an administrator would ("fast": every connection
    // is ended). start() after it starts the same cluster again, with its
    // books, on the same socket.
    void stop();
    void start();
    bool running() const { return m_running; }

private:
    PrivateServer();
    QStringList asServerUser(const QStringList &command) const;
    QString serverOptions() const;
    QString run(const QStringList &command, int timeoutMs = 120000) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_runAs; // the user the server runs as; empty when not root
    bool m_running = false;
};

// The engine the book tests run on: the file book, or the private server
// when SORVANE_TEST_ENGINE=server.
bool testsOnServer();

// Makes statements of the given kind fail where the condition holds, as a
// full disk or a lost connection would: `when` is e.g. "before insert on 裏書人"
// and `condition` an expression over new.* (or old.*). Works on both engines.
void failWhen(Database &db, const QString &name, const QString &when, const QString &condition,
              const QString &message = QStringLiteral("injected failure"));

} // namespace sorvane::test
