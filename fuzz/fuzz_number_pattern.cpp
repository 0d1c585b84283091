// The bill search's number pattern: `*` any run, `?` any one character,
// every other character itself (letters without regard to case, as the
// book compares text). The real search runs on a database holding one bill
// with the number; whether it finds the bill must equal the reference
// matcher written here.
//
// Input: the first byte is the length of the pattern, the pattern, then the
// bill number.

#include "FuzzSupport.h"

#include "book/Search.h"
#include "data/Engine.h"
#include "data/Schema.h"

#include <QCoreApplication>

#include <memory>
#include <vector>

using namespace sorvane;

namespace {

Database *g_db = nullptr;

char32_t fold(char32_t c)
{
    return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
}

// Classic wildcard matching over characters (code points), O(n·m).
bool referenceMatch(const QList<uint> &pattern, const QList<uint> &text)
{
    const qsizetype n = pattern.size(), m = text.size();
    std::vector<char> row(size_t(m) + 1, 0), next(size_t(m) + 1, 0);
    row[0] = 1;
    for (qsizetype j = 1; j <= m; ++j)
        row[size_t(j)] = 0;
    for (qsizetype i = 1; i <= n; ++i) {
        const char32_t p = pattern.at(i - 1);
        next[0] = p == U'*' ? row[0] : 0;
        for (qsizetype j = 1; j <= m; ++j) {
            if (p == U'*')
                next[size_t(j)] = row[size_t(j)] || next[size_t(j - 1)];
            else if (p == U'?')
                next[size_t(j)] = row[size_t(j - 1)];
            else
                next[size_t(j)] = row[size_t(j - 1)] && fold(p) == fold(text.at(j - 1));
        }
        row.swap(next);
    }
    return row[size_t(m)] != 0;
}

bool expectedFound(const QString &typed, const QString &number)
{
    const QString pattern = typed.trimmed();
    if (pattern.isEmpty())
        return true; // no number given: the number takes no part
    // Without a wildcard the matcher is plain equality, as the exact search is.
    return referenceMatch(pattern.toUcs4(), number.toUcs4());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    static auto db = std::make_unique<Database>(QStringLiteral(":memory:"), QString(), QString());
    schema::createMainSchema(*db);
    db->execute(QStringLiteral("insert into D_手形(処理,手形番号) values(0,'')"));
    g_db = db.get();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t split = std::min<size_t>(data[0], size - 1);
    const QString typed = fuzz::text(data + 1, split);
    const QString number = fuzz::text(data + 1 + split, size - 1 - split);
    // A field never holds U+0000 (nothing types it), and SQLite's LIKE ends a text there.
    if (typed.contains(QChar(0)) || number.contains(QChar(0)))
        return 0;

    g_db->execute(QStringLiteral("update D_手形 set 手形番号=?"), {number});
    book::SearchCriteria c;
    c.number = typed;
    c.side = book::DueSide::Both;
    int found = -1;
    try {
        found = book::searchBills(*g_db, c, QDate(2026, 12, 7));
    } catch (const DbError &e) {
        FUZZ_CHECK(false, typed + QStringLiteral(" | ") + number + QStringLiteral(": ") + e.description());
    }
    const bool expected = expectedFound(typed, number);
    FUZZ_CHECK(found == (expected ? 1 : 0), QStringLiteral("pattern [%1] number [%2]: found %3, expected %4")
                                                .arg(typed, number)
                                                .arg(found)
                                                .arg(expected ? 1 : 0));
    return 0;
}
