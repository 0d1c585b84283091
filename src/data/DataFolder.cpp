#include "data/DataFolder.h"

#include "data/Engine.h"
#include "data/FileUtil.h"
#include "data/Files.h"
#include "data/Holidays.h"
#include "data/Postal.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <filesystem>
#include <system_error>

namespace sorvane::datafolder {

namespace {

QString native(const QString &p)
{
    return QDir::toNativeSeparators(p);
}

QString absoluteClean(const QString &p)
{
    return QDir::cleanPath(QDir(p).absolutePath());
}

// A path as a shell takes it: quoted when it holds anything but plain characters.
QString shellWord(const QString &p)
{
    static const QRegularExpression plain(QStringLiteral("^[^\\s'\"$`\\\\!*?&;|<>(){}\\[\\]#~]+$"));
    if (plain.match(p).hasMatch())
        return p;
    QString quoted = p;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

} // namespace

FolderFacts processFacts(const QString &programFolder, const QString &typed)
{
    FolderFacts facts;
    facts.typed = typed;
    facts.environment = qEnvironmentVariable("SORVANE_DATA");
    facts.programFolder = programFolder;
    facts.programFolderMarked = QFileInfo(files::path(programFolder, files::kOwnFolderMarker)).isFile();
    facts.xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");
    facts.home = QDir::homePath();
    return facts;
}

FolderChoice chooseFolder(const FolderFacts &facts)
{
    if (!facts.typed.isEmpty())
        return {absoluteClean(facts.typed), FolderOrigin::CommandLine};
    if (!facts.environment.isEmpty())
        return {absoluteClean(facts.environment), FolderOrigin::Environment};
    if (facts.programFolderMarked)
        return {absoluteClean(facts.programFolder), FolderOrigin::OwnFolder};
    // A relative XDG_DATA_HOME is invalid and to be ignored, as the base
    // directory rules say.
    const QString dataHome = !facts.xdgDataHome.isEmpty() && QDir::isAbsolutePath(facts.xdgDataHome)
                                 ? facts.xdgDataHome
                                 : QDir(facts.home).filePath(QStringLiteral(".local/share"));
    return {absoluteClean(QDir(dataHome).filePath(QStringLiteral("Sorvane"))), FolderOrigin::UserData};
}

QString prepareCommand(const FolderChoice &choice, const QString &programFolder)
{
    switch (choice.origin) {
    case FolderOrigin::UserData:
        return QStringLiteral("sorvane-admin init");
    case FolderOrigin::OwnFolder:
        // The tool beside the program picks the same folder; it is not on the PATH.
        return shellWord(files::path(programFolder, QStringLiteral("sorvane-admin"))) + QStringLiteral(" init");
    case FolderOrigin::CommandLine:
    case FolderOrigin::Environment:
        break;
    }
    return QStringLiteral("sorvane-admin init --folder ") + shellWord(native(choice.path));
}

QString cannotCreateMessage(const QString &folder)
{
    // The nearest folder above that exists says why.
    QString above = QFileInfo(folder).absolutePath();
    while (!QFileInfo::exists(above) && QFileInfo(above).absolutePath() != above)
        above = QFileInfo(above).absolutePath();
    const QFileInfo info(above);
    QString why;
    if (QFileInfo::exists(folder) && !QFileInfo(folder).isDir())
        why = QStringLiteral("同じ名前のファイルがあります。");
    else if (!info.isDir())
        why = QStringLiteral("%1 はファイルで、フォルダーではありません。").arg(native(above));
    else if (!info.isWritable())
        why = QStringLiteral("%1 にフォルダーを作る権限がありません。").arg(native(above));
    else
        why = QStringLiteral("フォルダーを作る操作が失敗しました。");
    return QStringLiteral("データフォルダー %1 を作れません: %2\n"
                          "--folder か環境変数 SORVANE_DATA で、書き込めるフォルダーを指定してください。")
        .arg(native(folder), why);
}

void createWithParents(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
    if (error || !QFileInfo(folder).isDir())
        throw DbError(cannotCreateMessage(folder));
}

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
            throw DbError(cannotCreateMessage(folder));
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
