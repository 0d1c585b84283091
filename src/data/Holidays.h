#pragma once

// Japan's public holidays, computed from the holiday law as it stood in each
// year, and the holiday files 祝日<yyyy>.mdb that the due-date check reads.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace sorvane::holidays {

// The years the computation covers: the equinox formula holds to 2099, and
// the law's rules are modelled from 1955 on.
constexpr int kFirstYear = 1955;
constexpr int kLastYear = 2099;
// The years sorvane-admin init writes.
constexpr int kInitFirstYear = 2000;
constexpr int kInitLastYear = 2060;

inline bool supportedYear(int year)
{
    return year >= kFirstYear && year <= kLastYear;
}

struct Holiday {
    QDate date;
    QString name;
    bool operator==(const Holiday &o) const { return date == o.date && name == o.name; }
};

// Vernal (March) and autumnal (September) equinox days of the year, by the
// approximation used for the official announcements; 0 outside 1900–2099.
int vernalEquinoxDay(int year);
int autumnalEquinoxDay(int year);

// The public holidays of the year in date order, each with its official
// name ("元日", "振替休日", "国民の休日", ...). Empty for an unsupported year.
QList<Holiday> publicHolidays(int year);

// Days the banks are closed besides the public holidays: 12/31, 1/2 and
// 1/3 of the year, named "銀行休業日", where no public holiday falls.
extern const QString kBankHolidayName;

// What a holiday file holds: the public holidays and the bank holidays of
// the year, in date order.
QList<Holiday> holidayFileRows(int year);

// Writes the holiday file of the year (table 祝日: 日付 as 'yyyy-mm-dd',
// 祝日名). The file is replaced complete or not at all. Throws DbError.
void writeHolidayFile(const QString &fileName, int year);

// Writes 祝日<yyyy>.mdb for every year from..to into the folder and returns
// the names written. Throws DbError for an unsupported or reversed range and
// when a file cannot be written (the files written before stay complete).
QStringList writeHolidayFiles(const QString &folder, int from, int to);

} // namespace sorvane::holidays
