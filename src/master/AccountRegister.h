#pragma once

// 口座情報: the company's bank accounts (口座データ), on the same book
// functions as sorvane-admin account. Every column, in kozano order; an
// account that bills use is not removed.

#include <QDialog>
#include <QMap>

#include <optional>

class QComboBox;
class QLineEdit;

namespace sorvane {

class AppContext;
class UiService;

namespace ui {
class SheetView;
}

class AccountRegister : public QDialog {
    Q_OBJECT
public:
    AccountRegister(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    // Empties the fields and picks no account.
    void ClearForm();
    // Reads the accounts again.
    void List1Requery();
    // Saves the fields: over the picked account, else as a new one. False
    // after a message.
    bool save();
    // Removes the picked account after the question. False when nothing was removed.
    bool remove();

private:
    void onPicked(int row);
    void showField(const QString &column, const QString &text);
    QString fieldText(const QString &column) const;
    QWidget *field(const QString &column) const;

    AppContext &m_ctx;
    UiService &m_ui;
    ui::SheetView *m_list = nullptr;
    QMap<QString, QLineEdit *> m_edits;
    QComboBox *m_kind = nullptr;
    std::optional<qint64> m_picked; // kozano of the account shown
};

} // namespace sorvane
