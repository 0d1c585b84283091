// The customer and supplier registers: saving, deleting, the code look-up
// and the list, each case run on both windows.

#include "MasterTest.h"

#include "master/CustomerRegister.h"
#include "master/SupplierRegister.h"

#include <QLabel>
#include <QLineEdit>
#include <QFocusEvent>
#include <QMenu>
#include <QPushButton>

#include <memory>

using namespace sorvane;
using namespace sorvane::test;

namespace {

struct Kind {
    QString word;      // 得意先 / 仕入先
    QString table;     // T0 / S0
    QString code;      // tc / sc
    QString name;      // tn / sn
    QString nameField; // control name of the name field
    bool saysDeleted;
};

Kind kindOf(const QString &word)
{
    if (word == u"得意先")
        return {word, QStringLiteral("T0"), QStringLiteral("tc"), QStringLiteral("tn"), QStringLiteral("得意先名"),
                false};
    return {word, QStringLiteral("S0"), QStringLiteral("sc"), QStringLiteral("sn"), QStringLiteral("仕入先名"), true};
}

const QStringList kKinds = {QStringLiteral("得意先"), QStringLiteral("仕入先")};

std::unique_ptr<PartyRegister> openRegister(const Kind &k, AppFixture &f)
{
    if (k.table == u"T0")
        return std::make_unique<CustomerRegister>(*f.ctx, f.ui);
    return std::make_unique<SupplierRegister>(*f.ctx, f.ui);
}

void preset(AppFixture &f, const Kind &k, const QStringList &rows)
{
    for (const QString &r : rows) {
        const QStringList cells = r.split(u'|');
        f.db().execute(QStringLiteral("insert into %1(%2,%3) values(?,?)").arg(k.table, k.code, k.name),
                       {cells.at(0), cells.at(1)});
    }
}

QStringList stored(AppFixture &f, const Kind &k)
{
    return rowsOf(f.db(), QStringLiteral("select %1,%2 from %3 order by %1").arg(k.code, k.name, k.table));
}

QAction *menuItem(QWidget *w, const QString &name)
{
    return child<QAction>(w, name);
}

} // namespace

class TestPartyRegisters : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void opensEmptyWithControls_data();
    void opensEmptyWithControls();
    void save_data();
    void save();
    void saveCollidingWithRowAddedElsewhere_data() { kindsOnly(); }
    void saveCollidingWithRowAddedElsewhere();
    void remove_data();
    void remove();
    void lookUpOnLeavingCode_data();
    void lookUpOnLeavingCode();
    void clickingLineShowsIt_data() { kindsOnly(); }
    void clickingLineShowsIt();
    void openingMenuDoesNotLeaveCode_data() { kindsOnly(); }
    void openingMenuDoesNotLeaveCode();
    void numberBelowTheList_data() { kindsOnly(); }
    void numberBelowTheList();
    void savesTheNumber_data();
    void savesTheNumber();
    void numberFollowsTheParty_data() { kindsOnly(); }
    void numberFollowsTheParty();

private:
    void kindsOnly()
    {
        QTest::addColumn<QString>("kind");
        for (const QString &k : kKinds)
            QTest::newRow(qPrintable(k)) << k;
    }
};

void TestPartyRegisters::opensEmptyWithControls_data()
{
    kindsOnly();
}

