#pragma once

// The files the accountant's programs read: the tax office's CSV of the
// year-end statements and the journal in the import layouts of two
// accounting programs. Each layout is a table of columns, so a new version
// of a layout is a new table, not new code.

#include "book/Reports.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace sorvane::book {

// ---------------------------------------------------------------- statements

// What a column of the tax office's statement CSV holds.
enum class EtaxSource {
    FormatCode,         // フォーマット区分: the constant of the field
    LineKind,           // 行区分: 0 a bill or sum, 1 the total
    RegistrationNumber, // 登録番号: the 13 digits after "T"
    CorporateNumber,    // 法人番号: 13 digits
    Party,              // 振出人 / 支払先
    IssuedEra,          // 振出年月日: era code (平成 4, 令和 5)
    IssuedYear,         //   year of the era, two digits ("01" for the first)
    IssuedMonth,        //   two digits
    IssuedDay,          //   two digits
    DueEra,             // 支払期日, likewise
    DueYear,
    DueMonth,
    DueDay,
    Bank,     // 支払銀行名
    Branch,   // 支払銀行支店名
    Amount,   // 金額: half-width digits
    Receiver, // 割引銀行名(及び支店名等): who holds a handed-on bill now
    Note,     // 摘要
    Empty,    // a column the book has nothing for (always empty)
};

struct EtaxField {
    QString name;
    EtaxSource source;
    int length = 0;   // characters; text longer is cut and the cut reported
    QString constant; // FormatCode only
};

struct EtaxLayout {
    QString formId;   // 様式ID, e.g. "HOI020"
    QString version;  // "4.0"
    QString formName; // "受取手形"
    Side side;
    QDate firstYearEnd; // the first year end it is for; invalid: from the beginning
    QList<EtaxField> fields;

    // "HOI020_4.0_受取手形.csv"
    QString fileName() const;
    // The length of the first field of the source; 0 when the layout has none.
    int lengthOf(EtaxSource source) const;
};

// Every layout this program writes, each side's in the order they came.
const QList<EtaxLayout> &etaxLayouts();
// The layout of the side for a year ending on the date: the latest whose
// first year end is not after it.
const EtaxLayout &etaxLayout(Side side, const QDate &yearEnd);

// The statement lines as the CSV file: Shift_JIS (JIS X 0208 only), CRLF
// after every record, no header, fields separated by half-width commas (one
// inside a text is written full-width, as all text fields are). A text
// longer than its field is cut, and *cuts gets one Japanese line for each
// cut. Throws DbError naming the line and the characters when a character
// has no JIS X 0208 form.
QByteArray etaxCsv(const EtaxLayout &layout, const QList<StatementLine> &lines, QStringList *cuts);

// A text as a text field holds it: on one line, trimmed, with the JIS
// stand-ins, in full-width characters, cut at length characters (*cut says
// whether it was). The printed statement shows the same text.
QString etaxText(const QString &text, int length, bool *cut = nullptr);

// Era code, year of the era, month and day, each as its field holds it:
// {"5", "01", "05", "01"} for 令和元年5月1日; four empty texts for an invalid date.
QStringList etaxDate(const QDate &date);

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
    int amountDigits = 0; // the most digits an amount may have; 0: no limit
};

const QList<JournalLayout> &journalLayouts();
// nullptr for an unknown key.
const JournalLayout *journalLayout(const QString &key);

// The entries in the layout, CRLF after every line; a field with a comma or
// a double quote is quoted. Throws DbError naming the entry when a
// character has no JIS X 0208 form in a Shift_JIS layout, or when an
// amount has more digits than the layout takes.
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
