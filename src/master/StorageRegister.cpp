#include "master/StorageRegister.h"

#include "book/AppContext.h"
#include "book/Registers.h"
#include "ui/ListLines.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace sorvane {

StorageRegister::StorageRegister(AppContext &ctx, UiService &ui, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("保管場所"));
    setWindowTitle(QStringLiteral("保管場所"));
    setFont(ui::gothicFont());

    m_place = ui::named<QLineEdit>(this, QStringLiteral("保管場所"));
    m_place->setMinimumWidth(320);
    m_bankCode = ui::typedCombo(this, QStringLiteral("支払場所コード"));
    m_bank = ui::typedCombo(this, QStringLiteral("支払場所"));
    m_branchCode = ui::typedCombo(this, QStringLiteral("支払場所支店コード"));
    m_branch = ui::typedCombo(this, QStringLiteral("支払場所支店"));
    for (QComboBox *c : {m_bankCode, m_branchCode}) {
        ui::preferLatin(c, true);
        c->setFixedWidth(ui::digitsWidth(c, 6));
    }

    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *remove = ui::button(this, QStringLiteral("削除ボタン"), QStringLiteral("削　除"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    m_list = ui::recordList(this, 420, 220);

    auto *grid = new QGridLayout;
    grid->setColumnStretch(2, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("保管場所"), m_place), 0, 0);
    grid->addWidget(m_place, 0, 1, 1, 2);
    grid->addWidget(ui::label(this, QStringLiteral("Label7"), QStringLiteral("支払場所"), m_bankCode), 1, 0);
    grid->addWidget(m_bankCode, 1, 1);
    grid->addWidget(m_bank, 1, 2);
    grid->addWidget(m_branchCode, 2, 1);
    grid->addWidget(m_branch, 2, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ui::buttonRow({save, remove, close}));
    layout->addSpacing(6);
    layout->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("登録済みの保管場所"), m_list));
    layout->addWidget(m_list, 1);
    ui::addFileMenu(
        this, layout, [this] { onSave(); }, [this] { onDelete(); });

    ui::chainTabOrder({m_place, m_bankCode, m_bank, m_branchCode, m_branch, save, remove, close, m_list});

    connect(save, &QPushButton::clicked, this, &StorageRegister::onSave);
    connect(remove, &QPushButton::clicked, this, &StorageRegister::onDelete);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &QListWidget::itemClicked, this, &StorageRegister::onSelect);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &StorageRegister::onSelect);
    ui::onFocusOut(m_bank, [this] { onBankLeft(); });
    ui::onFocusOut(m_branch, [this] { onBranchLeft(); });

    ui::finishWindow(this);
    m_place->setFocus();
    ClearForm();
    List1Requery();
}

void StorageRegister::ClearForm()
{
    m_place->clear();
    for (QComboBox *c : {m_bankCode, m_bank, m_branchCode, m_branch})
        c->clearEditText();
}

void StorageRegister::List1Requery()
{
    m_list->clear();
    try {
        ui::fillList(m_list, book::storagePlaces(m_ctx.db()));
    } catch (const DbError &e) {
        m_ui.information(e.description());
    }
}

void StorageRegister::onSelect()
{
    const QString name = ui::selectedText(m_list);
    if (name.isEmpty())
        return;
    ClearForm();
    m_place->setText(name);
}

void StorageRegister::onBankLeft()
{
    if (m_bank->currentText().isEmpty())
        return;
    m_place->setText(m_bank->currentText());
    m_branch->clearEditText();
}

void StorageRegister::onBranchLeft()
{
    if (m_branch->currentText().isEmpty())
        return;
    m_place->setText(m_bank->currentText() + m_branch->currentText());
}

void StorageRegister::onSave()
{
    // Spaces around a name would make a second place that looks like the first.
    const QString name = m_place->text().trimmed();
    if (name.isEmpty()) {
        m_ui.information(QStringLiteral("保管場所の名前を入力してください"));
        return;
    }
    try {
        book::saveStoragePlace(m_ctx.db(), name);
    } catch (const DbError &e) {
        m_ui.information(e.description());
        return;
    }
    ClearForm();
    List1Requery();
}

void StorageRegister::onDelete()
{
    const QString name = m_place->text().trimmed();
    if (name.isEmpty())
        return;
    if (!m_ui.confirm(QStringLiteral("削除しますよ"), QStringLiteral("削除の確認"), MessageService::Default::Cancel))
        return;
    try {
        // Bills keep the name they were stored with.
        if (book::deleteStoragePlace(m_ctx.db(), name) == 0) {
            m_ui.information(QStringLiteral("保管場所「%1」は登録されていません").arg(name));
            List1Requery();
            return;
        }
    } catch (const DbError &e) {
        m_ui.information(e.description());
        return;
    }
    ClearForm();
    List1Requery();
}

} // namespace sorvane
