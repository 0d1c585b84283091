// A customer's bill templates: opened from the customer register, saved,
// changed, deleted, and the towns of the place of payment.

#include "MasterTest.h"

#include "data/Files.h"
#include "data/Postal.h"
#include "master/CustomerRegister.h"
#include "master/TemplateWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace sorvane;
using namespace sorvane::test;

namespace {

qint64 addCustomer(AppFixture &f, const QString &code, const QString &name)
{
    f.db().execute(QStringLiteral("insert into T0(tc,tn) values(?,?)"), {code, name});
    return f.db().lastInsertId();
}

qint64 addTemplate(AppFixture &f, qint64 customer, const QString &drawer, const QString &bank, int term,
                   const QString &number = {})
{
    f.db().execute(QStringLiteral("insert into T1(idoft,振出人,支払県,支払市,支払場所コード,支払場所,"
                                  "支払場所支店コード,支払場所支店,手形期間,最終手形番号) values(?,?,?,?,?,?,?,?,?,?)"),
                   {customer, drawer, QStringLiteral("東京都"), QStringLiteral("千代田区"), QStringLiteral("0001"),
                    bank, QStringLiteral("100"), QStringLiteral("本店"), term, number});
    return f.db().lastInsertId();
}

// Drawer, bank, term and last number of every template, in id order.
QStringList templates(AppFixture &f)
{
    return rowsOf(f.db(), QStringLiteral("select idoft,振出人,支払場所,手形期間,最終手形番号 from T1 order by id"));
}

QString blanks(int n)
{
    return QString(n, u' ');
}

int selectedRow(QListWidget *list)
{
    return list->selectedItems().isEmpty() ? -1 : list->row(list->selectedItems().first());
}

QString text(QWidget *w, const QString &name)
{
    if (auto *e = qobject_cast<QLineEdit *>(w->findChild<QWidget *>(name)))
        return e->text();
    if (auto *c = qobject_cast<QComboBox *>(w->findChild<QWidget *>(name)))
        return c->currentText();
    if (auto *l = qobject_cast<QLabel *>(w->findChild<QWidget *>(name)))
        return l->text();
    qWarning("no field %s", qPrintable(name));
    return {};
}

// Every field of a template window in screen order, '|' between.
QString fields(QWidget *w)
{
    QStringList t;
    for (const char16_t *n : {u"名義", u"手形番号", u"支払県", u"支払市", u"支払場所コード", u"支払場所",
                              u"支払場所支店コード", u"支払場所支店", u"標準期間"})
        t << text(w, QString::fromUtf16(n));
    return t.join(u'|');
}

const QString kEmptyFields = QStringLiteral("||||||||");

} // namespace

class TestTemplateWindow : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void openedFromCustomerRegister_data();
    void openedFromCustomerRegister();
    void save_data();
    void save();
    void termMustBeWholeDays_data();
    void termMustBeWholeDays();
    void apostrophesRoundTrip();
    void remove_data();
    void remove();
    void townsOnLeavingPrefecture_data();
    void townsOnLeavingPrefecture();
    void loadedTownOnLeavingPrefecture_data();
    void loadedTownOnLeavingPrefecture();
};

void TestTemplateWindow::openedFromCustomerRegister_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("withTemplates");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("shownFields");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("customers");

    const QStringList base{u"A1|Alpha 商事"_qs};
    QTest::newRow("customer without templates: name offered as drawer")
        << u"A1"_qs << u"Alpha 商事"_qs << false << true << u"Alpha 商事||||||||"_qs << QStringList() << base;
    QTest::newRow("new customer is saved first")
        << u"N1"_qs << u"New 商店"_qs << false << true << u"New 商店||||||||"_qs << QStringList()
        << QStringList{u"A1|Alpha 商事"_qs, u"N1|New 商店"_qs};
    QTest::newRow("name changed on the way is saved")
        << u"a1"_qs << u"Alpha 新"_qs << false << true << u"Alpha 新||||||||"_qs << QStringList()
        << QStringList{u"A1|Alpha 新"_qs};
    // Lines in id order, not by bank: the bank name in 15 characters, or 25 spaces.
    QTest::newRow("customer with templates: first one shown, list in id order")
        << u"A1"_qs << u"Alpha 商事"_qs << true << true << u"甲|T-9|東京都|千代田区|0001|ZYX|100|本店|90"_qs
        << QStringList{u"ZYX"_qs + blanks(12) + u"甲"_qs, blanks(25) + u"乙"_qs,
                       u"みずほ銀行"_qs + blanks(10) + u"丙"_qs}
        << base;
    QTest::newRow("empty code opens nothing")
        << QString() << u"x"_qs << false << false << QString() << QStringList() << base;
    QTest::newRow("too long code opens nothing")
        << u"ABCDEF"_qs << u"x"_qs << false << false << QString() << QStringList() << base;
}

