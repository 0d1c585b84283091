#pragma once

// One renderer for every printed form: a ruled table with two-level
// headers on A4 landscape, drawn on a QPainter, so the preview, the printer
// and the PDF file show the same pages. QtGui only: the tool writes PDF
// files with it without any window.

#include <QList>
#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <functional>

class QPagedPaintDevice;

namespace sorvane::report {

struct Column {
    QString group;     // upper header over adjacent columns of the same group; empty: the title takes both rows
    QString title;     // lower header
    double width = 20; // relative width; the columns fill the page
    Qt::Alignment align = Qt::AlignLeft;
    bool oneLine = false; // never wrapped: a text too wide is drawn smaller
};

struct Document {
    QString title;    // centred at the top of each page
    QString subtitle; // under the title: the period or the date
    QList<Column> columns;
    QList<QStringList> rows;
    // Optional: per row, a year shown in the upper header of the column
    // yearColumn (the year of the page's first row); a change of year
    // within a page gets a line of its own.
    QStringList rowYears;
    int yearColumn = -1;
    QStringList totals; // a last line in bold; empty: none
};

// Every form is drawn in IPAex Gothic: a PDF drawn in another Japanese
// face loses digits and Latin letters from its text (bill numbers could not
// be searched or copied). Empty when the face is installed; else the
// Japanese message that names the package to install.
QString reportFontProblem();

// A4 landscape with 10 mm margins.
QPageLayout pageLayout();

// Called after each page is drawn: page (from 1) and page count.
using Progress = std::function<void(int page, int pages)>;

// Draws the document on the device (a QPdfWriter or a QPrinter), page by
// page; the header rows are repeated on every page. A row that does not fit
// below the last one starts the next page; a row taller than a page is
// split over pages, each part marked as continued. Returns the page count.
int paint(const Document &doc, QPagedPaintDevice *device, const Progress &progress = {});
// Several documents one after the other, each numbering its own pages;
// progress counts the pages of all of them.
int paint(const QList<Document> &docs, QPagedPaintDevice *device, const Progress &progress = {});

// Number of pages the document takes on the device.
int pageCount(const Document &doc, QPagedPaintDevice *device);

// Writes the document as a PDF/A-1b file, complete or not at all: a file
// that was there stays as it was when writing fails. Throws DbError with a
// Japanese reason, and with reportFontProblem() before anything is drawn
// when the face is missing.
void writePdf(const QList<Document> &docs, const QString &file, const Progress &progress = {});

} // namespace sorvane::report
