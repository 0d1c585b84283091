#pragma once

// Pieces the commands of sorvane-admin share.

#include "Arguments.h"

#include "data/Engine.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace sorvane::admin {

// The folder as an absolute, clean path; the default when none was typed.
QString dataFolderPath(const ParsedArgs &args, const QString &defaultFolder);

// Checks that the folder is a prepared data folder with tegata.mdb and says
// why not on err. Returns kExitOk when it is, else the exit code.
int checkDataFolder(const QString &folder, QTextStream &err);

// Reads a file the command takes in (a CSV to import) whole. When it cannot,
// says so on err and returns the exit code: kExitBadArguments for a name
// that is no file, kExitFailed for one that cannot be read; else kExitOk.
int readInputFile(const QString &name, QByteArray &contents, QTextStream &err);

// Columns a text takes in a terminal (East Asian wide characters two), and
// the text padded with spaces to a width, on the right or (right) the left.
int displayWidth(const QString &s);
QString pad(const QString &s, int width, bool right = false);

// Writes the message and the hint where the usage is, and returns kExitBadArguments.
int badArguments(QTextStream &err, const QString &message, const QString &command);

// The book of a data folder (tegata.mdb, or the server its connection
// setting names), open for one command and checked to be ours.
class DataFile {
public:
    explicit DataFile(const QString &folder); // throws DbError
    Database &db() const { return *m_db; }
    // The workspace the book was opened in; the holiday files open in it too.
    Workspace &workspace() { return m_ws; }

private:
    Workspace m_ws;
    Database *m_db = nullptr; // released with the workspace
};

// The server book: where the book lives, creating it, moving a book.
int connectCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err);
QString connectUsage();
int migrateCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err);
QString migrateUsage();
// init --server: the schema on the server, after the local files.
int initServer(const ParsedArgs &args, const QString &folder, QTextStream &out, QTextStream &err);

int accountCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err);
QString accountUsage();

// customer / supplier: the parties and their 登録番号 or 法人番号.
int partyCommand(const QString &command, const QStringList &args, const QString &defaultFolder, QTextStream &out,
                 QTextStream &err);
QString partyUsage(const QString &command);

// report: the figures of the planning and totals windows.
int reportCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err);
QString reportUsage();
// backup / restore: copies of the book in a folder, and one put back.
int backupCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err);
QString backupUsage();
int restoreCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err);
QString restoreUsage();

int exportCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err);
QString exportUsage();

// settle: the bills whose settlement day has come; history: the events as CSV.
int settleCommand(const ParsedArgs &args, const QString &folder, QTextStream &out, QTextStream &err);
QString settleUsage();
int historyCommand(const ParsedArgs &args, const QString &folder, QTextStream &out, QTextStream &err);
QString historyUsage();

// densai import|list: electronic claims from and to CSV.
int densaiCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err);
QString densaiUsage();

} // namespace sorvane::admin
