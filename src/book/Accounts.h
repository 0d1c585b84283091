#pragma once

// The company's bank accounts (口座データ), kept by sorvane-admin: reading,
// adding, changing, removing and importing them from a CSV file. The payable
// windows only read them. Every value goes in as a bound parameter.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace sorvane {

class Database;

namespace book {

// One column of 口座データ as the tool and the CSV import name it.
struct AccountField {
    enum class Kind {
        Kozano, // the company's own account number: 1 or more, unique
        Text,   // free text, kept as typed without surrounding spaces
        Code,   // bank, branch and account numbers: full-width read as half-width
        Term,   // days, 0 or more
        Amount, // yen, 0 or more, thousands separators allowed
        Date,   // any typed date form, stored ISO; empty clears it
    };
    QString column; // the column, also the CSV header
    QString option; // the Latin option name, without "--"
    Kind kind;
    QString meaning; // a few Japanese words for --help
};

// Every column a user may give, kozano first, in the table's order.
const QList<AccountField> &accountFields();
// By column name (letter case ignored) or by option name; nullptr when unknown.
const AccountField *findAccountField(const QString &name);

// The kind of account the payable windows offer.
extern const QString kCheckingKind;

// Values by column; a column missing from the map keeps its default
// (empty text, 0, no date) on adding and its stored value on changing.
using AccountValues = QMap<QString, QVariant>;

struct AccountRecord {
    qint64 id = 0;
    AccountValues values; // every column of accountFields()
    qint64 kozano() const;
    QString text(const QString &column) const;
};

// Reads a value as typed for the field. nullopt with a Japanese reason in
// *error when it is not a value the column can hold. Dates in the m/d form
// are in the year of today.
std::optional<QVariant> parseAccountValue(const AccountField &field, const QString &typed, const QDate &today,
                                          QString *error);
// The value as the list shows it: dates "yyyy/mm/dd", amounts "#,##0".
QString displayAccountValue(const AccountField &field, const QVariant &value);

// Every account in kozano order.
QList<AccountRecord> readAccounts(Database &db);
std::optional<AccountRecord> accountRecord(Database &db, qint64 kozano);

// Bills that refer to the account: issued on it (処理 = 1 and its kozano) or
// reserved to it (予約口座id).
int billsUsingAccount(Database &db, const AccountRecord &account);

// Adds an account; refused with a DbError when kozano is missing or taken.
// Returns the new row's key.
qint64 addAccount(Database &db, const AccountValues &values);
// Changes the given columns of the account with that kozano. A new kozano
// must be free, and is refused while bills refer to the old one.
void updateAccount(Database &db, qint64 kozano, const AccountValues &changes);
// Removes the account; refused, naming how many, while bills refer to it.
void removeAccount(Database &db, qint64 kozano);

// One record of a CSV file and the line it begins on (1 = the first line).
struct CsvRecord {
    int line = 0;
    QStringList fields;
};

// Reads CSV text: UTF-8 with or without a byte order mark, LF or CRLF line
// ends, fields separated by commas; a quoted field may hold commas, line
// breaks and doubled quotes. Lines with nothing but empty fields are left
// out. Throws DbError naming the line for text that is not UTF-8, an
// unclosed quote or a quote in the middle of a field.
QList<CsvRecord> readCsv(const QByteArray &bytes);

// The accounts as CSV that importAccounts reads back: a header line of the
// column names, then one line per account; UTF-8 without a byte order mark.
QByteArray accountsCsv(const QList<AccountRecord> &accounts);

// Adds the accounts of a CSV file whose first line names the columns by
// their Japanese names (kozano required). All rows or none: a bad row
// refuses the whole file with a DbError naming the line and why. Returns
// the number of accounts added.
int importAccounts(Database &db, const QByteArray &csv, const QDate &today);

} // namespace book
} // namespace sorvane
