#include "life/DiscountWindows.h"

#include "book/AppContext.h"
#include "book/Conflicts.h"
#include "book/DiscountBanks.h"
#include "data/Formats.h"
#include "life/LifeForms.h"
#include "ui/RowTable.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sorvane {

namespace {

// "B1: 東西銀行 本店"; the code is what comes before the colon.
QString bankLine(const book::DiscountBank &b)
{
    return b.コード + QStringLiteral(": ") + b.display();
}

QString codeOfLine(const QString &line)
{
    return line.section(u':', 0, 0).trimmed();
}

QString totalText(int count, qint64 amount)
{
    return QStringLiteral("合計 %1 件　%2 円").arg(count).arg(fmt::amount(amount));
}

} // namespace

// ---------------------------------------------------------------- 割引手形指定

DiscountEntryWindow::DiscountEntryWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : LifeWindow(ctx, ui, kit, QStringLiteral("割引手形指定"), parent)
{
    m_list = makeList(QStringLiteral("List1"),
                      {QStringLiteral("手形期日"), QStringLiteral("手形番号"), QStringLiteral("振出人"),
                       QStringLiteral("取引先"), QStringLiteral("金額")},
                      {4}, 3);
    m_bank = ui::named<QComboBox>(this, QStringLiteral("割引先"));
    m_bank->setMinimumWidth(300);
    m_date = life::dateField(this, QStringLiteral("割引日"));
    m_fee = life::amountField(this, QStringLiteral("割引料"));
    m_limit = ui::named<QLabel>(this, QStringLiteral("割引枠"));
    m_limit->setMinimumWidth(420);
    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *history = historyButton(m_list);
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *grid = new QGridLayout;
    grid->setColumnStretch(2, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("割引先"), m_bank), 0, 0);
    grid->addWidget(m_bank, 0, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("割引日"), m_date), 1, 0);
    grid->addWidget(m_date, 1, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label4"), QStringLiteral("割引料"), m_fee), 2, 0);
    grid->addWidget(m_fee, 2, 1);
    grid->addWidget(m_limit, 3, 0, 1, 3);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        ui::label(this, QStringLiteral("Label1"), QStringLiteral("割引できる手形（手元の受取手形）"), m_list));
    layout->addWidget(m_list, 1);
    layout->addLayout(grid);
    layout->addLayout(ui::buttonRow({save, history, close}));
    ui::chainTabOrder({m_list, m_bank, m_date, m_fee, save, history, close});

    connect(save, &QPushButton::clicked, this, [this] { 登録(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &ui::RowTable::rowPicked, this, [this] { showLimit(); });
    connect(m_bank, &QComboBox::currentIndexChanged, this, [this] { showLimit(); });
    finish();

    m_date->setText(fmt::ymd(today()));
    m_fee->setText(QStringLiteral("0"));
    List1Requery();
    m_list->setFocus();
}

void DiscountEntryWindow::List1Requery()
{
    try {
        m_bills = book::discountCandidates(m_ctx.db());
        QList<QStringList> rows;
        QList<qint64> keys;
        for (const book::BillRow &b : m_bills) {
            rows << QStringList{fmt::ymd(b.手形期日), b.手形番号, b.振出人, b.取引先, fmt::amount(b.金額)};
            keys << b.id;
        }
        m_list->setRows(rows, keys);
        const QString bank = m_bank->currentText();
        m_bank->clear();
        for (const book::DiscountBank &b : book::discountBanks(m_ctx.db()))
            m_bank->addItem(bankLine(b));
        m_bank->setCurrentIndex(std::max(0, m_bank->findText(bank)));
    } catch (const std::exception &e) {
        m_bills.clear();
        m_list->clearRows();
        fail(e);
    }
    showLimit();
}

void DiscountEntryWindow::showLimit()
{
    m_limit->clear();
    if (m_bank->count() == 0) {
        m_limit->setText(QStringLiteral("割引先が登録されていません（初期設定 → 割引先登録）"));
        return;
    }
    try {
        const std::optional<book::DiscountBank> bank =
            book::discountBank(m_ctx.db(), codeOfLine(m_bank->currentText()));
        if (!bank)
            return;
        const book::LimitUse use = book::discountLimitUse(m_ctx.db(), bank->コード);
        QString text = QStringLiteral("割引枠 %1 円　使用中 %2 円　残り %3 円")
                           .arg(fmt::amount(bank->割引枠), fmt::amount(use.used), fmt::amount(bank->割引枠 - use.used));
        const int row = m_list->selectedRow();
        if (row >= 0 && row < int(m_bills.size())) {
            const qint64 after = bank->割引枠 - use.used - m_bills[std::size_t(row)].金額;
            text += after < 0 ? QStringLiteral("\nこの手形を割引くと %1 円超過します").arg(fmt::amount(-after))
                              : QStringLiteral("\nこの手形を割引くと残り %1 円").arg(fmt::amount(after));
        }
        m_limit->setText(text);
    } catch (const std::exception &) {
        // The limit is shown for information only.
    }
}

bool DiscountEntryWindow::登録()
{
    const int row = m_list->selectedRow();
    if (row < 0 || row >= int(m_bills.size())) {
        m_ui.information(QStringLiteral("割引する手形を一覧から選んでください"));
        m_list->setFocus();
        return false;
    }
    if (m_bank->currentText().isEmpty()) {
        m_ui.information(QStringLiteral("割引先を選んでください\n割引先は 初期設定 → 割引先登録 で登録します"));
        return false;
    }
    const std::optional<QDate> date = life::readDate(m_date, today(), QStringLiteral("割引日"), m_ui);
    if (!date)
        return false;
    const std::optional<qint64> fee = life::readAmount(m_fee, QStringLiteral("割引料"), m_ui);
    if (!fee)
        return false;
    const book::BillRow &bill = m_bills[std::size_t(row)];
    const QString code = codeOfLine(m_bank->currentText());
    try {
        if (const std::optional<book::DiscountBank> bank = book::discountBank(m_ctx.db(), code)) {
            const book::LimitUse use = book::discountLimitUse(m_ctx.db(), code);
            const qint64 over = use.used + bill.金額 - bank->割引枠;
            // A bill the step refuses anyway is not asked about.
            const bool pastDue = bill.手形期日.isValid() && *date > bill.手形期日;
            if (over > 0 && !pastDue &&
                !m_ui.confirm(QStringLiteral("割引枠を %1 円超えます\n割引枠 %2 円、使用中 %3 円、この手形 %4 円\n"
                                             "割引しますか")
                                  .arg(fmt::amount(over), fmt::amount(bank->割引枠), fmt::amount(use.used),
                                       fmt::amount(bill.金額)),
                              QStringLiteral("割引枠の超過")))
                return false;
        }
        book::discountBill(m_ctx.db(), {bill.id, bill.更新回数, *date, today()}, code, *fee);
    } catch (const std::exception &e) {
        fail(e);
        // Whatever another clerk did meanwhile shows now.
        List1Requery();
        return false;
    }
    m_fee->setText(QStringLiteral("0"));
    List1Requery();
    m_list->setFocus();
    return true;
}

// ---------------------------------------------------------------- 割引手形解除

DiscountReleaseWindow::DiscountReleaseWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : LifeWindow(ctx, ui, kit, QStringLiteral("割引手形解除"), parent)
{
    m_list = makeList(QStringLiteral("List1"),
                      {QStringLiteral("割引日"), QStringLiteral("割引先"), QStringLiteral("手形番号"),
                       QStringLiteral("振出人"), QStringLiteral("手形期日"), QStringLiteral("金額"),
                       QStringLiteral("割引料")},
                      {5, 6}, 3);
    auto *how = ui::named<QGroupBox>(this, QStringLiteral("解除の理由"));
    how->setTitle(QStringLiteral("解除の理由"));
    m_mistake = ui::named<QRadioButton>(how, QStringLiteral("Option1"));
    m_mistake->setText(QStringLiteral("割引の誤り（割引しなかったことにする）"));
    m_buyBack = ui::named<QRadioButton>(how, QStringLiteral("Option2"));
    m_buyBack->setText(QStringLiteral("買戻し（銀行から買い戻して手元に戻す）"));
    m_mistake->setChecked(true);
    auto *howLayout = new QVBoxLayout(how);
    howLayout->addWidget(m_mistake);
    howLayout->addWidget(m_buyBack);
    m_date = life::dateField(this, QStringLiteral("解除日"));
    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("解　除"));
    auto *history = historyButton(m_list);
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("解除日"), m_date));
    dateRow->addWidget(m_date);
    dateRow->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("割引済みの手形"), m_list));
    layout->addWidget(m_list, 1);
    layout->addWidget(how);
    layout->addLayout(dateRow);
    layout->addLayout(ui::buttonRow({save, history, close}));
    ui::chainTabOrder({m_list, m_mistake, m_buyBack, m_date, save, history, close});

    connect(save, &QPushButton::clicked, this, [this] { 登録(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    finish();

    m_date->setText(fmt::ymd(today()));
    List1Requery();
    m_list->setFocus();
}

void DiscountReleaseWindow::List1Requery()
{
    try {
        m_bills = book::discountedBills(m_ctx.db());
        QList<QStringList> rows;
        QList<qint64> keys;
        for (const book::DiscountedBill &d : m_bills) {
            rows << QStringList{fmt::ymd(d.discount.date),
                                d.discount.相手先,
                                d.bill.手形番号,
                                d.bill.振出人,
                                fmt::ymd(d.bill.手形期日),
                                fmt::amount(d.bill.金額),
                                fmt::amount(d.discount.手数料)};
            keys << d.bill.id;
        }
        m_list->setRows(rows, keys);
    } catch (const std::exception &e) {
        m_bills.clear();
        m_list->clearRows();
        fail(e);
    }
}

bool DiscountReleaseWindow::登録()
{
    const int row = m_list->selectedRow();
    if (row < 0 || row >= int(m_bills.size())) {
        m_ui.information(QStringLiteral("解除する手形を一覧から選んでください"));
        m_list->setFocus();
        return false;
    }
    const std::optional<QDate> date = life::readDate(m_date, today(), QStringLiteral("解除日"), m_ui);
    if (!date)
        return false;
    const book::BillRow &bill = m_bills[std::size_t(row)].bill;
    const bool mistake = m_mistake->isChecked();
    if (!m_ui.confirm(QStringLiteral("手形番号 %1 の割引を%2として解除しますよ")
                          .arg(bill.手形番号, mistake ? QStringLiteral("誤り") : QStringLiteral("買戻し")),
                      QStringLiteral("割引解除の確認")))
        return false;
    try {
        book::cancelDiscount(m_ctx.db(), {bill.id, bill.更新回数, *date, today()},
                             mistake ? book::DiscountUndo::Mistake : book::DiscountUndo::BuyBack);
    } catch (const std::exception &e) {
        fail(e);
        List1Requery();
        return false;
    }
    List1Requery();
    m_list->setFocus();
    return true;
}

// ---------------------------------------------------------------- 割引手形一覧

DiscountedListWindow::DiscountedListWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : LifeWindow(ctx, ui, kit, QStringLiteral("割引手形一覧"), parent)
{
    m_list = makeList(QStringLiteral("List1"),
                      {QStringLiteral("割引先"), QStringLiteral("割引日"), QStringLiteral("手形番号"),
                       QStringLiteral("振出人"), QStringLiteral("手形期日"), QStringLiteral("金額"),
                       QStringLiteral("割引料")},
                      {5, 6}, 3);
    m_banks = makeList(QStringLiteral("List2"),
                       {QStringLiteral("割引先"), QStringLiteral("件数"), QStringLiteral("金額"),
                        QStringLiteral("割引枠"), QStringLiteral("残り")},
                       {1, 2, 3, 4}, 0);
    m_banks->setMinimumHeight(120);
    m_total = ui::named<QLabel>(this, QStringLiteral("合計"));
    auto *history = historyButton(m_list);
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("期日前の割引手形"), m_list));
    layout->addWidget(m_list, 2);
    layout->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("割引先ごとの合計"), m_banks));
    layout->addWidget(m_banks, 1);
    layout->addWidget(m_total);
    layout->addLayout(ui::buttonRow({history, close}));
    ui::chainTabOrder({m_list, m_banks, history, close});
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    finish();
    List1Requery();
    m_list->setFocus();
}

