// The receivable entry window: the requisite warnings, what is stored from
// the typed fields, the customer's templates, the due date, the endorsers,
// failures, the keyboard, and opening it from the main window.

#include "ReceivableTest.h"

#include "app/MainMenu.h"
#include "receivable/ReceivableEntry.h"

#include <QAction>

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QString kTitle = QStringLiteral("手形要件の欠落");
const QString kAmount = QStringLiteral("金額が未記入です");
const QString kDue = QStringLiteral("満期が未記入です\n一覧払となります");
const QString kIssue = QStringLiteral("振出日が未記入です\n白地手形となります");
const QString kPlace = QStringLiteral("振出地が未記入です");
const QString kDrawer = QStringLiteral("振出人が未記入です");

// The fields of a bill that asks about no requisite.
void typeComplete(QWidget *w)
{
    type(w, u"手形番号"_qs, u"N-1"_qs);
    type(w, u"振出人"_qs, u"山田"_qs);
    type(w, u"振出地"_qs, u"東京"_qs);
    type(w, u"振出日"_qs, u"2026/12/07"_qs);
    type(w, u"手形期日"_qs, u"2027/03/08"_qs);
    type(w, u"金額"_qs, u"50,000"_qs);
}

// Typed "field=value" pairs.
void typeAll(QWidget *w, const QStringList &pairs)
{
    for (const QString &p : pairs)
        type(w, p.section(u'=', 0, 0), p.section(u'=', 1));
}

struct Entry {
    WindowFixture f;
    std::unique_ptr<ReceivableEntryWindow> w;
    Entry()
    {
        addCustomer(f.db(), u"A1"_qs, u"アルファ商事"_qs);
        w = std::make_unique<ReceivableEntryWindow>(*f.ctx, f.ui, f.kit);
        if (!showActive(w.get()))
            qWarning("entry window not active");
    }
    QStringList bills(const QString &columns) const
    {
        return rowsOf(f.db(), QStringLiteral("select %1 from D_手形 order by id").arg(columns));
    }
};

} // namespace

class TestEntry : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void requisites_data();
    void requisites();
    void storedValues_data();
    void storedValues();
    void templates_data();
    void templates();
    void customerPick_data();
    void customerPick();
    void dueDate_data();
    void dueDate();
    void endorsers();
    void failureStoresNothing_data();
    void failureStoresNothing();
    void keyboardOnly();
    void newCustomer();
    void openedFromMainMenu_data();
    void openedFromMainMenu();
};

void TestEntry::requisites_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("answers"); // 1 = OK, 0 = Cancel, in order
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("stored"); // empty: nothing stored

    const QStringList complete{u"手形番号=N-1"_qs, u"振出人=山田"_qs, u"振出地=東京"_qs, u"手形期日=2027/03/08"_qs,
                               u"金額=50,000"_qs};
    // A bill for a customer code typed and never picked (its name stays empty).
    const QStringList someone{u"Tcode=K9"_qs};
    QTest::newRow("straight after opening: nothing to book, nothing asked")
        << QStringList() << u"1111"_qs
        << QStringList{u"手形番号と得意先コードが入っていません\n登録する手形の得意先コードと手形番号を入力してください"_qs}
        << QString();
    QTest::newRow("a customer code alone, all confirmed")
        << someone << u"1111"_qs << QStringList{kAmount, kDue, kPlace, kDrawer} << u"0|2026-12-07|2026-12-07||0|0||"_qs;
    QTest::newRow("Cancel at the amount") << someone << u"0"_qs << QStringList{kAmount} << QString();
    QTest::newRow("Cancel at the due date") << someone << u"10"_qs << QStringList{kAmount, kDue} << QString();
    QTest::newRow("all five confirmed") << someone + QStringList{u"振出日="_qs} << u"11111"_qs
                                        << QStringList{kAmount, kDue, kIssue, kPlace, kDrawer}
                                        << u"0|2026-12-07|||0|0||"_qs;
    QTest::newRow("Cancel at the issue date")
        << someone + QStringList{u"振出日="_qs} << u"110"_qs << QStringList{kAmount, kDue, kIssue} << QString();
    QTest::newRow("Cancel at the place of issue")
        << someone + QStringList{u"振出日="_qs} << u"1110"_qs << QStringList{kAmount, kDue, kIssue, kPlace} << QString();
    QTest::newRow("Cancel at the drawer") << someone + QStringList{u"振出日="_qs} << u"11110"_qs
                                          << QStringList{kAmount, kDue, kIssue, kPlace, kDrawer} << QString();
    QTest::newRow("complete bill asks nothing")
        << complete << QString() << QStringList() << u"0|2026-12-07|2026-12-07|2027-03-08|91|50000|東京|山田"_qs;
    // Only a field left empty makes a sight bill; a date that cannot be read is refused.
    QTest::newRow("due date that is no date is refused")
        << complete + QStringList{u"手形期日=2027/02/30"_qs} << u"1"_qs
        << QStringList{u"手形期日「2027/02/30」は日付ではありません\n年/月/日の形で入力してください（例 2026/12/7）"_qs}
        << QString();
    QTest::newRow("booking date missing")
        << complete + QStringList{u"日付="_qs} << QString() << QStringList{u"日付がありません"_qs} << QString();
}

