// A clerk's run through the bill windows, as a new user types it. Each row
// opens one window on the same small book, plays the row's keys and clicks,
// and checks the messages shown, where the focus ended, what the fields
// show, and what the book holds afterwards.
//
// Steps of a row:
//   "F=T"       type T into field F without leaving it
//   "F:=T"      type T into field F and leave it with Tab
//   "click B"   a mouse click on the middle of B; "click-edge B" near its right edge
//   "menu M"    the menu item M
//   "enter N"   Enter pressed N times wherever the focus is
//   "line L R"  a click on line R of the list L
//   "pick C R"  line R of the combo box C picked with the keyboard
//   "yes", "no" the answer to the next question; "ok-default": Enter on every question is OK

#include "payable/PayableTest.h"
#include "receivable/ReceivableTest.h"

#include "payable/PayableEntry.h"
#include "payable/PayableList.h"
#include "receivable/ReceivableEntry.h"
#include "receivable/ReceivableList.h"
#include "search/BillSearch.h"

#include <QAction>
#include <QCheckBox>
#include <QSet>

#include <memory>

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QString kNegative = u"金額にマイナスは使えません\n0円以上の金額を入力してください"_qs;
const QString kTooLarge = u"金額が大きすぎます\n2,147,483,647円までの金額を入力してください"_qs;
const QString kNothingToBook =
    u"手形番号と得意先コードが入っていません\n登録する手形の得意先コードと手形番号を入力してください"_qs;

// Today is 2026-12-07. R0 is past due, R1 not yet; both are in hand. P1 is
// issued to S1 on account 1; H2 was handed on to S2.
void seed(Database &db)
{
    const qint64 alpha = addCustomer(db, u"A1"_qs, u"アルファ商事"_qs);
    addTemplate(db, alpha, u"山田"_qs, u"三井"_qs, u"本店"_qs, u"A0099"_qs, 90);
    addCustomer(db, u"B2"_qs, u"ベータ"_qs); // no templates
    const qint64 gamma = addCustomer(db, u"C3"_qs, u"ガンマ"_qs);
    addTemplate(db, gamma, u"佐藤"_qs, u"住友"_qs, u"本店"_qs, u"Ａ０９９"_qs, 60);
    addSupplier(db, u"S1"_qs, u"仕入一"_qs);
    addSupplier(db, u"S2"_qs, u"仕入二"_qs);
    const qint64 account = addAccount(db, {.kozano = 1, .last = u"100"_qs});
    addReceived(db, {.number = u"R0"_qs, .issue = QDate(2026, 9, 1), .due = QDate(2026, 11, 30)});
    addReceived(db, {.number = u"R1"_qs, .issue = QDate(2026, 12, 1), .due = QDate(2027, 3, 31)});
    const qint64 p1 = addReceived(
        db, {.number = u"P1"_qs, .issue = QDate(2026, 12, 1), .due = QDate(2027, 1, 29), .amount = 3000, .kind = 1});
    db.execute(u"update D_手形 set 取引先コード='S1',取引先='仕入一',振出人='',予約口座id=?,kozano=1 where id=?"_qs,
               {account, p1});
    const qint64 h2 = addReceived(db, {.number = u"H2"_qs,
                                       .issue = QDate(2026, 11, 1),
                                       .due = QDate(2027, 2, 26),
                                       .amount = 7000,
                                       .state = -2,
                                       .reserved = true,
                                       .kind = 2});
    db.execute(u"update D_手形 set 譲渡先コード='S2',譲渡先='仕入二',保管場所='' where id=?"_qs, {h2});
}

// What the book holds: each bill, and the last numbers of templates and accounts.
QStringList snapshot(Database &db)
{
    return rowsOf(db, u"select 手形番号,処理,取引先コード,取引先,coalesce(譲渡先コード,''),coalesce(譲渡先,''),"
                      "coalesce(振出日,''),coalesce(手形期日,''),金額 from D_手形 order by id"_qs) +
           rowsOf(db, u"select 'T1:' || 最終手形番号 from T1 order by id"_qs) +
           rowsOf(db, u"select '口座:' || 最終手形番号 from 口座データ order by id"_qs);
}