void DiscountedListWindow::List1Requery()
{
    try {
        const std::vector<book::DiscountedBill> bills = book::discountedBills(m_ctx.db(), today());
        QList<QStringList> rows;
        QList<qint64> keys;
        struct Sum {
            QString name;
            int count = 0;
            qint64 amount = 0;
        };
        QMap<QString, Sum> byBank;
        qint64 total = 0;
        for (const book::DiscountedBill &d : bills) {
            rows << QStringList{d.discount.相手先,
                                fmt::ymd(d.discount.date),
                                d.bill.手形番号,
                                d.bill.振出人,
                                fmt::ymd(d.bill.手形期日),
                                fmt::amount(d.bill.金額),
                                fmt::amount(d.discount.手数料)};
            keys << d.bill.id;
            Sum &s = byBank[d.discount.相手先コード];
            s.name = d.discount.相手先;
            ++s.count;
            s.amount += d.bill.金額;
            total += d.bill.金額;
        }
        m_list->setRows(rows, keys);
        QList<QStringList> sums;
        for (auto it = byBank.cbegin(); it != byBank.cend(); ++it) {
            const std::optional<book::DiscountBank> bank = book::discountBank(m_ctx.db(), it.key());
            const qint64 limit = bank ? bank->割引枠 : 0;
            sums << QStringList{
                it->name, QString::number(it->count), fmt::amount(it->amount), bank ? fmt::amount(limit) : QString(),
                bank ? fmt::amount(limit - book::discountLimitUse(m_ctx.db(), it.key()).used) : QString()};
        }
        m_banks->setRows(sums, QList<qint64>(sums.size(), 0));
        m_total->setText(totalText(int(bills.size()), total));
    } catch (const std::exception &e) {
        m_list->clearRows();
        m_banks->clearRows();
        fail(e);
    }
}

} // namespace sorvane
