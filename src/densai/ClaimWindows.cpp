#include "densai/ClaimWindows.h"

#include "book/AppContext.h"
#include "book/Conflicts.h"
#include "book/DiscountBanks.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "book/Registers.h"
#include "data/Calendar.h"
#include "data/Formats.h"
#include "data/Schema.h"
#include "life/LifeForms.h"
#include "ui/RowTable.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sorvane {

namespace dn = book::densai;

namespace {

QString windowName(dn::Side side, bool list)
{
    if (side == dn::Side::Receivable)
        return list ? QStringLiteral("電子記録債権一覧") : QStringLiteral("電子記録債権入力");
    return list ? QStringLiteral("電子記録債務一覧") : QStringLiteral("電子記録債務入力");
}

QLineEdit *textField(QWidget *parent, const QString &name, int chars, bool latin)
{
    auto *e = ui::named<QLineEdit>(parent, name);
    if (latin)
        ui::preferLatin(e);
    e->setMinimumWidth(ui::digitsWidth(e, chars));
    return e;
}

// Runs the look-up every time the field is left, typed into or not.
class LeaveFilter : public QObject {
public:
    LeaveFilter(QObject *parent, std::function<void()> onLeave) : QObject(parent), m_onLeave(std::move(onLeave)) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusOut)
            m_onLeave();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onLeave;
};

QString stepFailure(const std::exception &e)
{
    return errorText(e);
}

} // namespace

// ---------------------------------------------------------------- the form

ClaimForm::ClaimForm(QDialog *w, AppContext &ctx, dn::Side side) : m_ctx(ctx), m_side(side)
{
    const bool receivable = side == dn::Side::Receivable;
    m_number = textField(w, QStringLiteral("記録番号"), 22, true);
    m_number->setMaxLength(40);
    m_recorded = life::dateField(w, QStringLiteral("電子記録日"));
    m_due = life::dateField(w, QStringLiteral("支払期日"));
    m_amount = life::amountField(w, QStringLiteral("金額"));
    m_party = textField(w, QStringLiteral("取引先コード"), 8, true);
    m_partyName = ui::named<QLabel>(w, QStringLiteral("取引先"));
    m_partyName->setMinimumWidth(240);
    m_debtorBank = textField(w, QStringLiteral("債務者銀行"), 16, false);
    m_debtorBranch = textField(w, QStringLiteral("債務者支店"), 16, false);
    m_debtorAccount = textField(w, QStringLiteral("債務者口座"), 10, true);
    m_creditorBank = textField(w, QStringLiteral("債権者銀行"), 16, false);
    m_creditorBranch = textField(w, QStringLiteral("債権者支店"), 16, false);
    m_creditorAccount = textField(w, QStringLiteral("債権者口座"), 10, true);
    m_restricted = ui::named<QCheckBox>(w, QStringLiteral("譲渡制限"));
    m_restricted->setText(QStringLiteral("譲渡制限あり（仕入先への譲渡ができない債権）"));
    if (!receivable) {
        m_account = ui::named<QComboBox>(w, QStringLiteral("口座"));
        m_account->setMinimumWidth(300);
        ctx.LoadAccountCache();
        for (const AccountSlot &a : std::as_const(ctx.AccountCache))
            if (a.口座種別 == book::kCheckingAccount)
                m_account->addItem(book::accountLine(a.kozano, a.銀行名, a.支店名, a.口座番号), a.kozano);
        m_account->setCurrentIndex(-1);
        // Our claim is paid from our account: its bank is the debtor's.
        for (QLineEdit *e : {m_debtorBank, m_debtorBranch, m_debtorAccount})
            e->setReadOnly(true);
        QObject::connect(m_account, &QComboBox::currentIndexChanged, w, [this](int i) {
            for (const AccountSlot &a : std::as_const(m_ctx.AccountCache))
                if (i >= 0 && a.kozano == m_account->itemData(i).toLongLong()) {
                    m_debtorBank->setText(a.銀行名);
                    m_debtorBranch->setText(a.支店名);
                    m_debtorAccount->setText(a.口座番号);
                }
        });
    }
    m_party->installEventFilter(new LeaveFilter(m_party, [this] { lookUpParty(); }));

    m_grid = new QGridLayout;
    m_grid->setColumnStretch(4, 1);
    int row = 0;
    const auto add = [&](const QString &labelName, const QString &caption, QWidget *field, QWidget *beside = nullptr) {
        m_grid->addWidget(ui::label(w, labelName, caption, field), row, 0);
        m_grid->addWidget(field, row, 1, 1, beside ? 1 : 3);
        if (beside)
            m_grid->addWidget(beside, row, 2, 1, 3);
        ++row;
    };
    add(QStringLiteral("記録番号Label"), QStringLiteral("記録番号"), m_number);
    add(QStringLiteral("電子記録日Label"), QStringLiteral("電子記録年月日"), m_recorded);
    add(QStringLiteral("支払期日Label"), QStringLiteral("支払期日"), m_due);
    add(QStringLiteral("金額Label"), QStringLiteral("金額"), m_amount);
    add(QStringLiteral("取引先Label"),
        receivable ? QStringLiteral("債務者（得意先コード）") : QStringLiteral("債権者（仕入先コード）"), m_party,
        m_partyName);
    if (m_account)
        add(QStringLiteral("口座Label"), QStringLiteral("支払口座"), m_account);
    auto *debtor = new QHBoxLayout;
    for (QWidget *e : {static_cast<QWidget *>(m_debtorBank), static_cast<QWidget *>(m_debtorBranch),
                       static_cast<QWidget *>(m_debtorAccount)})
        debtor->addWidget(e);
    m_grid->addWidget(
        ui::label(w, QStringLiteral("債務者Label"), QStringLiteral("債務者の銀行・支店・口座"), m_debtorBank), row, 0);
    m_grid->addLayout(debtor, row++, 1, 1, 4);
    auto *creditor = new QHBoxLayout;
    for (QWidget *e : {static_cast<QWidget *>(m_creditorBank), static_cast<QWidget *>(m_creditorBranch),
                       static_cast<QWidget *>(m_creditorAccount)})
        creditor->addWidget(e);
    m_grid->addWidget(
        ui::label(w, QStringLiteral("債権者Label"), QStringLiteral("債権者の銀行・支店・口座"), m_creditorBank), row,
        0);
    m_grid->addLayout(creditor, row++, 1, 1, 4);
    m_grid->addWidget(m_restricted, row++, 1, 1, 4);
}

