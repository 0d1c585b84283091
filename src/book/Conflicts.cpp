#include "book/Conflicts.h"

namespace sorvane::book {

ConflictError::ConflictError()
    : DbError(QStringLiteral("他の担当者が先にこの手形を変更しました\n"
                             "今の内容を読み込み直しました。確かめてから、もう一度操作してください"))
{
}

std::optional<qint64> lockedVersion(Database &db, qint64 billId)
{
    const QVariant v =
        db.scalar(QStringLiteral("select 更新回数 from D_手形 where id=?") + db.dialect().forUpdate, {billId});
    if (v.isNull())
        return std::nullopt;
    return v.toLongLong();
}

void checkVersion(const std::optional<qint64> &expected, qint64 stored)
{
    if (expected && *expected != stored)
        throw ConflictError();
}

} // namespace sorvane::book