void TestTemplateWindow::openedFromCustomerRegister()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(bool, withTemplates);
    QFETCH(bool, opens);
    QFETCH(QString, shownFields);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, customers);

    AppFixture f;
    const qint64 a1 = addCustomer(f, QStringLiteral("A1"), QStringLiteral("Alpha 商事"));
    if (withTemplates) {
        addTemplate(f, a1, QStringLiteral("甲"), QStringLiteral("ZYX"), 90, QStringLiteral("T-9"));
        addTemplate(f, a1, QStringLiteral("乙"), QString(), 60);
        addTemplate(f, a1, QStringLiteral("丙"), QStringLiteral("みずほ銀行"), 120);
    }
    // Another customer's template never shows.
    addTemplate(f, a1 + 100, QStringLiteral("他人"), QStringLiteral("X"), 30);

    CustomerRegister w(*f.ctx, f.ui);
    QVERIFY(showActive(&w));
    // Typed as a user types: the code, then the name.
    child<QLineEdit>(&w, QStringLiteral("コード"))->setText(code);
    enterAndLeave(child<QLineEdit>(&w, QStringLiteral("コード")), child<QLineEdit>(&w, QStringLiteral("得意先名")));
    child<QLineEdit>(&w, QStringLiteral("得意先名"))->setText(name);

    QString seenFields, seenHeading, seenIdbox, seenMyid, firstPrefecture;
    QStringList seenLines;
    int prefectures = 0, selected = -2;
    f.ui.onModal(QStringLiteral("手形情報"), [&](QDialog *d) {
        seenFields = fields(d);
        seenHeading = text(d, QStringLiteral("得意先名"));
        seenIdbox = text(d, QStringLiteral("idbox"));
        seenMyid = text(d, QStringLiteral("Myid"));
        auto *list = child<QListWidget>(d, QStringLiteral("List1"));
        seenLines = linesOf(list);
        selected = selectedRow(list);
        auto *pref = child<QComboBox>(d, QStringLiteral("支払県"));
        prefectures = pref->count();
        firstPrefecture = pref->itemText(0);
    });
    QTest::mouseClick(child<QPushButton>(&w, QStringLiteral("手形情報登録ボタン")), Qt::LeftButton);

    QCOMPARE(rowsOf(f.db(), QStringLiteral("select tc,tn from T0 order by tc")), customers);
    if (!opens) {
        QVERIFY(f.ui.modalWindows.isEmpty());
        return;
    }
    QCOMPARE(f.ui.modalWindows, QStringList{QStringLiteral("手形情報")});
    QCOMPARE(seenFields, shownFields);
    QCOMPARE(seenLines, lines);
    QCOMPARE(selected, -1);
    QCOMPARE(seenHeading, name);
    const QString stored = code.trimmed().toUpper();
    QCOMPARE(seenIdbox, f.db().scalar(QStringLiteral("select id from T0 where tc=?"), {stored}).toString());
    QCOMPARE(seenMyid.isEmpty(), !withTemplates);
    QCOMPARE(prefectures, 47);
    QCOMPARE(firstPrefecture, QStringLiteral("北海道"));
    // The register keeps its fields and shows the list as it now is.
    QCOMPARE(child<QLineEdit>(&w, QStringLiteral("コード"))->text(), stored);
    QCOMPARE(linesOf(child<QListWidget>(&w, QStringLiteral("List1"))).size(), customers.size());
}