void TestEntry::requisites()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, answers);
    QFETCH(QStringList, shown);
    QFETCH(QString, stored);

    Entry e;
    typeAll(e.w.get(), typed);
    for (QChar a : answers)
        e.f.ui.answer(a == u'1');
    press(e.w.get(), u"登録ボタン"_qs);

    QCOMPARE(e.f.ui.texts(), shown);
    for (const Shown &s : e.f.ui.shown)
        QCOMPARE(s.title, s.kind == Shown::Kind::Confirm ? kTitle : QString());
    QCOMPARE(e.bills(u"処理,日付,振出日,手形期日,手形期間,金額,振出地,振出人"_qs),
             stored.isEmpty() ? QStringList() : QStringList{stored});
    // Cleared for the next bill only once one was stored.
    const bool kept = stored.isEmpty() && typed.contains(u"手形番号=N-1"_qs);
    QCOMPARE(textOf(e.w.get(), u"手形番号"_qs), kept ? u"N-1"_qs : QString());
    QCOMPARE(textOf(e.w.get(), u"金額"_qs), kept ? u"50,000"_qs : u"0"_qs);
}

void TestEntry::storedValues_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("stored"); // or the message when nothing may be stored

    const QString notNumber = u"金額は数字で入力してください\n（例: 1,234,567）"_qs;
    const QString tooLarge = u"金額が大きすぎます\n2,147,483,647円までの金額を入力してください"_qs;
    QTest::newRow("booking date m/d") << u"日付"_qs << u"5/7"_qs << u"日付"_qs << u"2026-05-07"_qs;
    QTest::newRow("booking date in era") << u"日付"_qs << u"令和8年5月7日"_qs << u"日付"_qs << u"2026-05-07"_qs;
    QTest::newRow("separators") << u"金額"_qs << u"1,234,567"_qs << u"金額"_qs << u"1234567"_qs;
    QTest::newRow("half to even, down") << u"金額"_qs << u"2500.5"_qs << u"金額"_qs << u"2500"_qs;
    QTest::newRow("half to even, up") << u"金額"_qs << u"2501.5"_qs << u"金額"_qs << u"2502"_qs;
    QTest::newRow("largest amount") << u"金額"_qs << u"2,147,483,647"_qs << u"金額"_qs << u"2147483647"_qs;
    QTest::newRow("amount too large") << u"金額"_qs << u"2147483648"_qs << QString() << tooLarge;
    QTest::newRow("amount below zero") << u"金額"_qs << u"-2147483649"_qs << QString()
                                       << u"金額にマイナスは使えません\n0円以上の金額を入力してください"_qs;
    QTest::newRow("amount not a number") << u"金額"_qs << u"12万"_qs << QString() << notNumber;
    QTest::newRow("empty amount") << u"金額"_qs << QString() << QString() << notNumber;
    QTest::newRow("drawer from a template line") << u"振出人"_qs << u"山田:三井銀行"_qs << u"振出人"_qs << u"山田"_qs;
    QTest::newRow("apostrophe in drawer") << u"振出人"_qs << u"O'Hara"_qs << u"振出人"_qs << u"O'Hara"_qs;
    QTest::newRow("apostrophe in number") << u"手形番号"_qs << u"N'1"_qs << u"手形番号"_qs << u"N'1"_qs;
    QTest::newRow("apostrophe in storage") << u"保管場所"_qs << u"金庫'B"_qs << u"保管場所"_qs << u"金庫'B"_qs;
    QTest::newRow("prefecture trimmed") << u"支払県"_qs << u" 大阪府 "_qs << u"支払県"_qs << u"大阪府"_qs;
    QTest::newRow("full-width code") << u"Tcode"_qs << u"Ａ１"_qs << u"取引先コード"_qs << u"A1"_qs;
    QTest::newRow("code typed, never left, keeps its name")
        << u"Tcode"_qs << u"a1"_qs << u"取引先"_qs << u"アルファ商事"_qs;
    QTest::newRow("unknown code, no name") << u"Tcode"_qs << u"ZZ"_qs << u"取引先コード,取引先"_qs << u"ZZ|"_qs;
}