std::unique_ptr<QDialog> openWindow(WindowFixture &f, const QString &name)
{
    if (name == u"受取手形入力")
        return std::make_unique<ReceivableEntryWindow>(*f.ctx, f.ui, f.kit);
    if (name == u"受取手形一覧")
        return std::make_unique<ReceivableListWindow>(*f.ctx, f.ui, f.kit);
    if (name == u"支払手形入力")
        return std::make_unique<PayableEntryWindow>(*f.ctx, f.ui, f.kit);
    if (name == u"支払手形一覧")
        return std::make_unique<PayableListWindow>(*f.ctx, f.ui, f.kit);
    if (name == u"手形検索")
        return std::make_unique<BillSearchWindow>(*f.ctx, f.ui, f.kit);
    qWarning("no window %s", qPrintable(name));
    return {};
}

// The control the focus is in, by name: the field of a combo box's own line edit.
QString focusName()
{
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_"))
            return w->objectName();
    return {};
}

// "name" gives the field's text (a check box "0" or "1"); "name#" the
// number of lines of a combo box's list.
QString shownIn(QWidget *window, const QString &name)
{
    if (name.endsWith(u'#'))
        return QString::number(child<QComboBox>(window, name.chopped(1))->count());
    if (auto *box = window->findChild<QAbstractButton *>(name))
        return box->isChecked() ? u"1"_qs : u"0"_qs;
    return textOf(window, name);
}

void play(WindowFixture &f, QWidget *w, const QString &step)
{
    const QStringList words = step.split(u' ');
    const QString verb = words.first();
    if (verb == u"click" || verb == u"click-edge") {
        QWidget *target = field(w, words.at(1));
        const QPoint at =
            verb == u"click" ? target->rect().center() : QPoint(target->width() - 3, target->height() / 2);
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
    } else if (verb == u"menu") {
        w->findChild<QAction *>(words.at(1))->trigger();
    } else if (verb == u"enter") {
        for (int i = 0; i < words.at(1).toInt(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QApplication::processEvents();
        }
    } else if (verb == u"line") {
        clickRow(child<ui::LineList>(w, words.at(1)), words.at(2).toInt());
    } else if (verb == u"pick") {
        pickLine(child<QComboBox>(w, words.at(1)), words.at(2).toInt());
    } else if (verb == u"yes" || verb == u"no") {
        f.ui.answer(verb == u"yes");
    } else if (verb == u"ok-default") {
        f.ui.defaultAnswer = true;
    } else if (step.contains(u":=")) {
        QWidget *target = field(w, step.section(u":="_qs, 0, 0));
        target->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        type(w, target->objectName(), step.section(u":="_qs, 1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    } else {
        type(w, step.section(u'=', 0, 0), step.section(u'=', 1));
    }
    QApplication::processEvents();
}

} // namespace

class TestClerkRun : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void findings_data();
    void findings();
    void supplierCodeSavedThroughTheMenu_data();
    void supplierCodeSavedThroughTheMenu();
    void partsWhereTheySpeak_data();
    void partsWhereTheySpeak();

private:
    void columns();
    void run();
};

void TestClerkRun::columns()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("focus");        // empty: not checked
    QTest::addColumn<QStringList>("fields");   // "name=text" as shown afterwards
    QTest::addColumn<QStringList>("added");    // rows of the book's snapshot that are new or changed
    QTest::addColumn<QStringList>("replaced"); // rows of the snapshot before that are gone
}

void TestClerkRun::run()
{
    QFETCH(QString, window);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, messages);
    QFETCH(QString, focus);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, added);
    QFETCH(QStringList, replaced);

    WindowFixture f;
    seed(f.db());
    const QStringList before = snapshot(f.db());
    std::unique_ptr<QDialog> w = openWindow(f, window);
    QVERIFY(w && showActive(w.get()));
    for (const QString &step : steps)
        play(f, w.get(), step);

    QCOMPARE(f.ui.texts(), messages);
    if (!focus.isEmpty())
        QCOMPARE(focusName(), focus);
    for (const QString &shown : fields)
        QCOMPARE(shown.section(u'=', 0, 0) + u'=' + shownIn(w.get(), shown.section(u'=', 0, 0)), shown);
    const QStringList after = snapshot(f.db());
    QStringList newRows = QStringList(
        QSet<QString>(after.cbegin(), after.cend()).subtract(QSet<QString>(before.cbegin(), before.cend())).values());
    QStringList goneRows = QStringList(
        QSet<QString>(before.cbegin(), before.cend()).subtract(QSet<QString>(after.cbegin(), after.cend())).values());
    newRows.sort();
    goneRows.sort();
    added.sort();
    replaced.sort();
    QCOMPARE(newRows, added);
    QCOMPARE(goneRows, replaced);
    QCOMPARE(after.size(), before.size() + added.size() - replaced.size());
}

