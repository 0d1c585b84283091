#include "data/Engine.h"

#include "data/ServerAddress.h"

#include <QAtomicInteger>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace sorvane {

namespace {

const QString kRowIdColumn = QStringLiteral("__rowid__");

QString nextConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("sorvane-%1").arg(++counter);
}

// Dates travel as ISO text, the stored form; an invalid date is NULL.
QVariant toBindable(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::QDate) {
        const QDate d = v.toDate();
        return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant(QMetaType::fromType<QString>());
    }
    if (v.metaType().id() == QMetaType::Bool)
        return QVariant(v.toBool() ? 1 : 0);
    return v;
}

bool sameValue(const QVariant &stored, const QVariant &wanted)
{
    if (stored.isNull() || wanted.isNull())
        return stored.isNull() && wanted.isNull();
    if (wanted.metaType().id() == QMetaType::QDate)
        return QDate::fromString(stored.toString().left(10), Qt::ISODate) == wanted.toDate();
    if (wanted.metaType().id() == QMetaType::QString)
        return stored.toString().compare(wanted.toString(), Qt::CaseInsensitive) == 0;
    bool okA = false, okB = false;
    const double a = stored.toDouble(&okA);
    const double b = wanted.toDouble(&okB);
    if (okA && okB)
        return a == b;
    return stored.toString() == wanted.toString();
}

// A stored date: ISO text read directly, since long lists read one per row.
QDate dateOf(const QVariant &v)
{
    if (v.isNull())
        return {};
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate();
    const QString s = v.toString();
    const auto digit = [&s](qsizetype i) { return s.at(i).isDigit() ? s.at(i).unicode() - u'0' : -1; };
    if (s.size() >= 10 && s.at(4) == u'-' && s.at(7) == u'-') {
        const int y[] = {digit(0), digit(1), digit(2), digit(3)};
        const int m[] = {digit(5), digit(6)};
        const int d[] = {digit(8), digit(9)};
        if (std::min({y[0], y[1], y[2], y[3], m[0], m[1], d[0], d[1]}) >= 0)
            return QDate(y[0] * 1000 + y[1] * 100 + y[2] * 10 + y[3], m[0] * 10 + m[1], d[0] * 10 + d[1]);
    }
    return QDate::fromString(s.left(10), Qt::ISODate);
}

// What went wrong reaching a server, in words a clerk can act on; the
// driver's English follows on the next line.
DbError serverOpenError(const QSqlError &error, const ServerAddress &server)
{
    QString detail = error.databaseText().trimmed();
    if (detail.isEmpty())
        detail = error.driverText().trimmed();
    const auto has = [&](const char *text) { return detail.contains(QLatin1String(text), Qt::CaseInsensitive); };
    QString what;
    if (has("starting up") || has("shutting down") || has("in recovery mode"))
        what = QStringLiteral("手形データのサーバー %1 は起動中か停止中のため、まだ使えません。"
                              "しばらく待ってから、もう一度操作してください。")
                   .arg(server.display());
    else if (has("password") || has("authentication failed") || (has("role") && has("does not exist")))
        what = QStringLiteral("手形データのサーバー %1 にログインできません。\n"
                              "ユーザー名 %2 とパスワード（~/.pgpass または PGPASSWORD）を確かめてください。")
                   .arg(server.display(), server.loginUser());
    else if (has("database") && has("does not exist"))
        what = QStringLiteral("サーバー %1 にデータベース %2 がありません。\n"
                              "接続先の設定（sorvane-admin connect）を確かめてください。")
                   .arg(server.host, server.database);
    else
        what = QStringLiteral("手形データのサーバー %1 に接続できません。\n"
                              "サーバーが動いているか、ネットワークと接続先の設定を確かめてください。")
                   .arg(server.display());
    return DbError(detail.isEmpty() ? what : what + u'\n' + detail);
}

