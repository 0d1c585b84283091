#include "payable/PayableList.h"

#include "book/AppContext.h"
#include "book/Conflicts.h"
#include "book/Endorsers.h"
#include "book/ListSheets.h"
#include "data/BillNumber.h"
#include "data/Formats.h"
#include "data/TypedInput.h"
#include "payable/PayableLines.h"
#include "ui/LineList.h"
#include "ui/Printing.h"
#include "ui/QuietSteps.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace sorvane {

namespace {

const QString kOwnCompany = QStringLiteral("自社");

QLineEdit *field(QWidget *parent, const QString &name, int digits = 0)
{
    auto *e = ui::named<QLineEdit>(parent, name);
    if (digits > 0) {
        ui::preferLatin(e);
        e->setFixedWidth(ui::digitsWidth(e, digits));
    }
    return e;
}

QComboBox *textCombo(QWidget *parent, const QString &name, int digits = 0)
{
    QComboBox *c = ui::typedCombo(parent, name);
    if (digits > 0) {
        ui::preferLatin(c);
        c->setFixedWidth(ui::digitsWidth(c, digits) + 20);
    }
    return c;
}

void setComboText(QComboBox *c, const QString &text)
{
    const QSignalBlocker quiet(c);
    c->setCurrentIndex(-1);
    c->setEditText(text);
}

} // namespace

