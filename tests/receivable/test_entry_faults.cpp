// Registering a received bill with its endorsers while the database file
// cannot be written: it turns read-only, the disk fills up, or another
// program holds the file. The clerk gets a Japanese message that says what
// to do, the window keeps the bill for another try, the file opened afresh
// holds no part of it (no bill without its endorsers, no endorsers without
// their bill, no template moved on), and the try after the obstacle is gone
// stores the whole bill.
//
// Root writes through file permissions, so read-only and full are injected
// in SQLite's file layer (registered as its default; the Qt driver links the
// same libsqlite3), at several points of the journal and of the file.

#include "ReceivableTest.h"

#include "receivable/ReceivableEntry.h"
#include "support/FaultInjection.h"

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QString kReadOnly = u"tegata.mdb が読み取り専用のため、書き込めませんでした。"
                          "ファイルとそのフォルダーを書き込めるようにしてから、もう一度操作してください。"_qs;
const QString kFull = u"ディスクがいっぱいのため、tegata.mdb に書き込めませんでした。"
                      "ディスクに空きを作ってから、もう一度操作してください。"_qs;
const QString kBusy = u"tegata.mdb をほかのプログラムが使用中のため、処理できませんでした。"
                      "ほかのプログラムを終了してから、もう一度操作してください。"_qs;

// What the file holds of the bill, read by a connection of its own.
QString stored(const QString &folder)
{
    Workspace ws(u"check"_qs, {}, {});
    ScopedDatabase db(ws, QDir(folder).filePath(u"tegata.mdb"_qs));
    return rowsOf(*db, u"select 手形番号,金額 from D_手形"_qs).join(u',') + u" / "_qs +
           // An endorser shows the number of the bill it belongs to, or nothing.
           rowsOf(*db, u"select d.手形番号,e.表示順,e.裏書人,e.裏書人住所 from 裏書人 e "
                       "left join D_手形 d on d.id = e.手形id order by e.表示順"_qs)
               .join(u',') +
           u" / "_qs + rowsOf(*db, u"select 最終手形番号 from T1"_qs).join(u',');
}

} // namespace

class TestEntryFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        FaultInjection::install();
        QVERIFY(FaultInjection::throughLayer());
    }
    void cleanup()
    {
        FaultInjection::clear();
        QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u',')));
    }
    void registrationFails_data();
    void registrationFails();
};

void TestEntryFaults::registrationFails_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("file"); // where writes fail
    QTest::addColumn<int>("passing");  // writes that get through first
    QTest::addColumn<QString>("said");

    QTest::newRow("read-only: the journal cannot be begun")
        << u"read-only"_qs << u"tegata.mdb-journal"_qs << 0 << kReadOnly;
    QTest::newRow("read-only: half the journal written")
        << u"read-only"_qs << u"tegata.mdb-journal"_qs << 3 << kReadOnly;
    QTest::newRow("read-only: the bill's pages cannot be written")
        << u"read-only"_qs << u"tegata.mdb"_qs << 0 << kReadOnly;
    QTest::newRow("read-only after the first page of the file")
        << u"read-only"_qs << u"tegata.mdb"_qs << 1 << kReadOnly;
    QTest::newRow("disk full in the journal") << u"full"_qs << u"tegata.mdb-journal"_qs << 2 << kFull;
    QTest::newRow("disk full among the pages of the file") << u"full"_qs << u"tegata.mdb"_qs << 2 << kFull;
    QTest::newRow("another program is writing") << u"writer"_qs << QString() << 0 << kBusy;
    QTest::newRow("another program is reading") << u"reader"_qs << QString() << 0 << kBusy;
}

void TestEntryFaults::registrationFails()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, file);
    QFETCH(int, passing);
    QFETCH(QString, said);

    WindowFixture f;
    const qint64 customer = addCustomer(f.db(), u"A1"_qs, u"アルファ商事"_qs);
    addTemplate(f.db(), customer, u"山田"_qs, u"三井"_qs, u"本店"_qs, u"A0099"_qs, 90);
    const QString before = stored(f.folder.path());
    ReceivableEntryWindow window(*f.ctx, f.ui, f.kit);
    QVERIFY(showActive(&window));

    typeAndLeave(&window, u"Tcode"_qs, u"A1"_qs, u"振出地"_qs);
    type(&window, u"手形番号"_qs, u"A0100"_qs);
    type(&window, u"振出地"_qs, u"東京"_qs);
    type(&window, u"振出日"_qs, u"2026/12/07"_qs);
    type(&window, u"手形期日"_qs, u"2027/03/08"_qs);
    type(&window, u"金額"_qs, u"50,000"_qs);
    f.ui.onModal(u"手形裏書"_qs, [](QDialog *d) {
        type(d, u"氏名1"_qs, u"甲"_qs);
        type(d, u"住所1"_qs, u"大阪"_qs);
        type(d, u"氏名2"_qs, u"乙"_qs);
        press(d, u"閉じるボタン"_qs);
    });
    press(&window, u"裏書編集ボタン"_qs);

    Workspace other(u"other"_qs, {}, {});
    Database *otherDb = nullptr;
    if (obstacle == u"writer") {
        otherDb = other.openDatabase(f.folder.file(u"tegata.mdb"_qs));
        otherDb->beginTransaction();
    } else if (obstacle == u"reader") {
        // A read that holds the file: the bill's rows can be prepared, but
        // not written into the file while it reads.
        otherDb = other.openDatabase(f.folder.file(u"tegata.mdb"_qs));
        otherDb->execute(u"begin"_qs);
        otherDb->scalar(u"select count(*) from D_手形"_qs);
    } else {
        FaultInjection::failWrites(
            file, obstacle == u"full" ? FaultInjection::Failure::DiskFull : FaultInjection::Failure::ReadOnly, passing);
    }
    f.ui.clear();
    press(&window, u"登録ボタン"_qs);

    QCOMPARE(f.ui.texts().size(), 1);
    const QString message = f.ui.texts().first();
    QCOMPARE(message.section(u'\n', 0, 0), said);
    // SQLite's own words follow for whoever helps the clerk.
    QVERIFY2(!message.section(u'\n', 1).isEmpty(), qPrintable(message));
    QCOMPARE(textOf(&window, u"手形番号"_qs), u"A0100"_qs);
    QCOMPARE(textOf(&window, u"金額"_qs), u"50,000"_qs);

    // The obstacle goes; the file, opened afresh, holds nothing of the bill.
    FaultInjection::clear();
    if (otherDb)
        other.releaseDatabase(otherDb);
    QCOMPARE(stored(f.folder.path()), before);

    // The clerk tries again: the whole bill is stored.
    f.ui.clear();
    press(&window, u"登録ボタン"_qs);
    QCOMPARE(f.ui.texts(), QStringList());
    QCOMPARE(stored(f.folder.path()), u"A0100|50000 / A0100|1|甲|大阪,A0100|2|乙| / A0100"_qs);
}

QTEST_MAIN(TestEntryFaults)
#include "test_entry_faults.moc"