void TestEntry::storedValues()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, column);
    QFETCH(QString, stored);

    Entry e;
    typeComplete(e.w.get());
    type(e.w.get(), name, typed);
    press(e.w.get(), u"登録ボタン"_qs);

    if (column.isEmpty()) {
        QCOMPARE(e.f.ui.texts(), QStringList{stored});
        QCOMPARE(e.bills(u"id"_qs), QStringList());
        QCOMPARE(textOf(e.w.get(), name), typed);
        return;
    }
    QCOMPARE(e.f.ui.texts(), QStringList());
    QCOMPARE(e.bills(column), QStringList{stored});
}

void TestEntry::templates_data()
{
    QTest::addColumn<int>("line"); // picked in 振出人; -1: the first template as the pick left it
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("storedDrawer");
    QTest::addColumn<QStringList>("lastNumbers");

    QTest::newRow("first template") << -1 << u"A0100|甲|東京都|千代田区|0001|三井|100|本店|90"_qs << u"甲"_qs
                                    << QStringList{u"A0100"_qs, u"41"_qs, u"A0100"_qs, u"Z9"_qs, u"7"_qs};
    QTest::newRow("second line") << 1 << u"42|乙:みずほ|東京都|千代田区|0001|みずほ|100|新宿|60"_qs << u"乙"_qs
                                 << QStringList{u"A0099"_qs, u"42"_qs, u"X"_qs, u"Z9"_qs, u"7"_qs};
    QTest::newRow("no digits at the end") << 2 << u"1|丙:三井|東京都|千代田区|0001|三井|100|本店|30"_qs << u"丙"_qs
                                          << QStringList{u"1"_qs, u"41"_qs, u"1"_qs, u"Z9"_qs, u"7"_qs};
    QTest::newRow("same bank, other branch") << 3 << u"8|丁:三井|東京都|千代田区|0001|三井|100|新宿|30"_qs << u"丁"_qs
                                             << QStringList{u"A0099"_qs, u"41"_qs, u"X"_qs, u"Z9"_qs, u"8"_qs};
}

