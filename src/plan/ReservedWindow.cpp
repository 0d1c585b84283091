#include "plan/ReservedWindow.h"

#include "book/AppContext.h"
#include "data/Formats.h"
#include "ui/SheetView.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QSpinBox>
#include <QPushButton>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace sorvane {

ReservedWindow::ReservedWindow(AppContext &ctx, UiService &ui, QWidget *parent)
    : FigureWindow(ctx, ui, QStringLiteral("手形予約確認"), QStringLiteral("手形予約確認"), parent)
{
    m_date = ui::named<QLineEdit>(this, QStringLiteral("基準日"));
    ui::preferLatin(m_date);
    m_date->setFixedWidth(ui::digitsWidth(m_date, 12));
    m_date->setText(fmt::ymd(today()));
    m_date->setToolTip(QStringLiteral("決算日の残高を見るときは、その日を入力します（2027/3/31、R9.3.31 など）"));
    auto *top = new QHBoxLayout;
    top->addWidget(ui::label(this, QStringLiteral("基準日ラベル"), QStringLiteral("基準日"), m_date));
    top->addWidget(m_date);
    top->addWidget(m_show);
    top->addStretch(1);

    m_discounted = ui::named<QLabel>(this, QStringLiteral("割引高"));
    m_handedOn = ui::named<QLabel>(this, QStringLiteral("譲渡高"));
    for (QLabel *l : {m_discounted, m_handedOn}) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    // One note a line: with claims, each holds the paper bills' and the claims'.
    auto *below = new QVBoxLayout;
    below->addWidget(m_discounted);
    below->addWidget(m_handedOn);
    build(top, nullptr, below, {});
    ui::chainTabOrder({m_date, m_show, m_list});
    ui::finishWindow(this);
    refresh();
    resize(width(), 600);
    fitTable();
    m_date->setFocus();
}

bool ReservedWindow::refresh()
{
    QDate asOf;
    if (!readDate(m_date, QStringLiteral("基準日"), asOf))
        return false;
    try {
        m_reserved = book::reservedBills(m_ctx.db(), asOf);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        return false;
    }
    m_list->setSheet(book::reservedSheet(m_reserved));
    m_discounted->setText(book::reservedNote(m_reserved, true));
    m_handedOn->setText(book::reservedNote(m_reserved, false));
    return true;
}

} // namespace sorvane
