#pragma once

// The windows of the tools バックアップ and リストア. The backup window makes
// the copy itself; the restore window only picks and checks a backup, and
// the main window puts it in place once every other window is closed.

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace sorvane {

class AppContext;
class UiService;

class BackupWindow : public QDialog {
    Q_OBJECT
public:
    BackupWindow(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    // Makes the backup with what the fields hold; false (said why) when none was made.
    bool バックアップ();

private:
    void onBrowse();
    void showLast();

    AppContext &m_ctx;
    UiService &m_ui;
    QLineEdit *m_folder = nullptr;
    QLineEdit *m_generations = nullptr;
    QLabel *m_last = nullptr;
};

class RestoreWindow : public QDialog {
    Q_OBJECT
public:
    RestoreWindow(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    // The backups of the folder in the field, newest first.
    void List1Requery();
    // Checks the backup and asks; true when the clerk confirmed it. The
    // window then closes with chosenFile() to put in place.
    bool choose(const QString &file);
    const QString &chosenFile() const { return m_chosen; }

private:
    void onBrowse();
    void onPickFile();
    void onRestore();

    AppContext &m_ctx;
    UiService &m_ui;
    QLineEdit *m_folder = nullptr;
    QListWidget *m_list = nullptr;
    QStringList m_paths; // the file of each line of the list
    QString m_listed;    // the folder the list shows
    QString m_chosen;
};

} // namespace sorvane