void TestTemplateWindow::save_data()
{
    QTest::addColumn<int>("line"); // clicked before saving; -1 none
    QTest::addColumn<QString>("drawer");
    QTest::addColumn<QString>("term");
    QTest::addColumn<bool>("viaMenu");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("selected line changes that template only")
        << 1 << QString() << u"120"_qs << false << QStringList{u"1|甲|ZYX|90|T-9"_qs, u"1|乙||120|"_qs};
    QTest::newRow("menu item saves the same way")
        << 0 << u"甲 改"_qs << u"45"_qs << true << QStringList{u"1|甲 改|ZYX|45|T-9"_qs, u"1|乙||60|"_qs};
    // With nothing selected the first template shown is saved as a new one.
    QTest::newRow("no selection adds a template for the customer")
        << -1 << u"丙"_qs << u"30"_qs << false
        << QStringList{u"1|甲|ZYX|90|T-9"_qs, u"1|乙||60|"_qs, u"1|丙|ZYX|30|T-9"_qs};
}

void TestTemplateWindow::save()
{
    QFETCH(int, line);
    QFETCH(QString, drawer);
    QFETCH(QString, term);
    QFETCH(bool, viaMenu);
    QFETCH(QStringList, after);

    AppFixture f;
    const qint64 a1 = addCustomer(f, QStringLiteral("A1"), QStringLiteral("Alpha"));
    QCOMPARE(a1, 1);
    addTemplate(f, a1, QStringLiteral("甲"), QStringLiteral("ZYX"), 90, QStringLiteral("T-9"));
    addTemplate(f, a1, QStringLiteral("乙"), QString(), 60);

    TemplateWindow w(*f.ctx, f.ui);
    w.showCustomer(a1, QStringLiteral("Alpha"));
    QVERIFY(showActive(&w));
    auto *list = child<QListWidget>(&w, QStringLiteral("List1"));
    if (line >= 0) {
        clickLine(list, line);
        QCOMPARE(text(&w, QStringLiteral("Myid")),
                 rowsOf(f.db(), QStringLiteral("select id from T1 order by id")).at(line));
    }
    if (!drawer.isEmpty())
        child<QLineEdit>(&w, QStringLiteral("名義"))->setText(drawer);
    child<QLineEdit>(&w, QStringLiteral("標準期間"))->setText(term);
    if (viaMenu)
        child<QAction>(&w, QStringLiteral("MH1"))->trigger();
    else
        QTest::mouseClick(child<QPushButton>(&w, QStringLiteral("登録ボタン")), Qt::LeftButton);

    QCOMPARE(templates(f), after);
    QVERIFY(f.ui.shown.isEmpty());
    // Afterwards the next save adds: fields empty, nothing selected, list current.
    QCOMPARE(fields(&w), kEmptyFields);
    QVERIFY(text(&w, QStringLiteral("Myid")).isEmpty());
    QCOMPARE(selectedRow(list), -1);
    QCOMPARE(list->count(), after.size());
}

void TestTemplateWindow::termMustBeWholeDays_data()
{
    QTest::addColumn<QString>("term");
    QTest::addColumn<int>("stored"); // -1: refused
    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("spaces") << u"  "_qs << -1;
    QTest::newRow("letters") << u"abc"_qs << -1;
    QTest::newRow("fraction") << u"1.5"_qs << -1;
    QTest::newRow("negative") << u"-3"_qs << -1;
    QTest::newRow("sql text") << u"90,振出人='x'"_qs << -1;
    QTest::newRow("full-width digits") << u"９０"_qs << 90;
    QTest::newRow("spaces around") << u" 75 "_qs << 75;
    QTest::newRow("zero") << u"0"_qs << 0;
}

