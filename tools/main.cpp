#include "AdminCommands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int rc = sorvane::admin::run(app.arguments().mid(1), QCoreApplication::applicationDirPath(), out, err);
    out.flush();
    err.flush();
    return rc;
}
