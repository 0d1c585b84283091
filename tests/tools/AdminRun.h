#pragma once

// Running the real sorvane-admin and looking at what it left in a folder.

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace sorvane::test {

struct AdminRun {
    int code = -1;
    QString out;
    QString err;
};

inline AdminRun runAdmin(const QStringList &args,
                         const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SORVANE_ADMIN_EXE), args);
    AdminRun r;
    if (!p.waitForFinished(120000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

inline QByteArray hashOf(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Every file and folder below the root with the hash of each file: equal
// snapshots mean nothing was created, removed or changed.
inline QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> s;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        s.insert(QDir(root).relativeFilePath(path), it.fileInfo().isDir() ? QByteArray("dir") : hashOf(path));
    }
    return s;
}

} // namespace sorvane::test
