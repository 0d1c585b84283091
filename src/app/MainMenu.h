#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include "app/Tools.h"
#include "ui/WindowKit.h"

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QPushButton;
class QTimer;

namespace sorvane {

class AppContext;
class DueListWindow;
class EndorsementDialog;
class Logo;
class ManualWindow;
class UiService;

// The main window: a panel of buttons under headings and a menu bar with
// the same commands. It runs start-up and opens every other window.
class MainMenu : public QMainWindow {
    Q_OBJECT
public:
    MainMenu(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);
    ~MainMenu() override;

    // Start-up, run before the window is first shown. False: the program
    // must end without showing the main window.
    bool startUp();

    // The activation step: run each time the window becomes active.
    void activate();

    QPushButton *button(const QString &name) const { return m_buttons.value(name); }
    QAction *item(const QString &name) const { return m_items.value(name); }
    // The one endorsement dialog of the run and the windows' kit.
    EndorsementDialog *endorsements() const { return m_endorsements.get(); }
    const WindowKit &kit() const { return m_kit; }

    // Opens a window modally under the main window's error trap.
    void openModal(QDialog *window);

    // Timings and the compaction step of the two maintenance tools.
    ToolSettings &toolSettings() { return m_tools; }
    // The approaching-due list opened from the menu, while it is open.
    DueListWindow *dueList() const;
    // The manual (操作方法), while it is open.
    ManualWindow *manual() const;

signals:
    // Exit was chosen (code 0), or the data could not be opened again after a
    // tool (code 1); the program ends at once with that exit code.
    void exitRequested(int code);

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildButtons();
    void buildMenus();
    void wireCommands();
    void onCommand(const QString &command);
    void onTimer();
    void showVersion();
    void exitProgram(int code = 0);

    void openCustomerRegister();
    void openSupplierRegister();
    void openStorageRegister();
    void showDueListModeless();
    void showManual();
    void afterTool(const std::optional<book::ToolResult> &result);
    void runRestore();
    void runYearEnd();
    // 開く（過去のデータ） and 新規（現在のデータ）: the book of a closed
    // year in place of the working book, and back.
    void openArchive();
    void openWorkingBook();
    void showBookInTitle();
    // The line below the buttons when the last backup is old.
    void showBackupReminder();

    AppContext &m_ctx;
    UiService &m_ui;
    QTimer *m_timer = nullptr;
    QPointer<Logo> m_splash;
    bool m_splashDone = false;
    QHash<QString, QPushButton *> m_buttons;
    QHash<QString, QAction *> m_items;
    // Not a child: its controls share names with the main window's own.
    std::unique_ptr<EndorsementDialog> m_endorsements;
    WindowKit m_kit;
    ToolSettings m_tools;
    QPointer<DueListWindow> m_dueList;
    QLabel *m_reminder = nullptr;
    QPointer<ManualWindow> m_manual;
};

} // namespace sorvane