QList<QWidget *> ClaimForm::fields() const
{
    QList<QWidget *> out{m_number, m_recorded, m_due, m_amount, m_party};
    if (m_account)
        out << m_account;
    else
        out << m_debtorBank << m_debtorBranch << m_debtorAccount;
    out << m_creditorBank << m_creditorBranch << m_creditorAccount << m_restricted;
    return out;
}

void ClaimForm::clear()
{
    for (QLineEdit *e : {m_number, m_recorded, m_due, m_amount, m_party, m_debtorBank, m_debtorBranch, m_debtorAccount,
                         m_creditorBank, m_creditorBranch, m_creditorAccount})
        e->clear();
    m_partyName->clear();
    m_restricted->setChecked(false);
    if (m_account)
        m_account->setCurrentIndex(-1);
}

void ClaimForm::load(const dn::Claim &c)
{
    m_number->setText(c.記録番号);
    m_recorded->setText(fmt::ymd(c.電子記録日));
    m_due->setText(fmt::ymd(c.支払期日));
    m_amount->setText(fmt::amount(c.金額));
    m_party->setText(c.取引先コード);
    m_partyName->setText(c.取引先);
    if (m_account)
        m_account->setCurrentIndex(m_account->findData(c.kozano));
    m_debtorBank->setText(c.債務者銀行);
    m_debtorBranch->setText(c.債務者支店);
    m_debtorAccount->setText(c.債務者口座);
    m_creditorBank->setText(c.債権者銀行);
    m_creditorBranch->setText(c.債権者支店);
    m_creditorAccount->setText(c.債権者口座);
    m_restricted->setChecked(c.譲渡制限);
}