void TestEntry::templates()
{
    QFETCH(int, line);
    QFETCH(QString, fields);
    QFETCH(QString, storedDrawer);
    QFETCH(QStringList, lastNumbers);

    Entry e;
    Database &db = e.f.db();
    addTemplate(db, 1, u"甲"_qs, u"三井"_qs, u"本店"_qs, u"A0099"_qs, 90);
    addTemplate(db, 1, u"乙"_qs, u"みずほ"_qs, u"新宿"_qs, u"41"_qs, 60);
    addTemplate(db, 1, u"丙"_qs, u"三井"_qs, u"本店"_qs, u"X"_qs, 30);
    // Another customer's template with the same bank and branch is never advanced.
    addTemplate(db, addCustomer(db, u"B1"_qs, u"ベータ"_qs), u"戊"_qs, u"三井"_qs, u"本店"_qs, u"Z9"_qs, 90);
    addTemplate(db, 1, u"丁"_qs, u"三井"_qs, u"新宿"_qs, u"7"_qs, 30);

    QWidget *w = e.w.get();
    typeAndLeave(w, u"Tcode"_qs, u"A1"_qs, u"振出人"_qs);
    auto *drawer = child<QComboBox>(w, u"振出人"_qs);
    QStringList lines;
    for (int i = 0; i < drawer->count(); ++i)
        lines << drawer->itemText(i);
    QCOMPARE(lines, (QStringList{u"甲:三井"_qs, u"乙:みずほ"_qs, u"丙:三井"_qs, u"丁:三井"_qs}));
    QCOMPARE(textOf(w, u"TNAME"_qs), u"アルファ商事"_qs);
    if (line >= 0) {
        drawer->setCurrentIndex(line);
        emit drawer->activated(line);
    }
    QStringList shown;
    for (const char16_t *n : {u"手形番号", u"振出人", u"支払県", u"支払市町村", u"支払場所コード", u"支払場所",
                              u"支払場所支店コード", u"支払場所支店", u"標準期間"})
        shown << textOf(w, QString::fromUtf16(n));
    QCOMPARE(shown.join(u'|'), fields);

    typeAll(w, {u"振出地=東京"_qs, u"手形期日=2027/03/08"_qs, u"金額=1000"_qs});
    press(w, u"登録ボタン"_qs);
    QCOMPARE(e.f.ui.texts(), QStringList());
    QCOMPARE(e.bills(u"取引先コード,取引先,振出人,手形番号,支払場所,支払場所支店"_qs),
             QStringList{u"A1|アルファ商事|"_qs + storedDrawer + u'|' + fields.section(u'|', 0, 0) + u'|' +
                         fields.section(u'|', 5, 5) + u'|' + fields.section(u'|', 7, 7)});
    QCOMPARE(rowsOf(db, u"select 最終手形番号 from T1 order by id"_qs), lastNumbers);
}

void TestEntry::customerPick_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("fields"); // Tcode, TNAME, number, drawer, bank, term after leaving

    QTest::newRow("customer without templates empties the template's fields") << u"B2"_qs << u"B2|ベータ||||"_qs;
    QTest::newRow("unknown code") << u"ZZ9"_qs << u"ZZ9|||||"_qs;
    QTest::newRow("full-width code read half-width") << u"Ａ１"_qs << u"A1|アルファ商事|A0100|甲|三井|90"_qs;
    QTest::newRow("code in other letters") << u"a1"_qs << u"A1|アルファ商事|A0100|甲|三井|90"_qs;
}

void TestEntry::customerPick()
{
    QFETCH(QString, code);
    QFETCH(QString, fields);

    Entry e;
    addCustomer(e.f.db(), u"B2"_qs, u"ベータ"_qs);
    addTemplate(e.f.db(), 1, u"甲"_qs, u"三井"_qs, u"本店"_qs, u"A0099"_qs, 90);
    QWidget *w = e.w.get();
    typeAll(w, {u"手形番号=OLD"_qs, u"振出人=OLD"_qs, u"支払場所=OLD"_qs, u"標準期間=5"_qs});
    typeAndLeave(w, u"Tcode"_qs, code, u"手形番号"_qs);
    QStringList shown;
    for (const char16_t *n : {u"Tcode", u"TNAME", u"手形番号", u"振出人", u"支払場所", u"標準期間"})
        shown << textOf(w, QString::fromUtf16(n));
    QCOMPARE(shown.join(u'|'), fields);

    // Leaving the code again unchanged keeps what was typed since.
    type(w, u"手形番号"_qs, u"MINE"_qs);
    enterAndLeave(field(w, u"Tcode"_qs), field(w, u"振出地"_qs));
    QCOMPARE(textOf(w, u"手形番号"_qs), u"MINE"_qs);
}

