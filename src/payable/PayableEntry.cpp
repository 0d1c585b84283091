#include "payable/PayableEntry.h"

#include "book/AppContext.h"
#include "book/Conflicts.h"
#include "data/BillNumber.h"
#include "data/Calendar.h"
#include "data/Formats.h"
#include "data/TypedInput.h"
#include "payable/PayableLines.h"
#include "ui/LineList.h"
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

// The boxes of the previous record only show.
QLineEdit *shownField(QWidget *parent, const QString &name, int digits)
{
    auto *e = ui::named<QLineEdit>(parent, name);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    if (digits > 0)
        e->setFixedWidth(ui::digitsWidth(e, digits));
    return e;
}

} // namespace

PayableEntryWindow::PayableEntryWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui), m_kit(kit)
{
    setObjectName(QStringLiteral("支払手形入力"));
    setWindowTitle(QStringLiteral("支払手形入力"));
    setFont(ui::gothicFont());

    m_date = field(this, QStringLiteral("日付"), 6);

    auto *kind = ui::named<QGroupBox>(this, QStringLiteral("種類"));
    kind->setTitle(QStringLiteral("種類"));
    m_handOn = ui::named<QCheckBox>(kind, QStringLiteral("Check1"));
    m_handOn->setText(QStringLiteral("譲渡"));
    m_issue = ui::named<QCheckBox>(kind, QStringLiteral("Check2"));
    m_issue->setText(QStringLiteral("振出し"));
    auto *kindRow = new QHBoxLayout(kind);
    kindRow->addWidget(m_handOn);
    kindRow->addWidget(m_issue);

    m_account = ui::named<QComboBox>(this, QStringLiteral("口座名"));
    m_account->setMinimumWidth(360);
    m_account->setMaxVisibleItems(20);
    m_billNumber = field(this, QStringLiteral("手形番号"), 12);
    m_scode = ui::typedCombo(this, QStringLiteral("Scode"));
    ui::preferLatin(m_scode);
    m_scode->setFixedWidth(ui::digitsWidth(m_scode, 8));
    m_scode->setMaxVisibleItems(20);
    m_sname = ui::named<QLabel>(this, QStringLiteral("SNAME"));
    m_sname->setMinimumWidth(240);
    m_sname->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto *supplierButton = ui::button(this, QStringLiteral("得意先登録ボタン"), QStringLiteral("編集"));
    // Out of the Tab and Enter path from the code to the drawer, as in the
    // receivable windows: Enter through the fields must not open the register.
    supplierButton->setFocusPolicy(Qt::ClickFocus);
    m_drawer = field(this, QStringLiteral("振出人"));
    m_drawer->setMinimumWidth(300);
    m_bankCode = field(this, QStringLiteral("支払場所コード"), 5);
    ui::preferLatin(m_bankCode, true);
    m_bank = field(this, QStringLiteral("支払場所"));
    m_branchCode = field(this, QStringLiteral("支払場所支店コード"), 4);
    ui::preferLatin(m_branchCode, true);
    m_branch = field(this, QStringLiteral("支払場所支店"));
    m_issueDate = field(this, QStringLiteral("振出日"), 11);
    m_term = field(this, QStringLiteral("標準期間"), 5);
    m_term->hide();
    m_dueDate = field(this, QStringLiteral("手形期日"), 11);
    m_amount = field(this, QStringLiteral("金額"), 14);
    ui::preferLatin(m_amount, true);
    m_amount->setAlignment(Qt::AlignRight);

    m_list = ui::named<ui::LineList>(this, QStringLiteral("手形一覧"));
    m_list->setMinimumSize(520, 180);

    m_pastDate = shownField(this, QStringLiteral("過去日付"), 11);
    m_pastNumber = shownField(this, QStringLiteral("過去手形番号"), 12);
    m_pastAmount = shownField(this, QStringLiteral("過去金額"), 14);
    m_pastAmount->setAlignment(Qt::AlignRight);
    m_pastDue = shownField(this, QStringLiteral("過去手形期日"), 11);
    m_pastAccount = shownField(this, QStringLiteral("過去口座"), 0);
    m_pastAccount->setMinimumWidth(300);

    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *clear = ui::button(this, QStringLiteral("クリアボタン"), QStringLiteral("クリア"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    // Fields of the bill.
    auto *grid = new QGridLayout;
    grid->setColumnStretch(4, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("日付"), m_date), 0, 0);
    grid->addWidget(m_date, 0, 1, Qt::AlignLeft);
    grid->addWidget(kind, 0, 2, 1, 3, Qt::AlignLeft);
    grid->addWidget(ui::label(this, QStringLiteral("Label10"), QStringLiteral("口座"), m_account), 1, 0);
    grid->addWidget(m_account, 1, 1, 1, 4);
    grid->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("手形番号"), m_billNumber), 2, 0);
    grid->addWidget(m_billNumber, 2, 1, 1, 4, Qt::AlignLeft);
    grid->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("仕入先コード"), m_scode), 3, 0);
    auto *supplierRow = new QHBoxLayout;
    supplierRow->addWidget(m_scode);
    supplierRow->addWidget(m_sname, 1);
    supplierRow->addWidget(supplierButton);
    grid->addLayout(supplierRow, 3, 1, 1, 4);
    grid->addWidget(ui::label(this, QStringLiteral("Label11"), QStringLiteral("振出人"), m_drawer), 4, 0);
    grid->addWidget(m_drawer, 4, 1, 1, 4, Qt::AlignLeft);
    grid->addWidget(ui::label(this, QStringLiteral("Label7"), QStringLiteral("支払場所"), m_bankCode), 5, 0);
    auto *placeRow = new QHBoxLayout;
    placeRow->addWidget(m_bankCode);
    placeRow->addWidget(m_bank, 1);
    placeRow->addWidget(m_branchCode);
    placeRow->addWidget(m_branch, 1);
    grid->addLayout(placeRow, 5, 1, 1, 4);
    auto *datesRow = new QHBoxLayout;
    datesRow->addWidget(m_issueDate);
    datesRow->addSpacing(12);
    datesRow->addWidget(ui::label(this, QStringLiteral("Label8"), QStringLiteral("手形期日"), m_dueDate));
    datesRow->addWidget(m_dueDate);
    datesRow->addSpacing(12);
    datesRow->addWidget(ui::label(this, QStringLiteral("Label9"), QStringLiteral("金額"), m_amount));
    datesRow->addWidget(m_amount);
    datesRow->addWidget(m_term);
    datesRow->addStretch(1);
    grid->addWidget(ui::label(this, QStringLiteral("label13"), QStringLiteral("振出日"), m_issueDate), 6, 0);
    grid->addLayout(datesRow, 6, 1, 1, 4);

    // What was last issued to the supplier.
    auto *past = new QGridLayout;
    past->addWidget(ui::label(this, QStringLiteral("Label4"), QStringLiteral("前回の記録")), 0, 0, 1, 5);
    past->addWidget(ui::label(this, QStringLiteral("Label12"), QStringLiteral("日付"), m_pastDate), 1, 0);
    past->addWidget(ui::label(this, QStringLiteral("Label14"), QStringLiteral("手形番号"), m_pastNumber), 1, 1);
    past->addWidget(ui::label(this, QStringLiteral("Label15"), QStringLiteral("金額"), m_pastAmount), 1, 2);
    past->addWidget(ui::label(this, QStringLiteral("Label5"), QStringLiteral("手形期日"), m_pastDue), 1, 3);
    past->addWidget(ui::label(this, QStringLiteral("Label16"), QStringLiteral("口座"), m_pastAccount), 1, 4);
    past->addWidget(m_pastDate, 2, 0);
    past->addWidget(m_pastNumber, 2, 1);
    past->addWidget(m_pastAmount, 2, 2);
    past->addWidget(m_pastDue, 2, 3);
    past->addWidget(m_pastAccount, 2, 4);
    past->setColumnStretch(4, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(past);
    layout->addSpacing(6);
    layout->addWidget(ui::label(this, QStringLiteral("一覧タイトル"), QStringLiteral("使用する手形"), m_list));
    layout->addWidget(m_list, 1);
    layout->addLayout(ui::buttonRow({save, clear, close}));

    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    QMenu *file = ui::addMenu(bar, QStringLiteral("MF"), QStringLiteral("ファイル"));
    connect(ui::addItem(file, QStringLiteral("MH1"), QStringLiteral("保存")), &QAction::triggered, this,
            &PayableEntryWindow::onRegister);
    connect(ui::addItem(file, QStringLiteral("ME1"), QStringLiteral("終了")), &QAction::triggered, this,
            &QDialog::close);
    QMenu *edit = ui::addMenu(bar, QStringLiteral("MH"), QStringLiteral("編集"));
    connect(ui::addItem(edit, QStringLiteral("MC1"), QStringLiteral("クリア")), &QAction::triggered, this,
            &PayableEntryWindow::ClearForm);
    layout->setMenuBar(bar);

    ui::chainTabOrder({m_date, m_handOn, m_issue, m_account, m_billNumber, m_scode, supplierButton, m_drawer,
                       m_bankCode, m_bank, m_branchCode, m_branch, m_issueDate, m_dueDate, m_amount, m_list, save,
                       clear, close});

    connect(save, &QPushButton::clicked, this, &PayableEntryWindow::onRegister);
    connect(clear, &QPushButton::clicked, this, &PayableEntryWindow::ClearForm);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(supplierButton, &QPushButton::clicked, this, &PayableEntryWindow::openSupplierRegister);
    // The two boxes always end in opposite states; which one was clicked and
    // how it ended decides the mode.
    connect(m_issue, &QCheckBox::clicked, this, [this](bool on) { on ? enterIssueMode() : enterHandOnMode(); });
    connect(m_handOn, &QCheckBox::clicked, this, [this](bool on) { on ? enterHandOnMode() : enterIssueMode(); });
    connect(m_account, &QComboBox::activated, this, &PayableEntryWindow::onAccountPicked);
    connect(m_scode, &QComboBox::activated, this, [this] { lookUpSupplier(); });
    ui::onFocusIn(m_scode, [this] { refillSupplierCodes(); });
    ui::onFocusOut(m_scode, [this] { lookUpSupplier(); });
    ui::onFocusOut(m_issueDate, [this] { onIssueDateLeft(); });
    ui::onFocusOut(m_dueDate, [this] { onDueDateLeft(); });
    connect(m_list, &ui::LineList::rowPicked, this, &PayableEntryWindow::onCandidatePicked);

    ui::finishWindow(this);

    ClearForm();
    // A connection found lost while clearing was said once already; the
    // accounts would say it again after their own wait.
    if (!m_ctx.DataDb || !m_ctx.DataDb->connectionLost())
        loadAccounts();
    m_date->setFocus();
}

