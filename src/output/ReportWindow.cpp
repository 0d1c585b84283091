#include "output/ReportWindow.h"

#include "book/AppContext.h"
#include "book/ExportFiles.h"
#include "data/Formats.h"
#include "report/Exports.h"
#include "ui/Printing.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <exception>

namespace sorvane {

namespace {

QRadioButton *radio(QWidget *parent, QButtonGroup *group, int id, const QString &name, const QString &caption)
{
    auto *r = ui::named<QRadioButton>(parent, name);
    r->setText(caption);
    group->addButton(r, id);
    return r;
}

QDate monthEnd(const QDate &d)
{
    return QDate(d.year(), d.month(), d.daysInMonth());
}

} // namespace

ReportWindow::ReportWindow(AppContext &ctx, UiService &ui, QWidget *parent) : QDialog(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("帳票出力"));
    setWindowTitle(QStringLiteral("帳票出力"));
    setFont(ui::gothicFont());

    // What.
    auto *whatBox = ui::named<QGroupBox>(this, QStringLiteral("帳票枠"));
    whatBox->setTitle(QStringLiteral("帳票"));
    m_what = new QButtonGroup(this);
    auto *receivable = radio(whatBox, m_what, int(What::ReceivableLedger), QStringLiteral("受取手形記入帳"),
                             QStringLiteral("受取手形記入帳"));
    auto *payable = radio(whatBox, m_what, int(What::PayableLedger), QStringLiteral("支払手形記入帳"),
                          QStringLiteral("支払手形記入帳"));
    auto *statements = radio(whatBox, m_what, int(What::Statements), QStringLiteral("内訳書"),
                             QStringLiteral("勘定科目内訳明細書（受取手形・支払手形）"));
    auto *journal = radio(whatBox, m_what, int(What::Journal), QStringLiteral("仕訳"),
                          QStringLiteral("仕訳（会計ソフトへの取り込み）"));
    // The claims' ledgers come after the others, which keep their places.
    auto *claims = radio(whatBox, m_what, int(What::ClaimLedger), QStringLiteral("電子記録債権記入帳"),
                         QStringLiteral("電子記録債権記入帳"));
    auto *debts = radio(whatBox, m_what, int(What::DebtLedger), QStringLiteral("電子記録債務記入帳"),
                        QStringLiteral("電子記録債務記入帳"));
    receivable->setChecked(true);
    auto *whatLayout = new QVBoxLayout(whatBox);
    for (QWidget *w : {receivable, payable, statements, journal, claims, debts})
        whatLayout->addWidget(w);

    // When.
    const QDate today = m_ctx.clock.today();
    m_from = ui::named<QLineEdit>(this, QStringLiteral("開始日"));
    m_to = ui::named<QLineEdit>(this, QStringLiteral("終了日"));
    m_asOf = ui::named<QLineEdit>(this, QStringLiteral("基準日"));
    m_from->setText(fmt::ymd(QDate(today.year(), today.month(), 1)));
    m_to->setText(fmt::ymd(monthEnd(today)));
    m_asOf->setText(fmt::ymd(QDate(today.year(), today.month(), 1).addDays(-1)));
    for (QLineEdit *e : {m_from, m_to, m_asOf}) {
        ui::preferLatin(e);
        e->setMinimumWidth(ui::digitsWidth(e, 14));
        e->setToolTip(QStringLiteral("2027/3/31、令和9年3月31日、R9.3.31 のように入力します"));
    }

    auto *styleBox = ui::named<QGroupBox>(this, QStringLiteral("日付表示枠"));
    styleBox->setTitle(QStringLiteral("記入帳の日付"));
    auto *styles = new QButtonGroup(this);
    m_western = radio(styleBox, styles, 0, QStringLiteral("西暦"), QStringLiteral("西暦"));
    m_era = radio(styleBox, styles, 1, QStringLiteral("和暦"), QStringLiteral("和暦"));
    m_western->setChecked(true);
    auto *styleLayout = new QHBoxLayout(styleBox);
    styleLayout->addWidget(m_western);
    styleLayout->addWidget(m_era);
    styleLayout->addStretch(1);

    m_layout = ui::named<QComboBox>(this, QStringLiteral("仕訳形式"));
    for (const book::JournalLayout &l : book::journalLayouts())
        m_layout->addItem(l.caption, l.key);

