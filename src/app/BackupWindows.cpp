#include "app/BackupWindows.h"

#include "book/AppContext.h"
#include "book/Backup.h"
#include "data/Files.h"
#include "data/Formats.h"
#include "data/Schema.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace sorvane {

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString chooseFolder(UiService &ui, QWidget *parent, const QString &title, const QString &start)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("フォルダーの選択"));
    dialog.setWindowTitle(title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (!start.trimmed().isEmpty())
        dialog.setDirectory(start.trimmed());
    if (ui.runModal(&dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        return native(dialog.selectedFiles().first());
    return {};
}

QString stamp(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

} // namespace

// ---------------------------------------------------------------- バックアップ

BackupWindow::BackupWindow(AppContext &ctx, UiService &ui, QWidget *parent) : QDialog(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("バックアップ"));
    setWindowTitle(QStringLiteral("バックアップ"));
    setFont(ui::gothicFont());

    m_folder = ui::named<QLineEdit>(this, QStringLiteral("保存先"));
    m_folder->setMinimumWidth(420);
    ui::preferLatin(m_folder);
    auto *browse = ui::button(this, QStringLiteral("参照ボタン"), QStringLiteral("参照..."));
    m_generations = ui::named<QLineEdit>(this, QStringLiteral("世代数"));
    ui::preferLatin(m_generations, true);
    m_generations->setFixedWidth(ui::digitsWidth(m_generations, 3));
    m_generations->setAlignment(Qt::AlignRight);
    m_last = ui::label(this, QStringLiteral("前回"), QString());
    auto *note = ui::label(this, QStringLiteral("Label4"),
                           QStringLiteral("USB メモリーなど、このパソコンとは別の場所に保存しておくと、\n"
                                          "パソコンが壊れてもデータを戻せます。"));
    auto *run = ui::button(this, QStringLiteral("実行ボタン"), QStringLiteral("バックアップ"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *grid = new QGridLayout;
    grid->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("保存先フォルダー"), m_folder), 0, 0);
    grid->addWidget(m_folder, 0, 1, 1, 2);
    grid->addWidget(browse, 0, 3);
    grid->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("残すバックアップの数"), m_generations), 1,
                    0);
    grid->addWidget(m_generations, 1, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("個（超えた分は古いものから削除します）")),
                    1, 2, 1, 2);
    grid->setColumnStretch(2, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_last);
    layout->addWidget(note);
    layout->addLayout(ui::buttonRow({run, close}));
    ui::chainTabOrder({m_folder, browse, m_generations, run, close});

    connect(browse, &QPushButton::clicked, this, &BackupWindow::onBrowse);
    connect(run, &QPushButton::clicked, this, [this] {
        if (バックアップ())
            accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    ui::finishWindow(this);

    try {
        const book::BackupSettings s = book::readBackupSettings(m_ctx.db());
        m_folder->setText(native(s.folder));
        m_generations->setText(QString::number(s.generations));
    } catch (const std::exception &e) {
        m_generations->setText(QString::number(schema::kDefaultBackupGenerations));
        m_ui.information(errorText(e));
    }
    showLast();
    m_folder->setFocus();
}

void BackupWindow::showLast()
{
    QString text = QStringLiteral("前回のバックアップ: まだありません");
    try {
        const book::BackupSettings s = book::readBackupSettings(m_ctx.db());
        if (s.last.isValid())
            text = QStringLiteral("前回のバックアップ: %1（%2 日前）")
                       .arg(s.last.toString(QStringLiteral("yyyy/MM/dd HH:mm")))
                       .arg(s.last.date().daysTo(m_ctx.clock.today()));
    } catch (const std::exception &) {
    }
    m_last->setText(text);
}

void BackupWindow::onBrowse()
{
    try {
        const QString folder = chooseFolder(m_ui, this, QStringLiteral("バックアップの保存先"), m_folder->text());
        if (!folder.isEmpty())
            m_folder->setText(folder);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

bool BackupWindow::バックアップ()
{
    const std::optional<qint64> generations = fmt::parseWholeNumber(m_generations->text());
    if (!generations || *generations < 1 || *generations > schema::kMaxBackupGenerations) {
        m_ui.information(
            QStringLiteral("残すバックアップの数は 1〜%1 で入力してください。").arg(schema::kMaxBackupGenerations));
        m_generations->setFocus();
        m_generations->selectAll();
        return false;
    }
    if (m_folder->text().trimmed().isEmpty()) {
        m_ui.information(QStringLiteral("バックアップ先のフォルダーを指定してください。"));
        m_folder->setFocus();
        return false;
    }
    try {
        book::BackupMade made;
        {
            ui::BusyCursor busy;
            made = book::backupBook(m_ctx.db(), m_ctx.Server, QDir::fromNativeSeparators(m_folder->text().trimmed()),
                                    int(*generations), m_ctx.clock.now());
        }
        QString text = QStringLiteral("バックアップしました。\n%1\n手形 %L2 件").arg(native(made.file)).arg(made.bills);
        if (!made.removed.isEmpty())
            text += QStringLiteral("\n古いバックアップを %1 個削除しました。").arg(made.removed.size());
        if (!made.problem.isEmpty())
            text += u'\n' + made.problem;
        m_ui.information(text, QStringLiteral("バックアップ"));
        return true;
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        m_folder->setFocus();
        return false;
    }
}

// ---------------------------------------------------------------- リストア

RestoreWindow::RestoreWindow(AppContext &ctx, UiService &ui, QWidget *parent) : QDialog(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("リストア"));
    setWindowTitle(QStringLiteral("リストア"));
    setFont(ui::gothicFont());

    m_folder = ui::named<QLineEdit>(this, QStringLiteral("保存先"));
    m_folder->setMinimumWidth(420);
    ui::preferLatin(m_folder);
    auto *browse = ui::button(this, QStringLiteral("参照ボタン"), QStringLiteral("参照..."));
    m_list = ui::recordList(this, 620, 220);
    auto *note = ui::label(
        this, QStringLiteral("Label2"),
        QStringLiteral("戻すバックアップを選んでください。今のデータは %1 として残ります。").arg(files::kBackupDb));
    auto *pick = ui::button(this, QStringLiteral("ファイルボタン"), QStringLiteral("ファイルを指定..."));
    auto *restore = ui::button(this, QStringLiteral("リストアボタン"), QStringLiteral("リストア"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *top = new QHBoxLayout;
    top->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("バックアップのフォルダー"), m_folder));
    top->addWidget(m_folder, 1);
    top->addWidget(browse);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addWidget(note);
    auto *buttons = ui::buttonRow({restore, close});
    buttons->insertWidget(0, pick);
    layout->addLayout(buttons);
    ui::chainTabOrder({m_folder, browse, m_list, pick, restore, close});

    connect(browse, &QPushButton::clicked, this, &RestoreWindow::onBrowse);
    connect(pick, &QPushButton::clicked, this, &RestoreWindow::onPickFile);
    connect(restore, &QPushButton::clicked, this, &RestoreWindow::onRestore);
    connect(m_list, &QListWidget::itemActivated, this, [this] { onRestore(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    ui::onFocusOut(m_folder, [this] {
        if (QDir::fromNativeSeparators(m_folder->text().trimmed()) != m_listed)
            List1Requery();
    });
    ui::finishWindow(this);

    try {
        m_folder->setText(native(book::readBackupSettings(m_ctx.db()).folder));
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
    List1Requery();
    m_list->setFocus();
}

void RestoreWindow::List1Requery()
{
    m_list->clear();
    m_paths.clear();
    m_listed = QDir::fromNativeSeparators(m_folder->text().trimmed());
    if (m_listed.isEmpty())
        return;
    QList<book::BackupEntry> entries;
    {
        ui::BusyCursor busy;
        entries = book::listBackups(m_listed);
    }
    QStringList lines;
    for (const book::BackupEntry &e : entries) {
        const QString count = e.bills < 0 ? QStringLiteral("読めません: ") + e.problem
                                          : QStringLiteral("手形 %1 件").arg(QStringLiteral("%L1").arg(e.bills), 9);
        lines << QStringLiteral("%1  %2  %3").arg(stamp(e.made), QFileInfo(e.path).fileName(), count);
        m_paths << e.path;
    }
    if (lines.isEmpty()) {
        lines << QStringLiteral("（このフォルダーにバックアップはありません）");
        m_list->addItems(lines);
        m_list->item(0)->setFlags(Qt::NoItemFlags);
        return;
    }
    m_list->addItems(lines);
    m_list->setCurrentRow(0);
}

void RestoreWindow::onBrowse()
{
    try {
        const QString folder =
            chooseFolder(m_ui, this, QStringLiteral("バックアップのあるフォルダー"), m_folder->text());
        if (!folder.isEmpty()) {
            m_folder->setText(folder);
            List1Requery();
        }
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

void RestoreWindow::onPickFile()
{
    try {
        QFileDialog dialog(this);
        dialog.setObjectName(QStringLiteral("ファイルの選択"));
        dialog.setWindowTitle(QStringLiteral("戻すバックアップ"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(QStringLiteral("手形データ (*.mdb *.bak);;すべてのファイル (*)"));
        if (!m_folder->text().trimmed().isEmpty())
            dialog.setDirectory(m_folder->text().trimmed());
        if (m_ui.runModal(&dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty() &&
            choose(dialog.selectedFiles().first()))
            accept();
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

void RestoreWindow::onRestore()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_paths.size()) {
        m_ui.information(QStringLiteral("戻すバックアップを一覧から選んでください。"));
        return;
    }
    if (choose(m_paths.at(row)))
        accept();
}

bool RestoreWindow::choose(const QString &file)
{
    qint64 bills = 0;
    try {
        ui::BusyCursor busy;
        bills = book::checkBackupFile(file);
    } catch (const std::exception &e) {
        m_ui.information(QStringLiteral("選んだファイルは戻せません。今のデータはそのままです。\n%1\n%2")
                             .arg(native(file), errorText(e)));
        return false;
    }
    QString current;
    try {
        current = QStringLiteral("（手形 %L1 件）")
                      .arg(book::bookBillCount(m_ctx.db()));
    } catch (const std::exception &) {
    }
    const QDateTime made = book::backupTime(file, false);
    const QString which = made.isValid() ? QStringLiteral("%1 のバックアップ").arg(stamp(made))
                                         : QStringLiteral("%1").arg(QFileInfo(file).fileName());
    if (!m_ui.confirm(QStringLiteral("%1（手形 %L2 件）に戻します。\n今のデータ%3は %4 として残ります。\n"
                                     "よろしいですか？")
                          .arg(which)
                          .arg(bills)
                          .arg(current, files::kBackupDb),
                      QStringLiteral("リストア"), MessageService::Default::Cancel))
        return false;
    m_chosen = file;
    return true;
}

} // namespace sorvane
