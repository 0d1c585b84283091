// 新年度処理 and the books of closed years as a clerk uses them from the main
// window: the year to close shown with what it moves, the year-end month
// kept, the close asked about and reported; 開く（過去のデータ） lists the
// archives, opens one with its year in the title, every window reads it,
// every write and tool is refused with a message; 新規（現在のデータ） leads
// back to the working book.

#include "support/LifeBills.h"
#include "support/TestSupport.h"

#include "app/MainMenu.h"
#include "book/YearEnd.h"
#include "master/MasterTest.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace sorvane;
using namespace sorvane::test;

namespace {

// Today is 2026-12-07: with the year ending in March, 2025年度 can be closed.
void bookBills(AppFixture &f)
{
    Database &db = f.db();
    const qint64 paid = receive(db, u"R-paid"_qs, QDate(2025, 6, 2), QDate(2026, 1, 30), 120000);
    book::settleBill(db, stepOn(paid, QDate(2026, 2, 2), f.ctx->clock.today()));
    receive(db, u"R-keep"_qs, QDate(2025, 6, 2), QDate(2027, 1, 29), 110000);
}

void choose(MainMenu &menu, const QString &control)
{
    if (QPushButton *b = menu.button(control))
        QTest::mouseClick(b, Qt::LeftButton);
    else
        menu.item(control)->trigger();
}

qint64 bills(AppFixture &f)
{
    return f.db().scalar(u"select count(*) from D_手形"_qs).toLongLong();
}

} // namespace

class TestYearWindows : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void closeFromMainWindow_data();
    void closeFromMainWindow();
    void yearEndMonthIsKept();
    void archiveOpenedReadOnly();
};

void TestYearWindows::closeFromMainWindow_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("button") << u"新年度処理"_qs << true;
    QTest::newRow("menu") << u"M1新年度"_qs << true;
    QTest::newRow("cancelled") << u"新年度処理"_qs << false;
}

void TestYearWindows::closeFromMainWindow()
{
    QFETCH(QString, control);
    QFETCH(bool, confirmed);
    AppFixture f;
    bookBills(f);
    MainMenu menu(*f.ctx, f.ui);
    menu.activate();
    QVERIFY(menu.item(u"M1新年度"_qs)->isEnabled());
    QVERIFY(menu.button(u"新年度処理"_qs)->isEnabled());

    QStringList closedLines;
    f.ui.onModal(u"新年度処理"_qs, [&](QDialog *w) {
        QCOMPARE(child<QComboBox>(w, u"決算月"_qs)->currentText(), u"3月"_qs);
        QCOMPARE(child<QLabel>(w, u"締める年度"_qs)->text(), u"2025年度（2025/04/01〜2026/03/31）"_qs);
        QVERIFY2(child<QLabel>(w, u"手形の数"_qs)->text().startsWith(u"移す手形 1 件"_qs),
                 qPrintable(child<QLabel>(w, u"手形の数"_qs)->text()));
        f.ui.answer(confirmed);
        QTest::mouseClick(child<QPushButton>(w, u"実行ボタン"_qs), Qt::LeftButton);
        auto *list = child<QListWidget>(w, u"締めた年度"_qs);
        for (int i = 0; i < list->count(); ++i)
            closedLines << list->item(i)->text();
    });
    choose(menu, control);
    QCOMPARE(f.ui.shown.first().kind, Shown::Kind::Confirm);
    QVERIFY2(f.ui.shown.first().text.startsWith(u"2025年度（2025/04/01〜2026/03/31）を締めます。"_qs),
             qPrintable(f.ui.shown.first().text));
    const QString archive = f.folder.file(u"tegata-2025.mdb"_qs);
    if (!confirmed) {
        QCOMPARE(f.ui.shown.size(), 1);
        QVERIFY(!QFileInfo::exists(archive));
        QCOMPARE(bills(f), 2);
        return;
    }
    QCOMPARE(f.ui.shown.size(), 2);
    QVERIFY2(f.ui.shown.last().text.startsWith(u"2025年度（2025/04/01〜2026/03/31）を締めました。\n移した手形 1 件"_qs),
             qPrintable(f.ui.shown.last().text));
    QVERIFY(QFileInfo::exists(archive));
    QCOMPARE(bills(f), 1);
    QCOMPARE(closedLines.size(), 1);
    QVERIFY2(closedLines.first().startsWith(u"2025年度（2025/04/01〜2026/03/31）  tegata-2025.mdb  移した手形 1 件"_qs),
             qPrintable(closedLines.first()));
}

