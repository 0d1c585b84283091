#pragma once

// A table of figures as the planning and totals windows show it: the same
// rows go to the screen, to paper through the renderer and to a CSV file,
// so the three never disagree.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace sorvane::book {

struct SheetColumn {
    QString title;
    QString group;       // over adjacent columns of the same group; empty: none
    bool number = false; // right-aligned; written without separators in CSV
    double width = 10;   // relative width on paper
};

struct Sheet {
    QString title;
    QString subtitle; // what the figures are of: account, span, date
    QList<SheetColumn> columns;
    QList<QStringList> rows;
    QList<qint64> keys; // per row, when rows stand for records; else empty
    QList<bool> marked; // per row: a row that needs attention (a shortfall); else empty
    QStringList totals; // a last line; empty: none

    bool isMarked(int row) const { return row >= 0 && row < marked.size() && marked.at(row); }
    // "group title", or the title alone.
    QString header(int column) const;
};

// The sheet as a spreadsheet opens it: UTF-8 with a byte order mark, a
// header line, CRLF after every line, a field with a comma, a quote or a
// line break quoted (quotes doubled); numbers without thousands separators.
// The totals line comes last.
QByteArray sheetCsv(const Sheet &sheet);

// A number cell as the CSV writes it: "1,234,567" → "1234567"; other text as it is.
QString plainNumber(const QString &cell);

// Writes the sheet's CSV to the file, complete or not at all (DbError with
// the reason otherwise).
void writeSheetCsv(const Sheet &sheet, const QString &file);

} // namespace sorvane::book