void TestPartyRegisters::opensEmptyWithControls()
{
    QFETCH(QString, kind);
    const Kind k = kindOf(kind);
    AppFixture f;
    preset(f, k, {QStringLiteral("A1|Alpha")});
    auto w = openRegister(k, f);
    QCOMPARE(w->objectName(), k.word + QStringLiteral("情報"));
    QCOMPARE(w->windowTitle(), k.word + QStringLiteral("情報"));
    QCOMPARE(child<QLabel>(w.get(), QStringLiteral("Label1"))->text(), QStringLiteral("登録済みの") + k.word);
    QCOMPARE(child<QLabel>(w.get(), QStringLiteral("Label2"))->text(), k.word + QStringLiteral("コード"));
    QCOMPARE(child<QLabel>(w.get(), QStringLiteral("Label3"))->text(), k.nameField);
    QCOMPARE(child<QPushButton>(w.get(), QStringLiteral("登録ボタン"))->text(), QStringLiteral("登　録"));
    QCOMPARE(child<QPushButton>(w.get(), QStringLiteral("削除ボタン"))->text(), QStringLiteral("削　除"));
    QCOMPARE(child<QPushButton>(w.get(), QStringLiteral("終了ボタン"))->text(), QStringLiteral("終　了"));
    QCOMPARE(w->findChild<QPushButton *>(QStringLiteral("手形情報登録ボタン")) != nullptr, k.table == u"T0");
    QCOMPARE(child<QMenu>(w.get(), QStringLiteral("MF"))->title(), QStringLiteral("ファイル"));
    QCOMPARE(menuItem(w.get(), QStringLiteral("MH1"))->text(), QStringLiteral("保存"));
    QCOMPARE(menuItem(w.get(), QStringLiteral("MS1"))->text(), QStringLiteral("削除"));
    QCOMPARE(menuItem(w.get(), QStringLiteral("ME1"))->text(), QStringLiteral("終了"));
    QCOMPARE(linesOf(child<QListWidget>(w.get(), QStringLiteral("List1"))), QStringList{QStringLiteral("A1   Alpha")});
    QVERIFY(child<QLineEdit>(w.get(), QStringLiteral("コード"))->text().isEmpty());

    // Closing from the menu unloads the window.
    QVERIFY(showActive(w.get()));
    menuItem(w.get(), QStringLiteral("ME1"))->trigger();
    QVERIFY(!w->isVisible());
}

void TestPartyRegisters::save_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("viaMenu");
    QTest::addColumn<QStringList>("after"); // rows in code order
    QTest::addColumn<QStringList>("lines"); // the list afterwards
    QTest::addColumn<QString>("refusal");   // the message shown, empty: none
    QTest::addColumn<bool>("cleared");      // the fields were emptied

    const QStringList none;
    for (const QString &kind : kKinds) {
        auto row = [&](const char *name) -> QTestData & {
            return QTest::addRow("%s: %s", qPrintable(kind), name) << kind;
        };
        row("existing code changes only its name") << QStringList{u"A1|Old"_qs, u"B2|Bee"_qs} << u"A1"_qs << u"New"_qs
                                                   << false << QStringList{u"A1|New"_qs, u"B2|Bee"_qs}
                                                   << QStringList{u"A1   New"_qs, u"B2   Bee"_qs} << QString() << true;
        row("code with spaces is stored trimmed")
            << none << u"  A1 "_qs << u"Alpha 商事"_qs << false << QStringList{u"A1|Alpha 商事"_qs}
            << QStringList{u"A1   Alpha 商事"_qs} << QString() << true;
        // Leaving the code empties the name: a name typed first is gone, and saving says so.
        row("empty name is refused") << none << u"C3"_qs << QString() << false << none << none
                                     << kind + u"名を入力してください"_qs << false;
        row("list orders codes as text") << QStringList{u"9|Nine"_qs} << u"10"_qs << u"Ten"_qs << true
                                         << QStringList{u"10|Ten"_qs, u"9|Nine"_qs}
                                         << QStringList{u"10   Ten"_qs, u"9    Nine"_qs} << QString() << true;
        row("other letter case finds the stored code")
            << QStringList{u"A1|Old"_qs} << u"a1"_qs << u"New"_qs << false << QStringList{u"A1|New"_qs}
            << QStringList{u"A1   New"_qs} << QString() << true;
        row("apostrophes in a new party") << none << u"O'H"_qs << u"O'Hara"_qs << false << QStringList{u"O'H|O'Hara"_qs}
                                          << QStringList{u"O'H  O'Hara"_qs} << QString() << true;
        row("apostrophes in an update") << QStringList{u"'A'|x"_qs} << u"'A'"_qs << u"'A' 商事"_qs << true
                                        << QStringList{u"'A'|'A' 商事"_qs} << QStringList{u"'A'  'A' 商事"_qs}
                                        << QString() << true;
        row("code of six characters is refused")
            << QStringList{u"A1|Old"_qs} << u"ABCDEF"_qs << u"Six"_qs << false << QStringList{u"A1|Old"_qs}
            << QStringList{u"A1   Old"_qs}
            << kind + u"コードは5文字以内で入力してください\n（入力されたコード「ABCDEF」は6文字です）"_qs << false;
        row("full-width code is stored half-width")
            << none << u"ＡＢＣＤＥ"_qs << u"全角"_qs << false << QStringList{u"ABCDE|全角"_qs}
            << QStringList{u"ABCDE全角"_qs} << QString() << true;
        row("full-width code finds its half-width twin")
            << QStringList{u"A12|Old"_qs} << u"ａ１２"_qs << u"New"_qs << false << QStringList{u"A12|New"_qs}
            << QStringList{u"A12  New"_qs} << QString() << true;
        row("five characters outside the basic plane fit")
            << none << u"😀😀😀😀😀"_qs << u"絵"_qs << false << QStringList{u"😀😀😀😀😀|絵"_qs} << QStringList{u"😀😀😀😀😀絵"_qs}
            << QString() << true;
        row("three characters outside the basic plane get two spaces")
            << none << u"😀😀😀"_qs << u"絵"_qs << false << QStringList{u"😀😀😀|絵"_qs} << QStringList{u"😀😀😀  絵"_qs}
            << QString() << true;
        row("empty code does nothing") << QStringList{u"A1|Old"_qs} << QString() << u"Name"_qs << false
                                       << QStringList{u"A1|Old"_qs} << QStringList{u"A1   Old"_qs} << QString()
                                       << false;
        row("spaces alone are no code") << none << u"   "_qs << u"Name"_qs << true << none << none << QString()
                                        << false;
    }
}

