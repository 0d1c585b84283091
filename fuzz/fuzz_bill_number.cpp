// The next bill number after a last one: never a crash, never the same
// number again, the text before the counting digits kept, and the counter
// one more than before.

#include "FuzzSupport.h"

#include "data/BillNumber.h"
#include "data/Formats.h"

using namespace sorvane;

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

qsizetype tailStart(const QString &s)
{
    qsizetype p = s.size();
    while (p > 0 && isDigit(s.at(p - 1)))
        --p;
    return p;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString last = fuzz::text(data, size);
    const QString next = NextBillNumber(last);
    // Full-width text counts on as its half-width reading does.
    const QString trimmed = fmt::normalizeCode(last);
    const QString detail = last + QStringLiteral(" → ") + next;

    if (trimmed.isEmpty()) {
        FUZZ_CHECK(next.isEmpty(), detail);
        return 0;
    }
    FUZZ_CHECK(next != trimmed, detail);
    const qsizetype p = tailStart(trimmed);
    if (p == trimmed.size()) {
        FUZZ_CHECK(next == u"1", detail);
        return 0;
    }
    const QString tail = trimmed.mid(p);
    FUZZ_CHECK(next.startsWith(trimmed.left(p)), detail);
    const QString nextTail = next.mid(p);
    FUZZ_CHECK(!nextTail.isEmpty() && tailStart(nextTail) == 0, detail);
    // Same width, or one digit wider when every digit was a 9.
    const bool allNines = tail.count(u'9') == tail.size();
    FUZZ_CHECK(nextTail.size() == tail.size() + (allNines ? 1 : 0), detail);
    if (tail.size() <= 17) {
        FUZZ_CHECK(nextTail.toLongLong() == tail.toLongLong() + 1, detail);
    } else if (!allNines) {
        // Too long for a number: the last digit below 9 goes up by one, the
        // nines after it become zeros, the digits before it stay.
        qsizetype k = tail.size() - 1;
        while (tail.at(k) == u'9')
            --k;
        FUZZ_CHECK(nextTail.left(k) == tail.left(k), detail);
        FUZZ_CHECK(nextTail.at(k).unicode() == tail.at(k).unicode() + 1, detail);
        FUZZ_CHECK(nextTail.mid(k + 1) == QString(tail.size() - k - 1, u'0'), detail);
    }
    // A following number keeps counting up.
    FUZZ_CHECK(NextBillNumber(next) != next, detail);
    return 0;
}