// An insert of one row of values: on the server the new id is asked for in
// the statement itself, since the driver cannot tell it afterwards.
bool insertOfValues(const QString &sql)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*insert\\s+into\\s.*\\b(values\\s*\\(|default\\s+values\\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return re.match(sql).hasMatch() && !sql.contains(QLatin1String(" returning "), Qt::CaseInsensitive) &&
           !sql.contains(QLatin1String("),("));
}

// A statement that changes nothing, or only starts a transaction: when the
// connection turns out broken it may run again on a new one.
bool repeatable(const QString &sql, const Dialect &dialect)
{
    const QString s = sql.trimmed();
    return s == dialect.begin || s.startsWith(QLatin1String("select "), Qt::CaseInsensitive) ||
           s.startsWith(QLatin1String("with "), Qt::CaseInsensitive);
}

// The server's words after a break, without Qt's own prefix.
QString brokenDetail(const QSqlError &error)
{
    QString detail = error.databaseText().trimmed();
    if (detail.isEmpty())
        detail = error.driverText().trimmed();
    return detail;
}

qint64 monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

// While the server stays away, no new try before this pause has passed.
constexpr qint64 kRetryPauseMs = 1000;
// Tries of one reconnection, a growing moment apart.
constexpr int kTries = 3;

} // namespace

// ---------------------------------------------------------------- RowView

QVariant RowView::value(int column) const
{
    return m_query.value(column);
}

QString RowView::text(int column) const
{
    const QVariant v = m_query.value(column);
    return v.isNull() ? QString() : v.toString();
}

qint64 RowView::number(int column) const
{
    const QVariant v = m_query.value(column);
    return v.isNull() ? 0 : v.toLongLong();
}

QDate RowView::date(int column) const
{
    return dateOf(m_query.value(column));
}

// ---------------------------------------------------------------- DbError

DbError::DbError(QString description) : m_description(std::move(description)), m_utf8(m_description.toUtf8())
{
}

ConnectionLost::ConnectionLost(const QString &detail, When when)
    : DbError((when == When::Committing
                   ? QStringLiteral("サーバーとの接続が切れました。最後の保存がサーバーに届いたかどうか分かりません。"
                                    "サーバーが戻ってから、一覧で手形を確かめてください。")
                   : QStringLiteral("サーバーとの接続が切れました。この操作は行われず、何も変わっていません。"
                                    "サーバーが動いているか確かめて、もう一度操作してください"
                                    "（サーバーが戻れば、自動でつなぎ直します）。")) +
              (detail.isEmpty() ? QString() : u'\n' + detail))
{
}

QString errorText(const std::exception &e)
{
    if (const auto *db = dynamic_cast<const DbError *>(&e))
        return db->description();
    return QString::fromUtf8(e.what());
}

QString DbError::causeOf(int code, const QString &detail, const QString &fileName)
{
    // A server's errors speak of its own rights and tables, not of a file.
    if (fileName.contains(QStringLiteral("://")))
        return {};
    const QString file = fileName.isEmpty() ? QStringLiteral("データベースのファイル")
                                            : QDir::toNativeSeparators(QFileInfo(fileName).fileName());
    const bool mainFile =
        QFileInfo(fileName).fileName().compare(QStringLiteral("tegata.mdb"), Qt::CaseInsensitive) == 0;
    const auto says = [&](const char *words) { return detail.contains(QLatin1String(words), Qt::CaseInsensitive); };
    // SQLite's primary result codes; the text decides where the driver gave none.
    switch (code & 0xFF) {
    case 8: // SQLITE_READONLY
        return QStringLiteral("%1 が読み取り専用のため、書き込めませんでした。"
                              "ファイルとそのフォルダーを書き込めるようにしてから、もう一度操作してください。")
            .arg(file);
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return QStringLiteral("%1 をほかのプログラムが使用中のため、処理できませんでした。"
                              "ほかのプログラムを終了してから、もう一度操作してください。")
            .arg(file);
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        break;
    case 13: // SQLITE_FULL
        return QStringLiteral("ディスクがいっぱいのため、%1 に書き込めませんでした。"
                              "ディスクに空きを作ってから、もう一度操作してください。")
            .arg(file);
    case 10: // SQLITE_IOERR
        return QStringLiteral("%1 の読み書きに失敗しました。"
                              "ディスクの状態を確かめてから、もう一度操作してください。")
            .arg(file);
    case 14: // SQLITE_CANTOPEN
        return QStringLiteral("%1 を開けませんでした。"
                              "ファイルとそのフォルダーがあり、読み書きできることを確かめてください。")
            .arg(file);
    default:
        if (says("readonly") || says("read-only"))
            return causeOf(8, detail, fileName);
        if (says("locked") || says("busy"))
            return causeOf(5, detail, fileName);
        if (says("disk is full") || says("database or disk is full"))
            return causeOf(13, detail, fileName);
        if (says("disk I/O error"))
            return causeOf(10, detail, fileName);
        if (!says("not a database") && !says("malformed") && !says("no such table") && !says("no such column"))
            return {};
    }
    // Damaged, or some other program's file where ours should be.
    return QStringLiteral("%1 はこのプログラムのデータではないか、壊れています。").arg(file) +
           (mainFile ? QStringLiteral("tegata.bak かバックアップから戻してください。")
                     : QStringLiteral("sorvane-admin init --force で作り直すか、バックアップから戻してください。"));
}