void TestClerkRun::findings_data()
{
    columns();
    const QString entry = u"受取手形入力"_qs;
    const QString list = u"受取手形一覧"_qs;
    const QString payEntry = u"支払手形入力"_qs;
    const QString payList = u"支払手形一覧"_qs;
    // A received bill of customer A1 as its template proposes it (number A0100).
    const QStringList alphaBill{u"Tcode:=A1"_qs, u"振出地=東京"_qs, u"手形期日=2027/03/08"_qs, u"金額=50,000"_qs};
    const QString dateMessage = u"%1「%2」は日付ではありません\n年/月/日の形で入力してください（例 2026/12/7）"_qs;
    const QString bookingMessage = u"日付「%1」が正しくありません\n月/日の形で入力してください（例 12/7）"_qs;
    const QString dueBeforeIssue = u"手形期日（%1）が振出日（%2）より前になっています\n日付を確かめてください"_qs;

    QTest::newRow("受取手形入力: Enter, Enter, Enter after a registration stores nothing more")
        << entry << alphaBill + QStringList{u"ok-default"_qs, u"click 登録ボタン"_qs, u"enter 19"_qs}
        << QStringList{kNothingToBook} << u"Tcode"_qs << QStringList{u"手形番号="_qs}
        << QStringList{u"A0100|0|A1|アルファ商事|||2026-12-07|2027-03-08|50000"_qs, u"T1:A0100"_qs}
        << QStringList{u"T1:A0099"_qs};
    QTest::newRow("受取手形入力: after a registration the focus is in the first field")
        << entry << alphaBill + QStringList{u"click 登録ボタン"_qs} << QStringList() << u"日付"_qs << QStringList()
        << QStringList{u"A0100|0|A1|アルファ商事|||2026-12-07|2027-03-08|50000"_qs, u"T1:A0100"_qs}
        << QStringList{u"T1:A0099"_qs};
    QTest::newRow("受取手形入力: neither number nor customer")
        << entry << QStringList{u"ok-default"_qs, u"click 登録ボタン"_qs} << QStringList{kNothingToBook} << u"Tcode"_qs
        << QStringList() << QStringList() << QStringList();
    QTest::newRow("受取手形入力: the Enter chain goes on past 編集 without a number")
        << entry << QStringList{u"enter 16"_qs} << QStringList() << u"保管場所"_qs << QStringList() << QStringList()
        << QStringList();
    QTest::newRow("受取手形入力: negative amount")
        << entry << alphaBill + QStringList{u"金額=-5000"_qs, u"click 登録ボタン"_qs} << QStringList{kNegative}
        << u"金額"_qs << QStringList() << QStringList() << QStringList();
    QTest::newRow("受取手形入力: twenty digits are too large")
        << entry << alphaBill + QStringList{u"金額=12345678901234567890"_qs, u"menu MH1"_qs} << QStringList{kTooLarge}
        << u"金額"_qs << QStringList() << QStringList() << QStringList();
    QTest::newRow("受取手形入力: due before issue")
        << entry << alphaBill + QStringList{u"振出日=2027/02/01"_qs, u"手形期日=2027/01/05"_qs, u"click 登録ボタン"_qs}
        << QStringList{dueBeforeIssue.arg(u"2027/01/05"_qs, u"2027/02/01"_qs)} << u"手形期日"_qs << QStringList()
        << QStringList() << QStringList();
    QTest::newRow("受取手形入力: due date 2027/2/30")
        << entry << alphaBill + QStringList{u"ok-default"_qs, u"手形期日=2027/2/30"_qs, u"click 登録ボタン"_qs}
        << QStringList{dateMessage.arg(u"手形期日"_qs, u"2027/2/30"_qs)} << u"手形期日"_qs
        << QStringList{u"手形期日=2027/2/30"_qs} << QStringList() << QStringList();
    QTest::newRow("受取手形入力: 日付 2/29 of a common year")
        << entry << alphaBill + QStringList{u"日付=2/29"_qs, u"click 登録ボタン"_qs}
        << QStringList{bookingMessage.arg(u"2/29"_qs)} << u"日付"_qs << QStringList() << QStringList() << QStringList();
    QTest::newRow("受取手形入力: 日付 13/1")
        << entry << alphaBill + QStringList{u"日付=13/1"_qs, u"click 登録ボタン"_qs}
        << QStringList{bookingMessage.arg(u"13/1"_qs)} << u"日付"_qs << QStringList() << QStringList() << QStringList();
    QTest::newRow("受取手形入力: a full-width number is stored half-width")
        << entry << alphaBill + QStringList{u"手形番号=Ａ０１０５"_qs, u"click 登録ボタン"_qs} << QStringList()
        << QString() << QStringList()
        << QStringList{u"A0105|0|A1|アルファ商事|||2026-12-07|2027-03-08|50000"_qs, u"T1:A0105"_qs}
        << QStringList{u"T1:A0099"_qs};
    QTest::newRow("受取手形入力: a full-width template number proposes the next")
        << entry << QStringList{u"Tcode:=C3"_qs} << QStringList() << QString() << QStringList{u"手形番号=A100"_qs}
        << QStringList() << QStringList();
    QTest::newRow("受取手形入力: a click anywhere on 注意 checks it")
        << entry << QStringList{u"click-edge 注意フラグ"_qs} << QStringList() << QString()
        << QStringList{u"注意フラグ=1"_qs} << QStringList() << QStringList();

    QTest::newRow("受取手形一覧: negative amount")
        << list << QStringList{u"line List2 1"_qs, u"金額=-3"_qs, u"click 登録ボタン"_qs} << QStringList{kNegative}
        << u"金額"_qs << QStringList() << QStringList() << QStringList();
    QTest::newRow("受取手形一覧: due before issue")
        << list << QStringList{u"line List2 1"_qs, u"振出日=2027/04/01"_qs, u"menu MH1"_qs}
        << QStringList{dueBeforeIssue.arg(u"2027/03/31"_qs, u"2027/04/01"_qs)} << u"手形期日"_qs << QStringList()
        << QStringList() << QStringList();
    QTest::newRow("受取手形一覧: issue date 2027/2/30")
        << list << QStringList{u"line List2 1"_qs, u"ok-default"_qs, u"振出日=2027/2/30"_qs, u"click 登録ボタン"_qs}
        << QStringList{dateMessage.arg(u"振出日"_qs, u"2027/2/30"_qs)} << u"振出日"_qs << QStringList() << QStringList()
        << QStringList();
    QTest::newRow("受取手形一覧: a click anywhere on 注意 unchecks it")
        << list << QStringList{u"line List2 1"_qs, u"click-edge 注意フラグ"_qs} << QStringList() << QString()
        << QStringList{u"注意フラグ=0"_qs} << QStringList() << QStringList();

    // An issue on account 1 proposes number 101.
    const QStringList issue{u"pick 口座名 0"_qs, u"Scode:=S1"_qs, u"手形期日=2027/03/08"_qs, u"金額=2,500"_qs};
    QTest::newRow("支払手形入力: negative amount moves no number")
        << payEntry << issue + QStringList{u"金額=-1"_qs, u"click 登録ボタン"_qs} << QStringList{kNegative}
        << u"金額"_qs << QStringList() << QStringList() << QStringList();
    QTest::newRow("支払手形入力: due before issue")
        << payEntry << issue + QStringList{u"振出日=2027/02/01"_qs, u"手形期日=2027/01/05"_qs, u"click 登録ボタン"_qs}
        << QStringList{dueBeforeIssue.arg(u"2027/01/05"_qs, u"2027/02/01"_qs)} << u"手形期日"_qs << QStringList()
        << QStringList() << QStringList();
    QTest::newRow("支払手形入力: due date 2027/2/30")
        << payEntry << issue + QStringList{u"手形期日=2027/2/30"_qs, u"click 登録ボタン"_qs}
        << QStringList{dateMessage.arg(u"手形期日"_qs, u"2027/2/30"_qs)} << u"手形期日"_qs << QStringList()
        << QStringList() << QStringList();
    QTest::newRow("支払手形入力: a full-width number is stored half-width")
        << payEntry << issue + QStringList{u"手形番号=Ｐ－２００"_qs, u"click 登録ボタン"_qs} << QStringList()
        << u"口座名"_qs << QStringList()
        << QStringList{u"P-200|1|S1|仕入一|||2026-12-07|2027-03-08|2500"_qs, u"口座:P-200"_qs}
        << QStringList{u"口座:100"_qs};
    QTest::newRow("支払手形入力: hand-on without receiver")
        << payEntry << QStringList{u"click Check1"_qs, u"line 手形一覧 1"_qs, u"click 登録ボタン"_qs}
        << QStringList{u"譲渡先が選ばれていません\n手形を渡す仕入先のコードを入力してください"_qs} << u"Scode"_qs
        << QStringList() << QStringList() << QStringList();
    const QString pastDue = u"この手形は手形期日（2026/11/30）を過ぎています\n譲渡してよろしいですか"_qs;
    QTest::newRow("支払手形入力: a past-due hand-on asks first, Cancel keeps the bill")
        << payEntry
        << QStringList{u"click Check1"_qs, u"Scode:=S1"_qs, u"line 手形一覧 0"_qs, u"no"_qs, u"click 登録ボタン"_qs}
        << QStringList{pastDue} << QString() << QStringList() << QStringList() << QStringList();
    QTest::newRow("支払手形入力: a past-due hand-on asks first, OK hands it on")
        << payEntry
        << QStringList{u"click Check1"_qs, u"Scode:=S1"_qs, u"line 手形一覧 0"_qs, u"yes"_qs, u"click 登録ボタン"_qs}
        << QStringList{pastDue} << QString() << QStringList()
        << QStringList{u"R0|2|C1|得意先商事|S1|仕入一|2026-09-01|2026-11-30|10000"_qs}
        << QStringList{u"R0|0|C1|得意先商事|||2026-09-01|2026-11-30|10000"_qs};
    QTest::newRow("支払手形入力: a bill not yet due is handed on without a question")
        << payEntry << QStringList{u"click Check1"_qs, u"Scode:=S2"_qs, u"line 手形一覧 1"_qs, u"click 登録ボタン"_qs}
        << QStringList() << QString() << QStringList()
        << QStringList{u"R1|2|C1|得意先商事|S2|仕入二|2026-12-01|2027-03-31|10000"_qs}
        << QStringList{u"R1|0|C1|得意先商事|||2026-12-01|2027-03-31|10000"_qs};

    QTest::newRow("支払手形一覧: negative amount")
        << payList << QStringList{u"line List2 0"_qs, u"金額=-3"_qs, u"click 登録ボタン"_qs} << QStringList{kNegative}
        << u"金額"_qs << QStringList() << QStringList() << QStringList();
    QTest::newRow("支払手形一覧: due before issue")
        << payList << QStringList{u"line List2 0"_qs, u"手形期日=2026/11/01"_qs, u"menu MH1"_qs}
        << QStringList{dueBeforeIssue.arg(u"2026/11/01"_qs, u"2026/12/01"_qs)} << u"手形期日"_qs << QStringList()
        << QStringList() << QStringList();
    QTest::newRow("支払手形一覧: twenty digits are too large")
        << payList << QStringList{u"line List2 0"_qs, u"金額=99999999999999999999"_qs, u"click 登録ボタン"_qs}
        << QStringList{kTooLarge} << u"金額"_qs << QStringList() << QStringList() << QStringList();
}

