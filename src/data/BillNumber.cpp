#include "data/BillNumber.h"

namespace sorvane {

QString NextBillNumber(const QString &last)
{
    const QString number = last.trimmed();
    if (number.isEmpty())
        return {};

    qsizetype p = number.size();
    while (p > 0 && number.at(p - 1) >= u'0' && number.at(p - 1) <= u'9')
        --p;
    if (p == number.size())
        return QStringLiteral("1");

    // Add one on the digits themselves: no width limit, no overflow.
    QString tail = number.mid(p);
    qsizetype i = tail.size() - 1;
    while (i >= 0 && tail.at(i) == u'9') {
        tail[i] = u'0';
        --i;
    }
    if (i < 0)
        tail.prepend(u'1');
    else
        tail[i] = QChar(tail.at(i).unicode() + 1);
    return number.left(p) + tail;
}

} // namespace sorvane