void PayableEntryWindow::fail(const std::exception &e)
{
    m_ui.information(errorText(e));
}

void PayableEntryWindow::loadAccounts()
{
    m_account->clear();
    m_accountSlots.clear();
    // An empty account table leaves the cache as it was; offering its old
    // lines would offer accounts that are gone.
    if (!m_ctx.LoadAccountCache())
        return;
    m_accountSlots = payable::fillAccountPicks(m_account, m_ctx.AccountCache, m_ctx.AccountCount);
}

void PayableEntryWindow::setLocked(bool locked)
{
    for (QLineEdit *e : {m_issueDate, m_dueDate, m_amount})
        e->setEnabled(!locked);
}

void PayableEntryWindow::ClearForm()
{
    // Each step goes on past a failing one.
    m_selectedBill = 0;
    m_selectedDue = QDate();
    {
        const QSignalBlocker a(m_issue);
        const QSignalBlocker b(m_handOn);
        m_issue->setChecked(true);
        m_handOn->setChecked(false);
    }
    const QDate today = m_ctx.clock.today();
    m_account->setCurrentIndex(-1);
    m_date->setText(fmt::md(today));
    m_scode->setEditText(QString());
    m_lookedUpCode.clear();
    m_sname->clear();
    m_billNumber->clear();
    m_drawer->setText(kOwnCompany);
    for (QLineEdit *e : {m_bankCode, m_bank, m_branchCode, m_branch, m_dueDate, m_term, m_pastDate, m_pastNumber,
                         m_pastAmount, m_pastDue, m_pastAccount})
        e->clear();
    m_issueDate->setText(fmt::ymdShort(today));
    m_amount->setText(QStringLiteral("0"));
    // The issue mode types its own dates and amount, even after a hand-on locked them.
    setLocked(false);
    fillCandidates();
    m_list->setEnabled(false);
}

