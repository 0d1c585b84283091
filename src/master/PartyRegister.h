#pragma once

// The customer and supplier registers share one face: a code, a name, the
// list of registered parties, and save, delete and close; below them the
// party's 登録番号 or 法人番号, for the year-end statements.

#include "book/Registers.h"

#include <QDialog>
#include <QHash>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QMenuBar;
class QAction;

namespace sorvane {

class AppContext;
class UiService;

class PartyRegister : public QDialog {
    Q_OBJECT
public:
    struct Setup {
        QString windowName;  // object name and caption
        QString listLabel;   // caption over the list
        QString codeLabel;   // caption of the code field
        QString nameField;   // control name and caption of the name field
        QString partyWord;   // 得意先 / 仕入先, for the messages
        bool saysDeleted;    // tells "削除しました" after a delete
        bool templateButton; // has 手形情報登録ボタン
        const book::PartyTable *table;
    };

    // Empties the code and the name and fills the list again.
    void ClearForm();
    // Saves the party in the two fields; true when it was stored.
    bool 登録();

protected:
    PartyRegister(AppContext &ctx, UiService &ui, const Setup &setup, QWidget *parent);

    // Fills the list from the table again; a failure is shown.
    void List1Requery();

    AppContext &m_ctx;
    UiService &m_ui;
    QListWidget *m_list = nullptr;
    QLineEdit *m_code = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_number = nullptr;
    QPushButton *m_templateButton = nullptr;

private:
    void fillList();
    void onSelect();
    void lookUpCode();
    void onSave();
    void onDelete();
    int lineOfCode(const QString &code) const;

    Setup m_setup;
    QHash<QString, QString> m_numbers; // by code as listed
};

} // namespace sorvane
