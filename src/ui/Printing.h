#pragma once

// Paper and files from a window: the print preview (from which the clerk
// prints), a PDF through the one renderer, and a CSV file of a sheet.

#include "book/Sheet.h"
#include "report/Renderer.h"

#include <QList>
#include <QString>

#include <functional>

class QBoxLayout;
class QMenu;
class QWidget;

namespace sorvane {

class UiService;

namespace ui {

// The documents in the preview window 印刷プレビュー, from which the clerk
// prints them on a printer of choice.
void previewDocuments(UiService &ui, QWidget *parent, const QList<report::Document> &docs);

// The sheets in the preview, one after the other.
void previewSheets(UiService &ui, QWidget *parent, const QList<book::Sheet> &sheets);

// Asks where to save a file of the kind ("pdf" or "csv") in the dialog
// 保存先の選択, the name proposed; before an existing file is overwritten
// asks again. Empty when the clerk cancelled.
QString askSaveFile(UiService &ui, QWidget *parent, const QString &suffix, const QString &proposedName);

// The outputs of a window of figures, each from the sheet it shows now:
// 印刷 (the preview), PDF and CSV. Each output runs under its own error
// trap: a message, and the window stays as it was.
class SheetOutputs {
public:
    using Source = std::function<book::Sheet()>;
    SheetOutputs(UiService &ui, QWidget *window, Source source);

    void print();
    void writePdf();
    void writeCsv();

    // The buttons 印刷ボタン "印　刷", PDFボタン "PDF", CSVボタン "CSV".
    QList<QWidget *> buttons();
    // The items of a ファイル menu: MP1 "印刷", MP2 "PDF 保存", MP3 "CSV 保存".
    void addMenuItems(QMenu *file);

private:
    // A sheet to put out, or nothing after a message.
    bool take(book::Sheet &sheet);
    // Asks for the file and writes the sheet into it, then says so.
    void writeFile(const QString &suffix, const QString &done,
                   const std::function<void(const book::Sheet &, const QString &)> &write);

    UiService &m_ui;
    QWidget *m_window;
    Source m_source;
};

} // namespace ui
} // namespace sorvane
