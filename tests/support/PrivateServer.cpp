#include "support/PrivateServer.h"

#include "data/Engine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace sorvane::test {

namespace {

QString quoted(const QString &arg)
{
    QString a = arg;
    a.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + a + u'\'';
}

bool userExists(const QString &user)
{
    QProcess p;
    p.start(QStringLiteral("id"), {QStringLiteral("-u"), user});
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

const QString PrivateServer::kClerkPassword = QStringLiteral("clerk-secret");

PrivateServer &PrivateServer::instance()
{
    static PrivateServer server;
    if (!server.m_running) {
        try {
            server.start();
        } catch (const std::exception &e) {
            qFatal("private PostgreSQL server did not start: %s", e.what());
        }
    }
    return server;
}

PrivateServer::PrivateServer() = default;

PrivateServer::~PrivateServer()
{
    // No Qt event loop is left at exit: stop through the shell.
    if (m_running && m_dir) {
        const QString cmd = asServerUser({binFolder() + QStringLiteral("/pg_ctl"), QStringLiteral("-D"),
                                          m_dir->filePath(QStringLiteral("data")), QStringLiteral("-m"),
                                          QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")})
                                .join(u' ');
        [[maybe_unused]] const int rc =
            std::system((cmd + QStringLiteral(" >/dev/null 2>&1")).toLocal8Bit().constData());
        m_running = false;
    }
}

QString PrivateServer::binFolder()
{
    QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString &a, const QString &b) { return a.toDouble() > b.toDouble(); });
    for (const QString &v : versions)
        if (QFile::exists(root.filePath(v + QStringLiteral("/bin/initdb"))))
            return root.filePath(v + QStringLiteral("/bin"));
    return QStringLiteral("/usr/bin");
}

QStringList PrivateServer::asServerUser(const QStringList &command) const
{
    QStringList quotedCommand;
    for (const QString &a : command)
        quotedCommand << quoted(a);
    if (m_runAs.isEmpty())
        return quotedCommand;
    return QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), m_runAs, QStringLiteral("--")} + quotedCommand;
}

QString PrivateServer::run(const QStringList &command, int timeoutMs) const
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command.join(u' ')});
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished(5000);
        throw std::runtime_error((command.join(u' ') + u'\n' + QString::fromLocal8Bit(p.readAll())).toStdString());
    }
    return QString::fromLocal8Bit(p.readAll());
}

