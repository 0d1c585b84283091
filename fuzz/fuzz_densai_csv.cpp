// The CSV file of `sorvane-admin densai import`: any bytes are refused with
// a reason and nothing stored, or imported whole; what was imported is
// listed, and the list imported into an empty book lists the same again.
// The books live for the whole run (the sanitizers' leak check does not
// count what is still reachable at exit).

#include "FuzzSupport.h"

#include "book/Densai.h"
#include "data/Calendar.h"
#include "data/DataFolder.h"
#include "data/Engine.h"
#include "data/Schema.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>

using namespace sorvane;
namespace dn = sorvane::book::densai;

namespace {

const QDate kToday(2026, 12, 7);
std::unique_ptr<QTemporaryDir> g_folder;
std::unique_ptr<Workspace> g_workspace;
std::unique_ptr<BankCalendar> g_calendar;
Database *g_books[2] = {};

// A book with the parties the seeds name. The history's guard against
// deletion is dropped here alone, so that each input starts from an empty
// book without the cost of a new one.
Database *makeBook()
{
    auto *db = new Database(QStringLiteral(":memory:"), QString(), QString());
    schema::createMainSchema(*db);
    db->execute(QStringLiteral("drop trigger 手形履歴_削除禁止"));
    db->execute(QStringLiteral("insert into T0(tc,tn) values('C1','得意先商事'),('C2','二番,商店')"));
    db->execute(QStringLiteral("insert into S0(sc,sn) values('S1','仕入商会')"));
    db->execute(QStringLiteral("insert into 口座データ(kozano,口座種別,銀行名,支店名,口座番号) "
                               "values(1,'当座','北銀行','本店','1234567')"));
    return db;
}

void empty(Database &db)
{
    db.execute(QStringLiteral("delete from 手形履歴"));
    db.execute(QStringLiteral("delete from D_手形"));
}

int claimRows(Database &db)
{
    return db.scalar(QStringLiteral("select count(*) from D_手形")).toInt();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    g_folder = std::make_unique<QTemporaryDir>();
    // The due dates the seeds use, and a year either side.
    datafolder::prepareHolidayFiles(g_folder->path(), 2025, 2028, false, [](int, bool) {});
    g_workspace = std::make_unique<Workspace>(QStringLiteral("fuzz"), QString(), QString());
    g_calendar = std::make_unique<BankCalendar>(g_folder->path(), *g_workspace);
    g_books[0] = makeBook();
    g_books[1] = makeBook();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray csv = fuzz::bytes(data, size);
    Database &db = *g_books[0];
    empty(db);

    int imported = -1;
    try {
        imported = dn::importClaims(db, csv, kToday, *g_calendar);
    } catch (const DbError &e) {
        FUZZ_CHECK(!e.description().isEmpty(), QStringLiteral("a refusal without a reason"));
        FUZZ_CHECK(claimRows(db) == 0,
                   QStringLiteral("refused, yet %1 claims stored: %2").arg(claimRows(db)).arg(e.description()));
        FUZZ_CHECK(!db.inTransaction(), e.description());
        return 0;
    }
    FUZZ_CHECK(imported == claimRows(db), QStringLiteral("%1 said, %2 stored").arg(imported).arg(claimRows(db)));

    const QByteArray listed = dn::claimsCsv(db);
    Database &again = *g_books[1];
    empty(again);
    try {
        dn::importClaims(again, listed, kToday, *g_calendar);
    } catch (const DbError &e) {
        FUZZ_CHECK(
            false,
            QStringLiteral("the list of an import is refused: %1\n%2").arg(e.description(), QString::fromUtf8(listed)));
    }
    const QByteArray relisted = dn::claimsCsv(again);
    FUZZ_CHECK(relisted == listed,
               QString::fromUtf8(listed) + QStringLiteral("\nbecame\n") + QString::fromUtf8(relisted));
    return 0;
}
