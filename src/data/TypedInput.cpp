#include "data/TypedInput.h"

#include "data/Formats.h"

namespace sorvane::input {

const QString kBookingDate = QStringLiteral("日付");
const QString kIssueDate = QStringLiteral("振出日");
const QString kDueDate = QStringLiteral("手形期日");
const QString kAmount = QStringLiteral("金額");

namespace {

std::nullopt_t refuse(Problem &problem, const QString &field, const QString &message)
{
    problem.field = field;
    problem.message = message;
    return std::nullopt;
}

QString notADate(const QString &field, const QString &typed, const QDate &today)
{
    // The booking date is typed as month and day; the bill's own dates in full.
    if (field == kBookingDate)
        return QStringLiteral("日付「%1」が正しくありません\n月/日の形で入力してください（例 %2）")
            .arg(typed, fmt::md(today));
    return QStringLiteral("%1「%2」は日付ではありません\n年/月/日の形で入力してください（例 %3）")
        .arg(field, typed, fmt::ymdShort(today));
}

} // namespace

std::optional<QDate> readDate(const QString &field, const QString &text, const QDate &today, Problem &problem)
{
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return QDate();
    const QDate d = fmt::parseDate(typed, today);
    if (!d.isValid())
        return refuse(problem, field, notADate(field, typed, today));
    return d;
}

std::optional<QDate> readRequiredDate(const QString &field, const QString &text, const QDate &today, Problem &problem)
{
    if (text.trimmed().isEmpty())
        return refuse(problem, field, field + QStringLiteral("が入っていません"));
    return readDate(field, text, today, problem);
}

std::optional<qint64> readAmount(const QString &text, Problem &problem)
{
    bool tooLarge = false;
    const std::optional<qint64> value = fmt::parseAmount(text, &tooLarge);
    if (tooLarge || (value && *value > kMaxAmount))
        return refuse(
            problem, kAmount,
            QStringLiteral("金額が大きすぎます\n%1円までの金額を入力してください").arg(fmt::amount(kMaxAmount)));
    if (!value)
        return refuse(problem, kAmount, QStringLiteral("金額は数字で入力してください\n（例: 1,234,567）"));
    if (*value < 0)
        return refuse(problem, kAmount, QStringLiteral("金額にマイナスは使えません\n0円以上の金額を入力してください"));
    return value;
}

bool dueNotBeforeIssue(const QDate &issue, const QDate &due, Problem &problem)
{
    if (!issue.isValid() || !due.isValid() || due >= issue)
        return true;
    refuse(problem, kDueDate,
           QStringLiteral("手形期日（%1）が振出日（%2）より前になっています\n日付を確かめてください")
               .arg(fmt::ymd(due), fmt::ymd(issue)));
    return false;
}

} // namespace sorvane::input
