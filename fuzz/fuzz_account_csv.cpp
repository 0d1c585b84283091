// The CSV file of `sorvane-admin account import`: any bytes are refused
// with a message or imported whole, never half; what was imported is
// written out by the export and imported again into an empty book as the
// same accounts.

#include "FuzzSupport.h"

#include "book/Accounts.h"
#include "data/Engine.h"
#include "data/Schema.h"

#include <QCoreApplication>

#include <memory>

using namespace sorvane;

namespace {

Database *g_db = nullptr;
const QDate kToday(2026, 12, 7);

int accountRows()
{
    return g_db->scalar(QStringLiteral("select count(*) from 口座データ")).toInt();
}

QString describe(const QList<book::AccountRecord> &accounts)
{
    QStringList lines;
    for (const book::AccountRecord &a : accounts) {
        QStringList fields;
        for (auto it = a.values.cbegin(); it != a.values.cend(); ++it)
            fields << it.key() + u'=' + it.value().toString();
        lines << fields.join(u'|');
    }
    return lines.join(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    static auto db = std::make_unique<Database>(QStringLiteral(":memory:"), QString(), QString());
    schema::createMainSchema(*db);
    g_db = db.get();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray csv = fuzz::bytes(data, size);
    g_db->execute(QStringLiteral("delete from 口座データ"));

    int imported = -1;
    try {
        imported = book::importAccounts(*g_db, csv, kToday);
    } catch (const DbError &e) {
        FUZZ_CHECK(!e.description().isEmpty(), QStringLiteral("a refusal without a reason"));
        FUZZ_CHECK(accountRows() == 0,
                   QStringLiteral("refused, yet %1 accounts stored: %2").arg(accountRows()).arg(e.description()));
        FUZZ_CHECK(!g_db->inTransaction(), e.description());
        return 0;
    }
    FUZZ_CHECK(imported == accountRows(), QStringLiteral("%1 said, %2 stored").arg(imported).arg(accountRows()));

    const QList<book::AccountRecord> first = book::readAccounts(*g_db);
    const QByteArray exported = book::accountsCsv(first);
    g_db->execute(QStringLiteral("delete from 口座データ"));
    try {
        book::importAccounts(*g_db, exported, kToday);
    } catch (const DbError &e) {
        FUZZ_CHECK(false, QStringLiteral("the export of an import is refused: %1\n%2")
                              .arg(e.description(), QString::fromUtf8(exported)));
    }
    const QList<book::AccountRecord> second = book::readAccounts(*g_db);
    FUZZ_CHECK(second.size() == first.size(), QString::fromUtf8(exported));
    for (qsizetype i = 0; i < first.size(); ++i)
        FUZZ_CHECK(first.at(i).values == second.at(i).values,
                   describe({first.at(i)}) + QStringLiteral("\nbecame\n") + describe({second.at(i)}));
    return 0;
}