void TestTemplateWindow::termMustBeWholeDays()
{
    QFETCH(QString, term);
    QFETCH(int, stored);

    AppFixture f;
    const qint64 a1 = addCustomer(f, QStringLiteral("A1"), QStringLiteral("Alpha"));
    addTemplate(f, a1, QStringLiteral("甲"), QStringLiteral("ZYX"), 90);
    TemplateWindow w(*f.ctx, f.ui);
    w.showCustomer(a1, QStringLiteral("Alpha"));
    QVERIFY(showActive(&w));
    clickLine(child<QListWidget>(&w, QStringLiteral("List1")), 0);
    child<QLineEdit>(&w, QStringLiteral("名義"))->setText(QStringLiteral("甲 改"));
    child<QLineEdit>(&w, QStringLiteral("標準期間"))->setText(term);

    QCOMPARE(w.登録(), stored >= 0);
    if (stored < 0) {
        QCOMPARE(f.ui.texts(), QStringList{QStringLiteral("標準的な手形期間を日数（0以上の整数）で入力してください")});
        QCOMPARE(templates(f), QStringList{QStringLiteral("1|甲|ZYX|90|")});
        QCOMPARE(text(&w, QStringLiteral("名義")), QStringLiteral("甲 改"));
    } else {
        QVERIFY(f.ui.shown.isEmpty());
        QCOMPARE(templates(f), QStringList{QStringLiteral("1|甲 改|ZYX|%1|").arg(stored)});
    }
}

void TestTemplateWindow::apostrophesRoundTrip()
{
    AppFixture f;
    const qint64 a1 = addCustomer(f, QStringLiteral("'A'"), QStringLiteral("'A' 商事"));
    TemplateWindow w(*f.ctx, f.ui);
    w.showCustomer(a1, QStringLiteral("'A' 商事"));
    QVERIFY(showActive(&w));
    QCOMPARE(text(&w, QStringLiteral("名義")), QStringLiteral("'A' 商事"));
    child<QLineEdit>(&w, QStringLiteral("名義"))->setText(QStringLiteral("O'Hara"));
    child<QLineEdit>(&w, QStringLiteral("支払場所"))->setText(QStringLiteral("'A' 銀行"));
    child<QComboBox>(&w, QStringLiteral("支払場所支店"))->setEditText(QStringLiteral("O'支店"));
    child<QLineEdit>(&w, QStringLiteral("手形番号"))->setText(QStringLiteral("No'1"));
    child<QLineEdit>(&w, QStringLiteral("標準期間"))->setText(QStringLiteral("90"));
    QVERIFY(w.登録());
    QCOMPARE(rowsOf(f.db(), QStringLiteral("select 振出人,支払場所,支払場所支店,最終手形番号 from T1")),
             QStringList{QStringLiteral("O'Hara|'A' 銀行|O'支店|No'1")});

    w.List1Requery();
    auto *list = child<QListWidget>(&w, QStringLiteral("List1"));
    QCOMPARE(linesOf(list), QStringList{QStringLiteral("'A' 銀行") + blanks(9) + QStringLiteral("O'Hara")});
    clickLine(list, 0);
    QCOMPARE(fields(&w), QStringLiteral("O'Hara|No'1||||'A' 銀行||O'支店|90"));
    child<QLineEdit>(&w, QStringLiteral("名義"))->setText(QStringLiteral("O'Hara & 'Co'"));
    QVERIFY(w.登録());
    QCOMPARE(rowsOf(f.db(), QStringLiteral("select 振出人 from T1")), QStringList{QStringLiteral("O'Hara & 'Co'")});

    w.List1Requery();
    clickLine(list, 0);
    f.ui.answer(true);
    QTest::mouseClick(child<QPushButton>(&w, QStringLiteral("削除ボタン")), Qt::LeftButton);
    QCOMPARE(f.db().scalar(QStringLiteral("select count(*) from T1")).toInt(), 0);
    QCOMPARE(f.ui.texts(), QStringList{QStringLiteral("削除しますよ\n元に戻せません")});
}

