// How the engine layer copes with a full book: inserting 100,000 bills, and
// reading the receivable working list (the biggest read a window does) in
// due-date order. Prints the times and the peak memory.

#include "data/DataFolder.h"
#include "data/Engine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

using namespace sorvane;

static long peakKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int bills = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tegata.mdb"));
    datafolder::createMainDatabase(file);

    Workspace ws(QStringLiteral("Varnostel"), QStringLiteral("admin"), {});
    Database *db = ws.openDatabase(file);

    QElapsedTimer t;
    t.start();
    db->beginTransaction();
    for (int i = 0; i < bills; ++i) {
        const QDate issue = QDate(2020, 1, 1).addDays(i % 2500);
        db->execute(QStringLiteral("insert into D_手形(処理, 状態, 日付, 手形番号, 取引先コード, 取引先, 振出人, 振出日, "
                                   "手形期日, 手形期間, 金額, 支払県, 支払場所, 保管場所) "
                                   "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                    {i % 3 == 0 ? 1 : 0, 0, issue, QStringLiteral("A%1").arg(i, 6, 10, QLatin1Char('0')),
                     QStringLiteral("C%1").arg(i % 500), QStringLiteral("株式会社テスト%1").arg(i % 500),
                     QStringLiteral("振出人%1").arg(i % 700), issue, i % 97 == 0 ? QVariant() : QVariant(issue.addDays(90)),
                     90, 100000 + i, QStringLiteral("東京都"), QStringLiteral("みずほ銀行"),
                     QStringLiteral("金庫")});
    }
    db->commit();
    out << "insert " << bills << " bills: " << t.elapsed() << " ms\n";

    t.restart();
    Recordset rs = db->openRecordset(
        QStringLiteral("select id, 日付, 手形番号, 取引先, 振出人, 手形期日, 金額 from D_手形 "
                       "where 処理=0 and not 終了フラグ order by 手形期日, id"));
    out << "read receivable list (" << rs.rowCount() << " rows): " << t.elapsed() << " ms\n";

    t.restart();
    const int found = db->scalar(QStringLiteral("select count(*) from D_手形 where 手形番号 like ? escape '\\'"),
                                 {QStringLiteral("A0012%")})
                          .toInt();
    out << "number pattern search (" << found << " found): " << t.elapsed() << " ms\n";

    ws.releaseDatabase(db);
    out << "file size: " << QFileInfo(file).size() / 1024 << " KiB, peak memory: " << peakKb() / 1024 << " MiB\n";
    return 0;
}
