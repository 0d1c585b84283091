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

InitResult init(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw DbError(QStringLiteral("フォルダーを作れません: %1").arg(QDir::toNativeSeparators(folder)));
    if (!file::folderWritable(folder))
        throw DbError(QStringLiteral("フォルダーに書き込めません: %1").arg(QDir::toNativeSeparators(folder)));

    InitResult result;
    const QString initial = files::path(folder, files::kInitialDb);
    writeInitialDatabase(initial);
    result.written << files::kInitialDb;

    const QString main = files::path(folder, files::kMainDb);
    if (!QFileInfo::exists(main)) {
        file::copyNew(initial, main);
        result.mainDbCreated = true;
        result.written << files::kMainDb;
    }

    postal::buildPostalDatabase(files::path(folder, files::kPostalDb));
    result.written << files::kPostalDb;

    result.written << holidays::writeHolidayFiles(folder, holidays::kInitFirstYear, holidays::kInitLastYear);
    return result;
}

} // namespace sorvane::datafolder