PayableListWindow::PayableListWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui), m_kit(kit)
{
    setObjectName(QStringLiteral("支払手形一覧"));
    setWindowTitle(QStringLiteral("支払手形一覧"));
    setFont(ui::gothicFont());

    m_list = ui::named<ui::LineList>(this, QStringLiteral("List2"));
    m_list->setMinimumSize(600, 220);

    m_date = field(this, QStringLiteral("日付"), 11);
    m_billNumber = textCombo(this, QStringLiteral("手形番号"), 12);
    m_scode = textCombo(this, QStringLiteral("Scode"), 8);
    m_scode->setMaxVisibleItems(20);
    m_sname = ui::named<QLabel>(this, QStringLiteral("SNAME"));
    m_sname->setMinimumWidth(220);
    m_sname->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The button has no action here: suppliers are registered from the entry window.
    auto *newSupplier = ui::button(this, QStringLiteral("得意先登録ボタン"), QStringLiteral("新規"));
    newSupplier->setFocusPolicy(Qt::ClickFocus);
    m_account = ui::typedCombo(this, QStringLiteral("口座名"));
    m_account->setMinimumWidth(360);
    m_account->setMaxVisibleItems(20);
    m_accountId = field(this, QStringLiteral("予約口座id"));
    m_accountKozano = field(this, QStringLiteral("予約kozano"));
    for (QLineEdit *key : {m_accountId, m_accountKozano}) {
        key->setReadOnly(true);
        key->setFocusPolicy(Qt::NoFocus);
        key->hide();
    }
    m_drawer = field(this, QStringLiteral("振出人"));
    m_drawer->setMinimumWidth(260);
    m_prefecture = field(this, QStringLiteral("支払県"));
    m_prefecture->setFixedWidth(ui::digitsWidth(m_prefecture, 9));
    m_city = field(this, QStringLiteral("支払市町村"));
    m_bankCode = textCombo(this, QStringLiteral("支払場所コード"), 5);
    m_bank = textCombo(this, QStringLiteral("支払場所"));
    m_branchCode = textCombo(this, QStringLiteral("支払場所支店コード"), 4);
    m_branch = textCombo(this, QStringLiteral("支払場所支店"));
    m_issueDate = field(this, QStringLiteral("振出日"), 11);
    m_dueDate = field(this, QStringLiteral("手形期日"), 11);
    m_amount = field(this, QStringLiteral("金額"), 14);
    ui::preferLatin(m_amount, true);
    m_amount->setAlignment(Qt::AlignRight);

    m_endorsers = ui::named<QListWidget>(this, QStringLiteral("裏書"));
    m_endorsers->setFocusPolicy(Qt::NoFocus);
    m_endorsers->setSelectionMode(QAbstractItemView::NoSelection);
    m_endorsers->setMinimumWidth(180);

    auto *kind = ui::named<QGroupBox>(this, QStringLiteral("種類"));
    kind->setTitle(QStringLiteral("種類"));
    m_handOn = ui::named<QCheckBox>(kind, QStringLiteral("Check1"));
    m_handOn->setText(QStringLiteral("譲渡"));
    m_issue = ui::named<QCheckBox>(kind, QStringLiteral("Check2"));
    m_issue->setText(QStringLiteral("振出し"));
    auto *kindRow = new QHBoxLayout(kind);
    kindRow->addWidget(m_handOn);
    kindRow->addWidget(m_issue);

    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *remove = ui::button(this, QStringLiteral("削除ボタン"), QStringLiteral("削　除"));
    auto *clear = ui::button(this, QStringLiteral("クリアボタン"), QStringLiteral("クリア"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    int row = 0;
    auto addRow = [&](const QString &labelName, const QString &caption, QWidget *buddy, QLayout *content) {
        grid->addWidget(ui::label(this, labelName, caption, buddy), row, 0);
        grid->addLayout(content, row, 1);
        ++row;
    };
    auto rowOf = [](std::initializer_list<QWidget *> widgets, bool stretch = true) {
        auto *r = new QHBoxLayout;
        for (QWidget *w : widgets)
            r->addWidget(w);
        if (stretch)
            r->addStretch(1);
        return r;
    };
    addRow(QStringLiteral("Label1"), QStringLiteral("日付"), m_date, rowOf({m_date, kind}));
    addRow(QStringLiteral("Label2"), QStringLiteral("手形番号"), m_billNumber, rowOf({m_billNumber}));
    auto *supplierRow = rowOf({m_scode, m_sname, newSupplier}, false);
    supplierRow->setStretch(1, 1);
    addRow(QStringLiteral("Label3"), QStringLiteral("仕入先コード"), m_scode, supplierRow);
    addRow(QStringLiteral("Label10"), QStringLiteral("口座"), m_account,
           rowOf({m_account, m_accountId, m_accountKozano}));
    addRow(QStringLiteral("Label11"), QStringLiteral("振出人"), m_drawer, rowOf({m_drawer}));
    auto *townRow = rowOf({m_prefecture, m_city}, false);
    townRow->setStretch(1, 1);
    addRow(QStringLiteral("Label6"), QStringLiteral("支払地"), m_prefecture, townRow);
    auto *placeRow = rowOf({m_bankCode, m_bank, m_branchCode, m_branch}, false);
    placeRow->setStretch(1, 1);
    placeRow->setStretch(3, 1);
    addRow(QStringLiteral("Label7"), QStringLiteral("支払場所"), m_bankCode, placeRow);
    addRow(QStringLiteral("label13"), QStringLiteral("振出日"), m_issueDate,
           rowOf({m_issueDate, ui::label(this, QStringLiteral("Label8"), QStringLiteral("手形期日"), m_dueDate),
                  m_dueDate, ui::label(this, QStringLiteral("Label9"), QStringLiteral("金額"), m_amount), m_amount}));

    auto *endorserColumn = new QVBoxLayout;
    endorserColumn->addWidget(ui::label(this, QStringLiteral("一覧タイトル"), QStringLiteral("裏書")));
    endorserColumn->addWidget(m_endorsers, 1);

    auto *lower = new QHBoxLayout;
    lower->addLayout(grid, 1);
    lower->addSpacing(8);
    lower->addLayout(endorserColumn);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui::label(this, QStringLiteral("Label5"), QStringLiteral("支払手形一覧"), m_list));
    layout->addWidget(m_list, 1);
    layout->addSpacing(6);
    layout->addLayout(lower);
    auto *history = ui::button(this, QStringLiteral("履歴ボタン"), QStringLiteral("履　歴"));
    connect(history, &QPushButton::clicked, this,
            [this] { openHistory(m_kit, m_ui, this, m_rows.idAt(m_list->selectedRow())); });
    layout->addLayout(ui::buttonRow({save, remove, clear, history, close}));
    QMenu *file = ui::addFileMenu(
        this, layout, [this] { onSave(); }, [this] { onDelete(); });
    connect(ui::addItem(file, QStringLiteral("MP1"), QStringLiteral("印刷")), &QAction::triggered, this,
            &PayableListWindow::printList);
    if (auto *bar = qobject_cast<QMenuBar *>(file->parentWidget())) {
        QMenu *edit = ui::addMenu(bar, QStringLiteral("MH"), QStringLiteral("編集"));
        connect(ui::addItem(edit, QStringLiteral("MC1"), QStringLiteral("クリア")), &QAction::triggered, this,
                &PayableListWindow::ClearForm);
    }

    ui::chainTabOrder({m_list,      m_date,       m_handOn, m_issue,      m_billNumber, m_scode,
                       newSupplier, m_account,    m_drawer, m_prefecture, m_city,       m_bankCode,
                       m_bank,      m_branchCode, m_branch, m_issueDate,  m_dueDate,    m_amount,
                       save,        remove,       clear,    history,    close});

    connect(save, &QPushButton::clicked, this, &PayableListWindow::onSave);
    connect(remove, &QPushButton::clicked, this, &PayableListWindow::onDelete);
    connect(clear, &QPushButton::clicked, this, &PayableListWindow::ClearForm);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_handOn, &QCheckBox::clicked, this, [this](bool on) { m_issue->setChecked(!on); });
    connect(m_issue, &QCheckBox::clicked, this, [this](bool on) { m_handOn->setChecked(!on); });
    connect(m_list, &ui::LineList::rowPicked, this, &PayableListWindow::onLinePicked);
    connect(m_account, &QComboBox::activated, this, &PayableListWindow::onAccountPicked);
    ui::onFocusIn(m_scode, [this] { refillSupplierCodes(); });
    ui::onFocusOut(m_scode, [this] { lookUpSupplier(); });

    ui::finishWindow(this);

    ClearForm();
    List2Requery();
    loadAccounts();
    m_list->setFocus();
}

