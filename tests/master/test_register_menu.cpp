// The main window opens each register, from its button and its menu item.

#include "MasterTest.h"

#include "app/MainMenu.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

using namespace sorvane;
using namespace sorvane::test;

class TestRegisterMenu : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void opensRegister_data();
    void opensRegister();
};

void TestRegisterMenu::opensRegister_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("isButton");
    QTest::addColumn<QString>("window");
    QTest::newRow("得意先登録") << u"得意先登録"_qs << true << u"得意先情報"_qs;
    QTest::newRow("M30得意先") << u"M30得意先"_qs << false << u"得意先情報"_qs;
    QTest::newRow("仕入先登録") << u"仕入先登録"_qs << true << u"仕入先情報"_qs;
    QTest::newRow("M31仕入先") << u"M31仕入先"_qs << false << u"仕入先情報"_qs;
    QTest::newRow("保管場所登録") << u"保管場所登録"_qs << true << u"保管場所"_qs;
    QTest::newRow("M33保管場所") << u"M33保管場所"_qs << false << u"保管場所"_qs;
}

void TestRegisterMenu::opensRegister()
{
    QFETCH(QString, control);
    QFETCH(bool, isButton);
    QFETCH(QString, window);

    AppFixture f;
    f.db().execute(QStringLiteral("insert into T0(tc,tn) values('C1','顧客')"));
    f.db().execute(QStringLiteral("insert into S0(sc,sn) values('S1','仕入')"));
    f.db().execute(QStringLiteral("insert into 保管場所(保管場所) values('金庫')"));
    const QMap<QString, QString> firstLine{
        {u"得意先情報"_qs, u"C1   顧客"_qs}, {u"仕入先情報"_qs, u"S1   仕入"_qs}, {u"保管場所"_qs, u"金庫"_qs}};

    MainMenu menu(*f.ctx, f.ui);
    QStringList seen;
    f.ui.onModal(window, [&](QDialog *d) {
        seen = linesOf(child<QListWidget>(d, QStringLiteral("List1")));
        QVERIFY(d->isVisible());
    });
    if (isButton)
        QTest::mouseClick(menu.button(control), Qt::LeftButton);
    else
        menu.item(control)->trigger();

    QCOMPARE(f.ui.modalWindows, QStringList{window});
    QCOMPARE(seen, QStringList{firstLine.value(window)});
    QVERIFY(f.ui.shown.isEmpty());
}

QTEST_MAIN(TestRegisterMenu)
#include "test_register_menu.moc"
