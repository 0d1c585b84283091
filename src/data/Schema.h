#pragma once

// The tables of the main database and how an older file is brought up to date.

#include <QString>
#include <QStringList>

namespace sorvane {

class Database;

namespace schema {

// Raised by one each time the tables change; a file written by this
// program stays readable by every later one.
constexpr int kVersion = 9;
constexpr int kDefaultDueWindowDays = 14;
// Days after the due date on which a collected bill reaches the account.
constexpr int kMaxCollectionDays = 10;
// How many of journalRoles() the first journal table had.
constexpr int kFirstJournalRoles = 4;
// How many the history's version added up to (settlement, discount, dishonour).
constexpr int kLifeJournalRoles = 8;
// Bank business days before an electronic claim's due date from which the
// network takes no transfer, split or discount (through the due date).
constexpr int kDefaultDensaiBlackoutDays = 3;
constexpr int kMaxDensaiBlackoutDays = 10;
// How many backups a folder keeps, newest first.
constexpr int kDefaultBackupGenerations = 10;
constexpr int kMaxBackupGenerations = 99;
// The month the fiscal year ends in: March, as most Japanese companies.
constexpr int kDefaultYearEndMonth = 3;

// Creates every table and index of the main database in an empty file,
// with the settings row, in one transaction.
void createMainSchema(Database &db);

// Checks that the open file is a main database and upgrades an older one
// in one transaction. Throws DbError for a file that is not ours or is
// newer than this program.
void prepareMainDatabase(Database &db);

// The schema version the book holds (0: none of this program's).
int storedVersion(Database &db);

// Sets up the main database for the program's work on it, after it was
// prepared and found writable: planner statistics that follow the size of
// the book. Not needed for correctness: a book that refuses them is used as
// it is.
void prepareForWork(Database &db);

// The tables every main database has, for checks and tests.
QStringList mainTables();

// The accounts the journal export books to, by role: the roles below, each
// with the account (勘定科目) and sub-account (補助科目) of the company's
// accounting software. Rows are written with the role's own name.
QStringList journalRoles();

// The kinds of event in a bill's history (table 手形履歴), in the order a
// bill's life meets them.
QStringList eventKinds();

// Who records an event: the login name on a file book, the server's user
// on a server book.
QString recorderName(Database &db);
// When an event is recorded: "yyyy-MM-dd HH:mm:ss", local time.
QString recordedAt();

// Writes the events the existing rows imply (受取 or 振出 on the booking
// date, 譲渡 on the hand-on's date), for a book whose bills were written
// without history. Used by the upgrade and by tools that fill a book
// straight into its tables.
void writeImpliedEvents(Database &db);

// Reads the window of the approaching-due list; a missing or empty settings
// row is written with the default and the default is returned.
int readDueWindowDays(Database &db);
void writeDueWindowDays(Database &db, int days);

// The days after the due date on which a collected received bill is
// settled (0 to kMaxCollectionDays); writing another number throws DbError.
int readCollectionDays(Database &db);
void writeCollectionDays(Database &db, int days);

// The blackout before an electronic claim's due date, in bank business days
// (0 to kMaxDensaiBlackoutDays); writing another number throws DbError.
int readDensaiBlackoutDays(Database &db);
void writeDensaiBlackoutDays(Database &db, int days);

} // namespace schema
} // namespace sorvane
