// The storage place register: the list in the order places were added, the
// name built from bank and branch, saving and deleting by name.

#include "MasterTest.h"

#include "master/StorageRegister.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace sorvane;
using namespace sorvane::test;

namespace {

void preset(AppFixture &f, const QStringList &names)
{
    for (const QString &n : names)
        f.db().execute(QStringLiteral("insert into 保管場所(保管場所) values(?)"), {n});
}

QStringList stored(AppFixture &f)
{
    return rowsOf(f.db(), QStringLiteral("select 保管場所 from 保管場所 order by id"));
}

QComboBox *combo(QWidget *w, const char16_t *name)
{
    return child<QComboBox>(w, QString::fromUtf16(name));
}

} // namespace

class TestStorageRegister : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void save_data();
    void save();
    void nameBuiltFromBankAndBranch();
    void clickingLineShowsIt();
    void remove_data();
    void remove();
};

void TestStorageRegister::save_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("viaMenu");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("message");

    const QStringList base{u"金庫"_qs, u"A 銀行 本店"_qs};
    QTest::newRow("new name goes to the end") << u"本社"_qs << false << base + QStringList{u"本社"_qs} << QString();
    QTest::newRow("registered name adds nothing") << u"金庫"_qs << true << base << QString();
    QTest::newRow("other letter case rewrites the registered name")
        << u"a 銀行 本店"_qs << false << QStringList{u"金庫"_qs, u"a 銀行 本店"_qs} << QString();
    QTest::newRow("spaces around are dropped") << u"  金庫 "_qs << false << base << QString();
    QTest::newRow("apostrophes") << u"O'Hara 倉庫 'B'"_qs << false << base + QStringList{u"O'Hara 倉庫 'B'"_qs}
                                 << QString();
    QTest::newRow("empty name is refused") << u"  "_qs << false << base << u"保管場所の名前を入力してください"_qs;
}

void TestStorageRegister::save()
{
    QFETCH(QString, name);
    QFETCH(bool, viaMenu);
    QFETCH(QStringList, after);
    QFETCH(QString, message);

    AppFixture f;
    preset(f, {QStringLiteral("金庫"), QStringLiteral("A 銀行 本店")});
    StorageRegister w(*f.ctx, f.ui);
    QCOMPARE(w.objectName(), QStringLiteral("保管場所"));
    QCOMPARE(w.windowTitle(), QStringLiteral("保管場所"));
    QCOMPARE(child<QLabel>(&w, QStringLiteral("Label1"))->text(), QStringLiteral("登録済みの保管場所"));
    QVERIFY(showActive(&w));
    auto *field = child<QLineEdit>(&w, QStringLiteral("保管場所"));
    field->setText(name);
    if (viaMenu)
        child<QAction>(&w, QStringLiteral("MH1"))->trigger();
    else
        QTest::mouseClick(child<QPushButton>(&w, QStringLiteral("登録ボタン")), Qt::LeftButton);

    QCOMPARE(stored(f), after);
    QCOMPARE(linesOf(child<QListWidget>(&w, QStringLiteral("List1"))), after);
    QCOMPARE(f.ui.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(field->text().isEmpty(), message.isEmpty());
}

void TestStorageRegister::nameBuiltFromBankAndBranch()
{
    AppFixture f;
    StorageRegister w(*f.ctx, f.ui);
    QVERIFY(showActive(&w));
    auto *place = child<QLineEdit>(&w, QStringLiteral("保管場所"));
    auto *bank = combo(&w, u"支払場所");
    auto *branch = combo(&w, u"支払場所支店");

    bank->setEditText(QStringLiteral("みずほ銀行"));
    branch->setEditText(QStringLiteral("旧支店"));
    enterAndLeave(bank, branch);
    QCOMPARE(place->text(), QStringLiteral("みずほ銀行"));
    QVERIFY(branch->currentText().isEmpty());

    branch->setEditText(QStringLiteral("本店"));
    enterAndLeave(branch, place);
    QCOMPARE(place->text(), QStringLiteral("みずほ銀行本店"));

    // Empty name-building fields leave the name alone, every time they are left.
    place->setText(QStringLiteral("手で入力"));
    branch->clearEditText();
    enterAndLeave(branch, place);
    bank->clearEditText();
    enterAndLeave(bank, place);
    QCOMPARE(place->text(), QStringLiteral("手で入力"));

    bank->setEditText(QStringLiteral("三井住友銀行"));
    enterAndLeave(bank, place);
    branch->setEditText(QStringLiteral("丸の内支店"));
    enterAndLeave(branch, place);
    QTest::mouseClick(child<QPushButton>(&w, QStringLiteral("登録ボタン")), Qt::LeftButton);
    QCOMPARE(stored(f), QStringList{QStringLiteral("三井住友銀行丸の内支店")});
    QVERIFY(bank->currentText().isEmpty() && branch->currentText().isEmpty());
}

void TestStorageRegister::clickingLineShowsIt()
{
    AppFixture f;
    preset(f, {QStringLiteral("金庫"), QStringLiteral("本社")});
    StorageRegister w(*f.ctx, f.ui);
    QVERIFY(showActive(&w));
    for (const char16_t *name : {u"支払場所", u"支払場所支店", u"支払場所コード", u"支払場所支店コード"})
        combo(&w, name)->setEditText(QStringLiteral("x"));
    clickLine(child<QListWidget>(&w, QStringLiteral("List1")), 1);
    QCOMPARE(child<QLineEdit>(&w, QStringLiteral("保管場所"))->text(), QStringLiteral("本社"));
    for (const char16_t *name : {u"支払場所", u"支払場所支店", u"支払場所コード", u"支払場所支店コード"})
        QVERIFY(combo(&w, name)->currentText().isEmpty());
}

void TestStorageRegister::remove_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("notice");
    const QStringList all{u"金庫"_qs, u"O'Hara 倉庫"_qs, u"本社"_qs};
    QTest::newRow("cancel keeps the place") << u"金庫"_qs << false << all << QString();
    QTest::newRow("ok removes it") << u"金庫"_qs << true << QStringList{u"O'Hara 倉庫"_qs, u"本社"_qs} << QString();
    QTest::newRow("name with an apostrophe")
        << u"O'Hara 倉庫"_qs << true << QStringList{u"金庫"_qs, u"本社"_qs} << QString();
    QTest::newRow("name not registered") << u"倉庫"_qs << true << all << u"保管場所「倉庫」は登録されていません"_qs;
}

