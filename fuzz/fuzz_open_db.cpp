// Opening a damaged main database: the bytes become tegata.mdb of a data
// folder and the start-up routines run on it. They must end, either with the
// data open or with a message whose first line a clerk can read; an open
// file then serves a list and a registration, or refuses them with a
// message. Never a crash, never a hang.
//
// Besides libFuzzer's own changes, the mutator truncates the file and
// overwrites whole pages, the damage a full disk or a broken copy leaves.

#include "FuzzSupport.h"

#include "book/AppContext.h"
#include "book/Receivables.h"
#include "data/Files.h"
#include "data/MessageService.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <random>

using namespace sorvane;

namespace {

class Recorder : public MessageService {
public:
    void information(const QString &text, const QString & = {}) override { texts << text; }
    bool confirm(const QString &text, const QString & = {}, Default = Default::Ok) override
    {
        texts << text;
        return true;
    }
    QStringList texts;
};

QTemporaryDir *g_dir = nullptr;

bool readable(const QString &message)
{
    // A Japanese sentence first; the engine's English may follow below it.
    const QString first = message.section(u'\n', 0, 0);
    for (QChar c : first)
        if (c.unicode() >= 0x3000)
            return true;
    return false;
}

void checkMessages(const Recorder &ui)
{
    for (const QString &t : ui.texts)
        FUZZ_CHECK(readable(t), t);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    g_dir = &dir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString main = files::path(g_dir->path(), files::kMainDb);
    QFile::remove(main + QStringLiteral("-journal"));
    {
        QFile f(main);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    Recorder ui;
    AppContext ctx(ui, g_dir->path());
    ctx.clock.setToday(QDate(2026, 12, 7));
    FUZZ_CHECK(ctx.CheckDataFiles(), ui.texts.join(u'|'));
    if (!ctx.OpenDataDatabase()) {
        FUZZ_CHECK(!ui.texts.isEmpty(), QStringLiteral("refused without a message"));
        FUZZ_CHECK(!ctx.DataDb, QStringLiteral("refused, yet left open"));
        checkMessages(ui);
        return 0;
    }
    if (!ctx.LoadSettings())
        FUZZ_CHECK(!ui.texts.isEmpty(), QStringLiteral("settings refused without a message"));

    // What the first windows do: a list, then a bill with its endorsers.
    try {
        (void)book::receivableList(ctx.db());
        book::ReceivableBill bill;
        bill.日付 = QDate(2026, 12, 7);
        bill.手形番号 = QStringLiteral("F-1");
        bill.金額 = 1000;
        const qint64 id =
            book::registerReceivableBill(ctx.db(), bill, book::EndorserSlots{{QStringLiteral("甲"), QString()}});
        FUZZ_CHECK(book::receivableBill(ctx.db(), id).has_value(), QStringLiteral("registered bill is gone"));
    } catch (const DbError &e) {
        ui.information(e.description());
    }
    checkMessages(ui);
    ctx.CloseDataDatabase();
    return 0;
}

#ifdef SORVANE_LIBFUZZER
extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t maxSize, unsigned int seed)
{
    std::minstd_rand rng(seed);
    const size_t page = 4096;
    switch (rng() % 4) {
    case 0: // cut off, at a page boundary or anywhere
        if (size > 0) {
            const size_t cut = rng() % size;
            return rng() % 2 ? cut - cut % page : cut;
        }
        break;
    case 1: // one page overwritten with random bytes
        if (size >= page) {
            const size_t start = (rng() % (size / page)) * page;
            for (size_t i = start; i < start + page && i < size; ++i)
                data[i] = uint8_t(rng());
            return size;
        }
        break;
    case 2: // a few bytes of a page header or the file header changed
        if (size > 0) {
            const size_t start = size >= page ? (rng() % (size / page)) * page : 0;
            for (int i = 0; i < 4; ++i)
                data[std::min(size - 1, start + rng() % 112)] = uint8_t(rng());
            return size;
        }
        break;
    default:
        break;
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}
#endif
