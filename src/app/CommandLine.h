#pragma once

// The program's own command line: --folder DIR, --help and --version. Qt's
// options (-platform and the like) are taken by QApplication before this
// reads what is left.

#include <QString>
#include <QStringList>

namespace sorvane {

struct ProgramOptions {
    QString folder; // as typed; empty when not given
    bool help = false;
    bool version = false;
};

// False with a Japanese message in error for anything it does not know.
bool parseProgramArguments(const QStringList &args, ProgramOptions &options, QString &error);

QString programUsage();

} // namespace sorvane
