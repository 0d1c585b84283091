// One clerk as a separate process, for the tests of several clerks on one
// server book:
//   sorvane-test-clerk register URL FIRST STEP COUNT
//     registers COUNT receivable bills N<FIRST>, N<FIRST+STEP>, … of customer
//     C1, each with two endorsers "<number>-1" and "<number>-2";
//   sorvane-test-clerk correct URL ROUNDS LOG
//     as two clerks A and B on two connections: both read a bill, B saves,
//     A's save of the older reading must be refused; A reads again and saves.
//     Every third round both hand the same bill on; only one may succeed.
//     Each outcome is written to LOG.
//   sorvane-test-clerk issue URL|FILE ACCOUNT NUMBER
//     issues one bill NUMBER on the account with row id ACCOUNT, on a server
//     book or a book file, and prints "issued" or "refused <proposal>".
// Exits 0 when every step went as the rules say, 1 otherwise.

#include "book/Conflicts.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "data/Engine.h"
#include "data/ServerAddress.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <QThread>

#include <cstdio>

using namespace sorvane;

namespace {

int fail(const QString &why)
{
    std::fprintf(stderr, "%s\n", qPrintable(why));
    return 1;
}

int registerBills(Database &db, qint64 first, qint64 step, int count)
{
    for (int i = 0; i < count; ++i) {
        book::ReceivableBill b;
        b.日付 = QDate(2026, 12, 7);
        b.手形番号 = QStringLiteral("N%1").arg(first + i * step, 6, 10, QLatin1Char('0'));
        b.取引先コード = QStringLiteral("C1");
        b.取引先 = QStringLiteral("得意先");
        b.振出人 = QStringLiteral("振出商事");
        b.支払場所 = QStringLiteral("南北銀行");
        b.支払場所支店 = QStringLiteral("本店");
        b.手形期日 = QDate(2027, 3, 31).addDays(i % 90);
        b.金額 = 1000 + i;
        b.保管場所 = QStringLiteral("金庫");
        const book::EndorserSlots endorsers{{b.手形番号 + QStringLiteral("-1"), QStringLiteral("東京")},
                                            {b.手形番号 + QStringLiteral("-2"), QStringLiteral("大阪")}};
        book::registerReceivableBill(db, b, endorsers);
    }
    return 0;
}

// A bill in hand that neither clerk touched yet, picked from the newest.
std::optional<qint64> pickBill(Database &db, int round)
{
    const QVariant id = db.scalar(QStringLiteral("select id from D_手形 where 処理=0 and 予約フラグ=0 "
                                                 "and 保管場所='金庫' order by id desc limit 1 offset ?"),
                                  {round % 7});
    if (id.isNull())
        return std::nullopt;
    return id.toLongLong();
}

int correctBills(Database &a, Database &b, int rounds, QTextStream &log)
{
    for (int round = 0; round < rounds; ++round) {
        const std::optional<qint64> id = pickBill(a, round);
        if (!id) {
            QThread::msleep(20);
            --round; // the registrars have not begun yet
            continue;
        }
        std::optional<book::ReceivableBill> readByA = book::receivableBill(a, *id);
        const std::optional<book::ReceivableBill> readByB = book::receivableBill(b, *id);
        if (!readByA || !readByB)
            return fail(QStringLiteral("bill %1 vanished").arg(*id));
        book::ReceivableBill savedByB = *readByB;
        savedByB.保管場所 = QStringLiteral("B%1").arg(round);
        book::saveReceivableBill(b, savedByB, std::nullopt);
        log << "saved " << *id << " B" << round << '\n';

        book::ReceivableBill staleByA = *readByA;
        staleByA.保管場所 = QStringLiteral("X%1").arg(round);
        try {
            book::saveReceivableBill(a, staleByA, std::nullopt);
            return fail(QStringLiteral("stale save of %1 was written").arg(*id));
        } catch (const book::ConflictError &) {
            log << "conflict " << *id << '\n';
        }
        readByA = book::receivableBill(a, *id);
        readByA->保管場所 = QStringLiteral("A%1").arg(round);
        book::saveReceivableBill(a, *readByA, std::nullopt);
        log << "saved " << *id << " A" << round << '\n';

        if (round % 3 == 0) {
            const bool byA =
                book::handOnBill(a, *id, QDate(2026, 12, 8), QStringLiteral("SA"), QStringLiteral("仕入A"));
            const bool byB =
                book::handOnBill(b, *id, QDate(2026, 12, 8), QStringLiteral("SB"), QStringLiteral("仕入B"));
            if (!byA || byB)
                return fail(QStringLiteral("hand-on of %1: A %2, B %3").arg(*id).arg(byA).arg(byB));
            log << "handon " << *id << '\n' << "refused " << *id << '\n';
        }
        log.flush();
    }
    return 0;
}

int issueOne(Database &db, qint64 account, const QString &number)
{
    book::Issue i;
    i.accountId = account;
    i.日付 = QDate(2026, 12, 7);
    i.手形番号 = number;
    i.取引先コード = QStringLiteral("S%1").arg(QCoreApplication::applicationPid());
    i.取引先 = i.取引先コード;
    i.振出日 = QDate(2026, 12, 7);
    i.手形期日 = QDate(2027, 3, 8);
    i.金額 = 1000;
    try {
        book::issueBill(db, i);
        std::printf("issued\n");
    } catch (const book::DuplicateNumberError &e) {
        std::printf("refused %s\n", qPrintable(e.proposal()));
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return fail(QStringLiteral("usage: register URL FIRST STEP COUNT | correct URL ROUNDS LOG"));
    QString why;
    if (args.at(1) == u"issue" && args.size() == 5) {
        try {
            if (!args.at(2).contains(u"://")) {
                Database file(args.at(2), {}, {});
                return issueOne(file, args.at(3).toLongLong(), args.at(4));
            }
            const std::optional<ServerAddress> address = ServerAddress::parse(args.at(2), &why);
            if (!address)
                return fail(why);
            Database server(*address);
            return issueOne(server, args.at(3).toLongLong(), args.at(4));
        } catch (const DbError &e) {
            return fail(e.description());
        }
    }
    const std::optional<ServerAddress> address = ServerAddress::parse(args.at(2), &why);
    if (!address)
        return fail(why);
    try {
        Database db(*address);
        if (args.at(1) == u"register" && args.size() == 6)
            return registerBills(db, args.at(3).toLongLong(), args.at(4).toLongLong(), args.at(5).toInt());
        if (args.at(1) == u"correct" && args.size() == 5) {
            Database other(*address);
            QFile file(args.at(4));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return fail(file.errorString());
            QTextStream log(&file);
            return correctBills(db, other, args.at(3).toInt(), log);
        }
        return fail(QStringLiteral("unknown command"));
    } catch (const DbError &e) {
        return fail(e.description());
    }
}