void TestPartyRegisters::save()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, before);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(bool, viaMenu);
    QFETCH(QStringList, after);
    QFETCH(QStringList, lines);
    QFETCH(QString, refusal);
    QFETCH(bool, cleared);

    const Kind k = kindOf(kind);
    AppFixture f;
    preset(f, k, before);
    auto w = openRegister(k, f);
    QVERIFY(showActive(w.get()));
    auto *codeField = child<QLineEdit>(w.get(), QStringLiteral("コード"));
    auto *nameField = child<QLineEdit>(w.get(), k.nameField);
    nameField->setFocus();
    codeField->setText(code);
    nameField->setText(name);

    if (viaMenu)
        menuItem(w.get(), QStringLiteral("MH1"))->trigger();
    else
        QTest::mouseClick(child<QPushButton>(w.get(), QStringLiteral("登録ボタン")), Qt::LeftButton);

    QCOMPARE(stored(f, k), after);
    QCOMPARE(linesOf(child<QListWidget>(w.get(), QStringLiteral("List1"))), lines);
    QCOMPARE(f.ui.texts(), refusal.isEmpty() ? QStringList() : QStringList{refusal});
    QCOMPARE(codeField->text().isEmpty() && nameField->text().isEmpty(), cleared);
}

void TestPartyRegisters::saveCollidingWithRowAddedElsewhere()
{
    QFETCH(QString, kind);
    const Kind k = kindOf(kind);
    AppFixture f;
    auto w = openRegister(k, f);
    // The row arrives after the list was filled: the window takes the code for new.
    preset(f, k, {QStringLiteral("Z9|There first")});
    child<QLineEdit>(w.get(), QStringLiteral("コード"))->setText(QStringLiteral("z9"));
    child<QLineEdit>(w.get(), k.nameField)->setText(QStringLiteral("Second"));

    QVERIFY(!w->登録());
    QCOMPARE(stored(f, k), QStringList{QStringLiteral("Z9|There first")});
    QCOMPARE(f.ui.shown.size(), 1);
    QVERIFY2(f.ui.shown.first().text.contains(QStringLiteral("UNIQUE")), qPrintable(f.ui.shown.first().text));
    QCOMPARE(child<QLineEdit>(w.get(), k.nameField)->text(), QStringLiteral("Second"));
}

