#include "master/StorageRegister.h"

#include "app/AppContext.h"
#include "master/MasterData.h"
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

namespace {

QPushButton *button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = ui::named<QPushButton>(parent, name);
    b->setText(caption);
    b->setAutoDefault(false);
    b->setMinimumWidth(88);
    return b;
}

QLabel *label(QWidget *parent, const QString &name, const QString &caption, QWidget *buddy)
{
    auto *l = ui::named<QLabel>(parent, name);
    l->setText(caption);
    l->setBuddy(buddy);
    return l;
}

QComboBox *typedCombo(QWidget *parent, const QString &name)
{
    auto *c = ui::named<QComboBox>(parent, name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

} // namespace

StorageRegister::StorageRegister(AppContext &ctx, UiService &ui, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("保管場所"));
    setWindowTitle(QStringLiteral("保管場所"));
    setFont(ui::gothicFont());

    m_place = ui::named<QLineEdit>(this, QStringLiteral("保管場所"));
    m_place->setMinimumWidth(320);
    m_bankCode = typedCombo(this, QStringLiteral("支払場所コード"));
    m_bank = typedCombo(this, QStringLiteral("支払場所"));
    m_branchCode = typedCombo(this, QStringLiteral("支払場所支店コード"));
    m_branch = typedCombo(this, QStringLiteral("支払場所支店"));
    for (QComboBox *c : {m_bankCode, m_branchCode}) {
        ui::preferLatin(c, true);
        c->setFixedWidth(c->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 24);
    }

    auto *save = button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *remove = button(this, QStringLiteral("削除ボタン"), QStringLiteral("削　除"));
    auto *close = button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    m_list = ui::named<QListWidget>(this, QStringLiteral("List1"));
    m_list->setFont(ui::listFont());
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumSize(420, 220);

    auto *grid = new QGridLayout;
    grid->setColumnStretch(2, 1);
    grid->addWidget(label(this, QStringLiteral("Label3"), QStringLiteral("保管場所"), m_place), 0, 0);
    grid->addWidget(m_place, 0, 1, 1, 2);
    grid->addWidget(label(this, QStringLiteral("Label7"), QStringLiteral("支払場所"), m_bankCode), 1, 0);
    grid->addWidget(m_bankCode, 1, 1);
    grid->addWidget(m_bank, 1, 2);
    grid->addWidget(m_branchCode, 2, 1);
    grid->addWidget(m_branch, 2, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(remove);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addSpacing(6);
    layout->addWidget(label(this, QStringLiteral("Label1"), QStringLiteral("登録済みの保管場所"), m_list));
    layout->addWidget(m_list, 1);

    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    QMenu *file = ui::addMenu(bar, QStringLiteral("MF"), QStringLiteral("ファイル"));
    QAction *saveItem = ui::addItem(file, QStringLiteral("MH1"), QStringLiteral("保存"));
    QAction *deleteItem = ui::addItem(file, QStringLiteral("MS1"), QStringLiteral("削除"));
    QAction *closeItem = ui::addItem(file, QStringLiteral("ME1"), QStringLiteral("終了"));
    layout->setMenuBar(bar);

    const QList<QWidget *> order = {m_place, m_bankCode, m_bank, m_branchCode, m_branch, save, remove, close, m_list};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    connect(save, &QPushButton::clicked, this, &StorageRegister::onSave);
    connect(saveItem, &QAction::triggered, this, &StorageRegister::onSave);
    connect(remove, &QPushButton::clicked, this, &StorageRegister::onDelete);
    connect(deleteItem, &QAction::triggered, this, &StorageRegister::onDelete);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(closeItem, &QAction::triggered, this, &QDialog::close);
    connect(m_list, &QListWidget::itemClicked, this, &StorageRegister::onSelect);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &StorageRegister::onSelect);
    ui::onFocusOut(m_bank, [this] { onBankLeft(); });
    ui::onFocusOut(m_branch, [this] { onBranchLeft(); });

    ui::nameControls(this);
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
        ui::fillList(m_list, master::storagePlaces(m_ctx.db()));
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
        master::saveStoragePlace(m_ctx.db(), name);
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
    if (!m_ui.confirm(QStringLiteral("削除しますよ"), QStringLiteral("削除の確認")))
        return;
    try {
        // Bills keep the name they were stored with.
        if (master::deleteStoragePlace(m_ctx.db(), name) == 0) {
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