void PayableListWindow::fail(const std::exception &e)
{
    m_ui.information(errorText(e));
}

void PayableListWindow::loadAccounts()
{
    m_account->clear();
    m_accountSlots.clear();
    if (!m_ctx.LoadAccountCache())
        return;
    m_accountSlots = payable::fillAccountPicks(m_account, m_ctx.AccountCache, m_ctx.AccountCount);
    m_account->setEditText(QString());
}

void PayableListWindow::ClearForm()
{
    m_shown.reset();
    m_issue->setChecked(true);
    m_handOn->setChecked(false);
    m_date->clear();
    setComboText(m_scode, QString());
    m_lookedUpCode.clear();
    m_sname->clear();
    setAccountText(QString());
    for (QLineEdit *e : {m_accountId, m_accountKozano, m_prefecture, m_city, m_issueDate, m_dueDate})
        e->clear();
    for (QComboBox *c : {m_billNumber, m_bankCode, m_bank, m_branchCode, m_branch})
        setComboText(c, QString());
    m_drawer->setText(kOwnCompany);
    m_amount->setText(QStringLiteral("0"));
    m_endorsers->clear();
    for (QWidget *w : std::initializer_list<QWidget *>{m_account, m_accountId, m_accountKozano, m_scode, m_billNumber,
                                                       m_prefecture, m_city, m_bankCode, m_bank, m_branchCode, m_branch,
                                                       m_issueDate, m_drawer, m_dueDate, m_amount, m_handOn, m_issue})
        w->setEnabled(true);
    m_list->clearRowSelection();
}

void PayableListWindow::List2Requery()
{
    m_list->clearLines();
    m_rows.clear();
    // Opening and requerying go on without a message when the list cannot be
    // read, unless the server is out of reach: an empty list must not pass
    // for an empty book.
    QList<qint64> ids;
    if (!ui::quietly(m_ui, [&] { ids = book::payableLineIds(m_ctx.db()); }))
        return;
    ui::fillLines(
        m_list, m_rows, ids, [this](const QList<qint64> &some) { return book::payableLinesOf(m_ctx.db(), some); },
        payable::payableLine);
}

