#include "data/BillNumber.h"

#include "data/Formats.h"

#include <utility>

namespace sorvane {

QString NextBillNumber(const QString &last)
{
    // A number typed in full-width ("Ａ０９９") counts on as "A099" does.
    const QString number = fmt::normalizeCode(last);
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

namespace {

// The text before the final run of digits, and the digits without leading zeros.
std::pair<QString, QString> splitNumber(const QString &number, bool &hasDigits)
{
    qsizetype p = number.size();
    while (p > 0 && number.at(p - 1) >= u'0' && number.at(p - 1) <= u'9')
        --p;
    hasDigits = p < number.size();
    QString digits = number.mid(p);
    qsizetype zeros = 0;
    while (zeros < digits.size() - 1 && digits.at(zeros) == u'0')
        ++zeros;
    return {number.left(p), digits.mid(zeros)};
}

} // namespace

bool BillNumberAfter(const QString &number, const QString &last)
{
    const QString n = fmt::normalizeCode(number);
    const QString l = fmt::normalizeCode(last);
    if (n.isEmpty())
        return false;
    if (l.isEmpty())
        return true;
    bool nDigits = false, lDigits = false;
    const auto [nPrefix, nValue] = splitNumber(n, nDigits);
    const auto [lPrefix, lValue] = splitNumber(l, lDigits);
    if (!nDigits || !lDigits || nPrefix.compare(lPrefix, Qt::CaseInsensitive) != 0)
        return n.compare(l, Qt::CaseInsensitive) != 0;
    // Compared as numbers of any length: more digits is larger.
    if (nValue.size() != lValue.size())
        return nValue.size() > lValue.size();
    return nValue > lValue;
}

} // namespace sorvane