void PayableEntryWindow::fillCandidates()
{
    m_list->setEnabled(true);
    m_list->clearLines();
    m_candidates.clear();
    QList<qint64> ids;
    if (!ui::quietly(m_ui, [&] { ids = book::candidateIds(m_ctx.db()); }))
        return;
    ui::fillLines(
        m_list, m_candidates, ids, [this](const QList<qint64> &some) { return book::candidatesOf(m_ctx.db(), some); },
        payable::candidateLine);
    m_list->clearRowSelection();
}

void PayableEntryWindow::enterIssueMode()
{
    {
        const QSignalBlocker a(m_issue);
        const QSignalBlocker b(m_handOn);
        m_issue->setChecked(true);
        m_handOn->setChecked(false);
    }
    // Whatever was typed for a hand-on is discarded.
    ClearForm();
}

void PayableEntryWindow::enterHandOnMode()
{
    {
        const QSignalBlocker a(m_issue);
        const QSignalBlocker b(m_handOn);
        m_issue->setChecked(false);
        m_handOn->setChecked(true);
    }
    m_list->setEnabled(true);
    if (m_drawer->text() == kOwnCompany)
        m_drawer->clear();
}

void PayableEntryWindow::onAccountPicked(int line)
{
    if (line < 0 || m_account->currentText().isEmpty()) {
        m_drawer->setText(kOwnCompany);
        for (QLineEdit *e : {m_bankCode, m_bank, m_branchCode, m_branch})
            e->clear();
        return;
    }
    try {
        const int slot = m_accountSlots.value(line, -1);
        if (slot < 0 || slot >= m_ctx.AccountCache.size())
            return;
        const std::optional<book::Account> a = book::accountById(m_ctx.db(), m_ctx.AccountCache.at(slot).id);
        if (!a) {
            m_ui.information(QStringLiteral("この口座は見つかりません\n口座の登録を確かめてください"));
            m_account->setCurrentIndex(-1);
            return;
        }
        m_drawer->setText(a->口座名義);
        m_bankCode->setText(a->銀行コード);
        m_bank->setText(a->銀行名);
        m_branchCode->setText(a->支店コード);
        m_branch->setText(a->支店名);
        m_billNumber->setText(NextBillNumber(a->最終手形番号));
        m_term->setText(QString::number(a->手形期間));
    } catch (const std::exception &e) {
        fail(e);
    }
}