void TestClerkRun::findings()
{
    run();
}

void TestClerkRun::supplierCodeSavedThroughTheMenu_data()
{
    columns();
    // The code is changed from S1 to S2 and saved at once through the menu:
    // the bill goes to S2 under S2's name.
    QTest::newRow("支払手形入力: issue") << u"支払手形入力"_qs
                                         << QStringList{u"pick 口座名 0"_qs, u"Scode:=S1"_qs, u"手形期日=2027/03/08"_qs,
                                                        u"金額=2,500"_qs,    u"Scode=S2"_qs,  u"menu MH1"_qs}
                                         << QStringList() << QString() << QStringList()
                                         << QStringList{u"101|1|S2|仕入二|||2026-12-07|2027-03-08|2500"_qs,
                                                        u"口座:101"_qs}
                                         << QStringList{u"口座:100"_qs};
    QTest::newRow("支払手形入力: hand-on receiver")
        << u"支払手形入力"_qs
        << QStringList{u"click Check1"_qs, u"Scode:=S1"_qs, u"line 手形一覧 1"_qs, u"Scode=S2"_qs, u"menu MH1"_qs}
        << QStringList() << QString() << QStringList()
        << QStringList{u"R1|2|C1|得意先商事|S2|仕入二|2026-12-01|2027-03-31|10000"_qs}
        << QStringList{u"R1|0|C1|得意先商事|||2026-12-01|2027-03-31|10000"_qs};
    QTest::newRow("支払手形入力: a code not registered is refused")
        << u"支払手形入力"_qs
        << QStringList{u"pick 口座名 0"_qs, u"Scode:=S1"_qs, u"手形期日=2027/03/08"_qs, u"Scode=S9"_qs, u"menu MH1"_qs}
        << QStringList{u"仕入先コード「S9」は登録されていません\n登録されている仕入先コードを入力してください"_qs}
        << u"Scode"_qs << QStringList{u"Scode=S9"_qs} << QStringList() << QStringList();
    QTest::newRow("支払手形一覧: correction")
        << u"支払手形一覧"_qs << QStringList{u"line List2 0"_qs, u"Scode=S2"_qs, u"menu MH1"_qs} << QStringList()
        << QString() << QStringList() << QStringList{u"P1|1|S2|仕入二|||2026-12-01|2027-01-29|3000"_qs}
        << QStringList{u"P1|1|S1|仕入一|||2026-12-01|2027-01-29|3000"_qs};
    QTest::newRow("支払手形一覧: a code not registered is refused")
        << u"支払手形一覧"_qs << QStringList{u"line List2 0"_qs, u"Scode=S9"_qs, u"menu MH1"_qs}
        << QStringList{u"仕入先コード「S9」は登録されていません\n登録されている仕入先コードを入力してください"_qs}
        << u"Scode"_qs << QStringList() << QStringList() << QStringList();
}

