#include "data/FileUtil.h"

#include "data/Engine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane::file {

namespace {

FaultHook &hook()
{
    static FaultHook h;
    return h;
}

int injected(Step step, const QString &path)
{
    return hook() ? hook()(step, path) : 0;
}

QString native(const QString &p)
{
    return QDir::toNativeSeparators(p);
}

QString workName(const QString &target)
{
    return target + QStringLiteral(".work");
}

// The system's reason, with a sentence of our own for the causes a clerk can mend.
QString reason(int err)
{
    const QString sys = QString::fromLocal8Bit(std::strerror(err));
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクがいっぱいです。ディスクに空きを作ってから、もう一度操作してください。\n") + sys;
    case EROFS:
    case EACCES:
    case EPERM:
        return QStringLiteral("ファイルかそのフォルダーが読み取り専用です。書き込めるようにしてから、もう一度操作してく"
                              "ださい。\n") +
               sys;
    case EIO:
        return QStringLiteral("ディスクの読み書きに失敗しました。ディスクの状態を確かめてください。\n") + sys;
    default:
        return sys;
    }
}

[[noreturn]] void fail(const QString &what, int err)
{
    throw DbError(what + u'\n' + reason(err));
}

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

int syncFd(int fd)
{
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Flushes the folder itself, so that a rename or a new name survives a power cut.
void syncFolderOf(const QString &path)
{
    const QByteArray folder = encoded(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return; // a folder that cannot be opened for reading is flushed by the system in time
    ::fsync(fd);
    ::close(fd);
}

// Writes the whole copy into an open descriptor; an errno on failure.
int copyInto(int in, int out, const QString &target)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            if (const int err = injected(Step::Write, target))
                return err;
            const ssize_t w = ::write(out, buffer + done, size_t(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            done += w;
        }
    }
    if (const int err = injected(Step::Sync, target))
        return err;
    return syncFd(out);
}

// Writes a complete, flushed copy to `work`, which must be a new name.
void writeCopy(const QString &source, const QString &work)
{
    const int in = ::open(encoded(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        fail(QStringLiteral("ファイルを読めません: %1").arg(native(source)), errno);
    struct stat st {};
    ::fstat(in, &st);
    // The data file must stay writable by its owner, whatever the source allowed.
    const mode_t mode = (st.st_mode & 0777) | S_IRUSR | S_IWUSR;
    const int out = ::open(encoded(work).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        fail(QStringLiteral("ファイルを作れません: %1").arg(native(work)), err);
    }
    ::fchmod(out, mode);
    int err = copyInto(in, out, work);
    ::close(in);
    if (::close(out) != 0 && err == 0)
        err = errno;
    if (err != 0) {
        ::unlink(encoded(work).constData());
        fail(QStringLiteral("ファイルをコピーできません: %1 → %2").arg(native(source), native(work)), err);
    }
}

} // namespace

void setFaultHook(FaultHook h)
{
    hook() = std::move(h);
}

void syncFile(const QString &path)
{
    int err = injected(Step::Sync, path);
    if (err == 0) {
        const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            err = errno;
        } else {
            err = syncFd(fd);
            ::close(fd);
        }
    }
    if (err != 0)
        fail(QStringLiteral("ファイルをディスクに書き出せません: %1").arg(native(path)), err);
}

void moveOver(const QString &from, const QString &to)
{
    int err = injected(Step::Rename, to);
    if (err == 0 && ::rename(encoded(from).constData(), encoded(to).constData()) != 0)
        err = errno;
    if (err != 0)
        fail(QStringLiteral("ファイルを置き換えられません: %1 → %2").arg(native(from), native(to)), err);
    syncFolderOf(to);
}

void removeFile(const QString &path)
{
    const QByteArray name = encoded(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 && errno == ENOENT)
        return;
    int err = injected(Step::Remove, path);
    if (err == 0 && ::unlink(name.constData()) != 0 && errno != ENOENT)
        err = errno;
    if (err != 0)
        fail(QStringLiteral("ファイルを削除できません: %1").arg(native(path)), err);
}

void copyFile(const QString &source, const QString &target)
{
    const QString work = workName(target);
    removeFile(work);
    writeCopy(source, work);
    try {
        moveOver(work, target);
    } catch (...) {
        ::unlink(encoded(work).constData());
        throw;
    }
}

void linkOrCopy(const QString &source, const QString &target)
{
    if (QFileInfo::exists(target))
        throw DbError(QStringLiteral("ファイルが既にあります: %1").arg(native(target)));
    int err = injected(Step::Link, target);
    if (err == 0 && ::link(encoded(source).constData(), encoded(target).constData()) == 0) {
        syncFolderOf(target);
        return;
    }
    if (err == 0)
        err = errno;
    // Only a file system without second names falls back to copying; a real
    // failure (a full folder, a read-only disk) is reported as it is.
    if (err != EPERM && err != EXDEV && err != EMLINK && err != ENOTSUP && err != EOPNOTSUPP)
        fail(QStringLiteral("ファイルを残せません: %1 → %2").arg(native(source), native(target)), err);
    writeCopy(source, target);
    syncFolderOf(target);
}

void replaceWhenComplete(const QString &target, const std::function<void(const QString &)> &writer)
{
    const QString work = workName(target);
    // The writer may write a database: its journal, left by a failed write,
    // would be played into the next work file of that name.
    const QString journal = work + QStringLiteral("-journal");
    removeFile(work);
    removeFile(journal);
    try {
        writer(work);
        syncFile(work);
    } catch (...) {
        QFile::remove(work);
        QFile::remove(journal);
        throw;
    }
    try {
        moveOver(work, target);
    } catch (...) {
        QFile::remove(work);
        throw;
    }
}

void copyNew(const QString &source, const QString &target)
{
    if (QFileInfo::exists(target))
        throw DbError(QStringLiteral("ファイルが既にあります: %1").arg(native(target)));
    // link+unlink would be stricter; the check above and a rename into a
    // name that did not exist are enough for one user at one desk.
    copyFile(source, target);
}

void copyReplace(const QString &source, const QString &target)
{
    copyFile(source, target);
}

bool folderWritable(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".write-test-XXXXXX")));
    return probe.open();
}

} // namespace sorvane::file
