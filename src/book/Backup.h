#pragma once

// Backups a clerk makes to a folder of their choice (a USB stick) and puts
// back without help. A file book is copied with SQLite's VACUUM INTO, a
// server book written with pg_dump; each copy is checked before it takes
// its name, and the newest few of a folder are kept. A restore checks the
// backup before anything changes, keeps the current book as tegata.bak and
// puts the backup in place with one rename.

#include "data/ServerAddress.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace sorvane {

class AppContext;
class Database;

namespace book {

enum class ToolResult;

// tegata-YYYYMMDD-HHMMSS.mdb for a file book; a server book's backup ends
// in .dump (pg_dump's custom format).
QString backupFileName(const QDateTime &when, bool server);
// The time a backup's file name carries; invalid for any other name.
QDateTime backupTime(const QString &fileName, bool server);

// How many bills the open book holds, as the restore reports it.
qint64 bookBillCount(Database &db);

struct BackupSettings {
    QString folder; // empty: none chosen yet
    int generations = 10;
    QDateTime last; // invalid: none made yet
};
BackupSettings readBackupSettings(Database &db);
// Throws DbError with the allowed range when the number is outside it.
void writeBackupGenerations(Database &db, int generations);

// The main window warns when the last backup is older than this.
constexpr int kBackupReminderDays = 7;
// The line the main window shows about backups on the date; empty while
// the last backup is recent, and for a book without bills that never had one.
QString backupReminder(Database &db, const QDate &today);

struct BackupMade {
    QString file;
    qint64 bills = 0;
    QStringList removed; // older backups removed, oldest first
    QString problem;     // what did not go after the copy was made (an old one left, the settings); empty when all did
};

// Copies the open book into the folder under backupFileName(now), checked
// (integrity_check and the book's own tables) before it takes its name;
// then removes the oldest backups of the folder beyond `generations` and
// remembers the folder and the time in the book. Throws DbError when no
// checked copy was made; no new file is left then and the older ones stay.
BackupMade backupBook(Database &db, const std::optional<ServerAddress> &server, const QString &folder, int generations,
                      const QDateTime &now);

struct BackupEntry {
    QString path;
    QDateTime made;
    qint64 bills = -1; // -1: the file cannot be read as a book
    QString problem;   // why not
};
// The file book's backups in the folder, newest first, each with its bill
// count, read without changing the file.
QList<BackupEntry> listBackups(const QString &folder);

// A sound book of this program to restore: pages intact, the book's tables
// at this program's version or an older one, not the book of a closed year.
// Throws DbError saying why not; returns the bill count.
qint64 checkBackupFile(const QString &file);

// Puts the backup in place of tegata.mdb in the folder, whose book is
// closed: the backup is copied beside tegata.mdb and checked there (and
// brought to this program's version), the current file kept as tegata.bak,
// then the copy renamed to tegata.mdb. Throws DbError; tegata.mdb is then
// as it was. Returns the restored book's bill count.
qint64 restoreBackupFile(const QString &dataFolder, const QString &backup);

// The same on the program's open book: closed, restored, opened again.
// A failure is shown and leaves the book as it was.
ToolResult restoreBook(AppContext &ctx, const QString &backup);

} // namespace book
} // namespace sorvane
