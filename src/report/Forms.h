#pragma once

// The printed forms: the two bill ledgers and the two year-end statements,
// laid out as documents for the renderer.

#include "book/Reports.h"
#include "book/Sheet.h"
#include "report/Renderer.h"

namespace sorvane::report {

enum class DateStyle { Gregorian, Era };

// 受取手形記入帳 / 支払手形記入帳 of the period, or 電子記録債権記入帳 /
// 電子記録債務記入帳 in the same layout.
Document ledgerDocument(book::Side side, const QList<book::LedgerRow> &rows, const QDate &from, const QDate &to,
                        DateStyle style, book::LedgerKind kind = book::LedgerKind::Paper);

// 受取手形の内訳書 / 支払手形の内訳書 as of the date.
Document statementDocument(book::Side side, const QList<book::StatementLine> &lines, const QDate &asOf);

// A table of figures on paper: its columns, rows and totals line as they
// are; numbers right-aligned, codes and bill numbers never wrapped.
Document sheetDocument(const book::Sheet &sheet);

// A date in the chosen style: "2026/12/07" or "R8.12.07".
QString dateText(const QDate &date, DateStyle style);

} // namespace sorvane::report
