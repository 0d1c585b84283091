#pragma once

// The windows of the years: 新年度処理, which closes a fiscal year into the
// book of that year, and 開く（過去のデータ）, which picks the book of a
// closed year for the main window to open read-only.

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace sorvane {

class AppContext;
class UiService;

class YearEndWindow : public QDialog {
    Q_OBJECT
public:
    YearEndWindow(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    // Reads again what the next close would do and the years closed.
    void refresh();
    // Closes the year after one question; false (said why) when it did not.
    bool 新年度処理();
    // Whether a year was closed while the window was open.
    bool closedAny() const { return m_closedAny; }

private:
    void onMonthChosen(int index);

    AppContext &m_ctx;
    UiService &m_ui;
    QComboBox *m_month = nullptr;
    QLabel *m_year = nullptr;
    QLabel *m_counts = nullptr;
    QListWidget *m_closed = nullptr;
    QPushButton *m_run = nullptr;
    bool m_closedAny = false;
    bool m_filling = false;
};

class ArchiveOpenWindow : public QDialog {
    Q_OBJECT
public:
    ArchiveOpenWindow(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    // The archives of the data folder, newest year first.
    void List1Requery();
    // Checks the file is an archive; true: the window closes with it as
    // chosenFile().
    bool choose(const QString &file);
    const QString &chosenFile() const { return m_chosen; }

private:
    void onPickFile();
    void onOpen();

    AppContext &m_ctx;
    UiService &m_ui;
    QListWidget *m_list = nullptr;
    QStringList m_paths;
    QString m_chosen;
};

} // namespace sorvane
