// The pieces every bill window is built from: the long-list box, the Enter
// key, Qt's own texts in Japanese, and the endorsement dialog.

#include "support/TestSupport.h"

#include "ui/EndorsementDialog.h"
#include "ui/LineList.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using namespace sorvane;
using namespace sorvane::test;

class TestSharedWidgets : public QObject {
    Q_OBJECT
private slots:
    void lineListLaysOutOnlyWhatIsAsked();
    void lineListPicks_data();
    void lineListPicks();
    void enterKey_data();
    void enterKey();
    void qtTextsInJapanese();
    void menuItemsCarryTheirNames();
    void comboTakesFocusFromTools_data();
    void comboTakesFocusFromTools();
    void endorsementSlots_data();
    void endorsementSlots();
    void endorsementOpensInTheFirstName();
    void enterOnAQuestion_data();
    void enterOnAQuestion();
};

void TestSharedWidgets::lineListLaysOutOnlyWhatIsAsked()
{
    ui::LineList list;
    int formatted = 0;
    list.setLines(100000, [&formatted](int row) {
        ++formatted;
        return QStringLiteral("line %1").arg(row);
    });
    list.resize(300, 200);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QCOMPARE(list.count(), 100000);
    // A hundred thousand rows, and only the visible ones were laid out.
    QVERIFY2(formatted < 1000, qPrintable(QString::number(formatted)));
    QCOMPARE(list.lineText(99999), QStringLiteral("line 99999"));
    QCOMPARE(list.lineText(100000), QString());
    QCOMPARE(list.selectedRow(), -1);
    QCOMPARE(list.selectedText(), QString());
}

void TestSharedWidgets::lineListPicks_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<int>>("picked");
    QTest::newRow("click a line") << u"click"_qs << QList<int>{2};
    QTest::newRow("click the selected line again") << u"click twice"_qs << QList<int>{2, 2};
    QTest::newRow("arrow key to the next line") << u"down"_qs << QList<int>{2, 3};
    QTest::newRow("selected by the program") << u"program"_qs << QList<int>{};
    QTest::newRow("refilled") << u"refill"_qs << QList<int>{2};
}

void TestSharedWidgets::lineListPicks()
{
    QFETCH(QString, how);
    QFETCH(QList<int>, picked);
    ui::LineList list;
    list.setLines(5, [](int row) { return QStringLiteral("line %1").arg(row); });
    list.resize(300, 200);
    list.show();
    QApplication::setActiveWindow(&list);
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QSignalSpy spy(&list, &ui::LineList::rowPicked);
    const auto click = [&list](int row) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(row, 0)).center());
    };
    if (how == u"program") {
        list.selectRow(2);
        list.clearRowSelection();
        list.selectRow(1);
    } else {
        click(2);
        if (how == u"click twice")
            click(2);
        if (how == u"down")
            QTest::keyClick(&list, Qt::Key_Down);
        if (how == u"refill")
            list.setLines(3, [](int row) { return QString::number(row); });
    }
    QList<int> rows;
    for (const auto &args : spy)
        rows << args.at(0).toInt();
    QCOMPARE(rows, picked);
    if (how == u"refill")
        QCOMPARE(list.selectedRow(), -1);
}

void TestSharedWidgets::enterKey_data()
{
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focusAfter");
    QTest::addColumn<int>("clicks");
    QTest::newRow("text box moves on") << u"first"_qs << int(Qt::Key_Return) << u"combo"_qs << 0;
    QTest::newRow("combo box moves on") << u"combo"_qs << int(Qt::Key_Return) << u"check"_qs << 0;
    QTest::newRow("check box moves on, unchanged") << u"check"_qs << int(Qt::Key_Return) << u"save"_qs << 0;
    QTest::newRow("focused button is pressed") << u"save"_qs << int(Qt::Key_Return) << u"save"_qs << 1;
    QTest::newRow("keypad Enter presses it too") << u"save"_qs << int(Qt::Key_Enter) << u"save"_qs << 1;
    QTest::newRow("keypad Enter in a field moves on") << u"first"_qs << int(Qt::Key_Enter) << u"combo"_qs << 0;
}

