#include "life/DiscountBankRegister.h"

#include "book/AppContext.h"
#include "book/DiscountBanks.h"
#include "book/Payables.h"
#include "data/Formats.h"
#include "life/LifeForms.h"
#include "ui/RowTable.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <tuple>

namespace sorvane {

DiscountBankRegister::DiscountBankRegister(AppContext &ctx, UiService &ui, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("割引先登録"));
    setWindowTitle(QStringLiteral("割引先登録"));
    setFont(ui::gothicFont());

    m_code = ui::named<QLineEdit>(this, QStringLiteral("コード"));
    ui::preferLatin(m_code);
    m_code->setFixedWidth(ui::digitsWidth(m_code, 7));
    m_bank = ui::named<QLineEdit>(this, QStringLiteral("銀行名"));
    m_bank->setMinimumWidth(220);
    m_branch = ui::named<QLineEdit>(this, QStringLiteral("支店名"));
    m_branch->setMinimumWidth(220);
    m_account = ui::typedCombo(this, QStringLiteral("入金口座"));
    m_account->setMinimumWidth(320);
    m_limit = life::amountField(this, QStringLiteral("割引枠"));

    m_list = ui::named<ui::RowTable>(this, QStringLiteral("List1"));
    m_list->setColumns({QStringLiteral("コード"), QStringLiteral("銀行"), QStringLiteral("支店"),
                        QStringLiteral("入金口座"), QStringLiteral("割引枠"), QStringLiteral("使用中"),
                        QStringLiteral("残り")},
                       {4, 5, 6});
    m_list->setMinimumSize(720, 200);

    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *remove = ui::button(this, QStringLiteral("削除ボタン"), QStringLiteral("削　除"));
    auto *clear = ui::button(this, QStringLiteral("クリアボタン"), QStringLiteral("クリア"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *grid = new QGridLayout;
    grid->setColumnStretch(2, 1);
    int row = 0;
    for (const auto &[name, caption, field] : {std::tuple{u"Label1", u"コード", static_cast<QWidget *>(m_code)},
                                               std::tuple{u"Label2", u"銀行名", static_cast<QWidget *>(m_bank)},
                                               std::tuple{u"Label3", u"支店名", static_cast<QWidget *>(m_branch)},
                                               std::tuple{u"Label4", u"入金口座", static_cast<QWidget *>(m_account)}}) {
        grid->addWidget(ui::label(this, QString::fromUtf16(name), QString::fromUtf16(caption), field), row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    }
    auto *limitRow = new QHBoxLayout;
    limitRow->addWidget(m_limit);
    limitRow->addWidget(ui::label(this, QStringLiteral("Label6"), QStringLiteral("円")));
    limitRow->addStretch(1);
    grid->addWidget(ui::label(this, QStringLiteral("Label5"), QStringLiteral("割引枠"), m_limit), row, 0);
    grid->addLayout(limitRow, row, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ui::buttonRow({save, remove, clear, close}));
    layout->addSpacing(6);
    layout->addWidget(ui::label(this, QStringLiteral("Label7"), QStringLiteral("登録済みの割引先"), m_list));
    layout->addWidget(m_list, 1);
    ui::addFileMenu(
        this, layout, [this] { onSave(); }, [this] { onDelete(); });
    ui::chainTabOrder({m_code, m_bank, m_branch, m_account, m_limit, save, remove, clear, close, m_list});

    connect(save, &QPushButton::clicked, this, &DiscountBankRegister::onSave);
    connect(remove, &QPushButton::clicked, this, &DiscountBankRegister::onDelete);
    connect(clear, &QPushButton::clicked, this, &DiscountBankRegister::ClearForm);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &ui::RowTable::rowPicked, this, &DiscountBankRegister::onPicked);
    ui::finishWindow(this);

    // The company's own accounts are offered; any other text may be typed.
    if (m_ctx.LoadAccountCache())
        for (const AccountSlot &a : std::as_const(m_ctx.AccountCache))
            m_account->addItem(book::accountLine(a.kozano, a.銀行名, a.支店名, a.口座番号));
    ClearForm();
    List1Requery();
    m_code->setFocus();
}

void DiscountBankRegister::ClearForm()
{
    for (QLineEdit *e : {m_code, m_bank, m_branch})
        e->clear();
    ui::clearCombo(m_account);
    m_limit->setText(QStringLiteral("0"));
    m_list->selectRow(-1);
}

void DiscountBankRegister::List1Requery()
{
    try {
        QList<QStringList> rows;
        QList<qint64> keys;
        for (const book::DiscountBank &b : book::discountBanks(m_ctx.db())) {
            const book::LimitUse use = book::discountLimitUse(m_ctx.db(), b.コード);
            rows << QStringList{b.コード,
                                b.銀行名,
                                b.支店名,
                                b.入金口座,
                                fmt::amount(b.割引枠),
                                fmt::amount(use.used),
                                fmt::amount(b.割引枠 - use.used)};
            keys << b.id;
        }
        m_list->setRows(rows, keys);
    } catch (const std::exception &e) {
        m_list->clearRows();
        m_ui.information(errorText(e));
    }
}

void DiscountBankRegister::onPicked(int row)
{
    try {
        const std::optional<book::DiscountBank> b = book::discountBank(m_ctx.db(), m_list->cell(row, 0));
        if (!b)
            return;
        m_code->setText(b->コード);
        m_bank->setText(b->銀行名);
        m_branch->setText(b->支店名);
        m_account->setCurrentIndex(m_account->findText(b->入金口座));
        m_account->setEditText(b->入金口座);
        m_limit->setText(fmt::amount(b->割引枠));
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

void DiscountBankRegister::onSave()
{
    const std::optional<qint64> limit = life::readAmount(m_limit, QStringLiteral("割引枠"), m_ui);
    if (!limit)
        return;
    book::DiscountBank b;
    b.コード = m_code->text();
    b.銀行名 = m_bank->text();
    b.支店名 = m_branch->text();
    b.入金口座 = m_account->currentText();
    b.割引枠 = *limit;
    try {
        book::saveDiscountBank(m_ctx.db(), b);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        return;
    }
    ClearForm();
    List1Requery();
    m_code->setFocus();
}

void DiscountBankRegister::onDelete()
{
    const QString code = m_code->text().trimmed();
    if (code.isEmpty()) {
        m_ui.information(QStringLiteral("削除する割引先を一覧から選んでください"));
        return;
    }
    if (!m_ui.confirm(QStringLiteral("削除しますよ"), QStringLiteral("削除の確認")))
        return;
    try {
        if (!book::deleteDiscountBank(m_ctx.db(), code))
            m_ui.information(QStringLiteral("割引先「%1」は登録されていません").arg(code));
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        return;
    }
    ClearForm();
    List1Requery();
}

} // namespace sorvane
