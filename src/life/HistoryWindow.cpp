#include "life/HistoryWindow.h"

#include "book/AppContext.h"
#include "data/Formats.h"
#include "life/LifeForms.h"
#include "ui/RowTable.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sorvane {

namespace {

// A search over every bill shows this many events at most.
constexpr int kShownEvents = 5000;

QString moneyOf(const book::BillEvent &e)
{
    if (e.手数料 > 0)
        return QStringLiteral("割引料 ") + fmt::amount(e.手数料);
    if (e.回収額 > 0)
        return QStringLiteral("回収 ") + fmt::amount(e.回収額);
    return {};
}

QString optionalAmount(const QString &text)
{
    return text.trimmed();
}

} // namespace

HistoryWindow::HistoryWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, qint64 billId, QWidget *parent)
    : LifeWindow(ctx, ui, kit, QStringLiteral("手形履歴"), parent), m_billId(billId)
{
    m_scope = ui::named<QLabel>(this, QStringLiteral("対象"));
    m_from = life::dateField(this, QStringLiteral("開始日"));
    m_to = life::dateField(this, QStringLiteral("終了日"));
    m_min = life::amountField(this, QStringLiteral("金額下限"));
    m_max = life::amountField(this, QStringLiteral("金額上限"));
    m_party = ui::named<QLineEdit>(this, QStringLiteral("相手"));
    m_party->setMinimumWidth(220);
    m_number = ui::named<QLineEdit>(this, QStringLiteral("手形番号"));
    ui::preferLatin(m_number);
    m_number->setFixedWidth(ui::digitsWidth(m_number, 14));
    auto *search = ui::button(this, QStringLiteral("検索ボタン"), QStringLiteral("検　索"));
    auto *clear = ui::button(this, QStringLiteral("クリアボタン"), QStringLiteral("クリア"));
    m_count = ui::named<QLabel>(this, QStringLiteral("件数"));
    m_list = makeList(QStringLiteral("List1"),
                      {QStringLiteral("処理日"), QStringLiteral("種別"), QStringLiteral("手形番号"),
                       QStringLiteral("取引先"), QStringLiteral("相手先"), QStringLiteral("金額"),
                       QStringLiteral("割引料・回収額"), QStringLiteral("状態"), QStringLiteral("事由"),
                       QStringLiteral("記録日時"), QStringLiteral("記録者")},
                      {5, 6}, 8);
    m_list->setMinimumSize(980, 240);
    m_detail = ui::named<QPlainTextEdit>(this, QStringLiteral("詳細"));
    m_detail->setReadOnly(true);
    m_detail->setFont(ui::listFont(9));
    m_detail->setMaximumHeight(130);
    m_detail->setTabChangesFocus(true);
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *grid = new QGridLayout;
    grid->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("処理日"), m_from), 0, 0);
    auto *dates = new QHBoxLayout;
    dates->addWidget(m_from);
    dates->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("〜"), m_to));
    dates->addWidget(m_to);
    dates->addStretch(1);
    grid->addLayout(dates, 0, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("金額"), m_min), 1, 0);
    auto *amounts = new QHBoxLayout;
    amounts->addWidget(m_min);
    amounts->addWidget(ui::label(this, QStringLiteral("Label4"), QStringLiteral("〜"), m_max));
    amounts->addWidget(m_max);
    amounts->addWidget(ui::label(this, QStringLiteral("Label5"), QStringLiteral("円")));
    amounts->addStretch(1);
    grid->addLayout(amounts, 1, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label6"), QStringLiteral("相手"), m_party), 2, 0);
    auto *party = new QHBoxLayout;
    party->addWidget(m_party);
    party->addWidget(
        ui::label(this, QStringLiteral("Label7"), QStringLiteral("（取引先・割引先・譲渡先のコードか名前の一部）")));
    party->addStretch(1);
    grid->addLayout(party, 2, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label8"), QStringLiteral("手形番号"), m_number), 3, 0);
    auto *number = new QHBoxLayout;
    number->addWidget(m_number);
    number->addStretch(1);
    number->addWidget(search);
    number->addWidget(clear);
    grid->addLayout(number, 3, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_scope);
    layout->addLayout(grid);
    layout->addWidget(m_count);
    layout->addWidget(m_list, 1);
    layout->addWidget(ui::label(this, QStringLiteral("Label9"), QStringLiteral("修正・削除の内容"), m_detail));
    layout->addWidget(m_detail);
    layout->addLayout(ui::buttonRow({close}));
    ui::chainTabOrder({m_from, m_to, m_min, m_max, m_party, m_number, search, clear, m_list, m_detail, close});

    connect(search, &QPushButton::clicked, this, [this] { 検索(); });
    connect(clear, &QPushButton::clicked, this, &HistoryWindow::ClearForm);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &ui::RowTable::rowPicked, this, &HistoryWindow::onPicked);
    finish();

    if (m_billId > 0) {
        検索();
        m_list->setFocus();
    } else {
        m_scope->setText(
            QStringLiteral("すべての手形の履歴を、条件で探します（条件はどれか一つでも、組み合わせても使えます）"));
        m_count->setText(QStringLiteral("条件を入れて「検索」を押してください"));
        m_from->setFocus();
    }
}