void TestSharedWidgets::enterKey()
{
    QFETCH(QString, focused);
    QFETCH(int, key);
    QFETCH(QString, focusAfter);
    QFETCH(int, clicks);

    QDialog window;
    auto *first = ui::named<QLineEdit>(&window, QStringLiteral("first"));
    auto *combo = ui::typedCombo(&window, QStringLiteral("combo"));
    auto *check = ui::named<QCheckBox>(&window, QStringLiteral("check"));
    auto *save = ui::button(&window, QStringLiteral("save"), QStringLiteral("登　録"));
    auto *layout = new QVBoxLayout(&window);
    for (QWidget *w : std::initializer_list<QWidget *>{first, combo, check, save})
        layout->addWidget(w);
    ui::chainTabOrder({first, combo, check, save});
    ui::finishWindow(&window);
    QSignalSpy pressed(save, &QPushButton::clicked);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    window.findChild<QWidget *>(focused)->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                    key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);

    QWidget *now = QApplication::focusWidget();
    // An editable combo box holds the focus in its line edit.
    if (now == combo->lineEdit())
        now = combo;
    QCOMPARE(now, window.findChild<QWidget *>(focusAfter));
    QCOMPARE(pressed.count(), clicks);
    QVERIFY(window.isVisible());
    QVERIFY(!check->isChecked());
}

void TestSharedWidgets::qtTextsInJapanese()
{
    QVERIFY2(ui::loadQtTranslation(), "Qt's Japanese translation is not installed");
    // The texts the standard buttons and the fields' context menu are drawn from.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
    QCOMPARE(QCoreApplication::translate("QLineEdit", "&Paste"), QStringLiteral("貼り付け(&P)"));
}

void TestSharedWidgets::menuItemsCarryTheirNames()
{
    QDialog window;
    auto *layout = new QVBoxLayout(&window);
    int saved = 0;
    QMenu *file = ui::addFileMenu(
        &window, layout, [&saved] { ++saved; }, [] {});
    QAction *greyed = ui::addItem(file, u"MX1"_qs, u"&印刷"_qs);
    greyed->setEnabled(false);
    ui::finishWindow(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QAction *save = window.findChild<QAction *>(u"MH1"_qs);
    QAccessibleInterface *item = QAccessible::queryAccessibleInterface(save);
    QVERIFY(item);
    QCOMPARE(item->text(QAccessible::Description), u"MH1"_qs);
    QCOMPARE(item->text(QAccessible::Name), u"保存"_qs);
    QCOMPARE(item->role(), QAccessible::MenuItem);
    QCOMPARE(item->parent()->object(), file);
    // The menu lists the item among its children, as a tool walking the tree finds it.
    QAccessibleInterface *menu = QAccessible::queryAccessibleInterface(file);
    bool listed = false;
    for (int i = 0; i < menu->childCount(); ++i)
        listed = listed || menu->child(i)->text(QAccessible::Description) == u"MH1"_qs;
    QVERIFY(listed);
    // The menu itself, on the menu bar, carries the menu's name.
    QCOMPARE(QAccessible::queryAccessibleInterface(file->menuAction())->text(QAccessible::Description), u"MF"_qs);

    // Pressing it through the accessibility layer runs the item's action.
    item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(saved, 1);
    // A greyed item offers no action and does nothing.
    QAccessibleInterface *off = QAccessible::queryAccessibleInterface(greyed);
    QVERIFY(off->state().disabled);
    QCOMPARE(off->text(QAccessible::Name), u"印刷"_qs);
    QVERIFY(off->actionInterface()->actionNames().isEmpty());
}

void TestSharedWidgets::comboTakesFocusFromTools_data()
{
    QTest::addColumn<bool>("editable");
    QTest::newRow("code box (typed into)") << true;
    QTest::newRow("account pick list") << false;
}

// A tool finds the box by its name, asks for the focus, and types: the keys
// must reach the box, not the field that had the focus before.
void TestSharedWidgets::comboTakesFocusFromTools()
{
    QFETCH(bool, editable);
    QDialog window;
    auto *layout = new QVBoxLayout(&window);
    auto *before = new QLineEdit(&window);
    before->setObjectName(u"前"_qs);
    auto *combo = new QComboBox(&window);
    combo->setObjectName(u"Scode"_qs);
    combo->setEditable(editable);
    combo->addItems({u"5001"_qs, u"5002"_qs});
    combo->setCurrentIndex(-1);
    layout->addWidget(before);
    layout->addWidget(combo);
    ui::finishWindow(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    before->setFocus();

    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(combo);
    QCOMPARE(face->role(), QAccessible::ComboBox);
    QCOMPARE(face->text(QAccessible::Description), u"Scode"_qs);
    QCOMPARE(face->childCount(), editable ? 2 : 1);
    QCOMPARE(face->child(0)->object(), combo->view());
    QAccessibleActionInterface *actions = face->actionInterface();
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::setFocusAction()));
    actions->doAction(QAccessibleActionInterface::setFocusAction());
    QTRY_VERIFY(combo->hasFocus());
    if (editable) {
        QCOMPARE(face->child(1)->object(), combo->lineEdit());
        QTest::keyClicks(QApplication::focusWidget(), u"5002"_qs);
    } else {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    }
    QCOMPARE(before->text(), QString());
    QCOMPARE(combo->currentText(), editable ? u"5002"_qs : u"5001"_qs);
    QCOMPARE(face->text(QAccessible::Value), combo->currentText());

    // Pressing it opens the list, as a click does; pressing again closes it.
    actions->doAction(QAccessibleActionInterface::pressAction());
    QTRY_VERIFY(combo->view()->isVisible());
    actions->doAction(QAccessibleActionInterface::pressAction());
    QTRY_VERIFY(!combo->view()->isVisible());
}