void TestStorageRegister::remove()
{
    QFETCH(QString, name);
    QFETCH(bool, ok);
    QFETCH(QStringList, after);
    QFETCH(QString, notice);

    AppFixture f;
    preset(f, {QStringLiteral("金庫"), QStringLiteral("O'Hara 倉庫"), QStringLiteral("本社")});
    f.db().execute(QStringLiteral("insert into D_手形(処理,手形番号,保管場所) values(0,'1',?)"), {name});
    StorageRegister w(*f.ctx, f.ui);
    QVERIFY(showActive(&w));
    auto *list = child<QListWidget>(&w, QStringLiteral("List1"));
    const int line = linesOf(list).indexOf(name);
    if (line >= 0)
        clickLine(list, line);
    else
        child<QLineEdit>(&w, QStringLiteral("保管場所"))->setText(name);
    f.ui.answer(ok);
    QTest::mouseClick(child<QPushButton>(&w, QStringLiteral("削除ボタン")), Qt::LeftButton);

    QVERIFY(!f.ui.shown.isEmpty());
    QCOMPARE(f.ui.shown.first().kind, Shown::Kind::Confirm);
    QCOMPARE(f.ui.shown.first().title, QStringLiteral("削除の確認"));
    QCOMPARE(f.ui.shown.first().preset, MessageService::Default::Cancel);
    QCOMPARE(f.ui.shown.first().text, QStringLiteral("削除しますよ"));
    QCOMPARE(f.ui.texts().mid(1), notice.isEmpty() ? QStringList() : QStringList{notice});
    QCOMPARE(stored(f), after);
    QCOMPARE(linesOf(list), after);
    // The bill keeps the name it carries.
    QCOMPARE(f.db().scalar(QStringLiteral("select 保管場所 from D_手形")).toString(), name);
}

QTEST_MAIN(TestStorageRegister)
#include "test_storage_register.moc"
