#include "ui/Printing.h"

#include "data/Engine.h"
#include "report/Forms.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>

#include <exception>

namespace sorvane::ui {

namespace {

// A title as a file name: without the characters no file name may hold.
QString fileNameOf(const QString &title, const QString &suffix)
{
    QString name = title.trimmed();
    for (QChar c : QStringLiteral("/\\:*?\"<>|"))
        name.replace(c, u'_');
    if (name.isEmpty())
        name = QStringLiteral("出力");
    return name + u'.' + suffix;
}

} // namespace

void previewDocuments(UiService &ui, QWidget *parent, const QList<report::Document> &docs)
{
    if (docs.isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(report::pageLayout());
    printer.setDocName(docs.first().title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("印刷プレビュー"));
    dialog.setWindowTitle(docs.first().title + QStringLiteral(" - プレビュー"));
    dialog.resize(1100, 800);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&ui, &docs](QPrinter *p) {
        try {
            report::paint(docs, p);
        } catch (const std::exception &e) {
            ui.information(errorText(e));
        }
    });
    ui.runModal(&dialog);
}

void previewSheets(UiService &ui, QWidget *parent, const QList<book::Sheet> &sheets)
{
    QList<report::Document> docs;
    for (const book::Sheet &s : sheets)
        docs << report::sheetDocument(s);
    previewDocuments(ui, parent, docs);
}

QString askSaveFile(UiService &ui, QWidget *parent, const QString &suffix, const QString &proposedName)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("保存先の選択"));
    dialog.setWindowTitle(QStringLiteral("保存するファイル"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(suffix == u"pdf" ? QStringLiteral("PDF (*.pdf)") : QStringLiteral("CSV (*.csv)"));
    dialog.setDefaultSuffix(suffix);
    // The dialog asks no question of its own: the one below goes through the seam.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDirectory(QDir::home());
    dialog.selectFile(proposedName);
    if (ui.runModal(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    QString file = QDir::cleanPath(dialog.selectedFiles().first());
    if (QFileInfo(file).suffix().isEmpty())
        file += u'.' + suffix;
    if (QFileInfo::exists(file) &&
        !ui.confirm(QStringLiteral("%1 は既にあります。\n上書きしますか").arg(QDir::toNativeSeparators(file)),
                    QStringLiteral("上書きの確認"), MessageService::Default::Cancel))
        return {};
    return file;
}

SheetOutputs::SheetOutputs(UiService &ui, QWidget *window, Source source)
    : m_ui(ui), m_window(window), m_source(std::move(source))
{
}

bool SheetOutputs::take(book::Sheet &sheet)
{
    try {
        sheet = m_source();
        return true;
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        return false;
    }
}

void SheetOutputs::print()
{
    book::Sheet sheet;
    if (!take(sheet))
        return;
    try {
        previewSheets(m_ui, m_window, {sheet});
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

void SheetOutputs::writeFile(const QString &suffix, const QString &done,
                             const std::function<void(const book::Sheet &, const QString &)> &write)
{
    book::Sheet sheet;
    if (!take(sheet))
        return;
    try {
        const QString file = askSaveFile(m_ui, m_window, suffix, fileNameOf(sheet.title, suffix));
        if (file.isEmpty())
            return;
        write(sheet, file);
        m_ui.information(done + u'\n' + QDir::toNativeSeparators(file));
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

void SheetOutputs::writePdf()
{
    writeFile(
        QStringLiteral("pdf"), QStringLiteral("PDF に書き出しました"),
        [](const book::Sheet &sheet, const QString &file) { report::writePdf({report::sheetDocument(sheet)}, file); });
}

void SheetOutputs::writeCsv()
{
    writeFile(QStringLiteral("csv"), QStringLiteral("CSV に書き出しました"), &book::writeSheetCsv);
}

QList<QWidget *> SheetOutputs::buttons()
{
    auto *print = button(m_window, QStringLiteral("印刷ボタン"), QStringLiteral("印　刷"));
    auto *pdf = button(m_window, QStringLiteral("PDFボタン"), QStringLiteral("PDF"));
    auto *csv = button(m_window, QStringLiteral("CSVボタン"), QStringLiteral("CSV"));
    QObject::connect(print, &QPushButton::clicked, m_window, [this] { this->print(); });
    QObject::connect(pdf, &QPushButton::clicked, m_window, [this] { writePdf(); });
    QObject::connect(csv, &QPushButton::clicked, m_window, [this] { writeCsv(); });
    return {print, pdf, csv};
}

void SheetOutputs::addMenuItems(QMenu *file)
{
    QObject::connect(addItem(file, QStringLiteral("MP1"), QStringLiteral("印刷")), &QAction::triggered, m_window,
                     [this] { print(); });
    QObject::connect(addItem(file, QStringLiteral("MP2"), QStringLiteral("PDF 保存")), &QAction::triggered, m_window,
                     [this] { writePdf(); });
    QObject::connect(addItem(file, QStringLiteral("MP3"), QStringLiteral("CSV 保存")), &QAction::triggered, m_window,
                     [this] { writeCsv(); });
}

} // namespace sorvane::ui