void TestTemplateWindow::remove_data()
{
    QTest::addColumn<int>("templateCount");
    QTest::addColumn<int>("line"); // clicked; -1 none
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("shownAfter");
    QTest::addColumn<bool>("asked");

    const QString first = u"甲|T-9|東京都|千代田区|0001|ZYX|100|本店|90"_qs;
    const QString second = u"乙||東京都|千代田区|0001||100|本店|60"_qs;
    QTest::newRow("cancel keeps the template")
        << 2 << 1 << false << QStringList{u"1|甲|ZYX|90|T-9"_qs, u"1|乙||60|"_qs} << second << true;
    QTest::newRow("first deleted: the next one is shown")
        << 2 << 0 << true << QStringList{u"1|乙||60|"_qs} << second << true;
    QTest::newRow("second deleted: the first one is shown")
        << 2 << 1 << true << QStringList{u"1|甲|ZYX|90|T-9"_qs} << first << true;
    QTest::newRow("shown without click, deleted") << 2 << -1 << true << QStringList{u"1|乙||60|"_qs} << second << true;
    QTest::newRow("last one deleted: fields empty") << 1 << 0 << true << QStringList() << kEmptyFields << true;
    QTest::newRow("no template shown: nothing asked")
        << 0 << -1 << true << QStringList() << u"Alpha||||||||"_qs << false;
}

void TestTemplateWindow::remove()
{
    QFETCH(int, templateCount);
    QFETCH(int, line);
    QFETCH(bool, ok);
    QFETCH(QStringList, after);
    QFETCH(QString, shownAfter);
    QFETCH(bool, asked);

    AppFixture f;
    const qint64 a1 = addCustomer(f, QStringLiteral("A1"), QStringLiteral("Alpha"));
    if (templateCount > 0)
        addTemplate(f, a1, QStringLiteral("甲"), QStringLiteral("ZYX"), 90, QStringLiteral("T-9"));
    if (templateCount > 1)
        addTemplate(f, a1, QStringLiteral("乙"), QString(), 60);
    TemplateWindow w(*f.ctx, f.ui);
    w.showCustomer(a1, QStringLiteral("Alpha"));
    QVERIFY(showActive(&w));
    auto *list = child<QListWidget>(&w, QStringLiteral("List1"));
    if (line >= 0)
        clickLine(list, line);

    f.ui.answer(ok);
    child<QAction>(&w, QStringLiteral("MS1"))->trigger();

    if (asked) {
        QCOMPARE(f.ui.shown.size(), 1);
        QCOMPARE(f.ui.shown.first().kind, Shown::Kind::Confirm);
        QCOMPARE(f.ui.shown.first().title, QStringLiteral("削除の確認"));
        QCOMPARE(f.ui.shown.first().preset, MessageService::Default::Cancel);
        QCOMPARE(f.ui.shown.first().text, QStringLiteral("削除しますよ\n元に戻せません"));
    } else {
        QVERIFY(f.ui.shown.isEmpty());
    }
    QCOMPARE(templates(f), after);
    QCOMPARE(fields(&w), shownAfter);
    QCOMPARE(list->count(), after.size());
    if (ok)
        QCOMPARE(selectedRow(list), -1);
    // The prefectures are there again after the window was cleared.
    QCOMPARE(child<QComboBox>(&w, QStringLiteral("支払県"))->count(), 47);
}

void TestTemplateWindow::townsOnLeavingPrefecture_data()
{
    QTest::addColumn<QString>("prefecture");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QString>("message");
    QTest::newRow("listed prefecture") << u"東京都"_qs << true << QString();
    QTest::newRow("empty prefecture") << QString() << false << QString();
    QTest::newRow("not a prefecture") << u"東京"_qs << false << u"「東京」の市町村データがありません"_qs;
    QTest::newRow("sql text") << u"県; drop table 県"_qs << false
                              << u"「県; drop table 県」の市町村データがありません"_qs;
    QTest::newRow("listed, but its table is missing")
        << u"大阪府"_qs << false << u"「大阪府」の市町村データがありません"_qs;
}

