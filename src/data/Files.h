#pragma once

// Names of the files in the data folder, and the one way to build their paths.

#include <QDir>
#include <QString>

namespace sorvane::files {

inline const QString kMainDb = QStringLiteral("tegata.mdb");
inline const QString kInitialDb = QStringLiteral("inidata.mdx");
inline const QString kBackupDb = QStringLiteral("tegata.bak");
inline const QString kCompactWork = QStringLiteral("temp.mdb");
inline const QString kPostalDb = QStringLiteral("yubin.mdb");
// The server book before the last reset (pg_dump's custom format), like tegata.bak.
inline const QString kServerBackup = QStringLiteral("tegata-server.bak");

// Beside a program, this file makes the program's own folder its data
// folder. The build writes it into bin/, so a build, or a copy of its
// bin/, keeps its book beside itself; an installed program has none.
inline const QString kOwnFolderMarker = QStringLiteral("sorvane.portable");

inline QString path(const QString &folder, const QString &name)
{
    return QDir(folder).filePath(name);
}

// 祝日<yyyy>.mdb: the holidays of one calendar year.
inline QString holidayFileName(int year)
{
    return QStringLiteral("祝日%1.mdb").arg(year, 4, 10, QLatin1Char('0'));
}

} // namespace sorvane::files
