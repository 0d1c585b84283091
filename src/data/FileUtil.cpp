#include "data/FileUtil.h"

#include "data/Engine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace sorvane::file {

namespace {

QString native(const QString &p)
{
    return QDir::toNativeSeparators(p);
}

QString workName(const QString &target)
{
    return target + QStringLiteral(".work");
}

void moveOver(const QString &from, const QString &to)
{
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                            std::filesystem::path(to.toStdU16String()), ec);
    if (ec)
        throw DbError(QStringLiteral("ファイルを置き換えられません: %1\n%2")
                          .arg(native(to), QString::fromLocal8Bit(ec.message().c_str())));
}

void copyTo(const QString &source, const QString &work)
{
    QFile::remove(work);
    if (!QFile::copy(source, work)) {
        QFile::remove(work);
        throw DbError(QStringLiteral("ファイルをコピーできません: %1 → %2").arg(native(source), native(work)));
    }
    // The copy keeps the source's permissions; the data file must be writable.
    QFile(work).setPermissions(QFile(work).permissions() | QFileDevice::WriteOwner);
}

} // namespace

void replaceWhenComplete(const QString &target, const std::function<void(const QString &)> &writer)
{
    const QString work = workName(target);
    QFile::remove(work);
    try {
        writer(work);
    } catch (...) {
        QFile::remove(work);
        throw;
    }
    moveOver(work, target);
}

void copyNew(const QString &source, const QString &target)
{
    if (QFileInfo::exists(target))
        throw DbError(QStringLiteral("ファイルが既にあります: %1").arg(native(target)));
    const QString work = workName(target);
    copyTo(source, work);
    // link+unlink would be stricter; the check above and a rename into a
    // name that did not exist are enough for one user at one desk.
    moveOver(work, target);
}

void copyReplace(const QString &source, const QString &target)
{
    const QString work = workName(target);
    copyTo(source, work);
    moveOver(work, target);
}

bool folderWritable(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".write-test-XXXXXX")));
    return probe.open();
}

} // namespace sorvane::file
