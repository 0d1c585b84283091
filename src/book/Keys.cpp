#include "book/Keys.h"

namespace sorvane::book {

QList<qint64> idsOf(Database &db, const QString &sql, const QVariantList &values)
{
    QList<qint64> ids;
    db.forEachRow(sql, values, [&ids](const RowView &r) { ids.append(r.number(0)); });
    return ids;
}

void forEachRowOfKeys(Database &db, const QString &select, const QList<qint64> &ids,
                      const std::function<void(const RowView &)> &row)
{
    if (ids.isEmpty())
        return;
    QString marks;
    marks.reserve(ids.size() * 2);
    QVariantList keys;
    keys.reserve(ids.size());
    for (qint64 id : ids) {
        marks += marks.isEmpty() ? QStringLiteral("?") : QStringLiteral(",?");
        keys << id;
    }
    db.forEachRow(select.arg(marks), keys, row);
}

} // namespace sorvane::book
