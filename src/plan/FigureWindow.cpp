#include "plan/FigureWindow.h"

#include "book/AppContext.h"
#include "book/Planning.h"
#include "data/Formats.h"
#include "ui/SheetView.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

namespace sorvane {

FigureWindow::FigureWindow(AppContext &ctx, UiService &ui, const QString &name, const QString &title, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui), m_outputs(ui, this, [this] { return m_list->sheet(); })
{
    setObjectName(name);
    setWindowTitle(title);
    setFont(ui::gothicFont());
    m_list = ui::named<ui::SheetView>(this, QStringLiteral("List1"));
    m_list->setMinimumSize(560, 260);
    m_show = ui::button(this, QStringLiteral("表示ボタン"), QStringLiteral("表　示"));
    connect(m_show, &QPushButton::clicked, this, [this] { refresh(); });
}

QDate FigureWindow::today() const
{
    return m_ctx.clock.today();
}

void FigureWindow::addSpan(QBoxLayout *row, const QDate &firstMonth, int months)
{
    m_first = ui::named<QLineEdit>(this, QStringLiteral("開始月"));
    ui::preferLatin(m_first);
    m_first->setFixedWidth(ui::digitsWidth(m_first, 9));
    m_first->setText(book::monthText(firstMonth));
    m_first->setToolTip(QStringLiteral("2026/12、令和8年12月、R8/12 のように入力します"));
    m_months = ui::named<QSpinBox>(this, QStringLiteral("月数"));
    m_months->setRange(1, book::kMaxMonths);
    m_months->setValue(months);
    m_months->setSuffix(QStringLiteral(" か月"));
    row->addWidget(ui::label(this, QStringLiteral("開始月ラベル"), QStringLiteral("開始月"), m_first));
    row->addWidget(m_first);
    row->addWidget(ui::label(this, QStringLiteral("月数ラベル"), QStringLiteral("月数"), m_months));
    row->addWidget(m_months);
}

bool FigureWindow::readSpan(QDate &firstMonth, int &months)
{
    firstMonth = book::parseMonth(m_first->text(), today());
    months = m_months->value();
    if (!firstMonth.isValid()) {
        m_ui.information(m_first->text().trimmed().isEmpty()
                             ? QStringLiteral("開始月を入力してください")
                             : QStringLiteral("開始月「%1」は月として読めません\n2026/12、令和8年12月、R8/12 "
                                              "のように入力してください")
                                   .arg(m_first->text().trimmed()));
        m_first->setFocus();
        return false;
    }
    m_first->setText(book::monthText(firstMonth));
    return true;
}

bool FigureWindow::readDate(QLineEdit *field, const QString &name, QDate &date)
{
    date = fmt::parseDate(field->text(), today());
    if (date.isValid()) {
        field->setText(fmt::ymd(date));
        return true;
    }
    m_ui.information(field->text().trimmed().isEmpty()
                         ? QStringLiteral("%1を入力してください").arg(name)
                         : QStringLiteral("%1「%2」は日付として読めません\n2027/3/31、令和9年3月31日、R9.3.31 "
                                          "のように入力してください")
                               .arg(name, field->text().trimmed()));
    field->setFocus();
    return false;
}

void FigureWindow::fitTable()
{
    constexpr int kChart = 460;
    constexpr int kMargins = 40;
    const int table = m_list->contentWidth();
    const int wanted = table + (m_split ? kChart : 0) + kMargins;
    const int room = screen() ? screen()->availableGeometry().width() - 20 : wanted;
    resize(std::max(width(), std::min(wanted, room)), height());
    if (m_split)
        m_split->setSizes({table, std::max(kChart, width() - table - kMargins)});
}

void FigureWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_fitted) {
        m_fitted = true;
        fitTable();
    }
}

void FigureWindow::build(QBoxLayout *top, QWidget *chart, QBoxLayout *below, const QList<QWidget *> &buttons)
{
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    if (chart) {
        m_split = ui::named<QSplitter>(this, QStringLiteral("表とグラフ"));
        m_split->addWidget(m_list);
        m_split->addWidget(chart);
        m_split->setStretchFactor(0, 3);
        m_split->setStretchFactor(1, 2);
        m_split->setChildrenCollapsible(false);
        layout->addWidget(m_split, 1);
    } else {
        layout->addWidget(m_list, 1);
    }
    if (below)
        layout->addLayout(below);
    auto *row = new QHBoxLayout;
    for (QWidget *b : buttons)
        row->addWidget(b);
    row->addStretch(1);
    for (QWidget *b : m_outputs.buttons())
        row->addWidget(b);
    row->addWidget(close);
    layout->addLayout(row);

    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    QMenu *file = ui::addMenu(bar, QStringLiteral("MF"), QStringLiteral("ファイル"));
    m_outputs.addMenuItems(file);
    connect(ui::addItem(file, QStringLiteral("ME1"), QStringLiteral("終了")), &QAction::triggered, this,
            &QWidget::close);
    layout->setMenuBar(bar);
}

} // namespace sorvane