void HistoryWindow::ClearForm()
{
    m_billId = 0;
    for (QLineEdit *e : {m_from, m_to, m_min, m_max, m_party, m_number})
        e->clear();
    m_events.clear();
    m_list->clearRows();
    m_detail->clear();
    setWindowTitle(QStringLiteral("手形履歴"));
    m_scope->setText(
        QStringLiteral("すべての手形の履歴を、条件で探します（条件はどれか一つでも、組み合わせても使えます）"));
    m_count->setText(QStringLiteral("条件を入れて「検索」を押してください"));
    m_from->setFocus();
}

bool HistoryWindow::検索()
{
    book::EventQuery q;
    q.billId = m_billId;
    const QDate now = today();
    if (!m_from->text().trimmed().isEmpty()) {
        const std::optional<QDate> d = life::readDate(m_from, now, QStringLiteral("期間の始め"), m_ui);
        if (!d)
            return false;
        q.from = *d;
    }
    if (!m_to->text().trimmed().isEmpty()) {
        const std::optional<QDate> d = life::readDate(m_to, now, QStringLiteral("期間の終わり"), m_ui);
        if (!d)
            return false;
        q.to = *d;
    }
    if (!optionalAmount(m_min->text()).isEmpty()) {
        const std::optional<qint64> a = life::readAmount(m_min, QStringLiteral("金額の下限"), m_ui);
        if (!a)
            return false;
        q.minAmount = *a;
    }
    if (!optionalAmount(m_max->text()).isEmpty()) {
        const std::optional<qint64> a = life::readAmount(m_max, QStringLiteral("金額の上限"), m_ui);
        if (!a)
            return false;
        q.maxAmount = *a;
    }
    q.party = m_party->text();
    q.number = m_number->text();
    const QString problem = book::eventQueryProblem(q);
    if (!problem.isEmpty()) {
        m_ui.information(problem);
        return false;
    }
    q.limit = m_billId > 0 ? 0 : kShownEvents + 1;
    try {
        m_events = book::searchEvents(m_ctx.db(), q);
    } catch (const std::exception &e) {
        fail(e);
        return false;
    }
    const bool cut = q.limit > 0 && m_events.size() > kShownEvents;
    if (cut)
        m_events = m_events.mid(0, kShownEvents);
    QList<QStringList> rows;
    QList<qint64> keys;
    for (const book::BillEvent &e : std::as_const(m_events)) {
        const QString states = e.前状態.isEmpty() ? e.後状態 : e.前状態 + QStringLiteral("→") + e.後状態;
        rows << QStringList{fmt::ymd(e.date), e.kind, e.手形番号, e.取引先,   e.相手先, fmt::amount(e.金額),
                            moneyOf(e),       states, e.事由,     e.記録日時, e.記録者};
        keys << e.billId;
    }
    m_list->setRows(rows, keys);
    m_detail->clear();
    if (m_billId > 0) {
        const QString number = m_events.isEmpty() ? QString() : m_events.first().手形番号;
        setWindowTitle(QStringLiteral("手形履歴 — 手形番号 %1").arg(number));
        m_scope->setText(QStringLiteral("手形番号 %1 の履歴（「クリア」ですべての手形を探せます）").arg(number));
    }
    m_count->setText(cut ? QStringLiteral("最初の %L1 件を表示しています。条件を絞ってください").arg(kShownEvents)
                         : QStringLiteral("%L1 件").arg(m_events.size()));
    return true;
}

void HistoryWindow::onPicked(int row)
{
    m_detail->clear();
    if (row < 0 || row >= m_events.size())
        return;
    const book::BillEvent &e = m_events.at(row);
    QStringList text;
    if (!e.変更前.isEmpty())
        text << (e.kind == book::kind::削除 ? QStringLiteral("【削除した手形】") : QStringLiteral("【変更前】"))
             << e.変更前;
    if (!e.変更後.isEmpty())
        text << QStringLiteral("【変更後】") << e.変更後;
    if (e.取消元id > 0)
        text << QStringLiteral("取り消した記録: 履歴番号 %1").arg(e.取消元id);
    m_detail->setPlainText(text.join(u'\n'));
}

} // namespace sorvane
