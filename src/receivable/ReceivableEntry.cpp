#include "receivable/ReceivableEntry.h"

#include "receivable/BillForm.h"
#include "receivable/Guard.h"

#include "book/AppContext.h"
#include "book/Registers.h"
#include "data/BillNumber.h"
#include "data/Calendar.h"
#include "data/Formats.h"
#include "ui/EndorsementDialog.h"
#include "ui/TownList.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"
#include "ui/QuietSteps.h"

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

#include <exception>

namespace sorvane {

ReceivableEntryWindow::ReceivableEntryWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui), m_kit(kit)
{
    setObjectName(QStringLiteral("受取手形入力"));
    setWindowTitle(QStringLiteral("受取手形入力"));
    setFont(ui::gothicFont());

    m_date = ui::named<QLineEdit>(this, QStringLiteral("日付"));
    m_number = ui::named<QLineEdit>(this, QStringLiteral("手形番号"));
    m_code = ui::typedCombo(this, QStringLiteral("Tcode"));
    m_name = ui::named<QLabel>(this, QStringLiteral("TNAME"));
    auto *newCustomer = ui::button(this, QStringLiteral("得意先登録ボタン"), QStringLiteral("新規"));
    // Out of the Tab and Enter path from the code to the drawer: Enter through
    // the fields must not open the register on the way.
    newCustomer->setFocusPolicy(Qt::ClickFocus);
    m_drawer = ui::typedCombo(this, QStringLiteral("振出人"));
    m_placeOfIssue = ui::named<QLineEdit>(this, QStringLiteral("振出地"));
    m_prefecture = ui::typedCombo(this, QStringLiteral("支払県"));
    m_town = ui::typedCombo(this, QStringLiteral("支払市町村"));
    m_bank = ui::typedCombo(this, QStringLiteral("支払場所"));
    m_bankCode = ui::typedCombo(this, QStringLiteral("支払場所コード"));
    m_branch = ui::typedCombo(this, QStringLiteral("支払場所支店"));
    m_branchCode = ui::typedCombo(this, QStringLiteral("支払場所支店コード"));
    m_issue = ui::named<QLineEdit>(this, QStringLiteral("振出日"));
    m_term = ui::named<QLineEdit>(this, QStringLiteral("標準期間"));
    m_due = ui::named<QLineEdit>(this, QStringLiteral("手形期日"));
    m_amount = ui::named<QLineEdit>(this, QStringLiteral("金額"));
    m_endorsers = ui::named<QListWidget>(this, QStringLiteral("List1"));
    auto *endorse = ui::button(this, QStringLiteral("裏書編集ボタン"), QStringLiteral("編集"));
    m_storage = ui::typedCombo(this, QStringLiteral("保管場所"));
    m_caution = ui::markBox(this, QStringLiteral("注意フラグ"));
    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *clear = ui::button(this, QStringLiteral("クリアボタン"), QStringLiteral("クリア"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    for (QWidget *w : {static_cast<QWidget *>(m_date), static_cast<QWidget *>(m_number), static_cast<QWidget *>(m_code),
                       static_cast<QWidget *>(m_issue), static_cast<QWidget *>(m_due)})
        ui::preferLatin(w);
    for (QWidget *w : {static_cast<QWidget *>(m_bankCode), static_cast<QWidget *>(m_branchCode),
                       static_cast<QWidget *>(m_term), static_cast<QWidget *>(m_amount)})
        ui::preferLatin(w, true);
    const receivable::BillFields fields{m_date,  m_number, m_code,   m_name,      m_prefecture, m_town,
                                        m_issue, m_due,    m_amount, m_endorsers, m_storage};
    receivable::sizeFields(fields);
    m_drawer->setMinimumWidth(320);
    m_drawer->setMaxVisibleItems(16);
    m_prefecture->setMaxVisibleItems(16);
    m_town->setMaxVisibleItems(20);
    for (QComboBox *c : {m_bankCode, m_branchCode})
        c->setFixedWidth(ui::digitsWidth(c, 6));
    m_term->setFixedWidth(ui::digitsWidth(m_term, 5));
    m_term->setAlignment(Qt::AlignRight);
    // Nothing is shown here: the endorsers of a new bill live in the dialog until registered.
    m_endorsers->setFocusPolicy(Qt::NoFocus);

    // Left: who and where; right: dates, amount and keeping. The customer
    // comes before the drawer and the number, which its templates propose.
    auto *left = new QGridLayout;
    int r = 0;
    left->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("日付"), m_date), r, 0);
    left->addWidget(m_date, r++, 1, 1, 2, Qt::AlignLeft);
    left->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("得意先コード"), m_code), r, 0);
    auto *customerRow = new QHBoxLayout;
    customerRow->addWidget(m_code);
    customerRow->addWidget(m_name, 1);
    customerRow->addWidget(newCustomer);
    left->addLayout(customerRow, r++, 1, 1, 2);
    left->addWidget(ui::label(this, QStringLiteral("Label5"), QStringLiteral("振出人"), m_drawer), r, 0);
    left->addWidget(m_drawer, r++, 1, 1, 2);
    left->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("手形番号"), m_number), r, 0);
    left->addWidget(m_number, r++, 1, 1, 2, Qt::AlignLeft);
    left->addWidget(ui::label(this, QStringLiteral("Label12"), QStringLiteral("振出地"), m_placeOfIssue), r, 0);
    left->addWidget(m_placeOfIssue, r++, 1, 1, 2);
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

    auto *issueRow = new QHBoxLayout;
    issueRow->addWidget(m_issue);
    issueRow->addSpacing(8);
    issueRow->addWidget(m_term);
    issueRow->addWidget(ui::label(this, QStringLiteral("Label14"), QStringLiteral("日"), m_term));
    issueRow->addStretch(1);
    QGridLayout *right = receivable::rightColumn(this, fields, issueRow, endorse, m_caution, QStringLiteral("Label4"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(receivable::columns(left, right));
    layout->addSpacing(8);
    layout->addLayout(ui::buttonRow({save, clear, close}));

    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    QMenu *file = ui::addMenu(bar, QStringLiteral("MF"), QStringLiteral("ファイル"));
    QAction *menuSave = ui::addItem(file, QStringLiteral("MH1"), QStringLiteral("データ保存"));
    QAction *menuClose = ui::addItem(file, QStringLiteral("ME1"), QStringLiteral("終了"));
    QMenu *edit = ui::addMenu(bar, QStringLiteral("MH"), QStringLiteral("編集"));
    QAction *menuClear = ui::addItem(edit, QStringLiteral("MC1"), QStringLiteral("クリア"));
    layout->setMenuBar(bar);

    ui::chainTabOrder({m_date,     m_code,    newCustomer,  m_drawer, m_number, m_placeOfIssue, m_prefecture, m_town,
                       m_bankCode, m_bank,    m_branchCode, m_branch, m_issue,  m_term,         m_due,        m_amount,
                       endorse,    m_storage, m_caution,    save,     clear,    close});

    connect(save, &QPushButton::clicked, this, [this] { guard(m_ui, [this] { RegisterReceivableBill(); }); });
    // The menu's save is the button's save, warnings and all.
    connect(menuSave, &QAction::triggered, this, [this] { guard(m_ui, [this] { RegisterReceivableBill(); }); });
    connect(clear, &QPushButton::clicked, this, [this] { guard(m_ui, [this] { ClearForm(); }); });
    connect(menuClear, &QAction::triggered, this, [this] { guard(m_ui, [this] { ClearForm(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(menuClose, &QAction::triggered, this, &QDialog::close);
    connect(newCustomer, &QPushButton::clicked, this, [this] { guard(m_ui, [this] { onNewCustomer(); }); });
    connect(endorse, &QPushButton::clicked, this, [this] { guard(m_ui, [this] { onEndorsements(); }); });
    connect(m_code, &QComboBox::activated, this, [this] { guard(m_ui, [this] { pickCustomer(); }); });
    connect(m_drawer, &QComboBox::activated, this,
            [this](int line) { guard(m_ui, [this, line] { onTemplatePicked(line); }); });
    ui::onFocusOut(m_code, [this] { guard(m_ui, [this] { onCustomerLeft(); }); });
    ui::onFocusOut(m_issue, [this] { guard(m_ui, [this] { onIssueDateLeft(); }); });
    ui::onFocusOut(m_due, [this] { guard(m_ui, [this] { onDueDateLeft(); }); });
    m_towns = new ui::TownList(m_ctx, m_ui, m_prefecture, m_town);

    ui::finishWindow(this);
    load();
    m_date->setFocus();
}

void ReceivableEntryWindow::load()
{
    // Opening goes on past a list that cannot be read; the window still works.
    EndorsementEdited = false;
    ClearForm();
    ui::QuietSteps quiet(m_ui);
    quiet([this] { fillCustomerCodes(); });
    m_drawer->clear();
    m_lineIds.clear();
    quiet([this] {
        m_storage->clear();
        m_storage->addItems(book::storagePlaces(m_ctx.db()));
        ui::clearCombo(m_storage);
    });
    quiet([this] { m_towns->loadPrefectures(); });
}

void ReceivableEntryWindow::fillCustomerCodes()
{
    const QString typed = m_code->currentText();
    const QStringList codes = book::customerCodes(m_ctx.db());
    m_code->clear();
    m_code->addItems(codes);
    ui::clearCombo(m_code);
    m_code->setEditText(typed);
}

void ReceivableEntryWindow::ClearForm()
{
    const QDate today = m_ctx.clock.today();
    m_date->setText(fmt::md(today));
    for (QLineEdit *e : {m_number, m_placeOfIssue, m_due})
        e->clear();
    for (QComboBox *c : {m_code, m_storage, m_drawer, m_bankCode, m_bank, m_branchCode, m_branch})
        ui::clearCombo(c);
    m_towns->clearTexts();
    m_name->clear();
    m_endorsers->clear();
    m_issue->setText(fmt::ymd(today));
    m_amount->setText(QStringLiteral("0"));
    m_caution->setChecked(false);
    EndorsementEdited = false;
    m_pickedCode.clear();
    m_customerKey = 0;
}

void ReceivableEntryWindow::clearCustomerFields()
{
    m_towns->clearTexts();
    for (QComboBox *c : {m_bankCode, m_bank, m_branchCode, m_branch, m_drawer})
        ui::clearCombo(c);
    m_term->clear();
    m_number->clear();
}

void ReceivableEntryWindow::onCustomerLeft()
{
    // Leaving without changing the code keeps whatever was typed since.
    const QString code = fmt::normalizeCode(m_code->currentText());
    if (code == m_pickedCode)
        return;
    if (code.isEmpty()) {
        m_name->clear();
        clearCustomerFields();
        m_pickedCode.clear();
        m_customerKey = 0;
        return;
    }
    // A code typed and left is picked as if chosen from the list, so the bill
    // gets its customer's name and templates.
    pickCustomer();
}

void ReceivableEntryWindow::pickCustomer()
{
    const QString code = fmt::normalizeCode(m_code->currentText());
    if (code != m_code->currentText())
        m_code->setEditText(code);
    m_pickedCode = code;

    // Each step goes on when the one before could not read its rows.
    ui::QuietSteps quiet(m_ui);
    std::optional<book::Customer> customer;
    quiet([&] { customer = book::findCustomer(m_ctx.db(), code); });
    m_customerKey = customer ? customer->id : 0;
    m_name->setText(customer ? customer->name : QString());

    QList<book::BillTemplate> templates;
    if (m_customerKey > 0)
        quiet([&] { templates = book::templatesOf(m_ctx.db(), m_customerKey); });
    if (templates.isEmpty())
        clearCustomerFields();
    else
        showTemplate(templates.first());

    m_drawer->clear();
    m_lineIds.clear();
    QStringList lines;
    for (const book::BillTemplate &t : templates) {
        lines << t.振出人 + u':' + t.支払場所;
        m_lineIds.append(t.id);
    }
    m_drawer->addItems(lines);
    ui::clearCombo(m_drawer);
    if (!templates.isEmpty())
        m_drawer->setEditText(templates.first().振出人);
}

void ReceivableEntryWindow::showTemplate(const book::BillTemplate &t)
{
    m_towns->show(t.支払県, t.支払市);
    m_bankCode->setEditText(t.支払場所コード);
    m_bank->setEditText(t.支払場所);
    m_branchCode->setEditText(t.支払場所支店コード);
    m_branch->setEditText(t.支払場所支店);
    m_term->setText(QString::number(t.手形期間));
    m_number->setText(NextBillNumber(t.最終手形番号));
}

void ReceivableEntryWindow::onTemplatePicked(int line)
{
    if (m_drawer->currentText().isEmpty()) {
        ClearForm();
        return;
    }
    // The picked line keeps its "drawer:bank" text; registering stores the drawer alone.
    if (const std::optional<book::BillTemplate> t = book::templateById(m_ctx.db(), m_lineIds.at(line)))
        showTemplate(*t);
}

void ReceivableEntryWindow::onIssueDateLeft()
{
    m_due->setText(FillDueDate(m_issue->text(), m_term->text(), m_due->text(), m_ctx.clock.today()));
}

void ReceivableEntryWindow::onDueDateLeft()
{
    if (!m_ctx.DataWorkspace || m_due->text().isEmpty())
        return;
    // Received bills are always moved off the holidays of the due date's year.
    m_due->setText(CheckDueDate(m_due->text(), true, m_ctx.AppFolder, *m_ctx.DataWorkspace, m_ui, m_ctx.clock.today()));
}

void ReceivableEntryWindow::onEndorsements()
{
    // Without a number there is no bill to endorse yet: Enter on the button
    // goes on to the next field, as Enter through the fields does.
    if (m_number->text().isEmpty()) {
        if (focusWidget() && focusWidget()->objectName() == QStringLiteral("裏書編集ボタン"))
            focusNextChild();
        return;
    }
    if (!m_kit.endorsements)
        return;
    EndorsementDialog *dialog = m_kit.endorsements;
    // The one dialog of the run still holds the last bill's endorsers: empty
    // it the first time for this bill, keep what was typed afterwards.
    if (!EndorsementEdited) {
        EndorsementEdited = true;
        dialog->clearSlots();
    }
    dialog->setBillNumber(m_number->text());
    m_ui.runModal(dialog);
}

void ReceivableEntryWindow::onNewCustomer()
{
    if (!m_kit.customerRegister)
        return;
    QDialog *window = m_kit.customerRegister(this);
    if (!window)
        return;
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_ui.runModal(window);
    delete window;
    // A customer added there can be picked at once.
    ui::quietly(m_ui, [this] { fillCustomerCodes(); });
}

book::TypedBill ReceivableEntryWindow::typedBill() const
{
    book::TypedBill t;
    t.日付 = m_date->text();
    t.手形番号 = m_number->text();
    t.取引先コード = m_code->currentText();
    t.取引先 = m_name->text();
    t.振出地 = m_placeOfIssue->text();
    t.振出人 = m_drawer->currentText();
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

bool ReceivableEntryWindow::RegisterReceivableBill()
{
    book::TypedBill typed = typedBill();
    // A bill with neither number nor customer is what Enter pressed on and
    // on after a registration would store: nothing a clerk meant to book.
    if (fmt::normalizeCode(typed.手形番号).isEmpty() && fmt::normalizeCode(typed.取引先コード).isEmpty()) {
        m_ui.information(QStringLiteral("手形番号と得意先コードが入っていません\n"
                                        "登録する手形の得意先コードと手形番号を入力してください"));
        m_code->setFocus();
        return false;
    }
    // A code typed but not yet left (or picked) is stored with its customer's
    // name, never with the name of a customer picked before.
    if (fmt::normalizeCode(typed.取引先コード) != m_pickedCode) {
        const std::optional<book::Customer> customer = book::findCustomer(m_ctx.db(), typed.取引先コード);
        typed.取引先 = customer ? customer->name : QString();
        m_name->setText(typed.取引先);
    }
    QString problemField;
    const std::optional<book::ReceivableBill> bill =
        book::readTypedBill(typed, m_ctx.clock.today(), m_ui, &problemField);
    if (!bill) {
        if (QWidget *field = findChild<QWidget *>(problemField))
            field->setFocus();
        return false;
    }
    std::optional<book::EndorserSlots> endorsers;
    if (EndorsementEdited && m_kit.endorsements)
        endorsers = m_kit.endorsements->typedSlots();
    try {
        book::registerReceivableBill(m_ctx.db(), *bill, endorsers);
    } catch (const DbError &e) {
        // Nothing was stored; the window keeps the bill for another try.
        m_ui.information(e.description());
        return false;
    }
    ClearForm();
    // The next bill starts at its first field, never on 登録 again.
    m_date->setFocus();
    return true;
}

} // namespace sorvane
