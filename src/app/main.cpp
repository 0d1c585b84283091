#include "book/AppContext.h"
#include "app/CommandLine.h"
#include "app/MainMenu.h"
#include "data/DataFolder.h"
#include "ui/MenuAccessible.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kExitBadArguments = 2;

// The package check starts the installed program with this variable set:
// the program then ends by itself, with 0, once its main window is on
// screen, so the check needs neither a display nor a guess of how long
// start-up takes.
void quitWhenShown(sorvane::MainMenu &window)
{
    if (qEnvironmentVariableIsEmpty("SORVANE_QUIT_WHEN_SHOWN"))
        return;
    auto *poll = new QTimer(&window);
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll] {
        if (!window.isVisible() || !window.windowHandle() || !window.windowHandle()->isExposed())
            return;
        poll->stop();
        QTextStream(stdout) << QStringLiteral("shown: %1\n").arg(window.objectName());
        QCoreApplication::exit(0);
    });
    poll->start();
}

} // namespace

int main(int argc, char *argv[])
{
    // Answered before Qt looks for a display, so they work in any terminal.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            QTextStream(stdout) << sorvane::programUsage();
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("sorvane %s\n", SORVANE_VERSION);
            return 0;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvane"));
    QApplication::setApplicationVersion(QStringLiteral(SORVANE_VERSION));
    // The desktop entry and icon of an installed program (a build has none).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.sorvane.Sorvane"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.sorvane.Sorvane")));

    sorvane::ProgramOptions options;
    QString error;
    if (!sorvane::parseProgramArguments(app.arguments().mid(1), options, error)) {
        QTextStream(stderr) << error << QStringLiteral("\n使い方は sorvane --help で表示します。\n");
        return kExitBadArguments;
    }

    QApplication::setFont(sorvane::ui::gothicFont());
    // Standard buttons and context menus in Japanese, like every window.
    sorvane::ui::loadQtTranslation();
    // Before the first window, so every control gets the program's accessible face.
    sorvane::ui::installMenuAccessibility();

    const QString programFolder = QCoreApplication::applicationDirPath();
    const sorvane::datafolder::FolderChoice folder =
        sorvane::datafolder::chooseFolder(sorvane::datafolder::processFacts(programFolder, options.folder));
    sorvane::QtUiService ui;
    sorvane::AppContext ctx(ui, folder.path);
    ctx.PrepareCommand = sorvane::datafolder::prepareCommand(folder, programFolder);
    sorvane::MainMenu window(ctx, ui);
    QObject::connect(&window, &sorvane::MainMenu::exitRequested, &app, [](int code) { QCoreApplication::exit(code); });
    if (!window.startUp())
        return 1;
    window.show();
    quitWhenShown(window);
    return app.exec();
}
