#include "book/AppContext.h"
#include "app/MainMenu.h"
#include "ui/MenuAccessible.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvane"));
    QApplication::setApplicationVersion(QStringLiteral(SORVANE_VERSION));
    QApplication::setFont(sorvane::ui::gothicFont());
    // Standard buttons and context menus in Japanese, like every window.
    sorvane::ui::loadQtTranslation();
    // Before the first window, so every control gets the program's accessible face.
    sorvane::ui::installMenuAccessibility();

    sorvane::QtUiService ui;
    sorvane::AppContext ctx(ui, QCoreApplication::applicationDirPath());
    sorvane::MainMenu window(ctx, ui);
    QObject::connect(&window, &sorvane::MainMenu::exitRequested, &app, [](int code) { QCoreApplication::exit(code); });
    if (!window.startUp())
        return 1;
    window.show();
    return app.exec();
}
