#include "payable/PayableResults.h"

#include "book/AppContext.h"
#include "book/Endorsers.h"
#include "data/Formats.h"
#include "payable/PayableLines.h"
#include "ui/EndorsementDialog.h"
#include "ui/LineList.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"
#include "ui/QuietSteps.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace sorvane {

namespace {

// Every field only shows what the search found.
QLineEdit *shown(QWidget *parent, const QString &name, int digits = 0)
{
    auto *e = ui::named<QLineEdit>(parent, name);
    e->setReadOnly(true);
    if (digits > 0)
        e->setFixedWidth(ui::digitsWidth(e, digits));
    return e;
}

} // namespace

PayableResultWindow::PayableResultWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui), m_kit(kit)
{
    setObjectName(QStringLiteral("支払結果表示"));
    setWindowTitle(QStringLiteral("検索結果"));
    setFont(ui::gothicFont());

    m_list = ui::named<ui::LineList>(this, QStringLiteral("List2"));
    m_list->setMinimumSize(600, 220);
    m_date = shown(this, QStringLiteral("日付"), 11);
    m_billNumber = shown(this, QStringLiteral("手形番号"), 12);
    m_scode = shown(this, QStringLiteral("Scode"), 8);
    m_sname = ui::named<QLabel>(this, QStringLiteral("SNAME"));
    m_sname->setMinimumWidth(220);
    m_sname->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_account = shown(this, QStringLiteral("口座名"));
    m_account->setMinimumWidth(360);
    m_accountId = shown(this, QStringLiteral("予約口座id"));
    m_accountKozano = shown(this, QStringLiteral("予約kozano"));
    for (QLineEdit *key : {m_accountId, m_accountKozano}) {
        key->setFocusPolicy(Qt::NoFocus);
        key->hide();
    }
    m_drawer = shown(this, QStringLiteral("振出人"));
    m_drawer->setMinimumWidth(260);
    m_prefecture = shown(this, QStringLiteral("支払県"), 9);
    m_city = shown(this, QStringLiteral("支払市町村"));
    m_bank = shown(this, QStringLiteral("支払場所"));
    m_branch = shown(this, QStringLiteral("支払場所支店"));
    m_issueDate = shown(this, QStringLiteral("振出日"), 11);
    m_dueDate = shown(this, QStringLiteral("手形期日"), 11);
    m_amount = shown(this, QStringLiteral("金額"), 14);
    m_amount->setAlignment(Qt::AlignRight);

    m_endorsers = ui::named<QListWidget>(this, QStringLiteral("裏書"));
    m_endorsers->setFocusPolicy(Qt::NoFocus);
    m_endorsers->setSelectionMode(QAbstractItemView::NoSelection);
    m_endorsers->setMinimumWidth(180);
    auto *endorseButton = ui::button(this, QStringLiteral("裏書ボタン"), QStringLiteral("表示"));

    auto *kind = ui::named<QGroupBox>(this, QStringLiteral("種類"));
    kind->setTitle(QStringLiteral("種類"));
    m_handOn = ui::named<QCheckBox>(kind, QStringLiteral("Check1"));
    m_handOn->setText(QStringLiteral("譲渡"));
    m_issue = ui::named<QCheckBox>(kind, QStringLiteral("Check2"));
    m_issue->setText(QStringLiteral("振出し"));
    auto *kindRow = new QHBoxLayout(kind);
    kindRow->addWidget(m_handOn);
    kindRow->addWidget(m_issue);

    auto *clear = ui::button(this, QStringLiteral("クリアボタン"), QStringLiteral("クリア"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    int row = 0;
    auto addRow = [&](const QString &labelName, const QString &caption, QWidget *buddy,
                      std::initializer_list<QWidget *> widgets, int stretchAt = -1) {
        grid->addWidget(ui::label(this, labelName, caption, buddy), row, 0);
        auto *r = new QHBoxLayout;
        for (QWidget *w : widgets)
            r->addWidget(w);
        if (stretchAt < 0)
            r->addStretch(1);
        else
            r->setStretch(stretchAt, 1);
        grid->addLayout(r, row, 1);
        ++row;
    };
    addRow(QStringLiteral("Label1"), QStringLiteral("日付"), m_date, {m_date, kind});
    addRow(QStringLiteral("Label2"), QStringLiteral("手形番号"), m_billNumber, {m_billNumber});
    addRow(QStringLiteral("Label3"), QStringLiteral("仕入先コード"), m_scode, {m_scode, m_sname}, 1);
    addRow(QStringLiteral("Label10"), QStringLiteral("口座"), m_account, {m_account, m_accountId, m_accountKozano});
    addRow(QStringLiteral("Label11"), QStringLiteral("振出人"), m_drawer, {m_drawer});
    addRow(QStringLiteral("Label6"), QStringLiteral("支払地"), m_prefecture, {m_prefecture, m_city}, 1);
    addRow(QStringLiteral("Label7"), QStringLiteral("支払場所"), m_bank, {m_bank, m_branch});
    addRow(QStringLiteral("label13"), QStringLiteral("振出日"), m_issueDate,
           {m_issueDate, ui::label(this, QStringLiteral("Label8"), QStringLiteral("手形期日"), m_dueDate), m_dueDate,
            ui::label(this, QStringLiteral("Label9"), QStringLiteral("金額"), m_amount), m_amount});

    auto *endorserColumn = new QVBoxLayout;
    endorserColumn->addWidget(ui::label(this, QStringLiteral("一覧タイトル"), QStringLiteral("裏書")));
    endorserColumn->addWidget(m_endorsers, 1);
    endorserColumn->addWidget(endorseButton);

    auto *lower = new QHBoxLayout;
    lower->addLayout(grid, 1);
    lower->addSpacing(8);
    lower->addLayout(endorserColumn);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui::label(this, QStringLiteral("Label5"), QStringLiteral("手形一覧"), m_list));
    layout->addWidget(m_list, 1);
    layout->addSpacing(6);
    layout->addLayout(lower);
    auto *history = ui::button(this, QStringLiteral("履歴ボタン"), QStringLiteral("履　歴"));
    connect(history, &QPushButton::clicked, this,
            [this] { openHistory(m_kit, m_ui, this, m_rows.idAt(m_list->selectedRow())); });
    layout->addLayout(ui::buttonRow({clear, history, close}));
    // 保存 and 削除 stay in the menu as in the list window, without an action.
    QMenu *file = ui::addFileMenu(
        this, layout, [] {}, [] {});
    if (auto *bar = qobject_cast<QMenuBar *>(file->parentWidget())) {
        QMenu *edit = ui::addMenu(bar, QStringLiteral("MH"), QStringLiteral("編集"));
        connect(ui::addItem(edit, QStringLiteral("MC1"), QStringLiteral("クリア")), &QAction::triggered, this,
                &PayableResultWindow::ClearForm);
    }

    ui::chainTabOrder({m_list, m_date, m_handOn, m_issue, m_billNumber, m_scode, m_account, m_drawer, m_prefecture,
                       m_city, m_bank, m_branch, m_issueDate, m_dueDate, m_amount, endorseButton, clear, history,
                       close});

    connect(clear, &QPushButton::clicked, this, &PayableResultWindow::ClearForm);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(endorseButton, &QPushButton::clicked, this, &PayableResultWindow::showEndorsements);
    connect(m_handOn, &QCheckBox::clicked, this, [this](bool on) { m_issue->setChecked(!on); });
    connect(m_issue, &QCheckBox::clicked, this, [this](bool on) { m_handOn->setChecked(!on); });
    connect(m_list, &ui::LineList::rowPicked, this, &PayableResultWindow::onLinePicked);

    ui::finishWindow(this);

    ClearForm();
    List2Requery();
    m_list->setFocus();
}

void PayableResultWindow::ClearForm()
{
    m_issue->setChecked(true);
    m_handOn->setChecked(false);
    for (QLineEdit *e : {m_date, m_scode, m_account, m_accountId, m_accountKozano, m_billNumber, m_prefecture, m_city,
                         m_bank, m_branch, m_issueDate, m_dueDate})
        e->clear();
    m_sname->clear();
    m_drawer->setText(QStringLiteral("自社"));
    m_amount->setText(QStringLiteral("0"));
    m_endorsers->clear();
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_date, m_scode, m_account, m_billNumber, m_prefecture, m_city, m_bank,
                                          m_branch, m_issueDate, m_drawer, m_dueDate, m_amount, m_handOn, m_issue})
        w->setEnabled(true);
    m_list->clearRowSelection();
}