DbError DbError::fromSql(const QSqlError &error, const QString &what, const QString &fileName)
{
    QString detail = error.databaseText().trimmed();
    if (detail.isEmpty())
        detail = error.driverText().trimmed();
    // SQLite's result codes are numbers; a server's SQLSTATE has five
    // characters, and even an all-digit one is no SQLite code.
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    numeric = numeric && error.nativeErrorCode().size() < 5;
    // What happened and what to do, in words a clerk reads; the engine's own
    // words follow for whoever helps.
    const QString cause = causeOf(numeric ? code : 0, detail, fileName);
    const QString first = cause.isEmpty() ? what : cause;
    if (detail.isEmpty())
        return DbError(first);
    return DbError(first + u'\n' + detail);
}

// ---------------------------------------------------------------- Recordset

void Recordset::moveNext()
{
    if (m_pos < rowCount())
        ++m_pos;
}

int Recordset::columnIndex(const QString &column) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool Recordset::hasColumn(const QString &column) const
{
    return columnIndex(column) >= 0;
}

QVariant Recordset::value(const QString &column) const
{
    const int i = columnIndex(column);
    if (i < 0)
        throw DbError(QStringLiteral("項目 %1 がありません").arg(column));
    if (eof())
        throw DbError(QStringLiteral("現在のレコードがありません"));
    if (m_mode != EditMode::None && m_pending.contains(m_columns.at(i)))
        return m_pending.value(m_columns.at(i));
    return m_rows[size_t(m_pos)].at(i);
}