void PayableEntryWindow::refillSupplierCodes()
{
    // The list is read afresh each time, so a supplier just registered is
    // there; the code already typed stays.
    try {
        const QStringList codes = book::supplierCodes(m_ctx.db());
        const QSignalBlocker quiet(m_scode);
        ui::setItemsKeepingText(m_scode, codes);
    } catch (const std::exception &e) {
        fail(e);
    }
}

void PayableEntryWindow::lookUpSupplier()
{
    const QString code = fmt::normalizeCode(m_scode->currentText());
    if (code != m_scode->currentText())
        m_scode->setEditText(code);
    // Leaving the field unchanged does not read the supplier again.
    if (code == m_lookedUpCode && (code.isEmpty() || !m_sname->text().isEmpty()))
        return;
    m_lookedUpCode = code;
    try {
        if (code.isEmpty()) {
            m_sname->clear();
            showPreviousIssue(QString());
            return;
        }
        const std::optional<book::PartyRow> supplier = book::findSupplier(m_ctx.db(), code);
        if (!supplier) {
            m_scode->setEditText(QString());
            m_lookedUpCode.clear();
            m_sname->clear();
            showPreviousIssue(QString());
            return;
        }
        // The code as registered, whatever case it was typed in.
        if (supplier->code != code)
            m_scode->setEditText(supplier->code);
        m_lookedUpCode = supplier->code;
        m_sname->setText(supplier->name);
        showPreviousIssue(supplier->code);
    } catch (const std::exception &e) {
        fail(e);
    }
}

void PayableEntryWindow::showPreviousIssue(const QString &code)
{
    std::optional<book::PreviousIssue> p;
    if (!code.isEmpty())
        p = book::previousIssue(m_ctx.db(), code);
    if (!p) {
        m_pastDate->setText(QStringLiteral("なし"));
        for (QLineEdit *e : {m_pastNumber, m_pastAmount, m_pastDue, m_pastAccount})
            e->clear();
        return;
    }
    m_pastDate->setText(fmt::ymd(p->日付));
    m_pastAmount->setText(fmt::amount(p->金額));
    m_pastNumber->setText(p->手形番号);
    m_pastDue->setText(fmt::ymd(p->手形期日));
    if (p->kozano <= 0) {
        m_pastAccount->setText(QStringLiteral("不明"));
    } else if (const auto a = book::accountByKozano(m_ctx.db(), p->kozano)) {
        m_pastAccount->setText(book::accountLine(a->kozano, a->銀行名, a->支店名, a->口座番号));
    } else {
        m_pastAccount->setText(QStringLiteral("該当なし"));
    }
}

