#include "data/ServerAddress.h"

#include "data/Engine.h"
#include "data/FileUtil.h"
#include "data/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

namespace sorvane {

namespace {

std::optional<ServerAddress> refuse(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

} // namespace

std::optional<ServerAddress> ServerAddress::parse(const QString &text, QString *error)
{
    const QString trimmed = text.trimmed();
    const QString example = QStringLiteral("（例: postgresql://tanaka@server1/tegata）");
    if (!trimmed.startsWith(QStringLiteral("postgresql://")) && !trimmed.startsWith(QStringLiteral("postgres://")))
        return refuse(error, QStringLiteral("接続先は postgresql:// で始めてください") + example);
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid())
        return refuse(error, QStringLiteral("接続先の書き方が正しくありません") + example);
    if (!url.password().isEmpty())
        return refuse(error, QStringLiteral("接続先にパスワードは書けません。パスワードは ~/.pgpass か "
                                            "環境変数 PGPASSWORD に置いてください"));
    ServerAddress a;
    a.user = url.userName(QUrl::FullyDecoded);
    a.host = url.host(QUrl::FullyDecoded);
    a.port = url.port(0);
    a.database = url.path(QUrl::FullyDecoded);
    if (a.database.startsWith(u'/'))
        a.database.remove(0, 1);
    // libpq's own spelling for a socket folder: ?host=/path (and ?port=).
    const QUrlQuery query(url);
    for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == u"host" && a.host.isEmpty()) {
            a.host = value;
        } else if (key == u"port" && a.port == 0) {
            bool ok = false;
            a.port = value.toInt(&ok);
            if (!ok)
                return refuse(error, QStringLiteral("ポート番号は数字で書いてください: %1").arg(value));
        } else {
            return refuse(error, QStringLiteral("接続先のこの指定は使えません: %1").arg(key));
        }
    }
    if (a.user.isEmpty())
        return refuse(error, QStringLiteral("接続先にユーザー名を書いてください") + example);
    if (a.host.isEmpty())
        return refuse(error, QStringLiteral("接続先にサーバー名を書いてください") + example);
    if (a.database.isEmpty() || a.database.contains(u'/'))
        return refuse(error, QStringLiteral("接続先の最後にデータベース名を 1 つ書いてください") + example);
    if (a.port < 0 || a.port > 65535)
        return refuse(error, QStringLiteral("ポート番号は 1〜65535 で書いてください"));
    return a;
}

QString ServerAddress::url() const
{
    const auto part = [](const QString &s) { return QString::fromUtf8(QUrl::toPercentEncoding(s)); };
    QString u = QStringLiteral("postgresql://") + part(user) + u'@';
    const bool socket = host.startsWith(u'/');
    if (!socket)
        u += host;
    if (port > 0 && !socket)
        u += u':' + QString::number(port);
    u += u'/' + part(database);
    if (socket) {
        u += QStringLiteral("?host=") + QString::fromUtf8(QUrl::toPercentEncoding(host, "/"));
        if (port > 0)
            u += QStringLiteral("&port=") + QString::number(port);
    }
    return u;
}

QString ServerAddress::display() const
{
    return QStringLiteral("%1 (%2)").arg(
        database, port > 0 && !host.startsWith(u'/') ? host + u':' + QString::number(port) : host);
}

namespace serverbook {

const QString kSettingFile = QStringLiteral("tegata.server");

std::optional<ServerAddress> readSetting(const QString &folder)
{
    const QString path = files::path(folder, kSettingFile);
    if (!QFileInfo::exists(path))
        return std::nullopt;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(
            QStringLiteral("接続先の設定 %1 を読めません\n%2").arg(QDir::toNativeSeparators(path), f.errorString()));
    const QString text = QString::fromUtf8(f.readAll()).trimmed();
    QString why;
    const std::optional<ServerAddress> a = ServerAddress::parse(text.section(u'\n', 0, 0), &why);
    if (!a)
        throw DbError(QStringLiteral("接続先の設定 %1 が正しくありません。\n"
                                     "sorvane-admin connect で設定し直してください。\n%2")
                          .arg(QDir::toNativeSeparators(path), why));
    return a;
}

void writeSetting(const QString &folder, const ServerAddress &address)
{
    file::replaceWhenComplete(files::path(folder, kSettingFile), [&](const QString &work) {
        QFile f(work);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write((address.url() + u'\n').toUtf8()) < 0 ||
            !f.flush())
            throw DbError(
                QStringLiteral("%1 に書き込めません\n%2").arg(QDir::toNativeSeparators(work), f.errorString()));
    });
}

void removeSetting(const QString &folder)
{
    const QString path = files::path(folder, kSettingFile);
    if (QFileInfo::exists(path) && !QFile::remove(path))
        throw DbError(QStringLiteral("%1 を削除できません").arg(QDir::toNativeSeparators(path)));
}

} // namespace serverbook
} // namespace sorvane