void ClaimForm::lookUpParty()
{
    const QString code = fmt::normalizeCode(m_party->text());
    m_partyName->clear();
    if (code.isEmpty())
        return;
    try {
        if (m_side == dn::Side::Receivable) {
            const std::optional<book::Customer> c = book::findCustomer(m_ctx.db(), code);
            if (!c) {
                m_partyName->setText(QStringLiteral("（登録されていない得意先）"));
                return;
            }
            m_partyName->setText(c->name);
            // The customer's bill template knows the bank its payments come from.
            const QList<book::BillTemplate> templates = book::templatesOf(m_ctx.db(), c->id);
            if (!templates.isEmpty() && m_debtorBank->text().trimmed().isEmpty()) {
                m_debtorBank->setText(templates.first().支払場所);
                m_debtorBranch->setText(templates.first().支払場所支店);
            }
        } else {
            const std::optional<book::PartyRow> s = book::findSupplier(m_ctx.db(), code);
            m_partyName->setText(s ? s->name : QStringLiteral("（登録されていない仕入先）"));
        }
    } catch (const std::exception &) {
        // The name is a help only; registering says what is wrong.
    }
}

std::optional<dn::Claim> ClaimForm::read(MessageService &messages, const QDate &today)
{
    dn::Claim c;
    c.side = m_side;
    c.記録番号 = dn::normalizeRecordNumber(m_number->text());
    if (const QString why = dn::recordNumberProblem(c.記録番号); !why.isEmpty()) {
        messages.information(why);
        m_number->setFocus();
        return std::nullopt;
    }
    const std::optional<QDate> recorded = life::readDate(m_recorded, today, QStringLiteral("電子記録年月日"), messages);
    if (!recorded)
        return std::nullopt;
    const std::optional<QDate> due = life::readDate(m_due, today, QStringLiteral("支払期日"), messages);
    if (!due)
        return std::nullopt;
    const std::optional<qint64> amount = life::readAmount(m_amount, QStringLiteral("金額"), messages);
    if (!amount)
        return std::nullopt;
    c.電子記録日 = *recorded;
    c.支払期日 = *due;
    c.金額 = *amount;
    c.取引先コード = m_party->text();
    if (m_account) {
        if (m_account->currentIndex() < 0) {
            messages.information(QStringLiteral("支払口座を選んでください"));
            m_account->setFocus();
            return std::nullopt;
        }
        c.kozano = m_account->currentData().toLongLong();
    }
    c.債務者銀行 = m_debtorBank->text().trimmed();
    c.債務者支店 = m_debtorBranch->text().trimmed();
    c.債務者口座 = fmt::normalizeCode(m_debtorAccount->text());
    c.債権者銀行 = m_creditorBank->text().trimmed();
    c.債権者支店 = m_creditorBranch->text().trimmed();
    c.債権者口座 = fmt::normalizeCode(m_creditorAccount->text());
    c.譲渡制限 = m_restricted->isChecked();
    return c;
}

// ---------------------------------------------------------------- 入力