void TestEntry::dueDate_data()
{
    QTest::addColumn<QString>("left"); // the field left
    QTest::addColumn<QString>("issue");
    QTest::addColumn<QString>("term");
    QTest::addColumn<QString>("due");
    QTest::addColumn<QString>("dueAfter");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("issue + term, Sunday to Monday")
        << u"振出日"_qs << u"2026/12/07"_qs << u"90"_qs << QString() << u"2027/03/08"_qs << QStringList();
    QTest::newRow("term 0 keeps a Sunday")
        << u"振出日"_qs << u"2026/12/6"_qs << u"0"_qs << u"2027/01/05"_qs << u"2026/12/06"_qs << QStringList();
    QTest::newRow("empty issue date empties the due date")
        << u"振出日"_qs << QString() << u"90"_qs << u"2027/01/05"_qs << QString() << QStringList();
    QTest::newRow("issue date no date keeps the due date")
        << u"振出日"_qs << u"abc"_qs << u"90"_qs << u"2027/01/05"_qs << u"2027/01/05"_qs << QStringList();
    QTest::newRow("due on a Sunday") << u"手形期日"_qs << QString() << QString() << u"2027/3/7"_qs << u"2027/03/08"_qs
                                     << QStringList{u"手形期日が日曜日です"_qs};
    QTest::newRow("due on a Saturday") << u"手形期日"_qs << QString() << QString() << u"2027/3/6"_qs << u"2027/03/08"_qs
                                       << QStringList{u"手形期日が土曜日です"_qs};
    QTest::newRow("due on New Year's Day, silently")
        << u"手形期日"_qs << QString() << QString() << u"2027/1/1"_qs << u"2027/01/04"_qs << QStringList();
    QTest::newRow("due no date left as typed")
        << u"手形期日"_qs << QString() << QString() << u"3月末"_qs << u"3月末"_qs << QStringList();
}

void TestEntry::dueDate()
{
    QFETCH(QString, left);
    QFETCH(QString, issue);
    QFETCH(QString, term);
    QFETCH(QString, due);
    QFETCH(QString, dueAfter);
    QFETCH(QStringList, messages);

    Entry e;
    QWidget *w = e.w.get();
    typeAll(w, {u"振出日="_qs + issue, u"標準期間="_qs + term, u"手形期日="_qs + due});
    enterAndLeave(field(w, left), field(w, u"金額"_qs));
    QCOMPARE(textOf(w, u"手形期日"_qs), dueAfter);
    QCOMPARE(e.f.ui.texts(), messages);
}

void TestEntry::endorsers()
{
    Entry e;
    QWidget *w = e.w.get();
    QStringList seenAtOpen;
    const auto useDialog = [&](const QStringList &names) {
        e.f.ui.onModal(u"手形裏書"_qs, [&seenAtOpen, names](QDialog *d) {
            seenAtOpen = slotsOf(d);
            for (int i = 0; i < names.size(); ++i)
                type(d, QStringLiteral("氏名%1").arg(i + 1), names[i]);
            type(d, u"住所1"_qs, names.value(0).isEmpty() ? QString() : u"大阪"_qs);
            press(d, u"閉じるボタン"_qs);
        });
        press(w, u"裏書編集ボタン"_qs);
    };
    const auto registerBill = [&] {
        typeComplete(w);
        type(w, u"Tcode"_qs, u"A1"_qs);
        press(w, u"登録ボタン"_qs);
    };

    // Slots 1 and 3 keep their positions.
    typeComplete(w);
    useDialog({u"甲"_qs, QString(), u"丙"_qs});
    QCOMPARE(seenAtOpen, QStringList(4, u"/"_qs));
    registerBill();
    // The next bill writes none unless the dialog is used for it.
    registerBill();
    // Used again, it starts empty; the bill has the same number and customer as the first two.
    typeComplete(w);
    useDialog({QString(), u"乙"_qs});
    QCOMPARE(seenAtOpen, QStringList(4, u"/"_qs));
    // A second use for the same bill shows what was typed.
    e.f.ui.onModal(u"手形裏書"_qs, [&seenAtOpen](QDialog *d) { seenAtOpen = slotsOf(d); });
    press(w, u"裏書編集ボタン"_qs);
    QCOMPARE(seenAtOpen, (QStringList{u"/"_qs, u"乙/"_qs, u"/"_qs, u"/"_qs}));
    registerBill();

    QCOMPARE(e.bills(u"id,手形番号,取引先"_qs),
             (QStringList{u"1|N-1|アルファ商事"_qs, u"2|N-1|アルファ商事"_qs, u"3|N-1|アルファ商事"_qs}));
    QCOMPARE(rowsOf(e.f.db(), u"select 手形id,表示順,裏書人,裏書人住所 from 裏書人 order by 手形id,表示順"_qs),
             (QStringList{u"1|1|甲|大阪"_qs, u"1|3|丙|"_qs, u"3|2|乙|"_qs}));
}

