#pragma once

// Where a server book lives: postgresql://USER@HOST[:PORT]/DBNAME, or any
// other form libpq reads (postgresql:///DBNAME?host=/run/postgresql, a
// percent-encoded socket folder as the host, ?host= and ?port= winning over
// what comes before them). The
// setting file in the data folder holds that one line and never a
// password; the password comes from ~/.pgpass or PGPASSWORD, as for every
// PostgreSQL client.

#include <QString>

#include <optional>

namespace sorvane {

struct ServerAddress {
    QString user; // empty: whoever runs the program (PGUSER or the login name), as in libpq
    QString host; // a name, an address, or the folder of a Unix socket
    int port = 0; // 0: the default
    QString database;

    // Reads the URL form; nothing, with a Japanese reason in *error, when it
    // is not one this program can use (a password in it is refused).
    static std::optional<ServerAddress> parse(const QString &url, QString *error);
    QString url() const;
    // The user the server is logged on as: the one named, or PGUSER, or
    // the login name of the process.
    QString loginUser() const;
    // A short name for title bars and messages: DBNAME (HOST).
    QString display() const;
};

namespace serverbook {

// The setting file's name in the data folder.
extern const QString kSettingFile;

// The address in the folder's setting file; nothing when the folder has
// none (the file book). Throws DbError for a file that cannot be read or
// holds no usable address.
std::optional<ServerAddress> readSetting(const QString &folder);
// Writes the setting, complete or not at all. Throws DbError.
void writeSetting(const QString &folder, const ServerAddress &address);
// Removes the setting: the folder's tegata.mdb is the book again. Throws DbError.
void removeSetting(const QString &folder);

} // namespace serverbook
} // namespace sorvane