void PayableResultWindow::List2Requery()
{
    m_list->clearLines();
    m_rows.clear();
    QList<qint64> ids;
    if (!ui::quietly(m_ui, [&] { ids = book::payableResultIds(m_ctx.db()); }))
        return;
    ui::fillLines(
        m_list, m_rows, ids,
        [this](const QList<qint64> &some) { return book::payableResultLinesOf(m_ctx.db(), some); },
        payable::payableLine);
}

void PayableResultWindow::onLinePicked(int row)
{
    if (row < 0)
        return;
    try {
        if (const std::optional<book::PayableBill> b = book::payableResult(m_ctx.db(), m_rows.idAt(row)))
            showBill(*b);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

void PayableResultWindow::showBill(const book::PayableBill &b)
{
    const bool issued = b.処理 == book::kIssued;
    m_issue->setChecked(issued);
    m_handOn->setChecked(!issued);
    if (issued) {
        m_drawer->setText(QStringLiteral("自社"));
        m_scode->setText(b.取引先コード);
        m_sname->setText(b.取引先);
        m_accountId->setText(QString::number(b.予約口座id));
        m_accountKozano->setText(QString::number(b.kozano));
    } else {
        // A handed-on bill: the customer it came from, and the supplier who received it.
        m_drawer->setText(b.取引先);
        m_scode->setText(b.譲渡先コード);
        m_sname->setText(b.譲渡先);
        m_accountId->clear();
        m_accountKozano->clear();
    }
    m_date->setText(fmt::ymd(b.日付));
    m_billNumber->setText(b.手形番号);
    m_prefecture->setText(b.支払県);
    m_city->setText(b.支払市);
    m_bank->setText(b.支払場所);
    m_branch->setText(b.支払場所支店);
    m_issueDate->setText(fmt::ymd(b.振出日));
    m_dueDate->setText(fmt::ymd(b.手形期日));
    m_amount->setText(fmt::amount(b.金額));

    for (QWidget *w : std::initializer_list<QWidget *>{m_scode, m_billNumber, m_prefecture, m_city, m_bank, m_branch,
                                                       m_issueDate, m_drawer, m_dueDate, m_amount})
        w->setEnabled(issued);
    m_handOn->setEnabled(!issued);
    m_issue->setEnabled(!issued);

    m_endorsers->clear();
    if (b.処理 == book::kHandedOn)
        m_endorsers->addItems(book::endorserNames(m_ctx.db(), b.id));

    QString line;
    if (issued && b.予約口座id > 0) {
        if (const auto a = book::accountById(m_ctx.db(), b.予約口座id))
            line = book::accountLine(a->kozano, a->銀行名, a->支店名, a->口座番号);
    }
    m_account->setText(line);
}

void PayableResultWindow::showEndorsements()
{
    EndorsementDialog *dialog = m_kit.endorsements;
    if (!dialog)
        return;
    // Only for looking: what is typed into the dialog is never stored from here.
    QList<book::Endorser> endorsers;
    const int row = m_list->selectedRow();
    if (row >= 0)
        ui::quietly(m_ui, [&] { endorsers = book::endorsersOf(m_ctx.db(), m_rows.idAt(row)); });
    dialog->load(m_billNumber->text(), endorsers);
    m_ui.runModal(dialog);
}

} // namespace sorvane
