#pragma once

// Reading what a clerk typed into a bill's fields, alike in every bill
// window: the value, or the message that says what is wrong and the field
// the clerk is taken back to.

#include <QDate>
#include <QString>

#include <optional>

namespace sorvane::input {

// The largest amount a bill may carry: what fits a 32-bit whole number.
constexpr qint64 kMaxAmount = 2147483647;

struct Problem {
    QString message;
    QString field; // the control name of the field it is about
};

// The control names of the fields the readers speak of.
extern const QString kBookingDate; // 日付
extern const QString kIssueDate;   // 振出日
extern const QString kDueDate;     // 手形期日
extern const QString kAmount;      // 金額

// A date field that may be left empty: an invalid QDate for an empty field,
// nothing (and the problem) for a text that is not a date, such as 2/30,
// 13/1 or 2/29 of a common year. The booking date 日付 is typed as "m/d" in
// the year of today; full and era dates are taken everywhere.
std::optional<QDate> readDate(const QString &field, const QString &text, const QDate &today, Problem &problem);
// The same for a field that must be filled: an empty one is refused with
// "<field>が入っていません".
std::optional<QDate> readRequiredDate(const QString &field, const QString &text, const QDate &today, Problem &problem);

// The amount in whole yen, 0 up to kMaxAmount: thousands separators and
// full-width digits taken, a fraction rounded half to even. One message
// for each fault, the same in every window.
std::optional<qint64> readAmount(const QString &text, Problem &problem);

// False (and the problem, naming both dates) when both dates are known and
// the bill would fall due before it was issued.
bool dueNotBeforeIssue(const QDate &issue, const QDate &due, Problem &problem);

} // namespace sorvane::input
