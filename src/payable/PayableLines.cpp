#include "payable/PayableLines.h"

#include "book/AppContext.h"
#include "data/Formats.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace sorvane::payable {

const QString kHandedOnMarker = QStringLiteral("譲");
const QString kElectronicMarker = QStringLiteral("電");

namespace {

QString padLeft(const QString &text, int width)
{
    return text.size() >= width ? text : QString(width - text.size(), u' ') + text;
}

} // namespace

QString candidateLine(const book::Candidate &c)
{
    // A bill without due date keeps the drawer in its column.
    const QString due = c.手形期日.isValid() ? fmt::yymmdd(c.手形期日) : QString(8, u' ');
    return padLeft(fmt::amount(c.金額), 14) + QStringLiteral("  ") + due + QStringLiteral("  ") + c.振出人;
}

QString payableLine(const book::PayableLine &l)
{
    const QString marker = l.electronic              ? kElectronicMarker
                           : l.処理 == book::kIssued ? QStringLiteral(" \u3000")
                                                     : kHandedOnMarker;
    // A bill without due date shows an empty "mm/dd", as the line's format gives it.
    const QString due = fmt::mmdd(l.手形期日);
    return marker + l.手形番号 + QStringLiteral("  ") + due + u' ' + padLeft(fmt::amount(l.金額), 12) +
           QStringLiteral("  ") + l.取引先;
}

QVector<int> fillAccountPicks(QComboBox *combo, const QVector<AccountSlot> &cache, int count)
{
    const QSignalBlocker quiet(combo);
    combo->clear();
    QVector<int> picks;
    for (int i = 0; i < count && i < cache.size(); ++i) {
        const AccountSlot &s = cache.at(i);
        if (s.口座種別 != book::kCheckingAccount)
            continue;
        combo->addItem(book::accountLine(s.kozano, s.銀行名, s.支店名, s.口座番号));
        picks << i;
    }
    combo->setCurrentIndex(-1);
    return picks;
}

} // namespace sorvane::payable
