#include "report/Exports.h"

#include "book/BillLife.h"

#include "data/Engine.h"

#include <QDir>

namespace sorvane::report {

QString nothingToOutput()
{
    return QStringLiteral("出力する手形がありません");
}

Document ledger(Database &db, book::Side side, const QDate &from, const QDate &to, DateStyle style, int *bills,
                book::LedgerKind kind)
{
    const QList<book::LedgerRow> rows = book::readLedger(db, side, from, to, kind);
    if (rows.isEmpty())
        throw DbError(nothingToOutput());
    if (bills)
        *bills = int(rows.size());
    return ledgerDocument(side, rows, from, to, style, kind);
}

Outcome ledgerPdf(Database &db, book::Side side, const QDate &from, const QDate &to, DateStyle style,
                  const QString &file, const Progress &progress, book::LedgerKind kind)
{
    Outcome o;
    const Document doc = ledger(db, side, from, to, style, &o.bills, kind);
    report::writePdf({doc}, file, [&](int page, int pages) {
        o.pages = pages;
        if (progress)
            progress(page, pages);
    });
    o.files << file;
    return o;
}

namespace {

struct StatementData {
    book::Side side;
    QList<book::StatementLine> lines;
    int bills;
};

QList<StatementData> statementData(Database &db, const QDate &asOf)
{
    QList<StatementData> out;
    for (book::Side side : {book::Side::Receivable, book::Side::Payable}) {
        const QList<book::StatementBill> bills = book::statementBills(db, side, asOf);
        if (!bills.isEmpty())
            out << StatementData{side, book::statementLines(bills), int(bills.size())};
    }
    if (out.isEmpty())
        throw DbError(nothingToOutput());
    return out;
}

} // namespace

QList<Document> statements(Database &db, const QDate &asOf, int *bills)
{
    QList<Document> docs;
    int count = 0;
    for (const StatementData &d : statementData(db, asOf)) {
        docs << statementDocument(d.side, d.lines, asOf);
        count += d.bills;
    }
    if (bills)
        *bills = count;
    return docs;
}

Outcome statementFiles(Database &db, const QDate &asOf, const QString &pdfFile, const QString &csvFolder,
                       const Progress &progress)
{
    Outcome o;
    const QList<StatementData> data = statementData(db, asOf);
    QList<book::OutputFile> csv;
    if (!csvFolder.isEmpty()) {
        if (!QDir(csvFolder).exists())
            throw DbError(
                QStringLiteral("CSV の保存先のフォルダーがありません: %1").arg(QDir::toNativeSeparators(csvFolder)));
        for (const StatementData &d : data) {
            const book::EtaxLayout &layout = book::etaxLayout(d.side, asOf);
            csv << book::OutputFile{QDir(csvFolder).filePath(layout.fileName()),
                                    book::etaxCsv(layout, d.lines, &o.cuts)};
        }
    }
    QList<Document> docs;
    for (const StatementData &d : data) {
        docs << statementDocument(d.side, d.lines, asOf);
        o.bills += d.bills;
    }
    if (!pdfFile.isEmpty()) {
        writePdf(docs, pdfFile, [&](int page, int pages) {
            o.pages = pages;
            if (progress)
                progress(page, pages);
        });
        o.files << pdfFile;
    }
    book::writeOutputFiles(csv);
    for (const book::OutputFile &f : csv)
        o.files << f.path;
    return o;
}

Outcome journalFile(Database &db, const QDate &from, const QDate &to, const book::JournalLayout &layout,
                    const QString &file)
{
    const QList<book::JournalEntry> entries = book::journalEntries(db, from, to);
    if (entries.isEmpty())
        throw DbError(nothingToOutput());
    Outcome o;
    o.bills = int(entries.size());
    book::writeOutputFiles({book::OutputFile{file, book::journalCsv(layout, entries)}});
    o.files << file;
    // Taking back a step of this period from now on warns that its entry
    // is already with the accountant.
    if (!db.isReadOnly())
        book::noteJournalExported(db, to);
    return o;
}

} // namespace sorvane::report
