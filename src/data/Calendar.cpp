#include "data/Calendar.h"

#include "data/Engine.h"
#include "data/Files.h"
#include "data/Formats.h"
#include "data/MessageService.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <limits>

namespace sorvane {

QDate AddTermSkipWeekend(const QDate &issue, int term)
{
    if (term <= 0)
        return issue;
    const QDate d = issue.addDays(term);
    if (d.dayOfWeek() == Qt::Sunday)
        return d.addDays(1);
    if (d.dayOfWeek() == Qt::Saturday)
        return d.addDays(2);
    return d;
}

QString FillDueDate(const QString &issueText, const QString &termText, const QString &dueText, const QDate &today)
{
    if (issueText.trimmed().isEmpty())
        return {};
    const std::optional<qint64> term = fmt::parseAmount(termText);
    if (!term)
        return dueText;
    const QDate issue = fmt::parseDate(issueText, today);
    if (!issue.isValid() || *term > std::numeric_limits<int>::max())
        return dueText;
    const QDate due = AddTermSkipWeekend(issue, int(std::max<qint64>(*term, std::numeric_limits<int>::min())));
    if (!due.isValid() || due.year() < 1 || due.year() > 9999)
        return dueText;
    return fmt::ymd(due);
}

QDate ShiftOffHolidays(const QDate &date, const QString &dataFolder, Workspace &workspace)
{
    if (!QFileInfo::exists(files::path(dataFolder, files::holidayFileName(date.year()))))
        return date;

    // The search window may reach into January: the next year's file holds
    // its holidays, and without them 12/31 would step onto New Year's Day.
    const QDate last = date.addMonths(1).addDays(-1);
    QSet<QDate> holidays;
    for (int year = date.year(); year <= last.year(); ++year) {
        const QString fileName = files::path(dataFolder, files::holidayFileName(year));
        if (!QFileInfo::exists(fileName))
            continue;
        ScopedDatabase db(workspace, fileName);
        Recordset rs =
            db->openRecordset(QStringLiteral("select 日付,祝日名 from 祝日 where 日付>=? and 日付<=?"), {date, last});
        for (; !rs.eof(); rs.moveNext())
            holidays.insert(rs.date(QStringLiteral("日付")));
    }

    if (!holidays.contains(date))
        return date;
    // Only the window's holidays are known, so the stepping ends at the
    // latest on the first weekday beyond it.
    QDate d = date;
    do {
        d = d.addDays(1);
        while (d.dayOfWeek() == Qt::Saturday || d.dayOfWeek() == Qt::Sunday)
            d = d.addDays(1);
    } while (holidays.contains(d));
    return d;
}

BankCalendar::BankCalendar(QString dataFolder, Workspace &workspace)
    : m_folder(std::move(dataFolder)), m_workspace(workspace)
{
}

const QSet<QDate> &BankCalendar::holidaysOf(int year)
{
    auto it = m_years.find(year);
    if (it != m_years.end())
        return *it;
    QSet<QDate> days;
    const QString fileName = files::path(m_folder, files::holidayFileName(year));
    if (QFileInfo::exists(fileName)) {
        ScopedDatabase db(m_workspace, fileName);
        Recordset rs = db->openRecordset(QStringLiteral("select 日付 from 祝日"));
        for (; !rs.eof(); rs.moveNext())
            days.insert(rs.date(QStringLiteral("日付")));
    }
    return *m_years.insert(year, days);
}

bool BankCalendar::isBusinessDay(const QDate &date)
{
    if (date.dayOfWeek() == Qt::Saturday || date.dayOfWeek() == Qt::Sunday)
        return false;
    return !holidaysOf(date.year()).contains(date);
}

QDate BankCalendar::onOrAfter(const QDate &date)
{
    QDate d = date;
    // A year has no run of closed days longer than a couple of weeks.
    for (int i = 0; d.isValid() && i < 60 && !isBusinessDay(d); ++i)
        d = d.addDays(1);
    return d;
}

QString CheckDueDate(const QString &fieldText, bool applyHolidays, const QString &dataFolder, Workspace &workspace,
                     MessageService &messages, const QDate &today)
{
    QString field = fieldText;
    if (field.trimmed().isEmpty())
        return field;
    try {
        QDate d = fmt::parseDate(field, today);
        if (!d.isValid())
            return field;
        if (d.dayOfWeek() == Qt::Sunday) {
            messages.information(QStringLiteral("手形期日が日曜日です"));
            d = d.addDays(1);
            field = fmt::ymd(d);
        }
        if (d.dayOfWeek() == Qt::Saturday) {
            messages.information(QStringLiteral("手形期日が土曜日です"));
            d = d.addDays(2);
            field = fmt::ymd(d);
        }
        if (applyHolidays) {
            const QDate shifted = ShiftOffHolidays(d, dataFolder, workspace);
            if (shifted != d)
                field = fmt::ymd(shifted);
        }
    } catch (const std::exception &) {
        // A broken holiday file must not stop the user typing: keep what is there.
    }
    return field;
}

} // namespace sorvane