void TestTemplateWindow::townsOnLeavingPrefecture()
{
    QFETCH(QString, prefecture);
    QFETCH(bool, listed);
    QFETCH(QString, message);

    AppFixture f;
    const QString yubinFile = f.ctx->filePath(files::kPostalDb);
    QStringList expectedTowns;
    {
        Workspace ws(QStringLiteral("test"), {}, {});
        ScopedDatabase yubin(ws, yubinFile);
        yubin->execute(QStringLiteral("drop table 大阪府"));
        if (listed)
            expectedTowns = postal::towns(*yubin, prefecture);
    }
    if (listed)
        QVERIFY(expectedTowns.size() > 10);

    TemplateWindow w(*f.ctx, f.ui);
    w.showCustomer(addCustomer(f, QStringLiteral("A1"), QStringLiteral("Alpha")), QStringLiteral("Alpha"));
    QVERIFY(showActive(&w));
    auto *pref = child<QComboBox>(&w, QStringLiteral("支払県"));
    auto *town = child<QComboBox>(&w, QStringLiteral("支払市"));
    // Towns of an earlier choice go when the prefecture is left again.
    pref->setEditText(QStringLiteral("北海道"));
    enterAndLeave(pref, child<QLineEdit>(&w, QStringLiteral("名義")));
    QVERIFY(town->count() > 0);
    town->setEditText(QStringLiteral("旧町"));

    pref->setEditText(prefecture);
    enterAndLeave(pref, town);

    QStringList items;
    for (int i = 0; i < town->count(); ++i)
        items << town->itemText(i);
    QCOMPARE(items, expectedTowns);
    QVERIFY(town->currentText().isEmpty());
    QCOMPARE(f.ui.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    // yubin.mdb is released at once, and nothing typed reached its tables.
    QVERIFY(!f.ctx->DataWorkspace->findDatabase(yubinFile));
    Workspace ws(QStringLiteral("check"), {}, {});
    ScopedDatabase yubin(ws, yubinFile);
    QCOMPARE(postal::prefectures(*yubin).size(), 47);
}

void TestTemplateWindow::loadedTownOnLeavingPrefecture_data()
{
    QTest::addColumn<QString>("typed");  // the prefecture after the template was loaded
    QTest::addColumn<QString>("stored"); // prefecture|town saved
    // Tabbing through a loaded template must not lose its town.
    QTest::newRow("tabbed through") << u"東京都"_qs << u"東京都|千代田区"_qs;
    QTest::newRow("same prefecture with spaces") << u" 東京都　"_qs << u"東京都|千代田区"_qs;
    QTest::newRow("another prefecture") << u"北海道"_qs << u"北海道|"_qs;
    QTest::newRow("emptied") << QString() << u"|"_qs;
}

void TestTemplateWindow::loadedTownOnLeavingPrefecture()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);

    AppFixture f;
    const qint64 customer = addCustomer(f, QStringLiteral("A1"), QStringLiteral("Alpha"));
    addTemplate(f, customer, QStringLiteral("山田"), QStringLiteral("三井"), 90, QStringLiteral("A0001"));
    TemplateWindow w(*f.ctx, f.ui);
    w.showCustomer(customer, QStringLiteral("Alpha"));
    QVERIFY(showActive(&w));
    auto *list = child<QListWidget>(&w, QStringLiteral("List1"));
    clickLine(list, 0);
    auto *pref = child<QComboBox>(&w, QStringLiteral("支払県"));
    auto *town = child<QComboBox>(&w, QStringLiteral("支払市"));
    QCOMPARE(town->currentText(), QStringLiteral("千代田区"));

    pref->setEditText(typed);
    enterAndLeave(pref, town);
    enterAndLeave(town, child<QComboBox>(&w, QStringLiteral("支払場所コード")));
    // The towns of the prefecture are offered whenever it is one.
    QCOMPARE(town->count() > 0, !typed.trimmed().isEmpty());

    QTest::mouseClick(child<QPushButton>(&w, QStringLiteral("登録ボタン")), Qt::LeftButton);
    QCOMPARE(f.ui.texts(), QStringList());
    QCOMPARE(rowsOf(f.db(), QStringLiteral("select 支払県,支払市 from T1")), QStringList{stored});
}

QTEST_MAIN(TestTemplateWindow)
#include "test_template_window.moc"