void TestPartyRegisters::remove_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("viaMenu");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("notice"); // message after the confirmation, if any

    for (const QString &kind : kKinds) {
        const bool says = kindOf(kind).saysDeleted;
        const QString done = says ? QStringLiteral("削除しました") : QString();
        auto row = [&](const char *name) -> QTestData & {
            return QTest::addRow("%s: %s", qPrintable(kind), name) << kind;
        };
        row("cancel keeps everything") << u"A1"_qs << false << false
                                       << QStringList{u"'A'|Quote"_qs, u"A1|Alpha"_qs, u"B2|Beta"_qs} << QString();
        row("ok removes the row") << u"A1"_qs << true << false << QStringList{u"'A'|Quote"_qs, u"B2|Beta"_qs} << done;
        row("menu item removes the row") << u"B2"_qs << true << true << QStringList{u"'A'|Quote"_qs, u"A1|Alpha"_qs}
                                         << done;
        row("code with apostrophes") << u"'A'"_qs << true << false << QStringList{u"A1|Alpha"_qs, u"B2|Beta"_qs}
                                     << done;
        row("code typed in other case") << u"a1 "_qs << true << false << QStringList{u"'A'|Quote"_qs, u"B2|Beta"_qs}
                                        << done;
        row("code not registered") << u"ZZ"_qs << true << false
                                   << QStringList{u"'A'|Quote"_qs, u"A1|Alpha"_qs, u"B2|Beta"_qs}
                                   << kind + u"コード「ZZ」は登録されていません"_qs;
    }
}

void TestPartyRegisters::remove()
{
    QFETCH(QString, kind);
    QFETCH(QString, code);
    QFETCH(bool, ok);
    QFETCH(bool, viaMenu);
    QFETCH(QStringList, after);
    QFETCH(QString, notice);

    const Kind k = kindOf(kind);
    AppFixture f;
    preset(f, k, {QStringLiteral("A1|Alpha"), QStringLiteral("B2|Beta"), QStringLiteral("'A'|Quote")});
    // A template and bills refer to the parties; they stay whatever happens.
    const qint64 a1 = f.db().scalar(QStringLiteral("select id from T0 where tc='A1'")).toLongLong();
    f.db().execute(QStringLiteral("insert into T1(idoft,振出人,手形期間) values(?,?,90)"),
                   {a1, QStringLiteral("Alpha")});
    for (const QString &c : {QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("'A'")})
        f.db().execute(QStringLiteral("insert into D_手形(処理,手形番号,取引先コード,取引先) values(?,?,?,?)"),
                       {k.table == u"T0" ? 0 : 1, QStringLiteral("N-") + c, c, QStringLiteral("x")});

    auto w = openRegister(k, f);
    QVERIFY(showActive(w.get()));
    auto *codeField = child<QLineEdit>(w.get(), QStringLiteral("コード"));
    codeField->setText(code);
    f.ui.answer(ok);
    if (viaMenu)
        menuItem(w.get(), QStringLiteral("MS1"))->trigger();
    else
        QTest::mouseClick(child<QPushButton>(w.get(), QStringLiteral("削除ボタン")), Qt::LeftButton);

    QVERIFY(!f.ui.shown.isEmpty());
    QCOMPARE(f.ui.shown.first().kind, Shown::Kind::Confirm);
    QCOMPARE(f.ui.shown.first().title, QStringLiteral("削除の確認"));
    QCOMPARE(f.ui.shown.first().preset, MessageService::Default::Cancel);
    QCOMPARE(f.ui.shown.first().text, QStringLiteral("削除しますよ\n元に戻せません"));
    QStringList expectedNotices;
    if (!notice.isEmpty())
        expectedNotices << notice;
    QCOMPARE(f.ui.texts().mid(1), expectedNotices);

    QCOMPARE(stored(f, k), after);
    QStringList lines;
    for (const QString &r : after)
        lines << r.section(u'|', 0, 0).leftJustified(5) + r.section(u'|', 1);
    QCOMPARE(linesOf(child<QListWidget>(w.get(), QStringLiteral("List1"))), lines);
    QCOMPARE(f.db().scalar(QStringLiteral("select count(*) from T1")).toInt(), 1);
    QCOMPARE(f.db().scalar(QStringLiteral("select count(*) from D_手形")).toInt(), 3);
    const bool removed = after.size() == 2;
    QCOMPARE(codeField->text().isEmpty(), removed);
}

