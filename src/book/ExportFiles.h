#pragma once

// The files the accountant's programs read: the tax office's CSV of the
// year-end statements and the journal in the import layouts of two
// accounting programs. Each layout is a table of columns, so a new version
// of a layout is a new table, not new code.

#include "book/Reports.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace sorvane::book {

// ---------------------------------------------------------------- statements

// What a column of the tax office's statement CSV holds.
enum class EtaxSource {
    FormatCode,     // フォーマット区分: the constant of the field
    LineKind,       // 行区分: 0 a bill or sum, 1 the total
    Party,          // 振出人 / 支払先
    Issued,         // 振出年月日: era code, year, month, day ("5061207")
    Due,            // 支払期日
    Bank,           // 支払銀行名
    Branch,         // 支払銀行支店名
    Amount,         // 金額: half-width digits
    DiscountBank,   // 割引銀行名: the receiver of a handed-on bill
    DiscountBranch, // 割引銀行支店名
    Note,           // 摘要
    Empty,          // a column the book has nothing for (always empty)
};

struct EtaxField {
    QString name;
    EtaxSource source;
    int length = 0;   // characters; text longer is cut and the cut reported
    QString constant; // FormatCode only
};

struct EtaxLayout {
    QString formId;   // 様式ID, e.g. "HOI020"
    QString version;  // "3.0"
    QString formName; // "受取手形"
    Side side;
    QList<EtaxField> fields;

    // "HOI020_3.0_受取手形.csv"
    QString fileName() const;
};

// The layouts this program writes; the first of each side is the current one.
const QList<EtaxLayout> &etaxLayouts();
const EtaxLayout &etaxLayout(Side side);

// The statement lines as the CSV file: code page 932, CRLF after every
// record, no header, fields separated by half-width commas (one inside a
// text is written full-width, as all text fields are). A text longer than
// its field is cut, and *cuts gets one Japanese line for each cut. Throws
// DbError naming the line and field when a character has no Shift_JIS form.
QByteArray etaxCsv(const EtaxLayout &layout, const QList<StatementLine> &lines, QStringList *cuts);

// "5061207": era code and two digits each of era year, month and day.
QString etaxDate(const QDate &date);

// ---------------------------------------------------------------- journal

enum class JournalSource {
    Constant,
    Empty,
    Slip,
    Date,
    Debit,
    DebitSub,
    Credit,
    CreditSub,
    Amount,
    Summary,
    Number,
    Due,
    Memo,
};

struct JournalColumn {
    QString header;
    JournalSource source;
    QString constant;
};

struct JournalLayout {
    QString key;           // as the tool takes it: "yayoi", "mf"
    QString caption;       // as the window names it
    bool shiftJis = false; // else UTF-8
    bool headerLine = false;
    QList<JournalColumn> columns;
};

const QList<JournalLayout> &journalLayouts();
// nullptr for an unknown key.
const JournalLayout *journalLayout(const QString &key);

// The entries in the layout, CRLF after every line; a field with a comma or
// a double quote is quoted. Throws DbError naming the entry when a
// character has no Shift_JIS form in a Shift_JIS layout.
QByteArray journalCsv(const JournalLayout &layout, const QList<JournalEntry> &entries);

// ---------------------------------------------------------------- writing

struct OutputFile {
    QString path;
    QByteArray bytes;
};

// Writes every file or none: each goes to a work file first, and only when
// all are complete are they moved to their names. Throws DbError with a
// Japanese reason (a missing folder, a name that is a folder, a file that
// cannot be written); files that were there before stay as they were.
void writeOutputFiles(const QList<OutputFile> &files);

} // namespace sorvane::book
