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

// Writes the message and the hint where the usage is, and returns kExitBadArguments.
int badArguments(QTextStream &err, const QString &message, const QString &command);

// tegata.mdb of a data folder, open for one command and checked to be ours.
class DataFile {
public:
    explicit DataFile(const QString &folder); // throws DbError
    Database &db() const { return *m_db; }

private:
    Workspace m_ws;
    ScopedDatabase m_db;
};

int accountCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err);
QString accountUsage();

int exportCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err);
QString exportUsage();

} // namespace sorvane::admin