QString Recordset::text(const QString &column) const
{
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

qint64 Recordset::number(const QString &column) const
{
    const QVariant v = value(column);
    return v.isNull() ? 0 : v.toLongLong();
}

QDate Recordset::date(const QString &column) const
{
    return dateOf(value(column));
}

bool Recordset::findFirst(const QString &column, const QVariant &wanted)
{
    const int i = columnIndex(column);
    if (i < 0)
        throw DbError(QStringLiteral("項目 %1 がありません").arg(column));
    for (int r = 0; r < rowCount(); ++r) {
        if (sameValue(m_rows[size_t(r)].at(i), wanted)) {
            m_pos = r;
            m_noMatch = false;
            return true;
        }
    }
    m_noMatch = true;
    return false;
}

void Recordset::addNew()
{
    if (!m_db)
        throw DbError(QStringLiteral("このレコードセットは更新できません"));
    m_mode = EditMode::Adding;
    m_pending.clear();
}

void Recordset::edit()
{
    if (!m_db)
        throw DbError(QStringLiteral("このレコードセットは更新できません"));
    if (eof())
        throw DbError(QStringLiteral("現在のレコードがありません"));
    m_mode = EditMode::Editing;
    m_pending.clear();
}

void Recordset::setValue(const QString &column, const QVariant &v)
{
    if (m_mode == EditMode::None)
        throw DbError(QStringLiteral("編集中ではありません"));
    const int i = columnIndex(column);
    if (i < 0)
        throw DbError(QStringLiteral("項目 %1 がありません").arg(column));
    m_pending.insert(m_columns.at(i), v);
}

void Recordset::cancelUpdate()
{
    m_mode = EditMode::None;
    m_pending.clear();
}

void Recordset::update()
{
    if (m_mode == EditMode::None || !m_db)
        throw DbError(QStringLiteral("編集中ではありません"));
    const QStringList names = m_pending.keys();
    QVariantList values;
    for (const QString &n : names)
        values << m_pending.value(n);

    if (m_mode == EditMode::Adding) {
        QStringList quoted, marks;
        for (const QString &n : names) {
            quoted << m_db->quotedName(n);
            marks << QStringLiteral("?");
        }
        const QString sql = names.isEmpty()
                                ? QStringLiteral("insert into %1 default values").arg(m_db->quotedName(m_table))
                                : QStringLiteral("insert into %1 (%2) values (%3)")
                                      .arg(m_db->quotedName(m_table), quoted.join(u','), marks.join(u','));
        m_db->execute(sql, values);
        m_lastInsertId = m_db->lastInsertId();
        // Read the stored row back so that defaults and the new key show.
        Recordset fresh = m_db->openRecordset(QStringLiteral("select %1 as %2, * from %3 where %1=?")
                                                  .arg(m_db->dialect().rowKey, kRowIdColumn, m_db->quotedName(m_table)),
                                              {m_lastInsertId});
        QVariantList row;
        for (const QString &c : m_columns)
            row << (fresh.eof() ? m_pending.value(c) : fresh.value(c));
        m_rows.push_back(row);
        m_rowIds.push_back(m_lastInsertId);
        m_pos = rowCount() - 1;
    } else {
        if (!names.isEmpty()) {
            QStringList sets;
            for (const QString &n : names)
                sets << m_db->quotedName(n) + QStringLiteral("=?");
            values << m_rowIds[size_t(m_pos)];
            m_db->execute(QStringLiteral("update %1 set %2 where %3=?")
                              .arg(m_db->quotedName(m_table), sets.join(u','), m_db->dialect().rowKey),
                          values);
            for (const QString &n : names)
                m_rows[size_t(m_pos)][columnIndex(n)] = m_pending.value(n);
        }
    }
    m_mode = EditMode::None;
    m_pending.clear();
}

// ---------------------------------------------------------------- Database

Database::Database(const QString &fileName, const QString &user, const QString &password, Access access)
    : m_access(access), m_connection(nextConnectionName()), m_fileName(fileName)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(fileName);
    db.setUserName(user);
    db.setPassword(password);
    // Wait a little for a file another program holds before giving up.
    db.setConnectOptions(access == Access::ReadOnly ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000;QSQLITE_OPEN_READONLY")
                                                    : QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    if (!db.open()) {
        const DbError err =
            DbError::fromSql(db.lastError(), QStringLiteral("データベースを開けません: %1").arg(fileName), fileName);
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
        throw err;
    }
    // SQLite opens any file lazily; read its header now so that a damaged
    // file is reported here and not at the first statement.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
        const DbError err =
            DbError::fromSql(probe.lastError(), QStringLiteral("データベースを開けません: %1").arg(fileName), fileName);
        probe = QSqlQuery();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
        throw err;
    }
}

Database::Database(const ServerAddress &server)
    : m_dialect(&Dialect::server()), m_connection(nextConnectionName()), m_fileName(server.url())
{
    QSqlDatabase db = QSqlDatabase::addDatabase(m_dialect->driver, m_connection);
    if (!db.isValid()) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
        m_connection.clear();
        throw DbError(QStringLiteral("PostgreSQL に接続する部品（Qt の QPSQL ドライバー）がありません。\n"
                                     "libqt6sql6-psql をインストールしてください。"));
    }
    db.setHostName(server.host);
    if (server.port > 0)
        db.setPort(server.port);
    // No user named: libpq logs on as PGUSER or the login name.
    db.setUserName(server.user);
    db.setDatabaseName(server.database);
    db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=sorvane"));
    if (!db.open()) {
        const DbError err = serverOpenError(db.lastError(), server);
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
        m_connection.clear();
        throw err;
    }
    try {
        startSession();
    } catch (const DbError &) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
        m_connection.clear();
        throw;
    }
}

void Database::startSession()
{
    // Dates travel as ISO text both ways; the driver reads them so.
    QSqlQuery setup(QSqlDatabase::database(m_connection, false));
    if (!setup.exec(QStringLiteral("set datestyle to iso")))
        throw DbError::fromSql(setup.lastError(), QStringLiteral("データベースを開けません"));
}