void PrivateServer::start()
{
    if (m_running)
        return;
    // Started again after stop(): the same cluster, its books and socket.
    if (m_dir) {
        run(asServerUser({binFolder() + QStringLiteral("/pg_ctl"), QStringLiteral("-D"),
                          m_dir->filePath(QStringLiteral("data")), QStringLiteral("-l"),
                          m_dir->filePath(QStringLiteral("server.log")), QStringLiteral("-w"), QStringLiteral("-t"),
                          QStringLiteral("60"), QStringLiteral("-o"), serverOptions(), QStringLiteral("start")}));
        m_running = true;
        return;
    }
    if (!QFile::exists(binFolder() + QStringLiteral("/initdb")))
        throw std::runtime_error("initdb not found: install the postgresql package (scripts/install-deps.sh)");
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/sorvane-pg-XXXXXX"));
    if (!m_dir->isValid())
        throw std::runtime_error("no temporary folder for the server");
    if (geteuid() == 0) {
        m_runAs = userExists(QStringLiteral("postgres")) ? QStringLiteral("postgres") : QStringLiteral("nobody");
        run({QStringLiteral("chown"), quoted(m_runAs), quoted(m_dir->path())});
    }
    const QString data = m_dir->filePath(QStringLiteral("data"));
    run(asServerUser({binFolder() + QStringLiteral("/initdb"), QStringLiteral("-D"), data, QStringLiteral("-U"),
                      QStringLiteral("sorvane"), QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                      QStringLiteral("UTF8"), QStringLiteral("--locale=C"), QStringLiteral("--no-sync")}));
    // The clerk logs on with a password, so that a wrong one can be tried.
    QFile hba(data + QStringLiteral("/pg_hba.conf"));
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        hba.write("local all clerk scram-sha-256\nlocal all all trust\n") < 0)
        throw std::runtime_error("cannot write pg_hba.conf");
    hba.close();
    run(asServerUser({binFolder() + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), data, QStringLiteral("-l"),
                      m_dir->filePath(QStringLiteral("server.log")), QStringLiteral("-w"), QStringLiteral("-t"),
                      QStringLiteral("60"), QStringLiteral("-o"), serverOptions(), QStringLiteral("start")}));
    m_running = true;
    // A test that aborts (a failed QVERIFY in a helper, qFatal, a timeout)
    // never runs the destructor: a watcher stops the server once this
    // process is gone, so no server outlives its test.
    const QString stop = asServerUser({binFolder() + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), data,
                                       QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("stop")})
                             .join(u' ');
    QProcess::startDetached(QStringLiteral("/bin/sh"),
                            {QStringLiteral("-c"),
                             QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 1; done; %2 >/dev/null 2>&1; rm -rf %3")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(stop, quoted(m_dir->path()))});
    psql(QStringLiteral("create role clerk login password '%1'").arg(kClerkPassword));
}

QString PrivateServer::serverOptions() const
{
    return QStringLiteral("-k %1 -c listen_addresses= -c fsync=off -c synchronous_commit=off "
                          "-c full_page_writes=off -c max_connections=60")
        .arg(m_dir->path());
}

void PrivateServer::stop()
{
    if (!m_running)
        return;
    run(asServerUser({binFolder() + QStringLiteral("/pg_ctl"), QStringLiteral("-D"),
                      m_dir->filePath(QStringLiteral("data")), QStringLiteral("-m"), QStringLiteral("fast"),
                      QStringLiteral("-w"), QStringLiteral("stop")}));
    m_running = false;
}

QString PrivateServer::socketFolder() const
{
    return m_dir ? m_dir->path() : QString();
}

ServerAddress PrivateServer::address(const QString &database, const QString &user) const
{
    ServerAddress a;
    a.user = user;
    a.host = socketFolder();
    a.database = database;
    return a;
}

QString PrivateServer::psql(const QString &sql, const QString &database) const
{
    return run({quoted(binFolder() + QStringLiteral("/psql")), QStringLiteral("-X"), QStringLiteral("-q"),
                QStringLiteral("-A"), QStringLiteral("-t"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                QStringLiteral("-h"), quoted(socketFolder()), QStringLiteral("-U"), QStringLiteral("sorvane"),
                QStringLiteral("-d"), quoted(database), QStringLiteral("-c"), quoted(sql)})
        .trimmed();
}

void PrivateServer::createDatabase(const QString &name, const QString &owner) const
{
    psql(QStringLiteral("drop database if exists \"%1\" with (force)").arg(name));
    psql(QStringLiteral("create database \"%1\" owner \"%2\"").arg(name, owner));
}

bool testsOnServer()
{
    return qEnvironmentVariable("SORVANE_TEST_ENGINE") == u"server";
}

void failWhen(Database &db, const QString &name, const QString &when, const QString &condition, const QString &message)
{
    if (!db.isServer()) {
        db.execute(QStringLiteral("create trigger %1 %2 when %3 begin select raise(abort, '%4'); end")
                       .arg(name, when, condition, message));
        return;
    }
    db.execute(QStringLiteral("create or replace function sorvane_test_fail() returns trigger language plpgsql as "
                              "$$ begin raise exception '%', tg_argv[0]; end $$"));
    db.execute(QStringLiteral("create trigger %1 %2 for each row when (%3) execute function sorvane_test_fail('%4')")
                   .arg(name, when, condition, message));
}

} // namespace sorvane::test