void TestEntry::failureStoresNothing_data()
{
    QTest::addColumn<QString>("trigger");

    QTest::newRow("the bill") << u"BEFORE INSERT ON D_手形"_qs;
    QTest::newRow("the templates") << u"BEFORE UPDATE ON T1"_qs;
    QTest::newRow("an endorser") << u"BEFORE INSERT ON 裏書人 WHEN NEW.裏書人='乙'"_qs;
}

void TestEntry::failureStoresNothing()
{
    QFETCH(QString, trigger);

    Entry e;
    Database &db = e.f.db();
    addTemplate(db, 1, u"甲"_qs, u"三井"_qs, u"本店"_qs, u"A0099"_qs, 90);
    db.execute(u"CREATE TRIGGER fail %1 BEGIN SELECT RAISE(ABORT, '書き込めません'); END"_qs.arg(trigger));
    QWidget *w = e.w.get();
    typeAndLeave(w, u"Tcode"_qs, u"A1"_qs, u"振出地"_qs);
    typeAll(w, {u"振出地=東京"_qs, u"手形期日=2027/03/08"_qs, u"金額=1000"_qs});
    e.f.ui.onModal(u"手形裏書"_qs, [](QDialog *d) {
        type(d, u"氏名1"_qs, u"甲"_qs);
        type(d, u"氏名2"_qs, u"乙"_qs);
    });
    press(w, u"裏書編集ボタン"_qs);
    press(w, u"登録ボタン"_qs);

    QCOMPARE(e.f.ui.texts().size(), 1);
    QVERIFY2(e.f.ui.texts().first().contains(u"書き込めません"_qs), qPrintable(e.f.ui.texts().first()));
    QCOMPARE(e.bills(u"id"_qs), QStringList());
    QCOMPARE(rowsOf(db, u"select 最終手形番号 from T1"_qs), QStringList{u"A0099"_qs});
    QCOMPARE(rowsOf(db, u"select * from 裏書人"_qs), QStringList());
    // The bill stays on screen for another try, endorsers and all.
    QCOMPARE(textOf(w, u"手形番号"_qs), u"A0100"_qs);
    QVERIFY(e.w->EndorsementEdited);
    db.execute(u"DROP TRIGGER fail"_qs);
    press(w, u"登録ボタン"_qs);
    QCOMPARE(e.bills(u"手形番号"_qs), QStringList{u"A0100"_qs});
    QCOMPARE(rowsOf(db, u"select 表示順,裏書人 from 裏書人"_qs), (QStringList{u"1|甲"_qs, u"2|乙"_qs}));
}

