#pragma once

// Reading the command line of sorvane-admin the way a new user types it:
// --help anywhere, "--name value" and "--name=value", negative numbers as
// values, each option at most once.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace sorvane::admin {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;       // a failure while working
constexpr int kExitBadArguments = 2; // the command line itself is wrong

// The options a command accepts, each with its leading "--".
struct OptionSet {
    QStringList withValue;
    QStringList flags;
};

struct ParsedArgs {
    bool help = false;
    QString folder; // as typed; empty when not given
    QStringList positional;
    QList<QPair<QString, QString>> options; // name and value, in the order given; a flag's value is empty

    bool has(const QString &name) const;
    QString value(const QString &name) const;
};

// Reads the arguments that follow the command. --folder is accepted by
// every command. False with a Japanese message in error for an unknown
// option, a missing value or an option given twice. --help anywhere wins.
bool parseArguments(const QStringList &args, const OptionSet &accepted, ParsedArgs &parsed, QString &error);

} // namespace sorvane::admin