void TestClerkRun::supplierCodeSavedThroughTheMenu()
{
    run();
}

void TestClerkRun::partsWhereTheySpeak_data()
{
    columns();
    QTest::newRow("支払手形入力: an unknown supplier code is emptied without a message")
        << u"支払手形入力"_qs << QStringList{u"Scode:=S9"_qs} << QStringList() << QString()
        << QStringList{u"Scode="_qs, u"SNAME="_qs, u"過去日付=なし"_qs} << QStringList() << QStringList();
    QTest::newRow("支払手形一覧: an unknown supplier code is emptied without a message")
        << u"支払手形一覧"_qs << QStringList{u"line List2 0"_qs, u"Scode:=S9"_qs} << QStringList() << QString()
        << QStringList{u"Scode="_qs, u"SNAME="_qs} << QStringList() << QStringList();
    QTest::newRow("手形検索: an unregistered code keeps the focus without a message")
        << u"手形検索"_qs << QStringList{u"Tcode:=ZZ"_qs} << QStringList() << u"Tcode"_qs
        << QStringList{u"Tcode=ZZ"_qs, u"TNAME="_qs} << QStringList() << QStringList();
    QTest::newRow("手形検索: searching with an unregistered code keeps the focus without a message")
        << u"手形検索"_qs << QStringList{u"Tcode=ZZ"_qs, u"click 検索ボタン"_qs} << QStringList() << u"Tcode"_qs
        << QStringList{u"Tcode=ZZ"_qs} << QStringList() << QStringList();
    // 東京都 has 62 towns in the postal data, 大阪府 72.
    QTest::newRow("受取手形入力: ClearForm keeps the town list")
        << u"受取手形入力"_qs << QStringList{u"支払県:=東京都"_qs, u"click クリアボタン"_qs} << QStringList()
        << QString() << QStringList{u"支払県="_qs, u"支払市町村="_qs, u"支払市町村#=62"_qs} << QStringList()
        << QStringList();
    QTest::newRow("受取手形入力: a customer without templates keeps the town list")
        << u"受取手形入力"_qs << QStringList{u"支払県:=東京都"_qs, u"Tcode:=B2"_qs} << QStringList() << QString()
        << QStringList{u"TNAME=ベータ"_qs, u"支払県="_qs, u"支払市町村#=62"_qs} << QStringList() << QStringList();
    QTest::newRow("受取手形一覧: ClearForm keeps the town list")
        << u"受取手形一覧"_qs << QStringList{u"line List2 1"_qs, u"支払県:=大阪府"_qs, u"click クリアボタン"_qs}
        << QStringList() << QString() << QStringList{u"支払県="_qs, u"支払市町村#=72"_qs} << QStringList()
        << QStringList();
}

void TestClerkRun::partsWhereTheySpeak()
{
    run();
}

QTEST_MAIN(TestClerkRun)
#include "test_clerk_run.moc"
