#include "search/DueList.h"

#include "book/AppContext.h"
#include "data/Formats.h"
#include "ui/LineList.h"
#include "ui/Printing.h"
#include "ui/QuietSteps.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <QHash>

#include <algorithm>
#include <exception>

namespace sorvane {

QString dueListLine(book::DueList list, const book::DueBill &b)
{
    // A claim's number is its 記録番号, marked so that paper and electronic
    // lines are told apart in the one list.
    const QString head =
        fmt::mmdd(b.due) + QStringLiteral("  ") + (b.electronic ? QStringLiteral("電") + b.number : b.number);
    if (list == book::DueList::Issued)
        return head + QString(14, u' ') + fmt::amount(b.amount);
    // A bill without storage place (NULL or empty) keeps the columns of the
    // others, and its amount stays apart from the party's name.
    const QString place = b.place.value_or(QString());
    return head + QStringLiteral("  ") + place.rightJustified(10, u' ') + b.party + QStringLiteral("  ") +
           fmt::amount(b.amount);
}

book::Sheet dueListSheet(book::DueList list, const QString &heading, const QString &window,
                         const std::vector<book::DueBill> &bills)
{
    const bool issued = list == book::DueList::Issued;
    book::Sheet sheet;
    sheet.title = heading;
    sheet.subtitle = window;
    sheet.columns << book::SheetColumn{QStringLiteral("手形期日"), {}, false, 14}
                  << book::SheetColumn{QStringLiteral("手形番号"), {}, false, 16};
    if (!issued)
        sheet.columns << book::SheetColumn{QStringLiteral("保管場所"), {}, false, 18};
    sheet.columns << book::SheetColumn{issued ? QStringLiteral("支払先") : QStringLiteral("取引先"), {}, false, 30}
                  << book::SheetColumn{QStringLiteral("金額"), {}, true, 16};
    qint64 sum = 0;
    for (const book::DueBill &b : bills) {
        QStringList row{fmt::ymd(b.due), b.number};
        if (!issued)
            row << b.place.value_or(QString());
        row << b.party << fmt::amount(b.amount);
        sheet.rows << row;
        sheet.keys << b.id;
        sum += b.amount;
    }
    QStringList totals{QStringLiteral("合計"), QStringLiteral("%1 件").arg(bills.size())};
    if (!issued)
        totals << QString();
    totals << QString() << fmt::amount(sum);
    sheet.totals = totals;
    return sheet;
}

DueListWindow::DueListWindow(AppContext &ctx, UiService &ui, QWidget *parent) : QDialog(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("接近手形一覧"));
    setWindowTitle(QStringLiteral("手形一覧"));
    setFont(ui::gothicFont());

    m_title = ui::named<QLabel>(this, QStringLiteral("Title"));
    QFont titleFont = ui::gothicFont(12);
    titleFont.setBold(true);
    m_title->setFont(titleFont);

    struct Part {
        book::DueList kind;
        const char16_t *label, *caption, *list, *check;
    };
    const Part parts[] = {
        {book::DueList::InHand, u"Label1", u"手形一覧", u"List1", u"Check1"},
        {book::DueList::Issued, u"Label2", u"支払手形一覧", u"List2", u"Check2"},
        {book::DueList::Dishonoured, u"Label4", u"不渡手形一覧", u"List4", u"Check5"},
    };

    auto *print = ui::button(this, QStringLiteral("印刷ボタン"), QStringLiteral("印刷"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    QList<QWidget *> order;
    for (const Part &p : parts) {
        auto *list = ui::named<ui::LineList>(this, QString::fromUtf16(p.list));
        list->setMinimumSize(list->fontMetrics().horizontalAdvance(QString(84, u'0')), 130);
        auto *check = ui::named<QCheckBox>(this, QString::fromUtf16(p.check));
        check->setText(QStringLiteral("印刷する"));
        auto *heading = ui::label(this, QString::fromUtf16(p.label), QString::fromUtf16(p.caption), list);
        heading->setFont(ui::gothicFont(10));
        auto *row = new QHBoxLayout;
        row->addWidget(heading);
        row->addStretch(1);
        row->addWidget(check);
        layout->addLayout(row);
        layout->addWidget(list, 1);
        m_lists.append(Shown{p.kind, list, check, QString::fromUtf16(p.caption), {}, {}});
        order << list << check;
    }
    layout->addLayout(ui::buttonRow({print, close}));

    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    QMenu *file = ui::addMenu(bar, QStringLiteral("MF"), QStringLiteral("ファイル"));
    connect(ui::addItem(file, QStringLiteral("MP1"), QStringLiteral("印刷")), &QAction::triggered, this,
            &DueListWindow::print);
    connect(ui::addItem(file, QStringLiteral("ME1"), QStringLiteral("終了")), &QAction::triggered, this,
            &QWidget::close);
    layout->setMenuBar(bar);

    QWidget *previous = nullptr;
    for (QWidget *w : order + QList<QWidget *>{print, close}) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(print, &QPushButton::clicked, this, &DueListWindow::print);

    ui::finishWindow(this);
    reload();
    resize(sizeHint().width(), 600);
}

void DueListWindow::reload()
{
    const QDate today = m_ctx.clock.today();
    const int days = m_ctx.DueWindowDays;
    m_title->setText(QStringLiteral("%1 から %2日以内の手形").arg(fmt::mmdd(today)).arg(days));
    const QDate to = today.addDays(days);
    m_from = today;
    m_to = to;
    // A server out of reach is said once for the three lists.
    ui::QuietSteps quiet(m_ctx.messages());
    for (int i = 0; i < m_lists.size(); ++i) {
        Shown &s = m_lists[i];
        // A list that cannot be read stays empty; the others still fill.
        // Its keys are read now, a line's fields when the line is shown.
        QList<qint64> ids;
        quiet([&] { ids = book::dueBillIds(m_ctx.db(), s.kind, today, to); });
        s.ids = ids;
        s.bills.reset(ids, [this](const QList<qint64> &some) { return book::dueBillsOf(m_ctx.db(), some); });
        s.list->setLines(int(ids.size()), [this, i](int row) {
            const book::DueBill *b = m_lists[i].bills.row(row);
            return b ? dueListLine(m_lists[i].kind, *b) : QString();
        });
    }
}

QList<book::Sheet> DueListWindow::ticked()
{
    const QString window = QStringLiteral("%1 から %2日以内の手形（%3 まで）")
                               .arg(fmt::ymd(m_from))
                               .arg(m_ctx.DueWindowDays)
                               .arg(fmt::ymd(m_to));
    QList<book::Sheet> sheets;
    for (const Shown &s : std::as_const(m_lists)) {
        if (!s.check->isChecked())
            continue;
        // Paper holds every bill of the list in the list's order, as read when the window filled it.
        std::vector<book::DueBill> bills = book::dueBillsOf(m_ctx.db(), s.ids);
        QHash<qint64, int> order;
        for (int i = 0; i < s.ids.size(); ++i)
            order.insert(s.ids.at(i), i);
        std::sort(bills.begin(), bills.end(),
                  [&order](const book::DueBill &a, const book::DueBill &b) { return order[a.id] < order[b.id]; });
        sheets << dueListSheet(s.kind, s.heading, window, bills);
    }
    return sheets;
}

void DueListWindow::print()
{
    try {
        const QList<book::Sheet> sheets = ticked();
        if (sheets.isEmpty()) {
            m_ui.information(QStringLiteral("印刷する一覧の「印刷する」に印を付けてください"));
            return;
        }
        ui::previewSheets(m_ui, this, sheets);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

} // namespace sorvane
