#include "receivable/ReceivableList.h"

#include "receivable/BillForm.h"
#include "receivable/Guard.h"

#include "book/AppContext.h"
#include "book/Conflicts.h"
#include "book/ListSheets.h"
#include "book/Registers.h"
#include "data/Formats.h"
#include "ui/EndorsementDialog.h"
#include "ui/LineList.h"
#include "ui/Printing.h"
#include "ui/QuietSteps.h"
#include "ui/TownList.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QCheckBox>
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

ReceivableListWindow::ReceivableListWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui), m_kit(kit)
{
    setObjectName(QStringLiteral("受取手形一覧"));
    setWindowTitle(QStringLiteral("受取手形一覧"));
    setFont(ui::gothicFont());

    m_list = ui::named<ui::LineList>(this, QStringLiteral("List2"));
    m_list->setMinimumSize(640, m_list->fontMetrics().height() * 12 + 8);
    m_date = ui::named<QLineEdit>(this, QStringLiteral("日付"));
    m_number = ui::named<QLineEdit>(this, QStringLiteral("手形番号"));
    m_code = ui::typedCombo(this, QStringLiteral("Tcode"));
    m_name = ui::named<QLabel>(this, QStringLiteral("TNAME"));
    // Customers are registered from the entry window; here the button stays inert.
    auto *newCustomer = ui::button(this, QStringLiteral("得意先登録ボタン"), QStringLiteral("新規"));
    // Out of the Tab and Enter path from the code to the drawer: Enter through
    // the fields must not open the register on the way.
    newCustomer->setFocusPolicy(Qt::ClickFocus);
    m_placeOfIssue = ui::named<QLineEdit>(this, QStringLiteral("振出地"));
    m_drawer = ui::named<QLineEdit>(this, QStringLiteral("振出人"));
    m_prefecture = ui::typedCombo(this, QStringLiteral("支払県"));
    m_town = ui::typedCombo(this, QStringLiteral("支払市町村"));
    m_bank = ui::typedCombo(this, QStringLiteral("支払場所"));
    m_bankCode = ui::typedCombo(this, QStringLiteral("支払場所コード"));
    m_branch = ui::typedCombo(this, QStringLiteral("支払場所支店"));
    m_branchCode = ui::typedCombo(this, QStringLiteral("支払場所支店コード"));
    m_issue = ui::named<QLineEdit>(this, QStringLiteral("振出日"));
    m_due = ui::named<QLineEdit>(this, QStringLiteral("手形期日"));
    m_amount = ui::named<QLineEdit>(this, QStringLiteral("金額"));
    m_endorsers = ui::named<QListWidget>(this, QStringLiteral("List1"));
    auto *endorse = ui::button(this, QStringLiteral("裏書編集ボタン"), QStringLiteral("編集"));
    m_storage = ui::typedCombo(this, QStringLiteral("保管場所"));
    m_caution = ui::markBox(this, QStringLiteral("注意フラグ"));
    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *remove = ui::button(this, QStringLiteral("削除ボタン"), QStringLiteral("削　除"));
    auto *clear = ui::button(this, QStringLiteral("クリアボタン"), QStringLiteral("クリア"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    for (QWidget *w : {static_cast<QWidget *>(m_date), static_cast<QWidget *>(m_number), static_cast<QWidget *>(m_code),
                       static_cast<QWidget *>(m_issue), static_cast<QWidget *>(m_due)})
        ui::preferLatin(w);
    for (QWidget *w :
         {static_cast<QWidget *>(m_bankCode), static_cast<QWidget *>(m_branchCode), static_cast<QWidget *>(m_amount)})
        ui::preferLatin(w, true);
    const receivable::BillFields fields{m_date,  m_number, m_code,   m_name,      m_prefecture, m_town,
                                        m_issue, m_due,    m_amount, m_endorsers, m_storage};
    receivable::sizeFields(fields);
    m_placeOfIssue->setMinimumWidth(120);
    m_drawer->setMinimumWidth(200);
    m_prefecture->setMaxVisibleItems(16);
    m_town->setMaxVisibleItems(20);
    for (QComboBox *c : {m_bankCode, m_branchCode})
        c->setFixedWidth(ui::digitsWidth(c, 6));

    auto *left = new QGridLayout;
    int r = 0;
    left->addWidget(ui::label(this, QStringLiteral("Label5"), QStringLiteral("日付"), m_date), r, 0);
    left->addWidget(m_date, r++, 1, 1, 2, Qt::AlignLeft);
    left->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("得意先コード"), m_code), r, 0);
    auto *customerRow = new QHBoxLayout;
    customerRow->addWidget(m_code);
    customerRow->addWidget(m_name, 1);
    customerRow->addWidget(newCustomer);
    left->addLayout(customerRow, r++, 1, 1, 2);
    left->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("手形番号"), m_number), r, 0);
    left->addWidget(m_number, r++, 1, 1, 2, Qt::AlignLeft);
    left->addWidget(ui::label(this, QStringLiteral("Label12"), QStringLiteral("振出地と振出人"), m_placeOfIssue), r, 0);
    auto *drawerRow = new QHBoxLayout;
    drawerRow->addWidget(m_placeOfIssue, 2);
    drawerRow->addWidget(m_drawer, 3);
    left->addLayout(drawerRow, r++, 1, 1, 2);
    left->addWidget(ui::label(this, QStringLiteral("Label6"), QStringLiteral("支払地"), m_prefecture), r, 0);
    left->addWidget(m_prefecture, r, 1);
    left->addWidget(m_town, r++, 2);
    left->addWidget(ui::label(this, QStringLiteral("Label7"), QStringLiteral("支払場所"), m_bankCode), r, 0);
    left->addWidget(m_bankCode, r, 1);
    left->addWidget(m_bank, r++, 2);
    left->addWidget(m_branchCode, r, 1);
    left->addWidget(m_branch, r++, 2);
    left->setColumnStretch(2, 1);
    left->setRowStretch(r, 1);

    QGridLayout *right = receivable::rightColumn(this, fields, nullptr, endorse, m_caution, QStringLiteral("Label1"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui::label(this, QStringLiteral("Label4"), QStringLiteral("受取手形一覧"), m_list));
    layout->addWidget(m_list, 1);
    layout->addSpacing(6);
    layout->addLayout(receivable::columns(left, right));
    layout->addSpacing(8);
    // The bill's history: every event since it was received.
    auto *history = ui::button(this, QStringLiteral("履歴ボタン"), QStringLiteral("履　歴"));
    connect(history, &QPushButton::clicked, this,
            [this] { openHistory(m_kit, m_ui, this, m_rows.idAt(m_list->selectedRow())); });
    layout->addLayout(ui::buttonRow({save, remove, clear, history, close}));

    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    QMenu *file = ui::addMenu(bar, QStringLiteral("MF"), QStringLiteral("ファイル"));
    QAction *menuSave = ui::addItem(file, QStringLiteral("MH1"), QStringLiteral("データ保存"));
    QAction *menuDelete = ui::addItem(file, QStringLiteral("MS1"), QStringLiteral("削除"));
    QAction *menuClose = ui::addItem(file, QStringLiteral("ME1"), QStringLiteral("終了"));
    connect(ui::addItem(file, QStringLiteral("MP1"), QStringLiteral("印刷")), &QAction::triggered, this,
            &ReceivableListWindow::printList);
    QMenu *edit = ui::addMenu(bar, QStringLiteral("MH"), QStringLiteral("編集"));
    QAction *menuClear = ui::addItem(edit, QStringLiteral("MC1"), QStringLiteral("クリア"));
    layout->setMenuBar(bar);

    ui::chainTabOrder({m_list,    m_date,       m_code, newCustomer, m_number,    m_placeOfIssue,
                       m_drawer,  m_prefecture, m_town, m_bankCode,  m_bank,      m_branchCode,
                       m_branch,  m_issue,      m_due,  m_amount,    m_endorsers, endorse,
                       m_storage, m_caution,    save,   remove,      clear,       history,     close});

    connect(save, &QPushButton::clicked, this, [this] { guard(m_ui, [this] { SaveReceivableBill(); }); });
    // The menu's save is the button's save, warnings and all.
    connect(menuSave, &QAction::triggered, this, [this] { guard(m_ui, [this] { SaveReceivableBill(); }); });
    connect(remove, &QPushButton::clicked, this, [this] { guard(m_ui, [this] { DeleteReceivableBill(); }); });
    connect(menuDelete, &QAction::triggered, this, [this] { guard(m_ui, [this] { DeleteReceivableBill(); }); });
    connect(clear, &QPushButton::clicked, this, [this] { guard(m_ui, [this] { ClearForm(); }); });
    connect(menuClear, &QAction::triggered, this, [this] { guard(m_ui, [this] { ClearForm(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(menuClose, &QAction::triggered, this, &QDialog::close);
    connect(endorse, &QPushButton::clicked, this, [this] { guard(m_ui, [this] { ShowEndorsements(); }); });
    connect(m_list, &ui::LineList::rowPicked, this,
            [this](int row) { guard(m_ui, [this, row] { onLinePicked(row); }); });
    ui::onFocusOut(m_code, [this] { guard(m_ui, [this] { lookUpCustomer(); }); });
    m_towns = new ui::TownList(m_ctx, m_ui, m_prefecture, m_town);

    ui::finishWindow(this);
    load();
    m_list->setFocus();
}

void ReceivableListWindow::load()
{
    // Opening goes on past a list that cannot be read; the window still opens.
    ClearForm();
    ui::QuietSteps quiet(m_ui);
    quiet([this] { fillList(book::ListLayout::AtLoad); });
    quiet([this] {
        m_storage->clear();
        m_storage->addItems(book::storagePlaces(m_ctx.db()));
        ui::clearCombo(m_storage);
    });
    quiet([this] { m_towns->loadPrefectures(); });
}

void ReceivableListWindow::fillList(book::ListLayout layout)
{
    // One query for the keys; a line's fields are read and laid out when it is shown.
    m_list->clearLines();
    m_rows.clear();
    ui::fillLines(
        m_list, m_rows, book::receivableListIds(m_ctx.db()),
        [this](const QList<qint64> &some) { return book::receivableRowsOf(m_ctx.db(), some); },
        [layout](const book::ReceivableRow &row) { return book::ReceivableListLine(row, layout); });
}

void ReceivableListWindow::ClearForm()
{
    for (QLineEdit *e : {m_date, m_number, m_placeOfIssue, m_drawer, m_issue, m_due})
        e->clear();
    for (QComboBox *c : {m_code, m_storage, m_bankCode, m_bank, m_branchCode, m_branch})
        ui::clearCombo(c);
    m_towns->clearTexts();
    m_name->clear();
    m_endorsers->clear();
    m_amount->setText(QStringLiteral("0"));
    m_caution->setChecked(false);
    EndorsementEdited = false;
    m_lookedUpCode.clear();
    m_loadedId = 0;
    m_loadedVersion.reset();
}

void ReceivableListWindow::onLinePicked(int row)
{
    if (m_list->lineText(row).isEmpty())
        return;
    EndorsementEdited = false;
    const qint64 id = m_rows.idAt(row);
    const std::optional<book::ReceivableBill> bill = book::receivableBill(m_ctx.db(), id);
    if (!bill) {
        m_ui.information(QStringLiteral("この手形は見つかりません\n削除された可能性があります"));
        return;
    }
    showBill(*bill);
    m_loadedId = id;
    m_loadedVersion = bill->更新回数;
    m_endorsers->clear();
    m_endorsers->addItems(book::endorserNames(m_ctx.db(), id));
}

void ReceivableListWindow::reloadAfterConflict(qint64 id, const QString &message)
{
    // What the other clerk saved is shown in place of the refused change,
    // in a list read again: other lines may have changed too.
    ClearForm();
    ui::QuietSteps quiet(m_ui);
    if (quiet([this] { fillList(book::ListLayout::AfterChange); })) {
        const int row = int(m_rows.ids().indexOf(id));
        m_list->selectRow(row);
        if (row >= 0)
            quiet([this, row] { onLinePicked(row); });
    }
    m_ui.information(message);
}

void ReceivableListWindow::dropAfterRefusal(const QString &message)
{
    // The bill is no longer one of this list's: it leaves the fields and the
    // list, so that no second save or delete can reach it.
    ClearForm();
    ui::quietly(m_ui, [this] { fillList(book::ListLayout::AfterChange); });
    m_ui.information(message);
}

void ReceivableListWindow::showBill(const book::ReceivableBill &b)
{
    m_date->setText(fmt::ymd(b.日付));
    m_code->setEditText(b.取引先コード);
    m_name->setText(b.取引先);
    m_lookedUpCode = fmt::normalizeCode(b.取引先コード);
    m_storage->setCurrentIndex(-1);
    m_storage->setEditText(b.保管場所);
    m_number->setText(b.手形番号);
    m_placeOfIssue->setText(b.振出地);
    m_drawer->setText(b.振出人);
    m_towns->show(b.支払県, b.支払市);
    m_bankCode->setEditText(b.支払場所コード);
    m_bank->setEditText(b.支払場所);
    m_branchCode->setEditText(b.支払場所支店コード);
    m_branch->setEditText(b.支払場所支店);
    m_issue->setText(fmt::ymd(b.振出日));
    m_due->setText(fmt::ymd(b.手形期日));
    m_amount->setText(fmt::amount(b.金額));
    m_caution->setChecked(b.注意フラグ);
}

void ReceivableListWindow::lookUpCustomer()
{
    // Only a changed code is looked up: tabbing through a loaded bill keeps
    // its code and name, even of a customer no longer registered.
    const QString code = fmt::normalizeCode(m_code->currentText());
    if (code.isEmpty() || code == m_lookedUpCode)
        return;
    std::optional<book::Customer> customer;
    if (!ui::quietly(m_ui, [&] { customer = book::findCustomer(m_ctx.db(), code); }))
        return;
    if (!customer) {
        ui::clearCombo(m_code);
        m_name->clear();
        m_lookedUpCode.clear();
        return;
    }
    m_code->setEditText(code);
    m_name->setText(customer->name);
    m_lookedUpCode = code;
}

book::TypedBill ReceivableListWindow::typedBill() const
{
    book::TypedBill t;
    t.日付 = m_date->text();
    t.手形番号 = m_number->text();
    t.取引先コード = m_code->currentText();
    t.取引先 = m_name->text();
    t.振出地 = m_placeOfIssue->text();
    t.振出人 = m_drawer->text();
    t.支払県 = m_towns->prefecture();
    t.支払市 = m_towns->town();
    t.支払場所コード = m_bankCode->currentText();
    t.支払場所 = m_bank->currentText();
    t.支払場所支店コード = m_branchCode->currentText();
    t.支払場所支店 = m_branch->currentText();
    t.振出日 = m_issue->text();
    t.手形期日 = m_due->text();
    t.金額 = m_amount->text();
    t.保管場所 = m_storage->currentText();
    t.注意フラグ = m_caution->isChecked();
    return t;
}

bool ReceivableListWindow::SaveReceivableBill()
{
    const int row = m_list->selectedRow();
    if (row < 0 || m_list->lineText(row).isEmpty()) {
        m_ui.information(QStringLiteral("ここでは修正登録のみ可能です"));
        return false;
    }
    // The fields hold another bill than the selected line's when loading the
    // line failed: saving them would write that bill over this one.
    const qint64 id = m_rows.idAt(row);
    if (m_loadedId != 0 && m_loadedId != id) {
        m_ui.information(QStringLiteral("選んだ行の手形を読み込めていません\n行をもう一度選んでください"));
        m_list->setFocus();
        return false;
    }
    // A code changed but not yet left is looked up as leaving it would.
    lookUpCustomer();
    QString problemField;
    const std::optional<book::ReceivableBill> read =
        book::readTypedBill(typedBill(), m_ctx.clock.today(), m_ui, &problemField);
    if (!read) {
        if (QWidget *field = findChild<QWidget *>(problemField))
            field->setFocus();
        return false;
    }
    book::ReceivableBill bill = *read;
    // The bill of the selected line, never another one with the same number and customer.
    bill.id = id;
    if (bill.id == m_loadedId)
        bill.更新回数 = m_loadedVersion;
    std::optional<book::EndorserSlots> endorsers;
    if (EndorsementEdited && m_kit.endorsements)
        endorsers = m_kit.endorsements->typedSlots();
    try {
        book::saveReceivableBill(m_ctx.db(), bill, endorsers, m_ctx.clock.today());
    } catch (const book::NotChangeableError &e) {
        dropAfterRefusal(e.description());
        return false;
    } catch (const book::ConflictError &e) {
        reloadAfterConflict(bill.id, e.description());
        return false;
    } catch (const DbError &e) {
        m_ui.information(e.description());
        return false;
    }
    ClearForm();
    fillList(book::ListLayout::AfterChange);
    return true;
}

bool ReceivableListWindow::DeleteReceivableBill()
{
    const int row = m_list->selectedRow();
    if (row < 0 || m_list->lineText(row).isEmpty()) {
        m_ui.information(QStringLiteral("ここでは削除のみ可能です"));
        return false;
    }
    const qint64 id = m_rows.idAt(row);
    if (!m_ui.confirm(QStringLiteral("削除しますよ\n元に戻せません"), QStringLiteral("削除の確認"),
                      MessageService::Default::Cancel))
        return false;
    try {
        book::deleteReceivableBill(m_ctx.db(), id, id == m_loadedId ? m_loadedVersion : std::nullopt,
                                   m_ctx.clock.today());
    } catch (const book::NotChangeableError &e) {
        dropAfterRefusal(e.description());
        return false;
    } catch (const book::ConflictError &e) {
        reloadAfterConflict(id, e.description());
        return false;
    } catch (const DbError &e) {
        m_ui.information(e.description());
        return false;
    }
    m_ui.information(QStringLiteral("削除しました"));
    ClearForm();
    fillList(book::ListLayout::AfterChange);
    return true;
}

void ReceivableListWindow::ShowEndorsements()
{
    if (!m_kit.endorsements)
        return;
    EndorsementDialog *dialog = m_kit.endorsements;
    // The first use for the bill loads its stored endorsers; later uses show
    // what was typed since, which the save will write.
    if (!EndorsementEdited) {
        dialog->clearSlots();
        const int row = m_list->selectedRow();
        // Endorsers that cannot be read stop here (the caller's trap says
        // why): a dialog opened blank would have the save erase them.
        if (row >= 0)
            dialog->setSlots(book::endorsersOf(m_ctx.db(), m_rows.idAt(row)));
        EndorsementEdited = true;
    }
    dialog->setBillNumber(m_number->text());
    m_ui.runModal(dialog);
}

void ReceivableListWindow::printList()
{
    try {
        ui::previewSheets(m_ui, this, {book::receivableListSheet(m_ctx.db(), m_rows.ids(), m_ctx.clock.today())});
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

} // namespace sorvane