ClaimEntryWindow::ClaimEntryWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, dn::Side side, QWidget *parent)
    : LifeWindow(ctx, ui, kit, windowName(side, false), parent), m_side(side), m_form(this, ctx, side)
{
    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui::label(this, QStringLiteral("Label1"),
                                side == dn::Side::Receivable
                                    ? QStringLiteral("得意先の発生記録で受け取った電子記録債権（でんさい）")
                                    : QStringLiteral("自社の口座で発生記録をした電子記録債務（でんさい）")));
    layout->addLayout(m_form.layout());
    layout->addStretch(1);
    layout->addLayout(ui::buttonRow({save, close}));
    QList<QWidget *> order = m_form.fields();
    order << save << close;
    for (int i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order.at(i), order.at(i + 1));
    connect(save, &QPushButton::clicked, this, [this] { 登録(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    finish();
    resize(820, 420);
    m_form.number()->setFocus();
}

bool ClaimEntryWindow::登録()
{
    const std::optional<dn::Claim> c = m_form.read(m_ui, today());
    if (!c)
        return false;
    try {
        BankCalendar calendar(m_ctx.AppFolder, *m_ctx.DataWorkspace);
        dn::registerClaim(m_ctx.db(), *c, calendar);
    } catch (const std::exception &e) {
        m_ui.information(stepFailure(e));
        return false;
    }
    m_form.clear();
    m_form.number()->setFocus();
    return true;
}

// ---------------------------------------------------------------- 一覧

ClaimListWindow::ClaimListWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, dn::Side side, QWidget *parent)
    : LifeWindow(ctx, ui, kit, windowName(side, true), parent), m_side(side), m_form(this, ctx, side)
{
    m_list = makeList(QStringLiteral("List1"),
                      {QStringLiteral("支払期日"), QStringLiteral("記録番号"), QStringLiteral("取引先"),
                       QStringLiteral("金額"), QStringLiteral("状態")},
                      {3}, 2);
    auto *save = ui::button(this, QStringLiteral("修正ボタン"), QStringLiteral("修　正"));
    auto *remove = ui::button(this, QStringLiteral("削除ボタン"), QStringLiteral("削　除"));
    auto *history = historyButton(m_list);
    auto *undo = ui::button(this, QStringLiteral("譲渡取消ボタン"), QStringLiteral("譲渡取消"));
    undo->setVisible(side == dn::Side::Receivable);
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        ui::label(this, QStringLiteral("Label1"),
                  QStringLiteral("決済前の電子記録%1（選ぶと下に表示します。修正・削除できるのは%2のもの）")
                      .arg(side == dn::Side::Receivable ? QStringLiteral("債権") : QStringLiteral("債務"),
                           side == dn::Side::Receivable ? QStringLiteral("手元") : QStringLiteral("振出")),
                  m_list));
    layout->addWidget(m_list, 1);
    layout->addLayout(m_form.layout());
    layout->addLayout(ui::buttonRow({save, remove, undo, history, close}));
    QList<QWidget *> order{m_list};
    order << m_form.fields() << save << remove << undo << history << close;
    for (int i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order.at(i), order.at(i + 1));
    connect(m_list, &ui::RowTable::rowPicked, this, [this](int row) { pick(row); });
    connect(save, &QPushButton::clicked, this, [this] { 修正(); });
    connect(remove, &QPushButton::clicked, this, [this] { 削除(); });
    connect(undo, &QPushButton::clicked, this, [this] { 譲渡取消(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    finish();
    resize(900, 680);
    List1Requery();
    m_list->setFocus();
}

void ClaimListWindow::List1Requery()
{
    m_picked.reset();
    m_form.clear();
    try {
        m_claims = dn::claims(m_ctx.db(), m_side);
        QList<QStringList> rows;
        QList<qint64> keys;
        for (const dn::Claim &c : m_claims) {
            rows << QStringList{fmt::ymd(c.支払期日), c.記録番号, c.取引先, fmt::amount(c.金額), c.状態};
            keys << c.id;
        }
        m_list->setRows(rows, keys);
    } catch (const std::exception &e) {
        m_claims.clear();
        m_list->clearRows();
        fail(e);
    }
}

void ClaimListWindow::pick(int row)
{
    if (row < 0 || row >= int(m_claims.size()))
        return;
    m_picked = m_claims[std::size_t(row)];
    m_form.load(*m_picked);
}

bool ClaimListWindow::修正()
{
    if (!m_picked) {
        m_ui.information(QStringLiteral("修正する債権・債務を一覧から選んでください"));
        return false;
    }
    std::optional<dn::Claim> c = m_form.read(m_ui, today());
    if (!c)
        return false;
    c->id = m_picked->id;
    c->更新回数 = m_picked->更新回数;
    try {
        BankCalendar calendar(m_ctx.AppFolder, *m_ctx.DataWorkspace);
        dn::saveClaim(m_ctx.db(), *c, calendar, today());
    } catch (const std::exception &e) {
        m_ui.information(stepFailure(e));
        if (dynamic_cast<const book::ConflictError *>(&e))
            List1Requery();
        return false;
    }
    List1Requery();
    return true;
}

bool ClaimListWindow::削除()
{
    if (!m_picked) {
        m_ui.information(QStringLiteral("削除する債権・債務を一覧から選んでください"));
        return false;
    }
    if (!m_ui.confirm(QStringLiteral("記録番号 %1（%2 円）を削除します。よろしいですか？")
                          .arg(m_picked->記録番号, fmt::amount(m_picked->金額)),
                      QStringLiteral("削除の確認"), MessageService::Default::Cancel))
        return false;
    try {
        dn::deleteClaim(m_ctx.db(), m_picked->id, m_picked->更新回数, today());
    } catch (const std::exception &e) {
        m_ui.information(stepFailure(e));
        return false;
    }
    List1Requery();
    return true;
}

bool ClaimListWindow::譲渡取消()
{
    if (!m_picked || m_picked->状態 != book::state::譲渡) {
        m_ui.information(QStringLiteral("譲渡を取り消す債権（状態が「譲渡」のもの）を一覧から選んでください"));
        return false;
    }
    if (!m_ui.confirm(QStringLiteral("記録番号 %1 の %2 への譲渡を取り消し、手元に戻します。よろしいですか？")
                          .arg(m_picked->記録番号, m_picked->譲渡先),
                      QStringLiteral("譲渡の取消"), MessageService::Default::Cancel))
        return false;
    try {
        dn::cancelTransfer(m_ctx.db(), {m_picked->id, m_picked->更新回数, today(), today()});
    } catch (const std::exception &e) {
        m_ui.information(stepFailure(e));
        return false;
    }
    List1Requery();
    return true;
}

// ---------------------------------------------------------------- 譲渡・分割・割引

ClaimStepWindow::ClaimStepWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : LifeWindow(ctx, ui, kit, QStringLiteral("電子記録債権の譲渡・分割・割引"), parent)
{
    m_list = makeList(QStringLiteral("List1"),
                      {QStringLiteral("支払期日"), QStringLiteral("記録番号"), QStringLiteral("取引先"),
                       QStringLiteral("金額"), QStringLiteral("譲渡制限")},
                      {3}, 2);
    m_transfer = ui::named<QRadioButton>(this, QStringLiteral("譲渡"));
    m_transfer->setText(QStringLiteral("譲渡（仕入先へ）"));
    m_split = ui::named<QRadioButton>(this, QStringLiteral("分割"));
    m_split->setText(QStringLiteral("分割"));
    m_discount = ui::named<QRadioButton>(this, QStringLiteral("割引"));
    m_discount->setText(QStringLiteral("割引（銀行へ）"));
    m_transfer->setChecked(true);
    m_date = life::dateField(this, QStringLiteral("処理日"));
    m_supplier = textField(this, QStringLiteral("譲渡先コード"), 8, true);
    m_guarantee = ui::named<QCheckBox>(this, QStringLiteral("保証"));
    m_guarantee->setText(QStringLiteral("保証あり（支払まで偶発債務として残ります）"));
    m_guarantee->setChecked(true);
    m_newNumber = textField(this, QStringLiteral("分割記録番号"), 22, true);
    m_splitAmount = life::amountField(this, QStringLiteral("分割金額"));
    m_bank = ui::named<QComboBox>(this, QStringLiteral("割引先"));
    m_bank->setMinimumWidth(300);
    m_fee = life::amountField(this, QStringLiteral("割引料"));
    m_rules = ui::named<QLabel>(this, QStringLiteral("規則"));
    m_rules->setWordWrap(true);
    m_rules->setMinimumHeight(90);
    auto *run = ui::button(this, QStringLiteral("実行ボタン"), QStringLiteral("実　行"));
    auto *history = historyButton(m_list);
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *kinds = new QHBoxLayout;
    kinds->addWidget(m_transfer);
    kinds->addWidget(m_split);
    kinds->addWidget(m_discount);
    kinds->addStretch(1);
    auto *grid = new QGridLayout;
    grid->setColumnStretch(2, 1);
    int row = 0;
    grid->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("処理日"), m_date), row, 0);
    grid->addWidget(m_date, row++, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("譲渡先（仕入先コード）"), m_supplier),
                    row, 0);
    grid->addWidget(m_supplier, row, 1);
    grid->addWidget(m_guarantee, row++, 2);
    grid->addWidget(ui::label(this, QStringLiteral("Label4"), QStringLiteral("分割する記録番号・金額"), m_newNumber),
                    row, 0);
    grid->addWidget(m_newNumber, row, 1);
    grid->addWidget(m_splitAmount, row++, 2, Qt::AlignLeft);
    grid->addWidget(ui::label(this, QStringLiteral("Label5"), QStringLiteral("割引先・割引料"), m_bank), row, 0);
    grid->addWidget(m_bank, row, 1);
    grid->addWidget(m_fee, row++, 2, Qt::AlignLeft);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        ui::label(this, QStringLiteral("Label1"), QStringLiteral("手元の電子記録債権（でんさい）"), m_list));
    layout->addWidget(m_list, 1);
    layout->addLayout(kinds);
    layout->addLayout(grid);
    layout->addWidget(m_rules);
    layout->addLayout(ui::buttonRow({run, history, close}));
    ui::chainTabOrder({m_list, m_transfer, m_split, m_discount, m_date, m_supplier, m_guarantee, m_newNumber,
                       m_splitAmount, m_bank, m_fee, run, history, close});

    const auto modeChanged = [this] {
        m_supplier->setEnabled(m_transfer->isChecked());
        m_guarantee->setEnabled(m_transfer->isChecked());
        m_newNumber->setEnabled(m_split->isChecked());
        m_splitAmount->setEnabled(m_split->isChecked());
        m_bank->setEnabled(m_discount->isChecked());
        m_fee->setEnabled(m_discount->isChecked());
        explain();
    };
    for (QRadioButton *r : {m_transfer, m_split, m_discount})
        connect(r, &QRadioButton::toggled, this, modeChanged);
    connect(m_list, &ui::RowTable::rowPicked, this, [this] { explain(); });
    connect(m_date, &QLineEdit::editingFinished, this, [this] { explain(); });
    connect(run, &QPushButton::clicked, this, [this] { 実行(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    finish();
    resize(900, 700);

    m_date->setText(fmt::ymd(today()));
    m_fee->setText(QStringLiteral("0"));
    try {
        for (const book::DiscountBank &b : book::discountBanks(m_ctx.db()))
            m_bank->addItem(b.コード + QStringLiteral(": ") + b.display(), b.コード);
    } catch (const std::exception &e) {
        fail(e);
    }
    modeChanged();
    List1Requery();
    m_list->setFocus();
}

void ClaimStepWindow::List1Requery()
{
    try {
        m_claims.clear();
        for (const dn::Claim &c : dn::claims(m_ctx.db(), dn::Side::Receivable))
            if (c.状態 == book::state::手元)
                m_claims.push_back(c);
        QList<QStringList> rows;
        QList<qint64> keys;
        for (const dn::Claim &c : m_claims) {
            rows << QStringList{fmt::ymd(c.支払期日), c.記録番号, c.取引先, fmt::amount(c.金額),
                                c.譲渡制限 ? QStringLiteral("あり") : QString()};
            keys << c.id;
        }
        m_list->setRows(rows, keys);
    } catch (const std::exception &e) {
        m_claims.clear();
        m_list->clearRows();
        fail(e);
    }
    explain();
}

// The rules, and what they mean for the claim picked on the date typed.
void ClaimStepWindow::explain()
{
    QString text;
    try {
        const int days = schema::readDensaiBlackoutDays(m_ctx.db());
        text = QStringLiteral("でんさいの規則: 支払期日の %1 銀行営業日前から支払期日までは、譲渡・分割・割引の記録が"
                              "できません。譲渡制限のある債権は仕入先に譲渡できません（割引はできます）。"
                              "分割では元の記録番号が残り、分割した部分に新しい記録番号が付きます。")
                   .arg(days);
        const int row = m_list->selectedRow();
        if (row >= 0 && row < int(m_claims.size())) {
            const dn::Claim &c = m_claims[std::size_t(row)];
            BankCalendar calendar(m_ctx.AppFolder, *m_ctx.DataWorkspace);
            const QDate start = dn::blackoutStart(c.支払期日, days, calendar);
            text += QStringLiteral("\n選んだ債権 %1: %2 から %3 までは記録できません。")
                        .arg(c.記録番号, fmt::ymd(start), fmt::ymd(c.支払期日));
            if (c.譲渡制限)
                text += QStringLiteral("譲渡制限があるため譲渡はできません。");
            const QDate on = fmt::parseDate(m_date->text(), today());
            const QString step = m_transfer->isChecked() ? QStringLiteral("譲渡")
                                 : m_split->isChecked()  ? QStringLiteral("分割")
                                                         : QStringLiteral("割引");
            if (const QString why = dn::blackoutProblem(step, on, c.支払期日, days, calendar); !why.isEmpty())
                text += QStringLiteral("\n→ この処理日では") + step + QStringLiteral("できません。");
        }
    } catch (const std::exception &) {
    }
    m_rules->setText(text);
}

bool ClaimStepWindow::実行()
{
    const int row = m_list->selectedRow();
    if (row < 0 || row >= int(m_claims.size())) {
        m_ui.information(QStringLiteral("電子記録債権を一覧から選んでください"));
        return false;
    }
    const dn::Claim c = m_claims[std::size_t(row)];
    const std::optional<QDate> on = life::readDate(m_date, today(), QStringLiteral("処理日"), m_ui);
    if (!on)
        return false;
    const book::StepInput step{c.id, c.更新回数, *on, today()};
    try {
        BankCalendar calendar(m_ctx.AppFolder, *m_ctx.DataWorkspace);
        if (m_transfer->isChecked()) {
            const QString code = fmt::normalizeCode(m_supplier->text());
            if (code.isEmpty()) {
                m_ui.information(QStringLiteral("譲渡先の仕入先コードを入力してください"));
                m_supplier->setFocus();
                return false;
            }
            if (!m_ui.confirm(
                    QStringLiteral("記録番号 %1（%2 円）を仕入先 %3 に%4で譲渡します。よろしいですか？")
                        .arg(c.記録番号, fmt::amount(c.金額), code,
                             m_guarantee->isChecked() ? QStringLiteral("保証あり") : QStringLiteral("保証なし"))))
                return false;
            dn::transferClaim(m_ctx.db(), step, code, m_guarantee->isChecked(), calendar);
        } else if (m_split->isChecked()) {
            const std::optional<qint64> amount = life::readAmount(m_splitAmount, QStringLiteral("分割金額"), m_ui);
            if (!amount)
                return false;
            if (!m_ui.confirm(QStringLiteral("記録番号 %1（%2 円）から %3 円を記録番号 %4 に分割します。"
                                             "よろしいですか？")
                                  .arg(c.記録番号, fmt::amount(c.金額), fmt::amount(*amount),
                                       dn::normalizeRecordNumber(m_newNumber->text()))))
                return false;
            dn::splitClaim(m_ctx.db(), step, m_newNumber->text(), *amount, calendar);
            m_newNumber->clear();
            m_splitAmount->clear();
        } else {
            if (m_bank->currentIndex() < 0) {
                m_ui.information(QStringLiteral("割引先を選んでください（初期設定 → 割引先登録）"));
                return false;
            }
            const std::optional<qint64> fee = life::readAmount(m_fee, QStringLiteral("割引料"), m_ui);
            if (!fee)
                return false;
            if (!m_ui.confirm(
                    QStringLiteral("記録番号 %1（%2 円）を %3 で割り引きます（割引料 %4 円）。よろしいですか？")
                        .arg(c.記録番号, fmt::amount(c.金額), m_bank->currentText(), fmt::amount(*fee))))
                return false;
            dn::discountClaim(m_ctx.db(), step, m_bank->currentData().toString(), *fee, calendar);
        }
    } catch (const std::exception &e) {
        m_ui.information(stepFailure(e));
        if (dynamic_cast<const book::ConflictError *>(&e))
            List1Requery();
        return false;
    }
    List1Requery();
    return true;
}

} // namespace sorvane
