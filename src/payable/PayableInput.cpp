#include "payable/PayableInput.h"

#include "data/Formats.h"

#include <limits>

namespace sorvane::payable {

namespace {

std::optional<QDate> readDate(const QString &text, const QDate &today, const QString &field, Problem &problem)
{
    if (text.trimmed().isEmpty()) {
        problem.message = field + QStringLiteral("が入っていません");
        return std::nullopt;
    }
    const QDate d = fmt::parseDate(text, today);
    if (!d.isValid()) {
        problem.message = field + QStringLiteral("「%1」は日付ではありません\n年/月/日の形で入力してください（例 %2）")
                                      .arg(text.trimmed(), fmt::ymdShort(today));
        return std::nullopt;
    }
    return d;
}

} // namespace

std::optional<QDate> readBookingDate(const QString &text, const QDate &today, Problem &problem)
{
    if (text.trimmed().isEmpty()) {
        problem.message = QStringLiteral("日付が入っていません");
        return std::nullopt;
    }
    const QDate d = fmt::parseDate(text, today);
    if (!d.isValid()) {
        problem.message = QStringLiteral("日付「%1」が正しくありません\n月/日の形で入力してください（例 %2）")
                              .arg(text.trimmed(), fmt::md(today));
        return std::nullopt;
    }
    return d;
}

std::optional<QDate> readIssueDate(const QString &text, const QDate &today, Problem &problem)
{
    return readDate(text, today, QStringLiteral("振出日"), problem);
}

std::optional<QDate> readDueDate(const QString &text, const QDate &today, Problem &problem)
{
    return readDate(text, today, QStringLiteral("手形期日"), problem);
}

std::optional<qint64> readAmount(const QString &text, Problem &problem)
{
    const std::optional<qint64> value = fmt::parseAmount(text);
    if (!value) {
        problem.message =
            QStringLiteral("金額「%1」は数字ではありません\n数字で入力してください（例 2,500）").arg(text.trimmed());
        return std::nullopt;
    }
    if (*value > std::numeric_limits<qint32>::max() || *value < std::numeric_limits<qint32>::min()) {
        problem.message = QStringLiteral("金額が扱える範囲を超えています\n%1円までの金額を入力してください")
                              .arg(fmt::amount(std::numeric_limits<qint32>::max()));
        return std::nullopt;
    }
    return value;
}

} // namespace sorvane::payable
