#pragma once

// The commands of sorvane-admin. Each returns the process exit code and
// writes what it did, or why it could not, to the given streams.

#include "data/DataFolder.h"

#include <QStringList>
#include <QTextStream>

namespace sorvane::admin {

// fallback is the data folder of a command without --folder: SORVANE_DATA,
// else the default of the program's folder rules.
int run(const QStringList &args, const datafolder::FolderChoice &fallback, QTextStream &out, QTextStream &err);

QString usage();

} // namespace sorvane::admin
