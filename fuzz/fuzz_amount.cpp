// A typed amount: whatever the text, the reader gives a whole number of yen
// or nothing; what it gives is written back and read again unchanged, and a
// plain decimal is rounded exactly as decimal arithmetic says.

#include "FuzzSupport.h"

#include "data/Formats.h"

#include <QRegularExpression>

using namespace sorvane;

namespace {

constexpr qint64 kLargest = 999999999999999999; // 18 digits

QString fullWidth(const QString &s)
{
    QString out = s;
    for (QChar &c : out)
        if (c.unicode() >= 0x21 && c.unicode() <= 0x7E)
            c = QChar(char16_t(c.unicode() - 0x21 + 0xFF01));
    return out;
}

// Reference for "[+-]digits[.digits]": half to even on the decimal digits,
// in unsigned 64-bit arithmetic; nothing for more than 18 digits after rounding.
std::optional<qint64> reference(const QString &s, bool *plainDecimal)
{
    static const QRegularExpression plain(QStringLiteral("^([+-]?)([0-9]+)(?:\\.([0-9]+))?$"));
    const QRegularExpressionMatch m = plain.match(s);
    *plainDecimal = m.hasMatch();
    if (!m.hasMatch())
        return std::nullopt;
    QString whole = m.captured(2);
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    if (whole.size() > 19)
        return std::nullopt;
    quint64 v = 0; // 19 digits fit
    for (QChar c : whole)
        v = v * 10 + (c.unicode() - u'0');
    const QString frac = m.captured(3);
    if (!frac.isEmpty()) {
        // Compare the fraction with one half: 5 followed by zeros is exactly half.
        const bool aboveFive = frac.at(0) > u'5';
        const bool isFive = frac.at(0) == u'5';
        bool restZero = true;
        for (int i = 1; i < frac.size(); ++i)
            restZero = restZero && frac.at(i) == u'0';
        if (aboveFive || (isFive && !restZero) || (isFive && restZero && v % 2 == 1))
            ++v;
    }
    if (v > kLargest)
        return std::nullopt;
    return m.captured(1) == u"-" ? -qint64(v) : qint64(v);
}

QString shown(const std::optional<qint64> &v)
{
    return v ? QString::number(*v) : QStringLiteral("nothing");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString typed = fuzz::text(data, size);
    const std::optional<qint64> v = fmt::parseAmount(typed);

    bool plainDecimal = false;
    const std::optional<qint64> ref = reference(typed, &plainDecimal);
    if (plainDecimal)
        FUZZ_CHECK(v == ref, typed + QStringLiteral(": read ") + shown(v) + QStringLiteral(", exact ") + shown(ref));

    if (!v)
        return 0;
    FUZZ_CHECK(*v >= -kLargest && *v <= kLargest, typed + QStringLiteral(" → ") + shown(v));
    // What the field shows after reading must read back as the same amount.
    const QString formatted = fmt::amount(*v);
    FUZZ_CHECK(fmt::parseAmount(formatted) == v, typed + QStringLiteral(" → ") + formatted);
    FUZZ_CHECK(fmt::parseAmount(fullWidth(formatted)) == v, fullWidth(formatted));
    FUZZ_CHECK(fmt::parseAmount(QString::number(*v)) == v, QString::number(*v));
    return 0;
}
