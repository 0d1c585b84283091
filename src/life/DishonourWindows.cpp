#include "life/DishonourWindows.h"

#include "book/AppContext.h"
#include "data/Formats.h"
#include "life/LifeForms.h"
#include "ui/RowTable.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sorvane {

namespace {

// The reasons a bank gives most often; any other may be typed.
const QStringList kReasons{QStringLiteral("資金不足"), QStringLiteral("取引なし"),   QStringLiteral("契約不履行"),
                           QStringLiteral("詐取"),     QStringLiteral("紛失・盗難"), QStringLiteral("印鑑相違"),
                           QStringLiteral("形式不備"), QStringLiteral("依頼返却")};

// Where the bill was before it came back: the bank or the supplier.
QString heldBy(Database &db, const book::BillRow &b)
{
    if (b.position() == book::Position::HandedOn)
        return b.譲渡先;
    if (b.position() == book::Position::Discounted)
        if (const std::optional<book::BillEvent> d = book::standingEvent(db, b.id, book::kind::割引))
            return d->相手先;
    return {};
}

} // namespace

// ---------------------------------------------------------------- 不渡手形指定

DishonourEntryWindow::DishonourEntryWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : LifeWindow(ctx, ui, kit, QStringLiteral("不渡手形指定"), parent)
{
    m_list = makeList(QStringLiteral("List1"),
                      {QStringLiteral("区分"), QStringLiteral("手形期日"), QStringLiteral("手形番号"),
                       QStringLiteral("振出人"), QStringLiteral("取引先"), QStringLiteral("金額"),
                       QStringLiteral("割引先・譲渡先")},
                      {5}, 6);
    m_date = life::dateField(this, QStringLiteral("不渡日"));
    m_reason = ui::typedCombo(this, QStringLiteral("事由"));
    m_reason->addItems(kReasons);
    m_reason->setMinimumWidth(240);
    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *history = historyButton(m_list);
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *fields = new QHBoxLayout;
    fields->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("不渡日"), m_date));
    fields->addWidget(m_date);
    fields->addSpacing(16);
    fields->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("事由"), m_reason));
    fields->addWidget(m_reason);
    fields->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui::label(this, QStringLiteral("Label1"),
                                QStringLiteral("不渡にできる手形（手元・割引済み・譲渡済みの受取手形）"), m_list));
    layout->addWidget(m_list, 1);
    layout->addLayout(fields);
    layout->addLayout(ui::buttonRow({save, history, close}));
    ui::chainTabOrder({m_list, m_date, m_reason, save, history, close});

    connect(save, &QPushButton::clicked, this, [this] { 登録(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    finish();

    m_date->setText(fmt::ymd(today()));
    ui::clearCombo(m_reason);
    List1Requery();
    m_list->setFocus();
}

void DishonourEntryWindow::List1Requery()
{
    try {
        m_bills = book::dishonourCandidates(m_ctx.db());
        QList<QStringList> rows;
        QList<qint64> keys;
        for (const book::BillRow &b : m_bills) {
            rows << QStringList{life::kindWord(b), fmt::ymd(b.手形期日), b.手形番号,           b.振出人,
                                b.取引先,          fmt::amount(b.金額),  heldBy(m_ctx.db(), b)};
            keys << b.id;
        }
        m_list->setRows(rows, keys);
    } catch (const std::exception &e) {
        m_bills.clear();
        m_list->clearRows();
        fail(e);
    }
}

bool DishonourEntryWindow::登録()
{
    const int row = m_list->selectedRow();
    if (row < 0 || row >= int(m_bills.size())) {
        m_ui.information(QStringLiteral("不渡になった手形を一覧から選んでください"));
        m_list->setFocus();
        return false;
    }
    const std::optional<QDate> date = life::readDate(m_date, today(), QStringLiteral("不渡日"), m_ui);
    if (!date)
        return false;
    const QString reason = m_reason->currentText().trimmed();
    if (reason.isEmpty()) {
        m_ui.information(QStringLiteral("不渡の事由を入力してください"));
        m_reason->setFocus();
        return false;
    }
    const book::BillRow &bill = m_bills[std::size_t(row)];
    QString question = QStringLiteral("手形番号 %1 を不渡にしますよ").arg(bill.手形番号);
    if (bill.position() == book::Position::Discounted)
        question +=
            QStringLiteral("\n割引した銀行（%1）から買い戻し、\n手形は手元に戻ります").arg(m_list->cell(row, 6));
    else if (bill.position() == book::Position::HandedOn)
        question +=
            QStringLiteral("\n譲渡先（%1）に代金を支払い直し、\n手形は手元に戻ります").arg(m_list->cell(row, 6));
    if (!m_ui.confirm(question, QStringLiteral("不渡の確認")))
        return false;
    try {
        book::dishonourBill(m_ctx.db(), {bill.id, bill.更新回数, *date, today()}, reason);
    } catch (const std::exception &e) {
        fail(e);
        List1Requery();
        return false;
    }
    ui::clearCombo(m_reason);
    List1Requery();
    m_list->setFocus();
    return true;
}

// ---------------------------------------------------------------- 不渡手形解除

DishonourReleaseWindow::DishonourReleaseWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : LifeWindow(ctx, ui, kit, QStringLiteral("不渡手形解除"), parent)
{
    m_list = makeList(QStringLiteral("List1"),
                      {QStringLiteral("不渡日"), QStringLiteral("手形番号"), QStringLiteral("振出人"),
                       QStringLiteral("取引先"), QStringLiteral("金額"), QStringLiteral("事由")},
                      {4}, 5);
    auto *how = ui::named<QGroupBox>(this, QStringLiteral("解除の理由"));
    how->setTitle(QStringLiteral("解除の理由"));
    m_mistake = ui::named<QRadioButton>(how, QStringLiteral("Option1"));
    m_mistake->setText(QStringLiteral("不渡の誤り（元の状態に戻す）"));
    m_recovered = ui::named<QRadioButton>(how, QStringLiteral("Option2"));
    m_recovered->setText(QStringLiteral("回収（回収した金額を登録して終える）"));
    m_recovered->setChecked(true);
    auto *howLayout = new QVBoxLayout(how);
    howLayout->addWidget(m_mistake);
    howLayout->addWidget(m_recovered);
    m_date = life::dateField(this, QStringLiteral("日付"));
    m_amount = life::amountField(this, QStringLiteral("回収額"));
    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *history = historyButton(m_list);
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *fields = new QHBoxLayout;
    fields->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("日付"), m_date));
    fields->addWidget(m_date);
    fields->addSpacing(16);
    fields->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("回収額"), m_amount));
    fields->addWidget(m_amount);
    fields->addWidget(ui::label(this, QStringLiteral("Label4"), QStringLiteral("円")));
    fields->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("不渡手形"), m_list));
    layout->addWidget(m_list, 1);
    layout->addWidget(how);
    layout->addLayout(fields);
    layout->addLayout(ui::buttonRow({save, history, close}));
    ui::chainTabOrder({m_list, m_mistake, m_recovered, m_date, m_amount, save, history, close});

    connect(save, &QPushButton::clicked, this, [this] { 登録(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &ui::RowTable::rowPicked, this, &DishonourReleaseWindow::onPicked);
    connect(m_recovered, &QRadioButton::toggled, this, [this] { onChoice(); });
    finish();

    m_date->setText(fmt::ymd(today()));
    List1Requery();
    onChoice();
    m_list->setFocus();
}

void DishonourReleaseWindow::List1Requery()
{
    try {
        m_bills = book::dishonouredBills(m_ctx.db());
        QList<QStringList> rows;
        QList<qint64> keys;
        for (const book::DishonouredBill &d : m_bills) {
            rows << QStringList{fmt::ymd(d.dishonour.date), d.bill.手形番号, d.bill.振出人, d.bill.取引先,
                                fmt::amount(d.bill.金額),   d.dishonour.事由};
            keys << d.bill.id;
        }
        m_list->setRows(rows, keys);
    } catch (const std::exception &e) {
        m_bills.clear();
        m_list->clearRows();
        fail(e);
    }
    m_amount->clear();
}

void DishonourReleaseWindow::onPicked(int row)
{
    // The whole amount is proposed; a part recovered is typed over it.
    if (row >= 0 && row < int(m_bills.size()))
        m_amount->setText(fmt::amount(m_bills[std::size_t(row)].bill.金額));
}

void DishonourReleaseWindow::onChoice()
{
    m_amount->setEnabled(m_recovered->isChecked());
}

bool DishonourReleaseWindow::登録()
{
    const int row = m_list->selectedRow();
    if (row < 0 || row >= int(m_bills.size())) {
        m_ui.information(QStringLiteral("解除する不渡手形を一覧から選んでください"));
        m_list->setFocus();
        return false;
    }
    const bool recovered = m_recovered->isChecked();
    const std::optional<QDate> date =
        life::readDate(m_date, today(), recovered ? QStringLiteral("回収日") : QStringLiteral("解除日"), m_ui);
    if (!date)
        return false;
    qint64 amount = 0;
    if (recovered) {
        const std::optional<qint64> a = life::readAmount(m_amount, QStringLiteral("回収額"), m_ui);
        if (!a)
            return false;
        amount = *a;
    }
    const book::BillRow &bill = m_bills[std::size_t(row)].bill;
    const QString question = recovered
                                 ? QStringLiteral("手形番号 %1 の回収 %2 円を登録し、この手形を終えますよ")
                                       .arg(bill.手形番号, fmt::amount(amount))
                                 : QStringLiteral("手形番号 %1 の不渡を誤りとして取り消しますよ").arg(bill.手形番号);
    if (!m_ui.confirm(question, QStringLiteral("不渡解除の確認")))
        return false;
    try {
        book::cancelDishonour(m_ctx.db(), {bill.id, bill.更新回数, *date, today()},
                              recovered ? book::DishonourUndo::Recovered : book::DishonourUndo::Mistake, amount);
    } catch (const std::exception &e) {
        fail(e);
        List1Requery();
        return false;
    }
    List1Requery();
    m_list->setFocus();
    return true;
}

// ---------------------------------------------------------------- 不渡手形一覧

DishonouredListWindow::DishonouredListWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : LifeWindow(ctx, ui, kit, QStringLiteral("不渡手形一覧"), parent)
{
    m_list = makeList(QStringLiteral("List1"),
                      {QStringLiteral("不渡日"), QStringLiteral("手形番号"), QStringLiteral("振出人"),
                       QStringLiteral("取引先"), QStringLiteral("手形期日"), QStringLiteral("金額"),
                       QStringLiteral("事由"), QStringLiteral("不渡の前")},
                      {5}, 7);
    m_total = ui::named<QLabel>(this, QStringLiteral("合計"));
    auto *history = historyButton(m_list);
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("回収していない不渡手形"), m_list));
    layout->addWidget(m_list, 1);
    layout->addWidget(m_total);
    layout->addLayout(ui::buttonRow({history, close}));
    ui::chainTabOrder({m_list, history, close});
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    finish();
    List1Requery();
    m_list->setFocus();
}

void DishonouredListWindow::List1Requery()
{
    try {
        const std::vector<book::DishonouredBill> bills = book::dishonouredBills(m_ctx.db());
        QList<QStringList> rows;
        QList<qint64> keys;
        qint64 total = 0;
        for (const book::DishonouredBill &d : bills) {
            QString from = d.dishonour.前状態;
            if (!d.dishonour.相手先.isEmpty())
                from += QStringLiteral("（%1）").arg(d.dishonour.相手先);
            rows << QStringList{fmt::ymd(d.dishonour.date), d.bill.手形番号,          d.bill.振出人,    d.bill.取引先,
                                fmt::ymd(d.bill.手形期日),  fmt::amount(d.bill.金額), d.dishonour.事由, from};
            keys << d.bill.id;
            total += d.bill.金額;
        }
        m_list->setRows(rows, keys);
        m_total->setText(QStringLiteral("合計 %1 件　%2 円").arg(bills.size()).arg(fmt::amount(total)));
    } catch (const std::exception &e) {
        m_list->clearRows();
        fail(e);
    }
}

} // namespace sorvane