void TestEntry::keyboardOnly()
{
    Entry e;
    addTemplate(e.f.db(), 1, u"甲"_qs, u"三井"_qs, u"本店"_qs, u"A0099"_qs, 90);
    e.w = std::make_unique<ReceivableEntryWindow>(*e.f.ctx, e.f.ui, e.f.kit);
    QVERIFY(showActive(e.w.get()));
    QWidget *w = e.w.get();
    QStringList path;
    const auto key = [&](Qt::Key k, const QString &typed = {}) {
        if (!typed.isEmpty())
            QTest::keyClicks(QApplication::focusWidget(), typed);
        QTest::keyClick(QApplication::focusWidget(), k);
        QWidget *now = QApplication::focusWidget();
        // A combo box's own line edit stands for the combo box.
        while (now && now->objectName().isEmpty())
            now = now->parentWidget();
        path << (now ? now->objectName() : QString());
    };
    QCOMPARE(QApplication::focusWidget(), field(w, u"日付"_qs));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Return, u"12/5"_qs);
    key(Qt::Key_Return, u"A1"_qs);
    for (int i = 0; i < 2; ++i)
        key(Qt::Key_Return);
    key(Qt::Key_Return, u"Osaka"_qs);
    for (int i = 0; i < 9; ++i)
        key(Qt::Key_Tab);
    key(Qt::Key_Return, u"50000"_qs);
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Tab);
    key(Qt::Key_Return);

    QCOMPARE(path, (QStringList{u"Tcode"_qs, u"振出人"_qs, u"手形番号"_qs, u"振出地"_qs, u"支払県"_qs, u"支払市町村"_qs,
                                u"支払場所コード"_qs, u"支払場所"_qs, u"支払場所支店コード"_qs, u"支払場所支店"_qs,
                                u"振出日"_qs, u"標準期間"_qs, u"手形期日"_qs, u"金額"_qs, u"裏書編集ボタン"_qs,
                                u"保管場所"_qs, u"注意フラグ"_qs, u"登録ボタン"_qs, u"日付"_qs}));
    QCOMPARE(e.f.ui.texts(), QStringList());
    QCOMPARE(e.bills(u"日付,取引先コード,取引先,振出人,手形番号,振出地,振出日,手形期日,金額,支払場所"_qs),
             QStringList{u"2026-12-05|A1|アルファ商事|甲|A0100|Osaka|2026-12-07|2027-03-08|50000|三井"_qs});
}

void TestEntry::newCustomer()
{
    Entry e;
    e.f.ui.onModal(u"得意先情報"_qs, [](QDialog *d) {
        typeAndLeave(d, u"コード"_qs, u"N9"_qs, u"得意先名"_qs);
        type(d, u"得意先名"_qs, u"新顧客"_qs);
        press(d, u"登録ボタン"_qs);
    });
    press(e.w.get(), u"得意先登録ボタン"_qs);
    QCOMPARE(e.f.ui.modalWindows, QStringList{u"得意先情報"_qs});
    // The customer added there is offered at once.
    auto *codes = child<QComboBox>(e.w.get(), u"Tcode"_qs);
    QCOMPARE(codes->findText(u"N9"_qs), 1);
}

void TestEntry::openedFromMainMenu_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("window");
    QTest::newRow("受取入力ボタン") << u"受取入力ボタン"_qs << u"受取手形入力"_qs;
    QTest::newRow("M00受取手形") << u"M00受取手形"_qs << u"受取手形入力"_qs;
    QTest::newRow("受取修正ボタン") << u"受取修正ボタン"_qs << u"受取手形一覧"_qs;
    QTest::newRow("M10受取手形") << u"M10受取手形"_qs << u"受取手形一覧"_qs;
}

void TestEntry::openedFromMainMenu()
{
    QFETCH(QString, control);
    QFETCH(QString, window);

    AppFixture f;
    addBill(f.db(), u"B-1"_qs, u"2027-01-05"_qs, 1000);
    MainMenu menu(*f.ctx, f.ui);
    QString caption;
    int lines = -1;
    f.ui.onModal(window, [&](QDialog *d) {
        caption = d->windowTitle();
        if (auto *list = d->findChild<ui::LineList *>(u"List2"_qs))
            lines = list->count();
    });
    if (QPushButton *b = menu.button(control))
        QTest::mouseClick(b, Qt::LeftButton);
    else
        menu.item(control)->trigger();
    QCOMPARE(f.ui.modalWindows, QStringList{window});
    QCOMPARE(caption, window);
    QCOMPARE(lines, window == u"受取手形一覧" ? 1 : -1);
    QCOMPARE(f.ui.texts(), QStringList());
}

QTEST_MAIN(TestEntry)
#include "test_entry.moc"
