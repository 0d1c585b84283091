#include "data/ServerAddress.h"

#include "data/Engine.h"
#include "data/FileUtil.h"
#include "data/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <pwd.h>
#include <unistd.h>

namespace sorvane {

namespace {

std::optional<ServerAddress> refuse(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

// A part of the address with its %XX escapes decoded; nothing for a broken
// escape or a NUL, which libpq refuses too.
std::optional<QString> decoded(const QString &part)
{
    const auto hex = [](QChar c) { return (c >= u'0' && c <= u'9') || (c.toLower() >= u'a' && c.toLower() <= u'f'); };
    for (qsizetype i = 0; i < part.size(); ++i) {
        if (part.at(i) != u'%')
            continue;
        if (i + 2 >= part.size() || !hex(part.at(i + 1)) || !hex(part.at(i + 2)) || part.mid(i + 1, 2) == u"00")
            return std::nullopt;
        i += 2;
    }
    return QString::fromUtf8(QByteArray::fromPercentEncoding(part.toUtf8()));
}

} // namespace

std::optional<ServerAddress> ServerAddress::parse(const QString &text, QString *error)
{
    const QString trimmed = text.trimmed();
    const QString example = QStringLiteral("（例: postgresql://tanaka@server1/tegata）");
    QString rest;
    for (const QString &scheme : {QStringLiteral("postgresql://"), QStringLiteral("postgres://")})
        if (trimmed.startsWith(scheme))
            rest = trimmed.mid(scheme.size());
    if (rest.isNull())
        return refuse(error, QStringLiteral("接続先は postgresql:// で始めてください") + example);
    const QString malformed = QStringLiteral("接続先の書き方が正しくありません") + example;
    const QString password = QStringLiteral("接続先にパスワードは書けません。パスワードは ~/.pgpass か "
                                            "環境変数 PGPASSWORD に置いてください");

    // libpq's form: [user[:password]@][host][:port][/dbname][?key=value&...],
    // each part percent-encoded.
    const qsizetype question = rest.indexOf(u'?');
    const QString query = question < 0 ? QString() : rest.mid(question + 1);
    rest.truncate(question < 0 ? rest.size() : question);
    const qsizetype slash = rest.indexOf(u'/');
    const QString path = slash < 0 ? QString() : rest.mid(slash + 1);
    QString authority = rest.left(slash < 0 ? rest.size() : slash);

    ServerAddress a;
    QString portText;
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0) {
        const QString userInfo = authority.left(at);
        authority = authority.mid(at + 1);
        const qsizetype colon = userInfo.indexOf(u':');
        if (colon >= 0 && colon + 1 < userInfo.size())
            return refuse(error, password);
        const std::optional<QString> user = decoded(userInfo.left(colon < 0 ? userInfo.size() : colon));
        if (!user)
            return refuse(error, malformed);
        a.user = *user;
    }
    QString host = authority;
    if (authority.startsWith(u'[')) {
        // An IPv6 address in brackets, its colons not a port's.
        const qsizetype close = authority.indexOf(u']');
        if (close < 0 || (close + 1 < authority.size() && authority.at(close + 1) != u':'))
            return refuse(error, malformed);
        host = authority.mid(1, close - 1);
        if (close + 1 < authority.size())
            portText = authority.mid(close + 2);
    } else if (const qsizetype colon = authority.indexOf(u':'); colon >= 0) {
        host = authority.left(colon);
        portText = authority.mid(colon + 1);
    }
    if (host.contains(u','))
        return refuse(error, QStringLiteral("接続先のサーバーは 1 つだけ書いてください") + example);
    const std::optional<QString> hostName = decoded(host);
    const std::optional<QString> database = decoded(path);
    if (!hostName || !database)
        return refuse(error, malformed);
    a.host = *hostName;
    a.database = *database;

    // What the query names wins over the parts before it, as in libpq:
    // postgresql://tanaka@localhost/tegata?host=/run/postgresql is the socket.
    if (!query.isEmpty()) {
        for (const QString &item : query.split(u'&')) {
            const qsizetype equals = item.indexOf(u'=');
            const std::optional<QString> key = decoded(item.left(equals < 0 ? item.size() : equals));
            const std::optional<QString> value = decoded(equals < 0 ? QString() : item.mid(equals + 1));
            if (!key || !value)
                return refuse(error, malformed);
            if (equals < 0)
                return refuse(error, QStringLiteral("接続先のこの指定は使えません: %1").arg(*key));
            if (*key == u"host")
                a.host = *value;
            else if (*key == u"port")
                portText = *value;
            else if (*key == u"user")
                a.user = *value;
            else if (*key == u"dbname")
                a.database = *value;
            else if (*key == u"password")
                return refuse(error, password);
            else
                return refuse(error, QStringLiteral("接続先のこの指定は使えません: %1").arg(*key));
        }
    }
    if (!portText.isEmpty()) {
        bool ok = false;
        a.port = portText.toInt(&ok);
        if (!ok || portText.startsWith(u'+') || portText.startsWith(u'-'))
            return refuse(error, QStringLiteral("ポート番号は数字で書いてください: %1").arg(portText));
    }
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
    QString u = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        u += part(user) + u'@';
    const bool socket = host.startsWith(u'/');
    if (!socket)
        u += host.contains(u':') ? u'[' + host + u']' : part(host);
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

QString ServerAddress::loginUser() const
{
    if (!user.isEmpty())
        return user;
    // Whom libpq logs on as when the address names nobody.
    const QString fromEnvironment = qEnvironmentVariable("PGUSER");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    if (const passwd *pw = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
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