    // How.
    auto *howBox = ui::named<QGroupBox>(this, QStringLiteral("出力方法枠"));
    howBox->setTitle(QStringLiteral("出力方法"));
    m_how = new QButtonGroup(this);
    auto *preview = radio(howBox, m_how, int(How::Preview), QStringLiteral("プレビュー"), QStringLiteral("プレビュー"));
    auto *print = radio(howBox, m_how, int(How::Print), QStringLiteral("印刷"), QStringLiteral("印刷"));
    auto *pdf = radio(howBox, m_how, int(How::Pdf), QStringLiteral("PDF"), QStringLiteral("PDF ファイル"));
    auto *csv = radio(howBox, m_how, int(How::Csv), QStringLiteral("CSV"), QStringLiteral("CSV ファイル"));
    preview->setChecked(true);
    auto *howLayout = new QHBoxLayout(howBox);
    for (QWidget *w : {preview, print, pdf, csv})
        howLayout->addWidget(w);
    howLayout->addStretch(1);

    m_target = ui::named<QLineEdit>(this, QStringLiteral("保存先"));
    m_target->setMinimumWidth(360);
    ui::preferLatin(m_target);
    m_browse = ui::button(this, QStringLiteral("参照ボタン"), QStringLiteral("参照…"));

    m_progress = ui::named<QProgressBar>(this, QStringLiteral("進行状況"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(true);

    m_output = ui::button(this, QStringLiteral("出力ボタン"), QStringLiteral("出　力"));
    m_close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *grid = new QGridLayout;
    grid->setColumnStretch(4, 1);
    grid->addWidget(ui::label(this, QStringLiteral("期間ラベル"), QStringLiteral("期間（記帳日）"), m_from), 0, 0);
    grid->addWidget(m_from, 0, 1);
    grid->addWidget(ui::label(this, QStringLiteral("期間区切"), QStringLiteral("〜")), 0, 2);
    grid->addWidget(m_to, 0, 3);
    grid->addWidget(ui::label(this, QStringLiteral("基準日ラベル"), QStringLiteral("期末日（内訳書）"), m_asOf), 1, 0);
    grid->addWidget(m_asOf, 1, 1);
    grid->addWidget(styleBox, 2, 0, 1, 5);
    grid->addWidget(ui::label(this, QStringLiteral("仕訳形式ラベル"), QStringLiteral("仕訳の形式"), m_layout), 3, 0);
    grid->addWidget(m_layout, 3, 1, 1, 4);

    auto *targetRow = new QHBoxLayout;
    targetRow->addWidget(ui::label(this, QStringLiteral("保存先ラベル"), QStringLiteral("保存先"), m_target));
    targetRow->addWidget(m_target, 1);
    targetRow->addWidget(m_browse);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(whatBox);
    layout->addLayout(grid);
    layout->addWidget(howBox);
    layout->addLayout(targetRow);
    layout->addWidget(m_progress);
    layout->addLayout(ui::buttonRow({m_output, m_close}));

    ui::chainTabOrder({receivable, payable, statements, journal, m_from, m_to, m_asOf, m_western, m_era, m_layout,
                       preview, print, pdf, csv, m_target, m_browse, m_output, m_close});

    connect(m_what, &QButtonGroup::idClicked, this, [this](int) { updateControls(); });
    connect(m_how, &QButtonGroup::idClicked, this, [this](int) { updateControls(); });
    connect(m_browse, &QPushButton::clicked, this, &ReportWindow::onBrowse);
    connect(m_output, &QPushButton::clicked, this, &ReportWindow::onOutput);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);

    ui::finishWindow(this);
    updateControls();
    receivable->setFocus();
}

ReportWindow::What ReportWindow::what() const
{
    return What(m_what->checkedId());
}

ReportWindow::How ReportWindow::how() const
{
    return How(m_how->checkedId());
}

void ReportWindow::updateControls()
{
    const What w = what();
    const bool ledger =
        w == What::ReceivableLedger || w == What::PayableLedger || w == What::ClaimLedger || w == What::DebtLedger;
    m_from->setEnabled(w != What::Statements);
    m_to->setEnabled(w != What::Statements);
    m_asOf->setEnabled(w == What::Statements);
    m_western->setEnabled(ledger);
    m_era->setEnabled(ledger);
    m_layout->setEnabled(w == What::Journal);

    // The journal is a file for the accounting software; the ledgers are paper.
    const bool paper = w != What::Journal;
    m_how->button(int(How::Preview))->setEnabled(paper);
    m_how->button(int(How::Print))->setEnabled(paper);
    m_how->button(int(How::Pdf))->setEnabled(paper);
    m_how->button(int(How::Csv))->setEnabled(!ledger);
    if (!m_how->checkedButton()->isEnabled()) {
        for (int id : {int(How::Preview), int(How::Csv)})
            if (m_how->button(id)->isEnabled()) {
                m_how->button(id)->setChecked(true);
                break;
            }
    }
    const How h = how();
    m_target->setEnabled(h == How::Pdf || h == How::Csv);
    m_browse->setEnabled(m_target->isEnabled());
    m_target->setPlaceholderText(h == How::Csv && w == What::Statements ? QStringLiteral("CSV を保存するフォルダー")
                                                                        : QStringLiteral("保存するファイル"));
}

void ReportWindow::onBrowse()
{
    try {
        QFileDialog dialog(this);
        dialog.setObjectName(QStringLiteral("保存先の選択"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontUseNativeDialog, false);
        const bool folder = how() == How::Csv && what() == What::Statements;
        if (folder) {
            dialog.setFileMode(QFileDialog::Directory);
            dialog.setOption(QFileDialog::ShowDirsOnly, true);
            dialog.setWindowTitle(QStringLiteral("CSV を保存するフォルダー"));
        } else {
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setNameFilter(how() == How::Pdf ? QStringLiteral("PDF (*.pdf)") : QStringLiteral("CSV (*.csv)"));
            dialog.setDefaultSuffix(how() == How::Pdf ? QStringLiteral("pdf") : QStringLiteral("csv"));
            dialog.setWindowTitle(QStringLiteral("保存するファイル"));
        }
        if (!m_target->text().trimmed().isEmpty())
            dialog.selectFile(m_target->text().trimmed());
        if (m_ui.runModal(&dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            m_target->setText(QDir::toNativeSeparators(dialog.selectedFiles().first()));
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

bool ReportWindow::readInput(QDate &from, QDate &to, QDate &asOf, QString &target)
{
    const QDate today = m_ctx.clock.today();
    const auto readDate = [&](QLineEdit *field, const QString &name, QDate &date) {
        date = fmt::parseDate(field->text(), today);
        if (date.isValid())
            return true;
        m_ui.information(field->text().trimmed().isEmpty()
                             ? QStringLiteral("%1を入力してください").arg(name)
                             : QStringLiteral("%1「%2」は日付として読めません\n"
                                              "2027/3/31、令和9年3月31日、R9.3.31 のように入力してください")
                                   .arg(name, field->text().trimmed()));
        field->setFocus();
        return false;
    };
    if (what() == What::Statements) {
        if (!readDate(m_asOf, QStringLiteral("期末日"), asOf))
            return false;
    } else {
        if (!readDate(m_from, QStringLiteral("期間の始め"), from) ||
            !readDate(m_to, QStringLiteral("期間の終わり"), to))
            return false;
        const QString problem = book::periodProblem(from, to);
        if (!problem.isEmpty()) {
            m_ui.information(problem);
            m_from->setFocus();
            return false;
        }
    }
    if (how() != How::Pdf && how() != How::Csv)
        return true;

    target = m_target->text().trimmed();
    if (target.isEmpty()) {
        m_ui.information(QStringLiteral("保存先を指定してください"));
        m_target->setFocus();
        return false;
    }
    target = QDir::cleanPath(QDir::fromNativeSeparators(target));
    const bool folder = how() == How::Csv && what() == What::Statements;
    if (folder) {
        if (!QFileInfo(target).isDir()) {
            m_ui.information(
                QStringLiteral("CSV を保存するフォルダーがありません: %1").arg(QDir::toNativeSeparators(target)));
            m_target->setFocus();
            return false;
        }
        return true;
    }
    const QString suffix = how() == How::Pdf ? QStringLiteral("pdf") : QStringLiteral("csv");
    if (QFileInfo(target).suffix().isEmpty())
        target += u'.' + suffix;
    if (QFileInfo(target).isDir()) {
        m_ui.information(QStringLiteral("保存先はフォルダーです。ファイル名を指定してください: %1")
                             .arg(QDir::toNativeSeparators(target)));
        m_target->setFocus();
        return false;
    }
    if (QFileInfo::exists(target) &&
        !m_ui.confirm(QStringLiteral("%1 は既にあります。\n上書きしますか").arg(QDir::toNativeSeparators(target)),
                      QStringLiteral("上書きの確認")))
        return false;
    return true;
}

QList<report::Document> ReportWindow::documents(const QDate &from, const QDate &to, const QDate &asOf, int &bills)
{
    const auto style = m_era->isChecked() ? report::DateStyle::Era : report::DateStyle::Gregorian;
    switch (what()) {
    case What::ReceivableLedger:
        return {report::ledger(m_ctx.db(), book::Side::Receivable, from, to, style, &bills)};
    case What::PayableLedger:
        return {report::ledger(m_ctx.db(), book::Side::Payable, from, to, style, &bills)};
    case What::ClaimLedger:
        return {
            report::ledger(m_ctx.db(), book::Side::Receivable, from, to, style, &bills, book::LedgerKind::Electronic)};
    case What::DebtLedger:
        return {report::ledger(m_ctx.db(), book::Side::Payable, from, to, style, &bills, book::LedgerKind::Electronic)};
    default:
        return report::statements(m_ctx.db(), asOf, &bills);
    }
}

void ReportWindow::showProgress(int done, int total)
{
    m_progress->setRange(0, qMax(1, total));
    m_progress->setValue(done);
    m_progress->repaint();
}

void ReportWindow::setBusy(bool busy)
{
    for (QWidget *w : {static_cast<QWidget *>(m_output), static_cast<QWidget *>(m_close)})
        w->setEnabled(!busy);
    if (busy) {
        m_progress->setRange(0, 0); // running, length not known yet
        m_progress->repaint();
    }
}

void ReportWindow::preview(const QList<report::Document> &docs)
{
    ui::previewDocuments(m_ui, this, docs);
}

void ReportWindow::print(const QList<report::Document> &docs)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(report::pageLayout());
    printer.setDocName(docs.first().title);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("印刷"));
    if (m_ui.runModal(&dialog) != QDialog::Accepted)
        return;
    report::paint(docs, &printer, [this](int done, int total) { showProgress(done, total); });
}

void ReportWindow::onOutput()
{
    QDate from, to, asOf;
    QString target;
    if (!readInput(from, to, asOf, target))
        return;
    setBusy(true);
    try {
        const auto progress = [this](int done, int total) { showProgress(done, total); };
        report::Outcome o;
        const How h = how();
        if (h == How::Preview || h == How::Print) {
            const QList<report::Document> docs = documents(from, to, asOf, o.bills);
            showProgress(1, 1);
            setBusy(false);
            if (h == How::Preview)
                preview(docs);
            else
                print(docs);
            return;
        }
        const auto style = m_era->isChecked() ? report::DateStyle::Era : report::DateStyle::Gregorian;
        switch (what()) {
        case What::ReceivableLedger:
            o = report::ledgerPdf(m_ctx.db(), book::Side::Receivable, from, to, style, target, progress);
            break;
        case What::PayableLedger:
            o = report::ledgerPdf(m_ctx.db(), book::Side::Payable, from, to, style, target, progress);
            break;
        case What::ClaimLedger:
        case What::DebtLedger:
            o = report::ledgerPdf(m_ctx.db(),
                                  what() == What::ClaimLedger ? book::Side::Receivable : book::Side::Payable, from, to,
                                  style, target, progress, book::LedgerKind::Electronic);
            break;
        case What::Statements:
            o = h == How::Pdf ? report::statementFiles(m_ctx.db(), asOf, target, {}, progress)
                              : report::statementFiles(m_ctx.db(), asOf, {}, target, progress);
            break;
        case What::Journal: {
            const book::JournalLayout *layout = book::journalLayout(m_layout->currentData().toString());
            if (!layout)
                throw DbError(QStringLiteral("仕訳の形式を選んでください"));
            o = report::journalFile(m_ctx.db(), from, to, *layout, target);
            break;
        }
        }
        showProgress(1, 1);
        setBusy(false);
        QStringList files;
        for (const QString &f : o.files)
            files << QDir::toNativeSeparators(f);
        QString text = QStringLiteral("%1 件を出力しました\n%2").arg(o.bills).arg(files.join(u'\n'));
        if (!o.cuts.isEmpty())
            text += QStringLiteral("\n\n欄に入りきらない文字を切りました:\n") + o.cuts.join(u'\n');
        m_ui.information(text);
    } catch (const DbError &e) {
        setBusy(false);
        m_progress->setRange(0, 1);
        m_progress->setValue(0);
        m_ui.information(e.description());
    } catch (const std::exception &e) {
        setBusy(false);
        m_progress->setRange(0, 1);
        m_progress->setValue(0);
        m_ui.information(errorText(e));
    }
}

} // namespace sorvane
