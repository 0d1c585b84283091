#include "receivable/ReceivableResults.h"

#include "receivable/BillForm.h"
#include "receivable/Guard.h"

#include "book/AppContext.h"
#include "data/Formats.h"
#include "ui/EndorsementDialog.h"
#include "ui/LineList.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"
#include "ui/QuietSteps.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace sorvane {

ReceivableResultWindow::ReceivableResultWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui), m_kit(kit)
{
    setObjectName(QStringLiteral("受取結果表示"));
    setWindowTitle(QStringLiteral("検索結果表示"));
    setFont(ui::gothicFont());

    m_list = ui::named<ui::LineList>(this, QStringLiteral("List2"));
    m_list->setMinimumSize(640, m_list->fontMetrics().height() * 12 + 8);
    const auto field = [this](const QString &name) {
        auto *e = ui::named<QLineEdit>(this, name);
        // A view of what the search found: nothing typed here could be kept.
        e->setReadOnly(true);
        return e;
    };
    m_date = field(QStringLiteral("日付"));
    m_number = field(QStringLiteral("手形番号"));
    m_code = field(QStringLiteral("Tcode"));
    m_name = ui::named<QLabel>(this, QStringLiteral("TNAME"));
    m_drawer = field(QStringLiteral("振出人"));
    m_prefecture = field(QStringLiteral("支払県"));
    m_town = field(QStringLiteral("支払市町村"));
    m_bank = field(QStringLiteral("支払場所"));
    m_branch = field(QStringLiteral("支払場所支店"));
    m_issue = field(QStringLiteral("振出日"));
    m_due = field(QStringLiteral("手形期日"));
    m_amount = field(QStringLiteral("金額"));
    m_storage = field(QStringLiteral("保管場所"));
    m_endorsers = ui::named<QListWidget>(this, QStringLiteral("List1"));
    auto *endorse = ui::button(this, QStringLiteral("裏書編集ボタン"), QStringLiteral("表示"));
    m_caution = ui::markBox(this, QStringLiteral("注意フラグ"));
    m_caution->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_caution->setFocusPolicy(Qt::NoFocus);
    auto *status = ui::button(this, QStringLiteral("状況ボタン"), QStringLiteral("状況"));
    auto *clear = ui::button(this, QStringLiteral("クリアボタン"), QStringLiteral("クリア"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    const receivable::BillFields fields{m_date,  m_number, m_code,   m_name,      m_prefecture, m_town,
                                        m_issue, m_due,    m_amount, m_endorsers, m_storage};
    receivable::sizeFields(fields);
    m_drawer->setMinimumWidth(240);

    auto *left = new QGridLayout;
    int r = 0;
    left->addWidget(ui::label(this, QStringLiteral("Label5"), QStringLiteral("日付"), m_date), r, 0);
    left->addWidget(m_date, r++, 1, 1, 2, Qt::AlignLeft);
    left->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("得意先コード"), m_code), r, 0);
    auto *customerRow = new QHBoxLayout;
    customerRow->addWidget(m_code);
    customerRow->addWidget(m_name, 1);
    left->addLayout(customerRow, r++, 1, 1, 2);
    left->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("手形番号"), m_number), r, 0);
    left->addWidget(m_number, r++, 1, 1, 2, Qt::AlignLeft);
    left->addWidget(ui::label(this, QStringLiteral("Label12"), QStringLiteral("振出人"), m_drawer), r, 0);
    left->addWidget(m_drawer, r++, 1, 1, 2);
    left->addWidget(ui::label(this, QStringLiteral("Label6"), QStringLiteral("支払地"), m_prefecture), r, 0);
    left->addWidget(m_prefecture, r, 1);
    left->addWidget(m_town, r++, 2);
    left->addWidget(ui::label(this, QStringLiteral("Label7"), QStringLiteral("支払場所"), m_bank), r, 0);
    auto *bankRow = new QHBoxLayout;
    bankRow->addWidget(m_bank, 1);
    bankRow->addWidget(m_branch, 1);
    left->addLayout(bankRow, r++, 1, 1, 2);
    left->setColumnStretch(2, 1);
    left->setRowStretch(r, 1);

    QGridLayout *right = receivable::rightColumn(this, fields, nullptr, endorse, m_caution, QStringLiteral("Label1"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui::label(this, QStringLiteral("Label4"), QStringLiteral("手形一覧"), m_list));
    layout->addWidget(m_list, 1);
    layout->addSpacing(6);
    layout->addLayout(receivable::columns(left, right));
    layout->addSpacing(8);
    auto *history = ui::button(this, QStringLiteral("履歴ボタン"), QStringLiteral("履　歴"));
    connect(history, &QPushButton::clicked, this,
            [this] { openHistory(m_kit, m_ui, this, m_rows.idAt(m_list->selectedRow())); });
    layout->addLayout(ui::buttonRow({status, clear, history, close}));

    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    QMenu *file = ui::addMenu(bar, QStringLiteral("MF"), QStringLiteral("ファイル"));
    // Saving and deleting have no meaning for a search's copies: the items do nothing.
    ui::addItem(file, QStringLiteral("MH1"), QStringLiteral("保存"));
    ui::addItem(file, QStringLiteral("MS1"), QStringLiteral("削除"));
    QAction *menuClose = ui::addItem(file, QStringLiteral("ME1"), QStringLiteral("終了"));
    QMenu *edit = ui::addMenu(bar, QStringLiteral("MH"), QStringLiteral("編集"));
    QAction *menuClear = ui::addItem(edit, QStringLiteral("MC1"), QStringLiteral("クリア"));
    layout->setMenuBar(bar);

    ui::chainTabOrder({m_list, m_date, m_code, m_number, m_drawer, m_prefecture, m_town, m_bank, m_branch, m_issue,
                       m_due, m_amount, m_endorsers, endorse, m_storage, status, clear, history, close});

    connect(clear, &QPushButton::clicked, this, [this] { guard(m_ui, [this] { ClearForm(); }); });
    connect(menuClear, &QAction::triggered, this, [this] { guard(m_ui, [this] { ClearForm(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(menuClose, &QAction::triggered, this, &QDialog::close);
    connect(endorse, &QPushButton::clicked, this, [this] { guard(m_ui, [this] { ShowEndorsements(); }); });
    connect(m_list, &ui::LineList::rowPicked, this,
            [this](int row) { guard(m_ui, [this, row] { onLinePicked(row); }); });

    ui::finishWindow(this);
    load();
    m_list->setFocus();
}

void ReceivableResultWindow::load()
{
    ClearForm();
    m_list->clearLines();
    QList<qint64> ids;
    ui::quietly(m_ui, [&] { ids = book::receivableResultIds(m_ctx.db()); });
    ui::fillLines(
        m_list, m_rows, ids,
        [this](const QList<qint64> &some) { return book::receivableResultRowsOf(m_ctx.db(), some); },
        [](const book::ReceivableRow &row) { return book::ReceivableListLine(row, book::ListLayout::AtLoad); });
}

void ReceivableResultWindow::ClearForm()
{
    for (QLineEdit *e :
         {m_date, m_code, m_storage, m_number, m_drawer, m_prefecture, m_town, m_bank, m_branch, m_issue, m_due})
        e->clear();
    m_name->clear();
    m_endorsers->clear();
    m_amount->setText(QStringLiteral("0"));
    m_caution->setChecked(false);
    EndorsementEdited = false;
}

void ReceivableResultWindow::onLinePicked(int row)
{
    if (m_list->lineText(row).isEmpty())
        return;
    EndorsementEdited = false;
    const qint64 id = m_rows.idAt(row);
    const std::optional<book::ReceivableBill> b = book::receivableResult(m_ctx.db(), id);
    if (!b) {
        m_ui.information(QStringLiteral("検索結果が見つかりません\nもう一度検索してください"));
        return;
    }
    m_date->setText(fmt::ymd(b->日付));
    m_code->setText(b->取引先コード);
    m_name->setText(b->取引先);
    m_storage->setText(b->保管場所);
    m_number->setText(b->手形番号);
    m_drawer->setText(b->振出人);
    m_prefecture->setText(b->支払県);
    m_town->setText(b->支払市);
    m_bank->setText(b->支払場所);
    m_branch->setText(b->支払場所支店);
    m_issue->setText(fmt::ymd(b->振出日));
    m_due->setText(fmt::ymd(b->手形期日));
    m_amount->setText(fmt::amount(b->金額));
    m_caution->setChecked(b->注意フラグ);
    // The endorsers as they are now, even of a bill deleted since the search.
    m_endorsers->clear();
    m_endorsers->addItems(book::endorserNames(m_ctx.db(), id));
}

void ReceivableResultWindow::ShowEndorsements()
{
    if (!m_kit.endorsements)
        return;
    EndorsementDialog *dialog = m_kit.endorsements;
    EndorsementEdited = true;
    dialog->setBillNumber(m_number->text());
    dialog->clearSlots();
    const int row = m_list->selectedRow();
    if (row >= 0)
        ui::quietly(m_ui, [&] { dialog->setSlots(book::endorsersOf(m_ctx.db(), m_rows.idAt(row))); });
    m_ui.runModal(dialog);
}

} // namespace sorvane