void PayableListWindow::onLinePicked(int row)
{
    if (row < 0)
        return;
    try {
        const std::optional<book::PayableBill> b = book::payableBill(m_ctx.db(), m_rows.idAt(row));
        if (!b || b->処理 <= book::kReceived) {
            m_ui.information(QStringLiteral("この手形は一覧を読んだ後に削除されたか譲渡が解除されています\n"
                                            "一覧を読み直します"));
            ClearForm();
            List2Requery();
            return;
        }
        showBill(*b);
    } catch (const std::exception &e) {
        fail(e);
    }
}

void PayableListWindow::setAccountText(const QString &line)
{
    const QSignalBlocker quiet(m_account);
    const int index = line.isEmpty() ? -1 : m_account->findText(line);
    m_account->setCurrentIndex(index);
    m_account->setEditText(line);
}

void PayableListWindow::showBill(const book::PayableBill &b)
{
    m_shown = b;
    const bool issued = b.処理 == book::kIssued;
    m_issue->setChecked(issued);
    m_handOn->setChecked(!issued);
    if (issued) {
        m_drawer->setText(kOwnCompany);
        setComboText(m_scode, b.取引先コード);
        m_sname->setText(b.取引先);
        m_accountId->setText(QString::number(b.予約口座id));
        m_accountKozano->setText(QString::number(b.kozano));
    } else {
        m_drawer->setText(b.振出人);
        setComboText(m_scode, b.譲渡先コード);
        m_sname->setText(b.譲渡先);
        m_accountId->clear();
        m_accountKozano->clear();
    }
    m_lookedUpCode = fmt::normalizeCode(m_scode->currentText());
    m_date->setText(fmt::ymd(b.日付));
    setComboText(m_billNumber, b.手形番号);
    m_prefecture->setText(b.支払県);
    m_city->setText(b.支払市);
    setComboText(m_bankCode, b.支払場所コード);
    setComboText(m_bank, b.支払場所);
    setComboText(m_branchCode, b.支払場所支店コード);
    setComboText(m_branch, b.支払場所支店);
    m_issueDate->setText(fmt::ymd(b.振出日));
    m_dueDate->setText(fmt::ymd(b.手形期日));
    m_amount->setText(fmt::amount(b.金額));

    // A handed-on bill shows as it was received; only its kind may change.
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_scode, m_billNumber, m_prefecture, m_city, m_bankCode, m_bank, m_branchCode,
                                          m_branch, m_issueDate, m_drawer, m_dueDate, m_amount})
        w->setEnabled(issued);
    m_handOn->setEnabled(!issued);
    m_issue->setEnabled(!issued);
    // A handed-on bill is drawn on no account of the company.
    m_account->setEnabled(issued);

    m_endorsers->clear();
    if (b.処理 == book::kHandedOn)
        m_endorsers->addItems(book::endorserNames(m_ctx.db(), b.id));

    QString line;
    if (issued && b.予約口座id > 0) {
        if (const auto a = book::accountById(m_ctx.db(), b.予約口座id))
            line = book::accountLine(a->kozano, a->銀行名, a->支店名, a->口座番号);
    }
    setAccountText(line);
}

void PayableListWindow::onAccountPicked(int line)
{
    if (!m_shown || m_shown->処理 != book::kIssued || line < 0)
        return;
    try {
        const int slot = m_accountSlots.value(line, -1);
        if (slot < 0 || slot >= m_ctx.AccountCache.size())
            return;
        const qint64 id = m_ctx.AccountCache.at(slot).id;
        // Only a change of account proposes a new number; the bill keeps its own otherwise.
        if (QString::number(id) == m_accountId->text())
            return;
        const std::optional<book::Account> a = book::accountById(m_ctx.db(), id);
        if (!a) {
            m_ui.information(QStringLiteral("この口座は見つかりません\n口座の登録を確かめてください"));
            return;
        }
        m_accountId->setText(QString::number(a->id));
        m_accountKozano->setText(QString::number(a->kozano));
        setComboText(m_billNumber, NextBillNumber(a->最終手形番号));
        m_drawer->setText(a->口座名義);
        m_prefecture->setText(a->支払県);
        m_city->setText(a->支払市);
        setComboText(m_bankCode, a->銀行コード);
        setComboText(m_bank, a->銀行名);
        setComboText(m_branchCode, a->支店コード);
        setComboText(m_branch, a->支店名);
    } catch (const std::exception &e) {
        fail(e);
    }
}

