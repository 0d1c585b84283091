#include "support/FaultInjection.h"

#include "data/Engine.h"
#include "data/FileUtil.h"

#include <sqlite3.h>

#include <QByteArray>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include <unistd.h>

namespace sorvane::test {

namespace {

struct State {
    std::string writeSuffix;
    FaultInjection::Failure failure = FaultInjection::Failure::DiskFull;
    int writesPassing = -1; // -1: no write fails
    std::string renameSuffix;
    bool refuseLinks = false;
    int killAt = 0; // 0: never
    int steps = 0;
    int opens = 0;
} g;

sqlite3_vfs *g_real = nullptr;

bool endsWith(const std::string &name, const std::string &suffix)
{
    return !suffix.empty() && name.size() >= suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// One step that changes the disk: killed here when it is the chosen one.
void step()
{
    ++g.steps;
    if (g.killAt > 0 && g.steps == g.killAt)
        ::kill(::getpid(), SIGKILL);
}

bool writeFails(const std::string &name)
{
    if (g.writesPassing < 0 || !endsWith(name, g.writeSuffix))
        return false;
    if (g.writesPassing > 0) {
        --g.writesPassing;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- the file layer

struct File {
    sqlite3_file base;
    sqlite3_file *real;
    std::string *name;
};

sqlite3_file *realOf(sqlite3_file *f)
{
    return reinterpret_cast<File *>(f)->real;
}

int sqliteFailure()
{
    return g.failure == FaultInjection::Failure::DiskFull ? SQLITE_FULL : SQLITE_READONLY;
}

int xClose(sqlite3_file *f)
{
    File *p = reinterpret_cast<File *>(f);
    const int rc = p->real->pMethods ? p->real->pMethods->xClose(p->real) : SQLITE_OK;
    delete p->name;
    p->name = nullptr;
    return rc;
}

int xRead(sqlite3_file *f, void *buf, int n, sqlite3_int64 off)
{
    return realOf(f)->pMethods->xRead(realOf(f), buf, n, off);
}

int xWrite(sqlite3_file *f, const void *buf, int n, sqlite3_int64 off)
{
    step();
    if (writeFails(*reinterpret_cast<File *>(f)->name))
        return sqliteFailure();
    return realOf(f)->pMethods->xWrite(realOf(f), buf, n, off);
}

int xTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    step();
    if (writeFails(*reinterpret_cast<File *>(f)->name))
        return sqliteFailure();
    return realOf(f)->pMethods->xTruncate(realOf(f), size);
}

int xSync(sqlite3_file *f, int flags)
{
    step();
    return realOf(f)->pMethods->xSync(realOf(f), flags);
}

int xFileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}

int xLock(sqlite3_file *f, int level)
{
    return realOf(f)->pMethods->xLock(realOf(f), level);
}

int xUnlock(sqlite3_file *f, int level)
{
    return realOf(f)->pMethods->xUnlock(realOf(f), level);
}

int xCheckReservedLock(sqlite3_file *f, int *out)
{
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}

int xFileControl(sqlite3_file *f, int op, void *arg)
{
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}

int xSectorSize(sqlite3_file *f)
{
    return realOf(f)->pMethods->xSectorSize(realOf(f));
}

int xDeviceCharacteristics(sqlite3_file *f)
{
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}

// Version 1: no shared memory and no memory mapping, so every page goes
// through xRead and xWrite (the program uses the rollback journal).
const sqlite3_io_methods kMethods = {1,
                                     xClose,
                                     xRead,
                                     xWrite,
                                     xTruncate,
                                     xSync,
                                     xFileSize,
                                     xLock,
                                     xUnlock,
                                     xCheckReservedLock,
                                     xFileControl,
                                     xSectorSize,
                                     xDeviceCharacteristics,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr};

int vOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *f, int flags, int *outFlags)
{
    File *p = reinterpret_cast<File *>(f);
    p->real = reinterpret_cast<sqlite3_file *>(p + 1);
    p->base.pMethods = nullptr;
    const int rc = g_real->xOpen(g_real, name, p->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        if (p->real->pMethods)
            p->real->pMethods->xClose(p->real);
        return rc;
    }
    ++g.opens;
    p->name = new std::string(name ? name : "");
    p->base.pMethods = &kMethods;
    return SQLITE_OK;
}

int vDelete(sqlite3_vfs *, const char *name, int syncDir)
{
    step();
    return g_real->xDelete(g_real, name, syncDir);
}

int vAccess(sqlite3_vfs *, const char *name, int flags, int *out)
{
    return g_real->xAccess(g_real, name, flags, out);
}

int vFullPathname(sqlite3_vfs *, const char *name, int n, char *out)
{
    return g_real->xFullPathname(g_real, name, n, out);
}

void *vDlOpen(sqlite3_vfs *, const char *name)
{
    return g_real->xDlOpen(g_real, name);
}

void vDlError(sqlite3_vfs *, int n, char *msg)
{
    g_real->xDlError(g_real, n, msg);
}

void (*vDlSym(sqlite3_vfs *, void *h, const char *sym))(void)
{
    return g_real->xDlSym(g_real, h, sym);
}

void vDlClose(sqlite3_vfs *, void *h)
{
    g_real->xDlClose(g_real, h);
}

int vRandomness(sqlite3_vfs *, int n, char *out)
{
    return g_real->xRandomness(g_real, n, out);
}

int vSleep(sqlite3_vfs *, int us)
{
    return g_real->xSleep(g_real, us);
}

int vCurrentTime(sqlite3_vfs *, double *t)
{
    return g_real->xCurrentTime(g_real, t);
}

int vGetLastError(sqlite3_vfs *, int n, char *msg)
{
    return g_real->xGetLastError ? g_real->xGetLastError(g_real, n, msg) : 0;
}

int vCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *t)
{
    return g_real->xCurrentTimeInt64(g_real, t);
}

sqlite3_vfs g_vfs = {};

// ---------------------------------------------------------------- the program's file steps

int fileStep(file::Step s, const QString &path)
{
    step();
    const std::string name = QFile::encodeName(path).toStdString();
    switch (s) {
    case file::Step::Write:
        if (writeFails(name))
            return g.failure == FaultInjection::Failure::DiskFull ? ENOSPC : EROFS;
        return 0;
    case file::Step::Rename:
        return endsWith(name, g.renameSuffix) ? EIO : 0;
    case file::Step::Link:
        return g.refuseLinks ? EXDEV : 0;
    case file::Step::Sync:
    case file::Step::Remove:
        return 0;
    }
    return 0;
}

} // namespace