void TestPartyRegisters::lookUpOnLeavingCode_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("selectedBefore");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("codeAfter");
    QTest::addColumn<QString>("nameAfter");
    QTest::addColumn<int>("selectedAfter");
    for (const QString &kind : kKinds) {
        auto row = [&](const char *name) -> QTestData & {
            return QTest::addRow("%s: %s", qPrintable(kind), name) << kind;
        };
        row("existing code brings its name") << -1 << u"B2"_qs << u"B2"_qs << u"Beta"_qs << 1;
        row("same code in other case") << -1 << u"b2"_qs << u"B2"_qs << u"Beta"_qs << 1;
        row("existing code replaces another selection") << 0 << u"'A'"_qs << u"'A'"_qs << u"O'Hara"_qs << 2;
        row("unknown code empties name and selection") << 1 << u"ZZ"_qs << u"ZZ"_qs << QString() << -1;
        row("empty code empties name and selection") << 1 << QString() << QString() << QString() << -1;
    }
}

void TestPartyRegisters::lookUpOnLeavingCode()
{
    QFETCH(QString, kind);
    QFETCH(int, selectedBefore);
    QFETCH(QString, code);
    QFETCH(QString, codeAfter);
    QFETCH(QString, nameAfter);
    QFETCH(int, selectedAfter);

    const Kind k = kindOf(kind);
    AppFixture f;
    preset(f, k, {QStringLiteral("A1|Alpha"), QStringLiteral("B2|Beta"), QStringLiteral("'A'|O'Hara")});
    auto w = openRegister(k, f);
    QVERIFY(showActive(w.get()));
    auto *list = child<QListWidget>(w.get(), QStringLiteral("List1"));
    auto *codeField = child<QLineEdit>(w.get(), QStringLiteral("コード"));
    auto *nameField = child<QLineEdit>(w.get(), k.nameField);
    QCOMPARE(linesOf(list), (QStringList{u"'A'  O'Hara"_qs, u"A1   Alpha"_qs, u"B2   Beta"_qs}));
    // The list is in code order: rows 0..2 are 'A', A1, B2.
    const int wanted = selectedAfter < 0 ? -1 : QStringList{u"'A'"_qs, u"A1"_qs, u"B2"_qs}.indexOf(codeAfter);
    if (selectedBefore >= 0)
        clickLine(list, selectedBefore);

    codeField->setText(code);
    nameField->setText(QStringLiteral("typed"));
    enterAndLeave(codeField, nameField);
    QCOMPARE(codeField->text(), codeAfter);
    QCOMPARE(nameField->text(), nameAfter);
    QCOMPARE(list->selectedItems().isEmpty() ? -1 : list->row(list->selectedItems().first()), wanted);

    // Leaving the field again runs the look-up again, changed or not.
    nameField->setText(QStringLiteral("typed again"));
    enterAndLeave(codeField, nameField);
    QCOMPARE(nameField->text(), nameAfter);
    QVERIFY(f.ui.shown.isEmpty());
}

