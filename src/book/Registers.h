#pragma once

// Reading and writing the registers: customers (T0), their bill templates
// (T1), suppliers (S0) and storage places. The windows call these; every
// value goes in as a bound parameter.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace sorvane {

class Database;

namespace book {

// Customers and suppliers have the same shape: a short code, a name and,
// when known, the party's 登録番号 or 法人番号.
struct PartyTable {
    QString table;
    QString codeColumn;
    QString nameColumn;
    QString word; // 得意先 / 仕入先, for messages
};
const PartyTable &customerTable();
const PartyTable &supplierTable();

struct PartyRow {
    QString code;
    QString name;
    QString number = {}; // 登録番号 ("T1234567890123") or 法人番号 ("1234567890123"); empty: not known
};

// Every row, ordered by code as text ("10" before "9").
QList<PartyRow> readParties(Database &db, const PartyTable &t);
// Sets the name and the number of the party with the code; adds the party
// when no row has that code (the list it was decided on may be older than
// the table). The number is in the form readPartyNumber gives.
void saveParty(Database &db, const PartyTable &t, const QString &code, const QString &name, bool existing,
               const QString &number = {});
// Sets only the number of the party; the number of rows changed (0: no such code).
int setPartyNumber(Database &db, const PartyTable &t, const QString &code, const QString &number);

// A typed 登録番号 (the invoice registration number, "T" and 13 digits) or
// 法人番号 (13 digits) in its stored form: full-width letters and digits read
// as half-width, spaces and hyphens dropped, a small "t" as "T". An empty
// text is "not known" and gives an empty text. nullopt, with the Japanese
// reason in *problem, for anything else and for a 法人番号 whose check digit
// does not match.
std::optional<QString> readPartyNumber(const QString &typed, QString *problem = nullptr);
// The check digit (the first digit) of a 法人番号 matches the other twelve.
bool corporateNumberValid(const QString &digits);
// Number of rows removed.
int deleteParty(Database &db, const PartyTable &t, const QString &code);
// Every customer or supplier code, ordered as text, for the pick lists.
QStringList customerCodes(Database &db);
QStringList supplierCodes(Database &db);
// The customer's key, or nothing when no customer has the code.
std::optional<qint64> customerId(Database &db, const QString &code);

struct BillTemplate {
    qint64 id = 0;
    qint64 customerId = 0;
    QString 振出人;
    QString 支払県;
    QString 支払市;
    QString 支払場所コード;
    QString 支払場所;
    QString 支払場所支店コード;
    QString 支払場所支店;
    qint64 手形期間 = 0;
    QString 最終手形番号;
};

// The customer's templates in the order they were added.
QList<BillTemplate> templatesOf(Database &db, qint64 customerId);
std::optional<BillTemplate> templateById(Database &db, qint64 id);
// Returns the new template's key.
qint64 insertTemplate(Database &db, const BillTemplate &t);
// Changes every column but the customer; the key says which template.
void updateTemplate(Database &db, const BillTemplate &t);
void deleteTemplate(Database &db, qint64 id);

// The storage places in the order they were added.
QStringList storagePlaces(Database &db);
// Adds the name, or rewrites the registered one that differs only in the
// case of its letters; a registered name is never added twice.
void saveStoragePlace(Database &db, const QString &name);
int deleteStoragePlace(Database &db, const QString &name);

} // namespace book
} // namespace sorvane