void TestSharedWidgets::endorsementSlots_data()
{
    QTest::addColumn<int>("given");
    QTest::newRow("none") << 0;
    QTest::newRow("two") << 2;
    QTest::newRow("five, only four shown") << 5;
}

void TestSharedWidgets::endorsementSlots()
{
    QFETCH(int, given);
    EndorsementDialog d;
    // Whatever a previous bill left is gone.
    d.setSlots({{u"前"_qs, u"前住所"_qs}, {u"前2"_qs, {}}, {u"前3"_qs, {}}, {u"前4"_qs, u"x"_qs}});
    QList<book::Endorser> endorsers;
    for (int i = 1; i <= given; ++i)
        endorsers.append({QStringLiteral("氏名%1").arg(i), QStringLiteral("住所%1").arg(i)});
    d.load(u"A0123"_qs, endorsers);
    QCOMPARE(child<QLabel>(&d, u"手形番号"_qs)->text(), u"A0123"_qs);
    const book::EndorserSlots typed = d.typedSlots();
    QCOMPARE(typed.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const bool filled = i < given;
        QCOMPARE(typed.at(i).name, filled ? QStringLiteral("氏名%1").arg(i + 1) : QString());
        QCOMPARE(child<QLineEdit>(&d, QStringLiteral("住所%1").arg(i + 1))->text(),
                 filled ? QStringLiteral("住所%1").arg(i + 1) : QString());
    }
}

void TestSharedWidgets::endorsementOpensInTheFirstName()
{
    QWidget window;
    window.show();
    EndorsementDialog d(&window);
    for (int use = 1; use <= 2; ++use) {
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        // A name typed at once goes into 氏名1, never a space onto 閉じる.
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(&d, u"氏名1"_qs));
        // Closed from the button, which takes the focus with the click.
        QTest::mouseClick(child<QPushButton>(&d, u"閉じるボタン"_qs), Qt::LeftButton);
        QVERIFY(!d.isVisible());
    }
}

void TestSharedWidgets::enterOnAQuestion_data()
{
    QTest::addColumn<bool>("cancelByDefault");
    QTest::newRow("a deletion: Enter cancels") << true;
    QTest::newRow("any other question: Enter is OK") << false;
}

void TestSharedWidgets::enterOnAQuestion()
{
    QFETCH(bool, cancelByDefault);
    QtUiService ui;
    QString pressed;
    // The real box is modal: Enter is pressed on it once it is up.
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        pressed = box->defaultButton() ? box->defaultButton()->text() : QString();
        QTest::keyClick(box, Qt::Key_Return);
    });
    poll.start(20);
    const bool ok = ui.confirm(u"削除しますよ\n元に戻せません"_qs, u"削除の確認"_qs,
                               cancelByDefault ? MessageService::Default::Cancel : MessageService::Default::Ok);
    QVERIFY(!pressed.isEmpty());
    QCOMPARE(ok, !cancelByDefault);
}

QTEST_MAIN(TestSharedWidgets)
#include "test_shared_widgets.moc"
