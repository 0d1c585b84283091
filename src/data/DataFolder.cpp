#include "data/DataFolder.h"

#include "data/Engine.h"
#include "data/FileUtil.h"
#include "data/Files.h"
#include "data/Holidays.h"
#include "data/Postal.h"
#include "data/Schema.h"

#include <QDir>
#include <QFileInfo>

namespace sorvane::datafolder {

namespace {

QString native(const QString &p)
{
    return QDir::toNativeSeparators(p);
}

} // namespace

void writeInitialDatabase(const QString &fileName)
{
    file::replaceWhenComplete(fileName, [](const QString &work) { createMainDatabase(work); });
}

void createMainDatabase(const QString &fileName)
{
    Workspace ws(QStringLiteral("init"), {}, {});
    ScopedDatabase db(ws, fileName, ScopedDatabase::Mode::Create);
    schema::createMainSchema(*db);
}

bool dataOnlyInCompactWorkFile(const QString &folder)
{
    return !QFileInfo::exists(files::path(folder, files::kMainDb)) &&
           QFileInfo::exists(files::path(folder, files::kCompactWork));
}

QString compactWorkFileMessage(const QString &folder)
{
    return QStringLiteral("%1 に tegata.mdb が無く、temp.mdb があります。\n"
                          "temp.mdb は中断した最適化の作業ファイルで、データはこの中にだけ残っています。\n"
                          "プログラムを終了してから temp.mdb の名前を tegata.mdb に変えると、データが戻ります。\n"
                          "何も変更していません。")
        .arg(native(folder));
}

InitResult init(const QString &folder, bool force)
{
    // Checked before anything is written: a new, empty tegata.mdb here would
    // hide the data, and the next compaction would delete temp.mdb.
    if (dataOnlyInCompactWorkFile(folder))
        throw DbError(compactWorkFileMessage(folder));
    if (!QFileInfo(folder).isDir()) {
        // Only the last folder: a mistyped path must not grow a chain of folders.
        if (QFileInfo::exists(folder) || !QDir().mkdir(folder))
            throw DbError(QStringLiteral("フォルダーを作れません: %1").arg(native(folder)));
    }
    if (!file::folderWritable(folder))
        throw DbError(QStringLiteral("フォルダーに書き込めません: %1").arg(native(folder)));

    InitResult result;
    const auto prepare = [&](const QString &name, const std::function<void(const QString &)> &write) {
        const QString target = files::path(folder, name);
        if (!force && QFileInfo::exists(target)) {
            result.kept << name;
            return;
        }
        write(target);
        result.written << name;
    };

    const QString initial = files::path(folder, files::kInitialDb);
    prepare(files::kInitialDb, writeInitialDatabase);

    const QString main = files::path(folder, files::kMainDb);
    if (QFileInfo::exists(main)) {
        result.compactWorkFileLeft = QFileInfo::exists(files::path(folder, files::kCompactWork));
    } else {
        file::copyNew(initial, main);
        result.mainDbCreated = true;
        result.written << files::kMainDb;
    }

    prepare(files::kPostalDb, postal::buildPostalDatabase);

    prepareHolidayFiles(folder, holidays::kInitFirstYear, holidays::kInitLastYear, force, [&](int year, bool written) {
        (written ? result.writtenHolidayYears : result.keptHolidayYears) << year;
    });
    return result;
}

void prepareHolidayFiles(const QString &folder, int from, int to, bool force,
                         const std::function<void(int year, bool written)> &done)
{
    if (!holidays::supportedYear(from) || !holidays::supportedYear(to))
        throw DbError(QStringLiteral("祝日を作れるのは %1 年から %2 年までです: %3〜%4")
                          .arg(holidays::kFirstYear)
                          .arg(holidays::kLastYear)
                          .arg(from)
                          .arg(to));
    if (from > to)
        throw DbError(QStringLiteral("開始年が終了年より後です: %1〜%2").arg(from).arg(to));
    if (!file::folderWritable(folder))
        throw DbError(QStringLiteral("フォルダーに書き込めません: %1").arg(native(folder)));
    for (int year = from; year <= to; ++year) {
        const QString target = files::path(folder, files::holidayFileName(year));
        const bool write = force || !QFileInfo::exists(target);
        if (write)
            holidays::writeHolidayFile(target, year);
        if (done)
            done(year, write);
    }
}

} // namespace sorvane::datafolder