void FaultInjection::install()
{
    if (g_real)
        return;
    g_real = sqlite3_vfs_find(nullptr);
    g_vfs.iVersion = 2;
    g_vfs.szOsFile = int(sizeof(File)) + g_real->szOsFile;
    g_vfs.mxPathname = g_real->mxPathname;
    g_vfs.zName = "sorvane-faults";
    g_vfs.xOpen = vOpen;
    g_vfs.xDelete = vDelete;
    g_vfs.xAccess = vAccess;
    g_vfs.xFullPathname = vFullPathname;
    g_vfs.xDlOpen = vDlOpen;
    g_vfs.xDlError = vDlError;
    g_vfs.xDlSym = vDlSym;
    g_vfs.xDlClose = vDlClose;
    g_vfs.xRandomness = vRandomness;
    g_vfs.xSleep = vSleep;
    g_vfs.xCurrentTime = vCurrentTime;
    g_vfs.xGetLastError = vGetLastError;
    g_vfs.xCurrentTimeInt64 = vCurrentTimeInt64;
    sqlite3_vfs_register(&g_vfs, 1);
    file::setFaultHook(fileStep);
}

void FaultInjection::clear()
{
    const int steps = g.steps;
    const int opens = g.opens;
    g = State{};
    g.steps = steps;
    g.opens = opens;
}

void FaultInjection::failWrites(const QString &nameSuffix, Failure failure, int passing)
{
    g.writeSuffix = QFile::encodeName(nameSuffix).toStdString();
    g.failure = failure;
    g.writesPassing = passing;
}

void FaultInjection::failRenames(const QString &nameSuffix)
{
    g.renameSuffix = QFile::encodeName(nameSuffix).toStdString();
}

void FaultInjection::refuseLinks()
{
    g.refuseLinks = true;
}

void FaultInjection::killAtStep(int n)
{
    g.steps = 0;
    g.killAt = n;
}

int FaultInjection::stepsSoFar()
{
    return g.steps;
}

bool FaultInjection::throughLayer()
{
    install();
    QTemporaryDir dir;
    const int before = g.opens;
    {
        Database db(dir.filePath(QStringLiteral("probe.db")), QString(), QString());
        db.execute(QStringLiteral("create table t(x)"));
    }
    return g.opens > before;
}

} // namespace sorvane::test
