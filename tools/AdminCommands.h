#pragma once

// The commands of sorvane-admin. Each returns the process exit code and
// writes what it did, or why it could not, to the given streams.

#include <QStringList>
#include <QTextStream>

namespace sorvane::admin {

int run(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err);

QString usage();

} // namespace sorvane::admin