void TestPartyRegisters::clickingLineShowsIt()
{
    QFETCH(QString, kind);
    const Kind k = kindOf(kind);
    AppFixture f;
    preset(f, k, {QStringLiteral("A1|Alpha"), QStringLiteral("B2|Beta 商事")});
    auto w = openRegister(k, f);
    QVERIFY(showActive(w.get()));
    auto *list = child<QListWidget>(w.get(), QStringLiteral("List1"));
    clickLine(list, 1);
    QCOMPARE(child<QLineEdit>(w.get(), QStringLiteral("コード"))->text(), QStringLiteral("B2"));
    QCOMPARE(child<QLineEdit>(w.get(), k.nameField)->text(), QStringLiteral("Beta 商事"));
    // Changing the name and saving changes that party only.
    child<QLineEdit>(w.get(), k.nameField)->setText(QStringLiteral("Beta 新"));
    QTest::mouseClick(child<QPushButton>(w.get(), QStringLiteral("登録ボタン")), Qt::LeftButton);
    QCOMPARE(stored(f, k), (QStringList{u"A1|Alpha"_qs, u"B2|Beta 新"_qs}));
}

void TestPartyRegisters::openingMenuDoesNotLeaveCode()
{
    QFETCH(QString, kind);
    const Kind k = kindOf(kind);
    AppFixture f;
    auto w = openRegister(k, f);
    QVERIFY(showActive(w.get()));
    auto *codeField = child<QLineEdit>(w.get(), QStringLiteral("コード"));
    auto *nameField = child<QLineEdit>(w.get(), k.nameField);
    nameField->setText(QStringLiteral("名前"));
    codeField->setFocus();
    codeField->setText(QStringLiteral("N1"));
    QTRY_VERIFY(codeField->hasFocus());

    // Opening the menu (or switching to another window) takes the focus away
    // for a moment; saving from the menu then still keeps the typed name.
    for (const Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(codeField, &out);
    }
    menuItem(w.get(), QStringLiteral("MH1"))->trigger();
    QCOMPARE(stored(f, k), QStringList{QStringLiteral("N1|名前")});
}

void TestPartyRegisters::numberBelowTheList()
{
    QFETCH(QString, kind);
    const Kind k = kindOf(kind);
    AppFixture f;
    auto w = openRegister(k, f);
    QVERIFY(showActive(w.get()));
    auto *number = child<QLineEdit>(w.get(), QStringLiteral("登録番号"));
    auto *label = child<QLabel>(w.get(), QStringLiteral("Label4"));
    QCOMPARE(label->text(), QStringLiteral("登録番号（法人番号）"));
    QCOMPARE(label->buddy(), number);
    QCOMPARE(number->accessibleDescription(), QStringLiteral("登録番号"));
    QCOMPARE(label->accessibleDescription(), QStringLiteral("Label4"));
    QVERIFY(number->text().isEmpty());
    // Below every control the window had, all of which keep their places above it.
    const auto bottomOf = [&](const QString &name) {
        auto *c = child<QWidget>(w.get(), name);
        return c->mapTo(w.get(), QPoint(0, c->height())).y();
    };
    const int top = number->mapTo(w.get(), QPoint(0, 0)).y();
    for (const QString &name : {u"List1"_qs, u"Label1"_qs, u"コード"_qs, u"登録ボタン"_qs, u"終了ボタン"_qs})
        QVERIFY2(bottomOf(name) <= top, qPrintable(name));
    // Tab goes from the list to the number.
    auto *list = child<QWidget>(w.get(), QStringLiteral("List1"));
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    QTest::keyClick(list, Qt::Key_Tab);
    QTRY_VERIFY(number->hasFocus());
}

void TestPartyRegisters::savesTheNumber_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // the row afterwards
    QTest::addColumn<QString>("refusal");
    for (const QString &kind : kKinds) {
        auto row = [&](const char *name) -> QTestData & {
            return QTest::addRow("%s: %s", qPrintable(kind), name) << kind;
        };
        row("登録番号") << u"T7123456789012"_qs << u"N1|名前|T7123456789012"_qs << QString();
        row("法人番号 in full-width digits")
            << u"７０００ ０１２０ ５０００２"_qs << u"N1|名前|7000012050002"_qs << QString();
        row("none") << QString() << u"N1|名前|"_qs << QString();
        row("wrong check digit") << u"8000012050002"_qs << QString()
                                 << u"法人番号「8000012050002」は正しくありません（先頭の検査用の数字が合いません）\n"
                                    u"番号を確かめてください"_qs;
        row("too short") << u"T12345"_qs << QString()
                         << u"登録番号は T と 13 桁の数字で、法人番号は 13 桁の数字で入力してください\n"
                            u"（入力されたもの「T12345」）"_qs;
    }
}

