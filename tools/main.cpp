#include "AdminCommands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

int main(int argc, char *argv[])
{
    // Writing a PDF needs fonts and a painter, so export runs a GUI
    // application; without a display it draws offscreen.
    std::unique_ptr<QCoreApplication> application;
    if (argc > 1 && (std::strcmp(argv[1], "export") == 0 || std::strcmp(argv[1], "report") == 0)) {
        if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication &app = *application;
    QTextStream out(stdout);
    QTextStream err(stderr);
    const sorvane::datafolder::FolderChoice fallback =
        sorvane::datafolder::chooseFolder(sorvane::datafolder::processFacts(QCoreApplication::applicationDirPath()));
    const int rc = sorvane::admin::run(app.arguments().mid(1), fallback, out, err);
    out.flush();
    err.flush();
    return rc;
}