Database::~Database()
{
    close();
}

bool Database::isOpen() const
{
    return !m_connection.isEmpty() && QSqlDatabase::database(m_connection, false).isOpen();
}

void Database::close()
{
    if (m_connection.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (m_inTransaction) {
            QSqlQuery(db).exec(QStringLiteral("rollback"));
            m_inTransaction = false;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
}

QString Database::quoteName(const QString &name)
{
    QString n = name;
    n.replace(u'"', QStringLiteral("\"\""));
    return u'"' + n + u'"';
}

QSqlQuery Database::run(const QString &sql, const QVariantList &values)
{
    if (m_connection.isEmpty())
        throw DbError(QStringLiteral("データベースが閉じられています"));
    if (m_brokenTransaction)
        throw ConnectionLost();
    if (m_lost && !resume())
        throw ConnectionLost();
    const bool again = isServer() && !m_inTransaction && repeatable(sql, *m_dialect);
    try {
        return runOnce(sql, values);
    } catch (const ConnectionLost &) {
        // A connection that broke while the program stood idle (the server
        // was restarted) is met by the first statement after; a read or a
        // begin wrote nothing and goes on once the server answers again.
        if (!again || !resume())
            throw;
    }
    return runOnce(sql, values);
}

QSqlQuery Database::runOnce(const QString &sql, const QVariantList &values)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    // The server cannot prepare DDL, transactions or VACUUM: a statement
    // without values goes as it is (there is nothing to bind).
    if (isServer() && values.isEmpty()) {
        if (!q.exec(sql))
            fail(q, QStringLiteral("データベースの処理に失敗しました"), sql);
        return q;
    }
    if (!q.prepare(sql))
        fail(q, QStringLiteral("SQL 文を準備できません"), sql);
    for (const QVariant &v : values)
        q.addBindValue(toBindable(v));
    if (!q.exec())
        fail(q, QStringLiteral("データベースの処理に失敗しました"), sql);
    return q;
}

DbError Database::failure(const QSqlError &error, const QString &what) const
{
    if (m_access == Access::ReadOnly && !m_readOnlyNotice.isEmpty()) {
        bool numeric = false;
        const int code = error.nativeErrorCode().toInt(&numeric);
        const QString detail = error.databaseText().trimmed();
        if ((numeric && (code & 0xFF) == 8) || detail.contains(QLatin1String("readonly"), Qt::CaseInsensitive))
            return DbError(m_readOnlyNotice + u'\n' + detail);
    }
    return DbError::fromSql(error, what, m_fileName);
}

bool Database::broken(const QSqlError &error) const
{
    if (!isServer())
        return false;
    // The driver closes a connection it found broken; its statements then
    // fail without any error at all.
    if (!QSqlDatabase::database(m_connection, false).isOpen() || error.type() == QSqlError::ConnectionError)
        return true;
    // SQLSTATE class 08 (connection exception) and 57P01–57P03 (the server
    // shut down, crashed, or cannot take connections yet).
    const QString code = error.nativeErrorCode();
    if (code.startsWith(QLatin1String("08")) || code == u"57P01" || code == u"57P02" || code == u"57P03")
        return true;
    // libpq reports a lost connection without a code.
    const QString detail = brokenDetail(error);
    for (const char *words :
         {"server closed the connection unexpectedly", "no connection to the server", "connection to server was lost",
          "could not receive data from server", "could not send data to server", "terminating connection",
          "SSL connection has been closed unexpectedly"})
        if (detail.contains(QLatin1String(words), Qt::CaseInsensitive))
            return true;
    return false;
}

void Database::fail(const QSqlQuery &q, const QString &what, const QString &sql)
{
    const QSqlError error = q.lastError();
    if (!broken(error))
        throw failure(error, what);
    const bool committing = sql.trimmed().compare(QLatin1String("commit"), Qt::CaseInsensitive) == 0;
    m_lost = true;
    ++m_breaks;
    // The server undid an open transaction with the connection; the scope
    // that began it learns so when it ends.
    if (m_inTransaction && !committing)
        m_brokenTransaction = true;
    m_inTransaction = false;
    m_lastFailedTry = -1;
    throw ConnectionLost(brokenDetail(error),
                         committing ? ConnectionLost::When::Committing : ConnectionLost::When::Working);
}

bool Database::resume()
{
    if (!m_lost)
        return true;
    if (m_reconnecting || m_brokenTransaction)
        return false;
    if (m_lastFailedTry >= 0 && monotonicMs() - m_lastFailedTry < kRetryPauseMs)
        return false;
    return reconnect();
}

bool Database::reconnect()
{
    if (!isServer() || m_connection.isEmpty())
        return isOpen();
    if (m_reconnecting)
        return false;
    m_reconnecting = true;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    // A host that does not answer at all costs each try its whole timeout:
    // shorter than at start-up, so the clerk waits seconds, not minutes.
    db.setConnectOptions(QStringLiteral("connect_timeout=3;application_name=sorvane"));
    bool ok = false;
    for (int attempt = 0; attempt < kTries && !ok; ++attempt) {
        if (attempt > 0)
            QThread::msleep(500 * attempt);
        db.close();
        if (!db.open())
            continue;
        try {
            startSession();
            m_lost = false;
            if (m_sessionSetup)
                m_sessionSetup(*this);
            ok = true;
        } catch (const DbError &) {
            m_lost = true;
        }
    }
    m_reconnecting = false;
    m_lost = !ok;
    m_lastFailedTry = ok ? -1 : monotonicMs();
    if (ok && m_reconnected)
        m_reconnected();
    return ok;
}

int Database::execute(const QString &sql, const QVariantList &values)
{
    if (isServer() && insertOfValues(sql)) {
        QSqlQuery q = run(sql + QStringLiteral(" returning id"), values);
        const int changed = q.numRowsAffected();
        if (q.next())
            m_lastInsertId = q.value(0).toLongLong();
        return changed;
    }
    QSqlQuery q = run(sql, values);
    // The server's driver would ask with "select lastval()", which fails
    // after a statement that used no sequence and spoils the transaction.
    if (isServer())
        return q.numRowsAffected();
    const QVariant id = q.lastInsertId();
    if (id.isValid())
        m_lastInsertId = id.toLongLong();
    return q.numRowsAffected();
}

Recordset Database::openRecordset(const QString &sql, const QVariantList &values)
{
    QSqlQuery q = run(sql, values);
    Recordset rs;
    const QSqlRecord rec = q.record();
    const int n = rec.count();
    int rowIdIndex = -1;
    for (int i = 0; i < n; ++i) {
        if (rec.fieldName(i) == kRowIdColumn)
            rowIdIndex = i;
        else
            rs.m_columns << rec.fieldName(i);
    }
    while (q.next()) {
        QVariantList row;
        row.reserve(n);
        for (int i = 0; i < n; ++i) {
            if (i == rowIdIndex)
                rs.m_rowIds.push_back(q.value(i).toLongLong());
            else
                row << q.value(i);
        }
        rs.m_rows.push_back(std::move(row));
    }
    if (q.lastError().isValid())
        fail(q, QStringLiteral("データを読めません"), sql);
    rs.moveFirst();
    return rs;
}

void Database::forEachRow(const QString &sql, const QVariantList &values,
                          const std::function<void(const RowView &)> &row)
{
    QSqlQuery q = run(sql, values);
    const RowView view(q);
    while (q.next())
        row(view);
    if (q.lastError().isValid())
        fail(q, QStringLiteral("データを読めません"), sql);
}

QVariant Database::scalar(const QString &sql, const QVariantList &values)
{
    QSqlQuery q = run(sql, values);
    if (q.next())
        return q.value(0);
    if (q.lastError().isValid())
        fail(q, QStringLiteral("データを読めません"), sql);
    return {};
}

Recordset Database::openTable(const QString &table, const QString &where, const QVariantList &values,
                              const QString &orderBy)
{
    QString sql = QStringLiteral("select %1 as %2, * from %3").arg(m_dialect->rowKey, kRowIdColumn, quotedName(table));
    if (!where.isEmpty())
        sql += QStringLiteral(" where ") + where;
    if (!orderBy.isEmpty())
        sql += QStringLiteral(" order by ") + orderBy;
    Recordset rs = openRecordset(sql, values);
    rs.m_db = this;
    rs.m_table = table;
    return rs;
}

void Database::beginTransaction()
{
    if (m_inTransaction)
        throw DbError(QStringLiteral("トランザクションが既に始まっています"));
    run(m_dialect->begin, {});
    m_inTransaction = true;
}

void Database::commit()
{
    run(QStringLiteral("commit"), {});
    m_inTransaction = false;
}

void Database::rollback()
{
    // A transaction the broken connection took with it is already undone.
    if (m_brokenTransaction) {
        m_brokenTransaction = false;
        return;
    }
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    run(QStringLiteral("rollback"), {});
}

bool Database::tableExists(const QString &table)
{
    return scalar(m_dialect->tableExists, {m_dialect->folded(table)}).toInt() > 0;
}

QStringList Database::tableColumns(const QString &table)
{
    Recordset rs = openRecordset(m_dialect->tableColumns, {m_dialect->folded(table)});
    QStringList names;
    for (; !rs.eof(); rs.moveNext())
        names << rs.text(QStringLiteral("name"));
    return names;
}

// ---------------------------------------------------------------- Workspace

Workspace::Workspace(QString name, QString user, QString password)
    : m_name(std::move(name)), m_user(std::move(user)), m_password(std::move(password))
{
}

Workspace::~Workspace() = default;

Database *Workspace::openDatabase(const QString &fileName, Access access)
{
    const QFileInfo fi(fileName);
    if (!fi.exists())
        throw DbError(QStringLiteral("ファイルが見つかりません: %1").arg(QDir::toNativeSeparators(fileName)));
    if (!fi.isFile())
        throw DbError(
            QStringLiteral("データベースのファイルではありません: %1").arg(QDir::toNativeSeparators(fileName)));
    m_databases.push_back(std::make_unique<Database>(fileName, m_user, m_password, access));
    return m_databases.back().get();
}

Database *Workspace::createDatabase(const QString &fileName)
{
    if (QFileInfo::exists(fileName))
        throw DbError(QStringLiteral("ファイルが既にあります: %1").arg(QDir::toNativeSeparators(fileName)));
    m_databases.push_back(std::make_unique<Database>(fileName, m_user, m_password));
    return m_databases.back().get();
}

Database *Workspace::openServer(const ServerAddress &server)
{
    m_databases.push_back(std::make_unique<Database>(server));
    return m_databases.back().get();
}

Database *Workspace::findDatabase(const QString &fileName) const
{
    const QString wanted = QFileInfo(fileName).absoluteFilePath();
    for (const auto &db : m_databases)
        if (QFileInfo(db->fileName()).absoluteFilePath() == wanted)
            return db.get();
    return nullptr;
}

void Workspace::releaseDatabase(Database *db)
{
    auto it = std::find_if(m_databases.begin(), m_databases.end(),
                           [db](const std::unique_ptr<Database> &p) { return p.get() == db; });
    if (it != m_databases.end())
        m_databases.erase(it);
}

// ---------------------------------------------------------------- Engine

Workspace *Engine::findWorkspace(const QString &name) const
{
    for (const auto &ws : m_workspaces)
        if (ws->name() == name)
            return ws.get();
    return nullptr;
}

Workspace *Engine::createWorkspace(const QString &name, const QString &user, const QString &password)
{
    m_workspaces.push_back(std::make_unique<Workspace>(name, user, password));
    return m_workspaces.back().get();
}

void Engine::releaseWorkspace(Workspace *ws)
{
    auto it = std::find_if(m_workspaces.begin(), m_workspaces.end(),
                           [ws](const std::unique_ptr<Workspace> &p) { return p.get() == ws; });
    if (it != m_workspaces.end())
        m_workspaces.erase(it);
}

void Engine::compact(const QString &sourceFile, const QString &newFile)
{
    if (QFileInfo::exists(newFile))
        throw DbError(QStringLiteral("ファイルが既にあります: %1").arg(QDir::toNativeSeparators(newFile)));
    Workspace ws(QStringLiteral("compact"), {}, {});
    ScopedDatabase src(ws, sourceFile);
    src->execute(QStringLiteral("vacuum into ?"), {newFile});
}

} // namespace sorvane
