#pragma once

// Each output the window and the tool offer, from the book to the file:
// the data are read and checked first, and a file is written only when
// there is something to write and all of it can be written.

#include "book/ExportFiles.h"
#include "report/Forms.h"

#include <QStringList>

namespace sorvane {

class Database;

namespace report {

struct Outcome {
    int bills = 0;     // bills (or journal entries) written
    int pages = 0;     // pages of a PDF
    QStringList files; // what was written
    QStringList cuts;  // texts cut to fit a field
};

// The message when a period or date has no bills: nothing is written then.
QString nothingToOutput();

// The ledger of the period as a document; throws DbError for a bad period
// and with nothingToOutput() when no bill was booked in it.
Document ledger(Database &db, book::Side side, const QDate &from, const QDate &to, DateStyle style,
                int *bills = nullptr, book::LedgerKind kind = book::LedgerKind::Paper);
Outcome ledgerPdf(Database &db, book::Side side, const QDate &from, const QDate &to, DateStyle style,
                  const QString &file, const Progress &progress = {}, book::LedgerKind kind = book::LedgerKind::Paper);

// Both statements of the date (the one without bills left out); throws
// with nothingToOutput() when neither has a bill.
QList<Document> statements(Database &db, const QDate &asOf, int *bills = nullptr);
// The PDF (when pdfFile is given) and the tax office's CSV files (when
// csvFolder is given, one per statement with bills). The CSV text is made
// and checked before anything is written.
Outcome statementFiles(Database &db, const QDate &asOf, const QString &pdfFile, const QString &csvFolder,
                       const Progress &progress = {});

// The journal of the period in the layout.
Outcome journalFile(Database &db, const QDate &from, const QDate &to, const book::JournalLayout &layout,
                    const QString &file);

} // namespace report
} // namespace sorvane
