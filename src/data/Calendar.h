#pragma once

// The due-date rules the entry and list windows share: a due date from the
// issue date and a term, and a typed due date moved off weekends and off the
// holidays of the holiday files 祝日<yyyy>.mdb.

#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>

namespace sorvane {

class MessageService;
class Workspace;

// issue + term days, moved to the Monday when it falls on a weekend. A term
// of 0 or less gives the issue date itself, even on a weekend.
QDate AddTermSkipWeekend(const QDate &issue, int term);

// The due-date field after the issue date was left (fields 振出日, 標準期間,
// 手形期日 as typed): empty when the issue date is empty; issue + term moved
// off a weekend, as "yyyy/mm/dd", when the term is a number; otherwise — a
// term that is empty or not a number, an issue date that is not a date, a
// result beyond year 9999 — the due date as it was. Holidays are left to
// CheckDueDate. `today` gives the year of an issue date typed as "m/d".
QString FillDueDate(const QString &issueText, const QString &termText, const QString &dueText, const QDate &today = {});

// The due-date field after it was left: a Sunday moves to Monday with the
// message "手形期日が日曜日です", a Saturday to Monday with "手形期日が土曜日です"
// (OK, no title), and then, when applyHolidays is true and the holiday file
// of the date's year exists in dataFolder, off the holidays without a
// message. The holidays of the whole search window (the date to one month
// later) are read from the file of every year it touches, each file opened
// in the workspace only for the reading.
//
// The receivable entry passes applyHolidays = true; the payable windows pass
// AppContext::HolidayDataAvailable.
//
// Returns the new field text: empty stays empty; a date is written back as
// "yyyy/mm/dd"; a text that is not a date comes back unchanged. Any error
// ends the check silently, keeping what was written up to then (a weekend
// move made before an unreadable holiday file is kept).
QString CheckDueDate(const QString &fieldText, bool applyHolidays, const QString &dataFolder, Workspace &workspace,
                     MessageService &messages, const QDate &today = {});

// The holiday step alone: the first day from `date` on that is neither a
// holiday of the search window nor a weekend day after a holiday; `date`
// itself when it is no holiday or when its year has no holiday file.
// Throws DbError when a holiday file cannot be read.
QDate ShiftOffHolidays(const QDate &date, const QString &dataFolder, Workspace &workspace);

// The days the banks are open: neither a Saturday, a Sunday nor a day of
// the holiday file of its year (public holidays and the bank holidays
// 12/31, 1/2, 1/3). A year without holiday file knows only its weekends.
// Each year's file is read once, opened in the workspace only for that.
class BankCalendar {
public:
    BankCalendar(QString dataFolder, Workspace &workspace);

    // Throws DbError when a holiday file cannot be read.
    bool isBusinessDay(const QDate &date);
    // The date itself when the banks are open, else the next day they are.
    QDate onOrAfter(const QDate &date);

private:
    const QSet<QDate> &holidaysOf(int year);

    QString m_folder;
    Workspace &m_workspace;
    QHash<int, QSet<QDate>> m_years;
};

} // namespace sorvane
