#include "book/AppContext.h"

#include "book/Search.h"
#include "data/DataFolder.h"
#include "data/MessageService.h"
#include "data/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QTimer>

namespace sorvane {

namespace {

// Opening succeeds on a file that cannot be written (SQLite then opens it
// read-only), and every save would fail later. A real write, rolled back,
// finds that out now: it needs the file and, for its journal, the folder.
void checkWritable(Database &db)
{
    try {
        Transaction t(db);
        db.execute(db.dialect().writeCheck);
    } catch (const DbError &e) {
        const QString d = e.description();
        const qsizetype nl = d.indexOf(u'\n');
        const QString detail = nl < 0 ? d : d.mid(nl + 1);
        QString what;
        if (db.isServer())
            what = QStringLiteral("サーバーの手形データ（%1）に書き込めません。"
                                  "このユーザーに書き込む権限があるか、サーバーの管理者に確かめてください。");
        else if (detail.contains(QLatin1String("locked"), Qt::CaseInsensitive) ||
            detail.contains(QLatin1String("busy"), Qt::CaseInsensitive))
            what = QStringLiteral("%1 はほかのプログラムが使用中のため、書き込めません。"
                                  "ほかのプログラムを終了してから、もう一度起動してください。");
        else
            what = QStringLiteral("%1 に書き込めません。ファイルかそのフォルダーが読み取り専用になっています。"
                                  "書き込めるようにしてから、もう一度起動してください。");
        throw DbError(what.arg(db.isServer() ? db.fileName() : files::kMainDb) + u'\n' + detail);
    }
}

// A damaged file may still open and even take new rows that no read finds
// again; every page is checked before the first bill is trusted to it.
void checkPages(Database &db)
{
    const QString result = db.scalar(QStringLiteral("pragma quick_check(1)")).toString();
    if (result != u"ok")
        throw DbError(DbError::causeOf(11, {}, db.fileName()) + u'\n' + result);
}

} // namespace

const QString AppContext::kWorkspaceName = QStringLiteral("Varnostel");
const QString AppContext::kUserName = QStringLiteral("admin");

AppContext::AppContext(MessageService &messages, QString programFolder)
    : m_messages(messages), m_programFolder(std::move(programFolder)), m_notices(std::make_unique<QObject>())
{
}

AppContext::~AppContext()
{
    CloseDataDatabase();
}

Database &AppContext::db() const
{
    if (!DataDb)
        throw DbError(QStringLiteral("データベースが開かれていません"));
    return *DataDb;
}

QString AppContext::missingBookHint() const
{
    if (!m_bookMissing)
        return {};
    const QString command = PrepareCommand.isEmpty()
                                ? datafolder::prepareCommand({AppFolder, datafolder::FolderOrigin::CommandLine}, {})
                                : PrepareCommand;
    return QStringLiteral("「%1」を実行してデータフォルダーを用意してください").arg(command);
}

QString AppContext::bookName() const
{
    if (isArchive())
        return QStringLiteral("過去のデータ %1年度 %2〜%3 読み取り専用")
            .arg(ArchiveYear.year)
            .arg(ArchiveYear.begin.toString(QStringLiteral("yyyy/MM/dd")),
                 ArchiveYear.end.toString(QStringLiteral("yyyy/MM/dd")));
    if (!Server)
        return files::kMainDb;
    // A socket folder says nothing to a clerk; a host name does.
    if (Server->host.isEmpty() || Server->host.startsWith(u'/'))
        return QStringLiteral("サーバー: %1").arg(Server->database);
    const QString host = Server->port > 0 ? Server->host + u':' + QString::number(Server->port) : Server->host;
    return QStringLiteral("サーバー: %1 @ %2").arg(Server->database, host);
}

bool AppContext::checkConnection()
{
    if (!DataDb || !DataDb->isServer())
        return true;
    try {
        // A command chosen is a new try, however recent the last one.
        if (DataDb->connectionLost())
            DataDb->reconnect();
        DataDb->scalar(QStringLiteral("select 1"));
        return true;
    } catch (const DbError &e) {
        m_messages.information(e.description());
        return false;
    }
}

void AppContext::tellReconnected()
{
    if (m_noticePending)
        return;
    m_noticePending = true;
    QTimer::singleShot(0, m_notices.get(), [this] {
        m_noticePending = false;
        m_messages.information(QStringLiteral("サーバーとの接続が切れていたため、つなぎ直しました。\n"
                                              "このまま操作を続けられます。"));
    });
}

bool AppContext::CheckDataFiles()
{
    AppFolder = QDir::cleanPath(m_programFolder);
    m_bookMissing = false;
    // A connection setting in the folder puts the book on a server; the
    // holiday files and yubin.mdb stay local either way.
    try {
        Server = serverbook::readSetting(AppFolder);
    } catch (const DbError &e) {
        m_messages.information(e.description());
        return false;
    }
    if (!Server && !QFileInfo::exists(filePath(files::kMainDb))) {
        m_bookMissing = true;
        m_messages.information(QStringLiteral("データが見つかりません"));
        return false;
    }
    HolidayDataAvailable = QFileInfo::exists(filePath(files::holidayFileName(clock.today().year())));
    return true;
}

bool AppContext::OpenDataDatabase()
{
    try {
        Workspace *ws = m_engine.findWorkspace(kWorkspaceName);
        if (ws) {
            DataWorkspace = ws;
            DataDb = ws->findDatabase(isArchive() ? ArchivePath : Server ? Server->url() : filePath(files::kMainDb));
        }
        if (!DataWorkspace)
            DataWorkspace = m_engine.createWorkspace(kWorkspaceName, kUserName, QString());
        if (!DataDb && isArchive()) {
            // An archive of an older version takes its one upgrade first.
            book::upgradeArchive(ArchivePath);
            Database *db = DataWorkspace->openDatabase(ArchivePath, Access::ReadOnly);
            try {
                checkPages(*db);
                schema::prepareMainDatabase(*db);
                db->setReadOnlyNotice(book::archiveReadOnlyNotice(ArchiveYear));
                book::prepareSearchTable(*db);
            } catch (...) {
                DataWorkspace->releaseDatabase(db);
                throw;
            }
            DataDb = db;
        }
        if (!DataDb) {
            Database *db = Server ? DataWorkspace->openServer(*Server)
                                  : DataWorkspace->openDatabase(filePath(files::kMainDb));
            try {
                // Checked before an upgrade writes to it. A server keeps
                // its own pages sound.
                if (!db->isServer())
                    checkPages(*db);
                schema::prepareMainDatabase(*db);
                checkWritable(*db);
                book::prepareSearchTable(*db);
                schema::prepareForWork(*db);
                // A new connection after a break starts a new session: its
                // own search table is made again.
                db->setSessionSetup([](Database &d) { book::prepareSearchTable(d); });
                db->setReconnected([this] { tellReconnected(); });
            } catch (...) {
                DataWorkspace->releaseDatabase(db);
                throw;
            }
            DataDb = db;
        }
        return true;
    } catch (const DbError &e) {
        m_messages.information(e.description());
        return false;
    }
}

bool AppContext::LoadSettings()
{
    try {
        DueWindowDays = schema::readDueWindowDays(db());
        return true;
    } catch (const DbError &e) {
        m_messages.information(e.description());
        return false;
    }
}

bool AppContext::LoadAccountCache()
{
    if (!DataDb)
        return false;
    try {
        Recordset rs = DataDb->openRecordset(
            QStringLiteral("select id,kozano,口座番号,銀行名,支店名,口座種別,担保枠,確定済年月,計画済年月 "
                           "from 口座データ order by kozano"));
        if (rs.eof())
            return false;
        // Every account is kept, however many the company has.
        QVector<AccountSlot> loaded;
        loaded.reserve(rs.rowCount());
        for (; !rs.eof(); rs.moveNext()) {
            AccountSlot s;
            s.kozano = rs.number(QStringLiteral("kozano"));
            s.id = rs.number(QStringLiteral("id"));
            s.口座番号 = rs.text(QStringLiteral("口座番号"));
            s.口座種別 = rs.text(QStringLiteral("口座種別"));
            s.銀行名 = rs.text(QStringLiteral("銀行名"));
            s.支店名 = rs.text(QStringLiteral("支店名"));
            loaded << s;
        }
        AccountCache = loaded;
        AccountCount = int(loaded.size());
        return true;
    } catch (const DbError &e) {
        m_messages.information(e.description());
        return false;
    }
}

bool AppContext::OpenArchive(const QString &path)
{
    const book::ArchiveInfo info = book::readArchive(path);
    if (!info.problem.isEmpty()) {
        m_messages.information(
            QStringLiteral("%1 は開けません。\n%2").arg(QDir::toNativeSeparators(path), info.problem));
        return false;
    }
    CloseDataDatabase();
    ArchivePath = QFileInfo(path).absoluteFilePath();
    ArchiveYear = info.year;
    if (OpenDataDatabase() && LoadSettings())
        return true;
    ArchivePath.clear();
    ArchiveYear = {};
    CloseDataDatabase();
    OpenDataDatabase() && LoadSettings();
    return false;
}

bool AppContext::OpenWorkingBook()
{
    CloseDataDatabase();
    ArchivePath.clear();
    ArchiveYear = {};
    return CheckDataFiles() && OpenDataDatabase() && LoadSettings();
}

void AppContext::CloseDataDatabase()
{
    if (DataWorkspace && DataDb)
        DataWorkspace->releaseDatabase(DataDb);
    DataDb = nullptr;
    if (DataWorkspace)
        m_engine.releaseWorkspace(DataWorkspace);
    DataWorkspace = nullptr;
}

} // namespace sorvane
