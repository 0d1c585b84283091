#include "app/YearWindows.h"

#include "book/AppContext.h"
#include "book/YearEnd.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace sorvane {

namespace {

QString day(const QDate &d)
{
    return d.toString(QStringLiteral("yyyy/MM/dd"));
}

QString yearText(const book::FiscalYear &y)
{
    return QStringLiteral("%1年度（%2〜%3）").arg(y.year).arg(day(y.begin), day(y.end));
}

} // namespace

// ---------------------------------------------------------------- 新年度処理

YearEndWindow::YearEndWindow(AppContext &ctx, UiService &ui, QWidget *parent) : QDialog(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("新年度処理"));
    setWindowTitle(QStringLiteral("新年度処理"));
    setFont(ui::gothicFont());

    m_month = ui::named<QComboBox>(this, QStringLiteral("決算月"));
    for (int m = 1; m <= 12; ++m)
        m_month->addItem(QStringLiteral("%1月").arg(m), m);
    m_year = ui::label(this, QStringLiteral("締める年度"), QString());
    m_counts = ui::label(this, QStringLiteral("手形の数"), QString());
    m_closed = ui::recordList(this, 760, 110);
    m_closed->setObjectName(QStringLiteral("締めた年度"));
    auto *note = ui::label(
        this, QStringLiteral("Label4"),
        QStringLiteral("年度が終わる前に終わった手形（決済済み、期日の過ぎた譲渡、回収済みの不渡）を、\n"
                       "裏書人と履歴ごと、その年度の過去のデータ（tegata-年度.mdb）に移します。\n"
                       "終わっていない手形は今のデータに残り、過去のデータにも写しが入るので、\n"
                       "その年度の帳票は「開く（過去のデータ）」から作れます。先にバックアップを取ってください。"));
    m_run = ui::button(this, QStringLiteral("実行ボタン"), QStringLiteral("新年度処理"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *grid = new QGridLayout;
    grid->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("決算月"), m_month), 0, 0);
    grid->addWidget(m_month, 0, 1, Qt::AlignLeft);
    grid->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("締める年度")), 1, 0);
    grid->addWidget(m_year, 1, 1);
    grid->addWidget(m_counts, 2, 1);
    grid->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("締めた年度"), m_closed));
    layout->addWidget(m_closed, 1);
    layout->addWidget(note);
    layout->addLayout(ui::buttonRow({m_run, close}));
    ui::chainTabOrder({m_month, m_closed, m_run, close});

    connect(m_month, &QComboBox::currentIndexChanged, this, &YearEndWindow::onMonthChosen);
    connect(m_run, &QPushButton::clicked, this, [this] { 新年度処理(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    ui::finishWindow(this);

    refresh();
    m_month->setFocus();
}

void YearEndWindow::refresh()
{
    m_filling = true;
    m_closed->clear();
    try {
        Database &db = m_ctx.db();
        m_month->setCurrentIndex(book::readYearEndMonth(db) - 1);
        const book::YearEndPlan plan = book::planYearEnd(db, m_ctx.clock.today());
        if (plan.year.isValid()) {
            m_year->setText(yearText(plan.year));
            m_counts->setText(QStringLiteral("移す手形 %L1 件　今のデータに残る手形 %L2 件（うち写しを残す %L3 件）")
                                  .arg(plan.moving)
                                  .arg(plan.remaining)
                                  .arg(plan.carried));
        } else {
            m_year->setText(QStringLiteral("締められる年度はまだありません"));
            m_counts->setText(QStringLiteral("次は %1 から締められます").arg(day(plan.nextCloseFrom)));
        }
        m_run->setEnabled(plan.year.isValid());
        QStringList lines;
        for (const book::ClosedYear &c : book::closedYears(db))
            lines << QStringLiteral("%1  %2  移した手形 %L3 件  写し %L4 件  %5 %6")
                         .arg(yearText(c.year), c.file)
                         .arg(c.movedBills)
                         .arg(c.carriedBills)
                         .arg(c.closedAt, c.closedBy);
        if (lines.isEmpty())
            lines << QStringLiteral("（まだ締めた年度はありません）");
        m_closed->addItems(lines);
    } catch (const std::exception &e) {
        m_run->setEnabled(false);
        m_ui.information(errorText(e));
    }
    m_filling = false;
}

void YearEndWindow::onMonthChosen(int index)
{
    if (m_filling || index < 0)
        return;
    try {
        book::writeYearEndMonth(m_ctx.db(), index + 1);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
    refresh();
}

bool YearEndWindow::新年度処理()
{
    try {
        Database &db = m_ctx.db();
        const book::YearEndPlan plan = book::planYearEnd(db, m_ctx.clock.today());
        if (!plan.year.isValid()) {
            m_ui.information(QStringLiteral("締められる年度はまだありません。次は %1 から締められます。")
                                 .arg(day(plan.nextCloseFrom)));
            return false;
        }
        if (!m_ui.confirm(QStringLiteral("%1を締めます。\n終わった手形 %L2 件を %3 に移します。\n"
                                         "終わっていない手形 %L4 件は今のデータに残ります。\nよろしいですか？")
                              .arg(yearText(plan.year))
                              .arg(plan.moving)
                              .arg(book::archiveFileName(plan.year.year))
                              .arg(plan.remaining),
                          QStringLiteral("新年度処理"), MessageService::Default::Cancel))
            return false;
        book::YearEndDone done;
        {
            ui::BusyCursor busy;
            done = book::closeYear(db, m_ctx.AppFolder, m_ctx.clock.today());
        }
        m_closedAny = true;
        m_ui.information(QStringLiteral("%1を締めました。\n移した手形 %L2 件（裏書人 %L3 件、履歴 %L4 件）\n"
                                        "写しを残した手形 %L5 件\n%6")
                             .arg(yearText(done.closed.year))
                             .arg(done.closed.movedBills)
                             .arg(done.closed.movedEndorsers)
                             .arg(done.closed.movedEvents)
                             .arg(done.closed.carriedBills)
                             .arg(QDir::toNativeSeparators(done.archive)),
                         QStringLiteral("新年度処理"));
        refresh();
        return true;
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        refresh();
        return false;
    }
}

// ---------------------------------------------------------------- 開く（過去のデータ）

ArchiveOpenWindow::ArchiveOpenWindow(AppContext &ctx, UiService &ui, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("過去のデータ"));
    setWindowTitle(QStringLiteral("開く（過去のデータ）"));
    setFont(ui::gothicFont());

    m_list = ui::recordList(this, 620, 200);
    auto *note = ui::label(this, QStringLiteral("Label1"),
                           QStringLiteral("締めた年度のデータを、見るだけで開きます。変更はできません。"));
    auto *pick = ui::button(this, QStringLiteral("ファイルボタン"), QStringLiteral("ファイルを指定..."));
    auto *open = ui::button(this, QStringLiteral("開くボタン"), QStringLiteral("開く"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(m_list, 1);
    auto *buttons = ui::buttonRow({open, close});
    buttons->insertWidget(0, pick);
    layout->addLayout(buttons);
    ui::chainTabOrder({m_list, pick, open, close});

    connect(pick, &QPushButton::clicked, this, &ArchiveOpenWindow::onPickFile);
    connect(open, &QPushButton::clicked, this, &ArchiveOpenWindow::onOpen);
    connect(m_list, &QListWidget::itemActivated, this, [this] { onOpen(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    ui::finishWindow(this);

    List1Requery();
    m_list->setFocus();
}

void ArchiveOpenWindow::List1Requery()
{
    m_list->clear();
    m_paths.clear();
    QList<book::ArchiveInfo> archives;
    {
        ui::BusyCursor busy;
        archives = book::listArchives(m_ctx.AppFolder);
    }
    QStringList lines;
    for (const book::ArchiveInfo &a : archives) {
        const QString name = QFileInfo(a.path).fileName();
        lines << (a.problem.isEmpty() ? QStringLiteral("%1  %2  手形 %L3 件（うち写し %L4 件）")
                                            .arg(yearText(a.year), name)
                                            .arg(a.bills)
                                            .arg(a.carried)
                                      : QStringLiteral("%1  開けません: %2").arg(name, a.problem));
        m_paths << a.path;
    }
    if (lines.isEmpty()) {
        m_list->addItem(QStringLiteral("（締めた年度のデータはありません）"));
        m_list->item(0)->setFlags(Qt::NoItemFlags);
        return;
    }
    m_list->addItems(lines);
    m_list->setCurrentRow(0);
}

void ArchiveOpenWindow::onPickFile()
{
    try {
        QFileDialog dialog(this);
        dialog.setObjectName(QStringLiteral("ファイルの選択"));
        dialog.setWindowTitle(QStringLiteral("開く過去のデータ"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(QStringLiteral("過去のデータ (tegata-*.mdb);;すべてのファイル (*)"));
        dialog.setDirectory(m_ctx.AppFolder);
        if (m_ui.runModal(&dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty() &&
            choose(dialog.selectedFiles().first()))
            accept();
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

void ArchiveOpenWindow::onOpen()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_paths.size()) {
        m_ui.information(QStringLiteral("開く年度を一覧から選んでください。"));
        return;
    }
    if (choose(m_paths.at(row)))
        accept();
}

bool ArchiveOpenWindow::choose(const QString &file)
{
    const book::ArchiveInfo info = book::readArchive(file);
    if (!info.problem.isEmpty()) {
        m_ui.information(QStringLiteral("%1 は開けません。\n%2").arg(QDir::toNativeSeparators(file), info.problem));
        return false;
    }
    m_chosen = info.path;
    return true;
}

} // namespace sorvane