void PayableEntryWindow::onCandidatePicked(int row)
{
    m_selectedBill = 0;
    m_selectedDue = QDate();
    if (!m_handOn->isChecked())
        return;
    try {
        const qint64 id = m_candidates.idAt(row);
        const std::optional<book::PayableBill> b = id > 0 ? book::candidateBill(m_ctx.db(), id) : std::nullopt;
        if (!b) {
            m_ui.information(QStringLiteral("この手形はもう使えません（譲渡済みか削除されています）\n"
                                            "一覧を読み直します"));
            fillCandidates();
            return;
        }
        m_selectedBill = id;
        m_selectedDue = b->手形期日;
        m_selectedVersion = b->更新回数;
        m_billNumber->setText(b->手形番号);
        m_drawer->setText(b->振出人);
        for (QLineEdit *e : {m_bankCode, m_bank, m_branchCode, m_branch})
            e->clear();
        m_issueDate->setText(fmt::ymdShort(b->振出日));
        m_dueDate->setText(fmt::ymdShort(b->手形期日));
        m_amount->setText(fmt::amount(b->金額));
        setLocked(true);
        m_term->setText(QString::number(b->手形期間));
    } catch (const std::exception &e) {
        fail(e);
    }
}

void PayableEntryWindow::onIssueDateLeft()
{
    const QDate today = m_ctx.clock.today();
    const QString issue = m_issueDate->text();
    // Only a term can turn the issue date into a due date: without one there
    // is nothing to say about what was typed yet.
    if (!issue.trimmed().isEmpty() && !m_term->text().trimmed().isEmpty() && !fmt::parseDate(issue, today).isValid()) {
        input::Problem problem;
        input::readDate(input::kIssueDate, issue, today, problem);
        m_ui.information(problem.message);
        return;
    }
    m_dueDate->setText(FillDueDate(issue, m_term->text(), m_dueDate->text(), today));
}

void PayableEntryWindow::onDueDateLeft()
{
    if (m_dueDate->text().isEmpty() || !m_ctx.DataWorkspace)
        return;
    m_dueDate->setText(CheckDueDate(m_dueDate->text(), m_ctx.HolidayDataAvailable, m_ctx.AppFolder,
                                    *m_ctx.DataWorkspace, m_ui, m_ctx.clock.today()));
}

void PayableEntryWindow::openSupplierRegister()
{
    if (!m_kit.supplierRegister)
        return;
    try {
        QDialog *w = m_kit.supplierRegister(this);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        m_ui.runModal(w);
        delete w;
    } catch (const std::exception &e) {
        fail(e);
    }
}

std::optional<book::PartyRow> PayableEntryWindow::supplierToStore(bool &refused)
{
    // A code typed and saved without leaving the field is looked up now, so
    // it never goes with the name of the supplier looked up before it.
    refused = false;
    const QString code = fmt::normalizeCode(m_scode->currentText());
    if (code.isEmpty()) {
        m_lookedUpCode.clear();
        m_sname->clear();
        return std::nullopt;
    }
    if (code == m_lookedUpCode && !m_sname->text().isEmpty())
        return book::PartyRow{code, m_sname->text()};
    const std::optional<book::PartyRow> supplier = book::findSupplier(m_ctx.db(), code);
    if (!supplier) {
        refused = true;
        m_ui.information(QStringLiteral("仕入先コード「%1」は登録されていません\n"
                                        "登録されている仕入先コードを入力してください")
                             .arg(code));
        m_scode->setFocus();
        return std::nullopt;
    }
    if (supplier->code != m_lookedUpCode || supplier->name != m_sname->text()) {
        m_scode->setEditText(supplier->code);
        m_sname->setText(supplier->name);
        m_lookedUpCode = supplier->code;
        showPreviousIssue(supplier->code);
    }
    return supplier;
}

