#pragma once

// 操作方法: the manual in a window, with its contents on the left, the
// search below them and the page on the right. It stays open beside the
// main window, as a printed manual would lie beside the keyboard.

#include "help/Manual.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace sorvane {

class ManualWindow : public QDialog {
    Q_OBJECT
public:
    explicit ManualWindow(QWidget *parent = nullptr);

    // Shows a section of a page (the page's top without anchor); with a word,
    // the first place of the word from there is selected.
    bool showSection(const QString &page, const QString &anchor, const QString &word = {});
    // Runs the search of the window's field and jumps to the first place.
    void search(const QString &query);

    const help::Manual &manual() const { return m_manual; }
    QTextBrowser *browser() const { return m_browser; }

private:
    void fillContents();
    void onContentsClicked(QTreeWidgetItem *item);
    void onResultClicked(int row);
    void selectWord(const QString &anchor, const QString &word);

    help::Manual m_manual;
    QTreeWidget *m_contents = nullptr;
    QLineEdit *m_query = nullptr;
    QLabel *m_message = nullptr;
    QListWidget *m_results = nullptr;
    QTextBrowser *m_browser = nullptr;
    QList<help::Hit> m_hits;
    QString m_lastQuery;
};

} // namespace sorvane
