#pragma once

// Closing a fiscal year (新年度処理) and the books of closed years.
//
// A year end moves the bills that were finished before the new year began
// (settled, handed on and past due, dishonoured and recovered) with their
// endorsers and history out of the working book into an archive book of
// that year, tegata-YYYY.mdb beside tegata.mdb. The archive also holds
// copies of every other bill booked by the year end, with its endorsers
// and whole history, of the registers and of the year's other events, so
// the year's ledgers, statements and journal are made from it alone, as
// they were made before the close. The archive is written and checked
// (row counts and checksums) in one transaction, the originals are removed
// in one transaction of the working book after it, and the record of the
// close (年度締め) commits with that removal.

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace sorvane {

class Database;

namespace book {

// A fiscal year, named (年度) by the calendar year it begins in, as a
// company's 2025年度 runs from April 2025 to March 2026.
struct FiscalYear {
    int year = 0;
    QDate begin;
    QDate end;
    bool isValid() const { return year > 0; }
};

// The year with that name for a year ending in endMonth (1–12).
FiscalYear fiscalYear(int endMonth, int year);
// The year the date falls in.
FiscalYear fiscalYearContaining(int endMonth, const QDate &date);

// The month the company's fiscal year ends in (設定.年度末月).
int readYearEndMonth(Database &db);
// Throws DbError for a month outside 1–12.
void writeYearEndMonth(Database &db, int month);

// tegata-YYYY.mdb
QString archiveFileName(int year);

// The years closed so far, oldest first.
struct ClosedYear {
    FiscalYear year;
    QString file;
    qint64 movedBills = 0;
    qint64 movedEndorsers = 0;
    qint64 movedEvents = 0;
    qint64 copiedEvents = 0;
    qint64 carriedBills = 0;
    QString closedAt;
    QString closedBy;
};
QList<ClosedYear> closedYears(Database &db);

// What the next year end would do on the date: the year after the last
// one closed (or, before the first, the last year that ended before the
// date), the bills it would move and copy.
struct YearEndPlan {
    FiscalYear year;      // invalid: no year has ended since the last close
    QDate nextCloseFrom;  // when there is none: the first day it can be closed
    qint64 moving = 0;    // bills finished before the new year began
    qint64 carried = 0;   // bills booked by the year end that stay open
    qint64 remaining = 0; // bills in the working book after the close
};
YearEndPlan planYearEnd(Database &db, const QDate &today);

// On a server book, how many other connections have the book open
// (another clerk's program, a tool); 0 on a file book.
int otherClerks(Database &db);

struct YearEndDone {
    ClosedYear closed;
    QString archive; // the archive's path
};

// Closes the year of planYearEnd(db, today) into folder/tegata-YYYY.mdb.
// Refused (DbError, nothing changed) when no year can be closed, when
// another clerk has a server book open, or when a check fails. An archive
// file of the year left by a close that did not finish is replaced: the
// working book never lost its bills then.
YearEndDone closeYear(Database &db, const QString &folder, const QDate &today);

// What an archive is: its year and period, its bills, or why it is none.
struct ArchiveInfo {
    QString path;
    FiscalYear year;
    qint64 bills = 0;
    qint64 carried = 0;
    QString problem; // empty: a sound archive this program can open
};
// Reads the archive without changing it.
ArchiveInfo readArchive(const QString &path);
// The archives in the folder (tegata-YYYY.mdb), newest year first.
QList<ArchiveInfo> listArchives(const QString &folder);

// Brings an archive written by an older version of the program up to this
// one (the one write it ever takes), so it can then be opened read-only.
void upgradeArchive(const QString &path);

// What every refused write of an opened archive says.
QString archiveReadOnlyNotice(const FiscalYear &year);

} // namespace book
} // namespace sorvane