bool PayableEntryWindow::RegisterPayableBill()
{
    const QDate today = m_ctx.clock.today();
    const bool handOn = m_handOn->isChecked();
    input::Problem problem;
    auto refuse = [this](const QString &message, QWidget *field) {
        m_ui.information(message);
        if (field)
            field->setFocus();
        return false;
    };
    // The field a reader's problem is about.
    auto fieldOf = [this](const input::Problem &p) { return findChild<QLineEdit *>(p.field); };
    try {
        // Only a bill the clerk picked is ever handed on.
        if (handOn && m_selectedBill == 0)
            return refuse(QStringLiteral("譲渡する手形が選ばれていません\n「使用する手形」の一覧から選んでください"),
                          m_list);
        // A hand-on keeps the bill's own dates: a received bill payable at
        // sight (no due date) can be handed on like any other.
        if (!handOn && m_dueDate->text().trimmed().isEmpty())
            return refuse(QStringLiteral("手形期日が入っていません"), m_dueDate);
        bool unknownSupplier = false;
        const std::optional<book::PartyRow> supplier = supplierToStore(unknownSupplier);
        if (unknownSupplier)
            return false;
        // A hand-on without receiver would leave the bill with nobody.
        if (handOn && !supplier)
            return refuse(QStringLiteral("譲渡先が選ばれていません\n手形を渡す仕入先のコードを入力してください"),
                          m_scode);
        const std::optional<QDate> booked =
            input::readRequiredDate(input::kBookingDate, m_date->text(), today, problem);
        if (!booked)
            return refuse(problem.message, m_date);
        const QString code = supplier ? supplier->code : QString();
        const QString name = supplier ? supplier->name : QString();

        if (handOn) {
            if (m_selectedDue.isValid() && m_selectedDue < today &&
                !m_ui.confirm(QStringLiteral("この手形は手形期日（%1）を過ぎています\n譲渡してよろしいですか")
                                  .arg(fmt::ymd(m_selectedDue))))
                return false;
            const qint64 picked = m_selectedBill;
            try {
                if (!book::handOnBill(m_ctx.db(), picked, *booked, code, name, m_selectedVersion)) {
                    const std::optional<book::BillState> now = book::billState(m_ctx.db(), picked);
                    // The bill leaves the list and the fields it filled; the
                    // supplier and the date typed for the hand-on stay.
                    m_selectedBill = 0;
                    m_selectedDue = {};
                    for (QLineEdit *e : {m_billNumber, m_drawer, m_issueDate, m_dueDate, m_term})
                        e->clear();
                    m_amount->setText(QStringLiteral("0"));
                    setLocked(false);
                    fillCandidates();
                    return refuse(book::notChangeableText(now, book::Reach::Candidate) +
                                      QStringLiteral("。手形を選び直してください"),
                                  m_list);
                }
            } catch (const book::ConflictError &e) {
                // Changed by another clerk, still a candidate: shown as it is now.
                fillCandidates();
                const int row = int(m_candidates.ids().indexOf(picked));
                m_list->selectRow(row);
                if (row >= 0)
                    onCandidatePicked(row);
                return refuse(e.description(), nullptr);
            }
        } else {
            const int line = m_account->currentIndex();
            const int slot = line >= 0 && !m_account->currentText().isEmpty() ? m_accountSlots.value(line, -1) : -1;
            if (slot < 0 || slot >= m_ctx.AccountCache.size())
                return refuse(QStringLiteral("口座が選ばれていません\n手形を振り出す口座を選んでください"), m_account);
            const std::optional<QDate> issue =
                input::readRequiredDate(input::kIssueDate, m_issueDate->text(), today, problem);
            const std::optional<QDate> due =
                issue ? input::readRequiredDate(input::kDueDate, m_dueDate->text(), today, problem) : std::nullopt;
            const std::optional<qint64> amount = due && input::dueNotBeforeIssue(*issue, *due, problem)
                                                     ? input::readAmount(m_amount->text(), problem)
                                                     : std::nullopt;
            if (!amount)
                return refuse(problem.message, fieldOf(problem));

            book::Issue bill;
            bill.accountId = m_ctx.AccountCache.at(slot).id;
            bill.日付 = *booked;
            bill.手形番号 = fmt::normalizeCode(m_billNumber->text());
            bill.取引先コード = code;
            bill.取引先 = name;
            bill.支払場所コード = m_bankCode->text();
            bill.支払場所 = m_bank->text();
            bill.支払場所支店コード = m_branchCode->text();
            bill.支払場所支店 = m_branch->text();
            bill.振出日 = *issue;
            bill.手形期日 = *due;
            bill.金額 = *amount;
            book::issueBill(m_ctx.db(), bill);
        }
    } catch (const book::DuplicateNumberError &e) {
        // Another bill on the account has the number: the free one is put
        // in its place, the rest of the bill stays as typed.
        m_billNumber->setText(e.proposal());
        fail(e);
        return false;
    } catch (const std::exception &e) {
        fail(e);
        return false;
    }
    ClearForm();
    return true;
}

void PayableEntryWindow::onRegister()
{
    if (RegisterPayableBill())
        m_account->setFocus();
}

} // namespace sorvane