void TestPartyRegisters::savesTheNumber()
{
    QFETCH(QString, kind);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, refusal);
    const Kind k = kindOf(kind);
    AppFixture f;
    auto w = openRegister(k, f);
    QVERIFY(showActive(w.get()));
    auto *number = child<QLineEdit>(w.get(), QStringLiteral("登録番号"));
    number->setFocus(); // typed last, as a clerk does
    child<QLineEdit>(w.get(), QStringLiteral("コード"))->setText(QStringLiteral("N1"));
    child<QLineEdit>(w.get(), k.nameField)->setText(QStringLiteral("名前"));
    number->setText(typed);
    menuItem(w.get(), QStringLiteral("MH1"))->trigger();
    const QStringList rows =
        rowsOf(f.db(), QStringLiteral("select %1,%2,coalesce(登録番号,'') from %3").arg(k.code, k.name, k.table));
    QCOMPARE(rows, stored.isEmpty() ? QStringList() : QStringList{stored});
    QCOMPARE(f.ui.texts(), refusal.isEmpty() ? QStringList() : QStringList{refusal});
    if (refusal.isEmpty()) {
        QVERIFY(number->text().isEmpty()); // cleared for the next party
    } else {
        QCOMPARE(number->text(), typed);
        QTRY_VERIFY(number->hasFocus());
        QCOMPARE(child<QLineEdit>(w.get(), k.nameField)->text(), QStringLiteral("名前"));
    }
}

void TestPartyRegisters::numberFollowsTheParty()
{
    QFETCH(QString, kind);
    const Kind k = kindOf(kind);
    AppFixture f;
    preset(f, k, {QStringLiteral("A1|Alpha"), QStringLiteral("B2|Beta")});
    f.db().execute(QStringLiteral("update %1 set 登録番号 = 'T7123456789012' where %2 = 'B2'").arg(k.table, k.code));
    auto w = openRegister(k, f);
    QVERIFY(showActive(w.get()));
    auto *list = child<QListWidget>(w.get(), QStringLiteral("List1"));
    auto *codeField = child<QLineEdit>(w.get(), QStringLiteral("コード"));
    auto *nameField = child<QLineEdit>(w.get(), k.nameField);
    auto *number = child<QLineEdit>(w.get(), QStringLiteral("登録番号"));
    clickLine(list, 1);
    QCOMPARE(number->text(), QStringLiteral("T7123456789012"));
    clickLine(list, 0);
    QVERIFY(number->text().isEmpty());
    // The code look-up brings it back, and an unknown code empties it.
    codeField->setText(QStringLiteral("b2"));
    enterAndLeave(codeField, nameField);
    QCOMPARE(number->text(), QStringLiteral("T7123456789012"));
    codeField->setText(QStringLiteral("ZZ"));
    enterAndLeave(codeField, nameField);
    QVERIFY(number->text().isEmpty());
    // A change of the name alone keeps the number.
    clickLine(list, 1);
    nameField->setText(QStringLiteral("Beta 新"));
    QTest::mouseClick(child<QPushButton>(w.get(), QStringLiteral("登録ボタン")), Qt::LeftButton);
    QCOMPARE(
        rowsOf(f.db(),
               QStringLiteral("select %1,%2,coalesce(登録番号,'') from %3 order by %1").arg(k.code, k.name, k.table)),
        (QStringList{u"A1|Alpha|"_qs, u"B2|Beta 新|T7123456789012"_qs}));
}

QTEST_MAIN(TestPartyRegisters)
#include "test_party_registers.moc"
