#pragma once

// Reading what a clerk typed into a payable bill's fields, with the message
// that says what is wrong.

#include <QDate>
#include <QString>

#include <optional>

namespace sorvane::payable {

// Each reader gives the value, or nothing and the message to show.
struct Problem {
    QString message;
};

// The booking date, typed as "m/d" in the year of today (a full date is taken too).
std::optional<QDate> readBookingDate(const QString &text, const QDate &today, Problem &problem);
// The issue or due date; an empty field is refused with the field's own message.
std::optional<QDate> readIssueDate(const QString &text, const QDate &today, Problem &problem);
std::optional<QDate> readDueDate(const QString &text, const QDate &today, Problem &problem);
// The amount in whole yen, thousands separators allowed, a fraction rounded
// half to even; the column holds 32-bit numbers only.
std::optional<qint64> readAmount(const QString &text, Problem &problem);

} // namespace sorvane::payable