void PayableListWindow::refillSupplierCodes()
{
    // The code of the bill on screen stays: a click into the field must not
    // lose it.
    try {
        const QStringList codes = book::supplierCodes(m_ctx.db());
        const QSignalBlocker quiet(m_scode);
        ui::setItemsKeepingText(m_scode, codes);
    } catch (const std::exception &e) {
        fail(e);
    }
}

void PayableListWindow::lookUpSupplier()
{
    const QString code = fmt::normalizeCode(m_scode->currentText());
    if (code != m_scode->currentText())
        setComboText(m_scode, code);
    // Leaving the code as it was keeps the bill's supplier, even one no
    // longer registered.
    if (code == m_lookedUpCode)
        return;
    m_lookedUpCode = code;
    if (code.isEmpty()) {
        m_sname->clear();
        return;
    }
    try {
        const std::optional<book::PartyRow> supplier = book::findSupplier(m_ctx.db(), code);
        if (!supplier) {
            setComboText(m_scode, QString());
            m_lookedUpCode.clear();
            m_sname->clear();
            return;
        }
        // The code as registered, whatever case it was typed in.
        if (supplier->code != code)
            setComboText(m_scode, supplier->code);
        m_lookedUpCode = supplier->code;
        m_sname->setText(supplier->name);
    } catch (const std::exception &e) {
        fail(e);
    }
}

bool PayableListWindow::saveIssued(const book::PayableBill &shown)
{
    const QDate today = m_ctx.clock.today();
    const QString accountText = m_account->currentText();
    const qsizetype colon = accountText.indexOf(u':');
    if (accountText.trimmed().isEmpty() || colon < 0) {
        m_ui.information(QStringLiteral("口座が選ばれていません\n手形を振り出した口座を選んでください"));
        return false;
    }
    bool ok = false;
    const qint64 kozano = accountText.left(colon).trimmed().toLongLong(&ok);
    const AccountSlot *account = nullptr;
    for (const AccountSlot &s : std::as_const(m_ctx.AccountCache))
        if (ok && s.kozano == kozano && !account)
            account = &s;
    if (!account) {
        m_ui.information(
            QStringLiteral("口座「%1」は登録されていません\n一覧から口座を選んでください").arg(accountText));
        return false;
    }
    input::Problem problem;
    const std::optional<QDate> booked = input::readRequiredDate(input::kBookingDate, m_date->text(), today, problem);
    const std::optional<QDate> issue =
        booked ? input::readRequiredDate(input::kIssueDate, m_issueDate->text(), today, problem) : std::nullopt;
    const std::optional<QDate> due =
        issue ? input::readRequiredDate(input::kDueDate, m_dueDate->text(), today, problem) : std::nullopt;
    const std::optional<qint64> amount = due && input::dueNotBeforeIssue(*issue, *due, problem)
                                             ? input::readAmount(m_amount->text(), problem)
                                             : std::nullopt;
    if (!amount) {
        m_ui.information(problem.message);
        if (QLineEdit *field = findChild<QLineEdit *>(problem.field))
            field->setFocus();
        return false;
    }
    // A code changed and saved without leaving the field is looked up now,
    // never stored with the name of the code before it.
    QString code = fmt::normalizeCode(m_scode->currentText());
    QString name = code.isEmpty() ? QString() : m_sname->text();
    if (code != m_lookedUpCode && !code.isEmpty()) {
        const std::optional<book::PartyRow> supplier = book::findSupplier(m_ctx.db(), code);
        if (!supplier) {
            m_ui.information(QStringLiteral("仕入先コード「%1」は登録されていません\n"
                                            "登録されている仕入先コードを入力してください")
                                 .arg(code));
            m_scode->setFocus();
            return false;
        }
        setComboText(m_scode, supplier->code);
        m_sname->setText(supplier->name);
        m_lookedUpCode = supplier->code;
        code = supplier->code;
        name = supplier->name;
    }
    book::IssuedCorrection c;
    c.billId = shown.id;
    c.accountId = account->id;
    c.取引先コード = code;
    c.取引先 = name;
    c.日付 = *booked;
    c.手形番号 = fmt::normalizeCode(m_billNumber->currentText());
    c.支払県 = m_prefecture->text();
    c.支払市 = m_city->text();
    c.支払場所コード = m_bankCode->currentText();
    c.支払場所 = m_bank->currentText();
    c.支払場所支店コード = m_branchCode->currentText();
    c.支払場所支店 = m_branch->currentText();
    c.振出日 = *issue;
    c.手形期日 = *due;
    c.金額 = *amount;
    c.更新回数 = shown.更新回数;
    c.on = today;
    try {
        if (!book::correctIssuedBill(m_ctx.db(), c))
            refused(shown.id, book::Reach::Issued);
    } catch (const book::DuplicateNumberError &e) {
        // The number stays the clerk's to decide; the free one is proposed.
        setComboText(m_billNumber, e.proposal());
        m_ui.information(e.description());
        return false;
    }
    return true;
}