void TestYearWindows::yearEndMonthIsKept()
{
    AppFixture f;
    MainMenu menu(*f.ctx, f.ui);
    menu.activate();
    f.ui.onModal(u"新年度処理"_qs, [&](QDialog *w) {
        child<QComboBox>(w, u"決算月"_qs)->setCurrentIndex(11);
        QCOMPARE(child<QLabel>(w, u"締める年度"_qs)->text(), u"2025年度（2025/01/01〜2025/12/31）"_qs);
    });
    choose(menu, u"新年度処理"_qs);
    QCOMPARE(book::readYearEndMonth(f.db()), 12);
    QCOMPARE(f.ui.shown.size(), 0);
}

void TestYearWindows::archiveOpenedReadOnly()
{
    WindowFixture f;
    bookBills(f);
    book::closeYear(f.db(), f.folder.path(), f.ctx->clock.today());
    MainMenu menu(*f.ctx, f.ui);
    menu.activate();
    const QString plainTitle = menu.windowTitle();
    QVERIFY(!menu.item(u"M0新規"_qs)->isEnabled());

    QString listed;
    f.ui.onModal(u"過去のデータ"_qs, [&](QDialog *w) {
        listed = child<QListWidget>(w, u"List1"_qs)->item(0)->text();
        QTest::mouseClick(child<QPushButton>(w, u"開くボタン"_qs), Qt::LeftButton);
    });
    choose(menu, u"M1open"_qs);
    QVERIFY2(listed.startsWith(u"2025年度（2025/04/01〜2026/03/31）  tegata-2025.mdb  手形 2 件（うち写し 1 件）"_qs),
             qPrintable(listed));
    QVERIFY(f.ctx->isArchive());
    QVERIFY2(menu.windowTitle().contains(u"過去のデータ 2025年度"_qs), qPrintable(menu.windowTitle()));
    QVERIFY(menu.item(u"M0新規"_qs)->isEnabled());
    QCOMPARE(bills(f), 2);
    QCOMPARE(f.ui.shown.size(), 0);

    // Every window opens on the archive and reads it without a word.
    for (const char16_t *control :
         {u"受取入力ボタン", u"受取修正ボタン", u"支払入力ボタン", u"支払修正ボタン", u"割引手形指定",
          u"割引手形解除",   u"不渡手形指定",   u"不渡手形解除",   u"処理済手形",     u"期日接近",
          u"検索ボタン",     u"得意先登録",     u"仕入先登録",     u"保管場所登録",   u"取立日数設定",
          u"割引先登録",     u"M12割引手形",    u"M13不渡手形",    u"M2手形履歴",     u"M1帳票出力"}) {
        choose(menu, QString::fromUtf16(control));
        QVERIFY2(f.ui.shown.isEmpty(), qPrintable(QString::fromUtf16(control) + u": "_qs + f.ui.texts().join(u'|')));
    }
    // A write from a window is refused with the archive's own message.
    f.ui.onModal(u"取立日数設定"_qs, [&](QDialog *w) {
        child<QLineEdit>(w, u"取立日数"_qs)->setText(u"3"_qs);
        QTest::mouseClick(child<QPushButton>(w, u"登録ボタン"_qs), Qt::LeftButton);
    });
    choose(menu, u"取立日数設定"_qs);
    QCOMPARE(f.ui.shown.size(), 1);
    QVERIFY2(f.ui.shown.first().text.startsWith(u"2025年度の過去のデータは見るだけで、変更できません。"_qs),
             qPrintable(f.ui.shown.first().text));
    // The tools work on the working book only.
    for (const char16_t *tool : {u"新年度処理", u"バックアップ", u"リストア", u"M43最適化", u"M5初期化"}) {
        f.ui.clear();
        choose(menu, QString::fromUtf16(tool));
        QCOMPARE(f.ui.shown.size(), 1);
        QVERIFY2(f.ui.shown.first().text.startsWith(u"過去のデータを開いているあいだは使えません。"_qs),
                 qPrintable(f.ui.shown.first().text));
    }

    f.ui.clear();
    choose(menu, u"M0新規"_qs);
    QVERIFY(!f.ctx->isArchive());
    QCOMPARE(menu.windowTitle(), plainTitle);
    QVERIFY(!menu.item(u"M0新規"_qs)->isEnabled());
    QCOMPARE(bills(f), 1);
    QCOMPARE(f.ui.shown.size(), 0);
}

QTEST_MAIN(TestYearWindows)
#include "test_year_windows.moc"
