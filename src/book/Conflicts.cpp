#include "book/Conflicts.h"

namespace sorvane::book {

namespace {

const QString kChangedFirst = QStringLiteral("他の担当者が先にこの手形を変更しました");

std::optional<BillState> readState(Database &db, qint64 billId, const QString &lock)
{
    Recordset rs = db.openRecordset(
        QStringLiteral("select 処理,状態,予約フラグ,終了フラグ,更新回数,譲渡先,譲渡先コード from D_手形 where id=?") +
            lock,
        {billId});
    if (rs.eof())
        return std::nullopt;
    BillState s;
    s.処理 = int(rs.number(QStringLiteral("処理")));
    s.状態 = int(rs.number(QStringLiteral("状態")));
    s.予約フラグ = rs.number(QStringLiteral("予約フラグ")) != 0;
    s.終了フラグ = rs.number(QStringLiteral("終了フラグ")) != 0;
    s.更新回数 = rs.number(QStringLiteral("更新回数"));
    s.譲渡先 = rs.text(QStringLiteral("譲渡先"));
    if (s.譲渡先.isEmpty())
        s.譲渡先 = rs.text(QStringLiteral("譲渡先コード"));
    return s;
}

// What became of the bill, in one sentence.
QString fate(const std::optional<BillState> &now, Reach reach)
{
    if (!now)
        return QStringLiteral("この手形は削除されています");
    if (now->終了フラグ)
        return QStringLiteral("この手形は決済などで終わっています");
    if (now->処理 == 2 || now->状態 == -2)
        return now->譲渡先.isEmpty() ? QStringLiteral("この手形は譲渡されています")
                                     : QStringLiteral("この手形は「%1」に譲渡されています").arg(now->譲渡先);
    if (now->処理 == 0 && now->予約フラグ)
        return QStringLiteral("この手形は割引などの予約が入っています");
    if (now->処理 == 0 && reach == Reach::HandedOn)
        return QStringLiteral("この手形は譲渡が取り消され、受取手形に戻っています");
    if (now->処理 == 0 && now->状態 == 2)
        return QStringLiteral("この手形は不渡りになっています");
    return QStringLiteral("この手形はこの画面では扱えない状態になっています");
}

} // namespace

ConflictError::ConflictError()
    : DbError(kChangedFirst + QStringLiteral("\n今の内容を読み込み直しました。確かめてから、もう一度操作してください"))
{
}

std::optional<BillState> lockedState(Database &db, qint64 billId)
{
    return readState(db, billId, db.dialect().forUpdate);
}

std::optional<BillState> billState(Database &db, qint64 billId)
{
    return readState(db, billId, {});
}

bool inReach(const BillState &s, Reach reach)
{
    if (s.終了フラグ)
        return false;
    switch (reach) {
    case Reach::InHand:
        return s.処理 == 0 && !s.予約フラグ && s.状態 != -2;
    case Reach::Candidate:
        return s.処理 == 0 && !s.予約フラグ && s.状態 == 0;
    case Reach::Issued:
        return s.処理 == 1;
    case Reach::HandedOn:
        return s.処理 == 2;
    }
    return false;
}

QString notChangeableText(const std::optional<BillState> &now, Reach reach)
{
    return kChangedFirst + u'\n' + fate(now, reach) + QStringLiteral("。一覧を読み直しました");
}

NotChangeableError::NotChangeableError(const std::optional<BillState> &now, Reach reach)
    : DbError(notChangeableText(now, reach))
{
}

qint64 lockInReach(Database &db, qint64 billId, Reach reach)
{
    const std::optional<BillState> now = lockedState(db, billId);
    if (!now || !inReach(*now, reach))
        throw NotChangeableError(now, reach);
    return now->更新回数;
}

bool lockForChange(Database &db, qint64 billId, Reach reach, const std::optional<qint64> &version)
{
    const std::optional<BillState> now = lockedState(db, billId);
    if (!now || !inReach(*now, reach))
        return false;
    checkVersion(version, now->更新回数);
    return true;
}

void checkVersion(const std::optional<qint64> &expected, qint64 stored)
{
    if (expected && *expected != stored)
        throw ConflictError();
}

} // namespace sorvane::book