void PayableListWindow::refused(qint64 id, book::Reach reach)
{
    // Told after the list is read again, which the caller does: the bill
    // leaves it when it is no longer one of its lines.
    std::optional<book::BillState> now;
    ui::quietly(m_ui, [&] { now = book::billState(m_ctx.db(), id); });
    m_pendingNotice = book::notChangeableText(now, reach);
}

void PayableListWindow::reloadAfterConflict(qint64 id, const QString &message)
{
    // What the other clerk saved is shown in place of the refused change, in
    // a list read again.
    ClearForm();
    List2Requery();
    const int row = int(m_rows.ids().indexOf(id));
    if (row >= 0) {
        m_list->selectRow(row);
        onLinePicked(row);
    }
    m_ui.information(message);
}

void PayableListWindow::onSave()
{
    const int row = m_list->selectedRow();
    if (row < 0 || !m_shown || m_shown->id != m_rows.idAt(row)) {
        m_ui.information(QStringLiteral("ここでは修正のみ可能です"));
        return;
    }
    try {
        if (m_shown->処理 == book::kIssued) {
            if (!saveIssued(*m_shown))
                return;
        } else if (m_issue->isChecked()) {
            // "振出し" on a handed-on bill takes the hand-on back.
            if (!book::cancelHandOn(m_ctx.db(), m_shown->id, m_shown->更新回数, m_ctx.clock.today()))
                refused(m_shown->id, book::Reach::HandedOn);
        }
    } catch (const book::ConflictError &e) {
        reloadAfterConflict(m_shown->id, e.description());
        return;
    } catch (const std::exception &e) {
        fail(e);
        return;
    }
    ClearForm();
    List2Requery();
    tellPending();
}

void PayableListWindow::tellPending()
{
    if (m_pendingNotice.isEmpty())
        return;
    const QString notice = std::exchange(m_pendingNotice, QString());
    m_ui.information(notice);
}

void PayableListWindow::onDelete()
{
    const int row = m_list->selectedRow();
    if (row < 0) {
        m_ui.information(QStringLiteral("ここでは削除のみ可能です"));
        return;
    }
    if (m_list->lineText(row).startsWith(payable::kHandedOnMarker)) {
        m_ui.information(QStringLiteral("譲渡した手形は削除できません\n先に譲渡を解除してください"));
        return;
    }
    if (!m_ui.confirm(QStringLiteral("削除しますよ\n元に戻せません"), QStringLiteral("削除の確認"),
                      MessageService::Default::Cancel))
        return;
    try {
        const qint64 id = m_rows.idAt(row);
        const std::optional<qint64> version =
            m_shown && m_shown->id == id ? std::optional<qint64>(m_shown->更新回数) : std::nullopt;
        if (!book::deleteIssuedBill(m_ctx.db(), id, version, m_ctx.clock.today()))
            refused(id, book::Reach::Issued);
        else
            m_ui.information(QStringLiteral("削除しました"));
    } catch (const book::ConflictError &e) {
        reloadAfterConflict(m_rows.idAt(row), e.description());
        return;
    } catch (const std::exception &e) {
        fail(e);
        return;
    }
    ClearForm();
    List2Requery();
    tellPending();
}

void PayableListWindow::printList()
{
    try {
        ui::previewSheets(m_ui, this, {book::payableListSheet(m_ctx.db(), m_rows.ids(), m_ctx.clock.today())});
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

} // namespace sorvane
