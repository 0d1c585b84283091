// The main window: every button and menu item with its caption, place and
// enabled state, the activation step, the version box and exit.

#include "app/Logo.h"
#include "app/MainMenu.h"
#include "help/ManualWindow.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

using namespace sorvane;
using namespace sorvane::test;

namespace {

QString s(const char16_t *t)
{
    return QString::fromUtf16(t);
}

// The controls the activation step enables.
const QStringList kActivated = {s(u"M0入力"), s(u"M4ツール"), s(u"受取入力ボタン"), s(u"支払入力ボタン"),
                                s(u"最適化"), s(u"初期化")};

} // namespace

class TestMainMenu : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppFixture> m_fx;
    std::unique_ptr<MainMenu> m_window;

private slots:
    void init()
    {
        m_fx = std::make_unique<AppFixture>();
        m_window = std::make_unique<MainMenu>(*m_fx->ctx, m_fx->ui);
    }

    void cleanup()
    {
        m_window.reset();
        m_fx.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty() ||
                std::none_of(QApplication::topLevelWidgets().cbegin(), QApplication::topLevelWidgets().cend(),
                             [](QWidget *w) { return w->isVisible(); }));
    }

    void buttons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("left");  // twips
        QTest::addColumn<int>("top");
        QTest::addColumn<bool>("enabled");  // when created
        const struct {
            const char16_t *name, *caption;
            int left, top;
            bool enabled;
        } rows[] = {
            {u"受取入力ボタン", u"入力", 480, 1680, true},
            {u"受取修正ボタン", u"修正と削除", 480, 2640, true},
            {u"支払入力ボタン", u"入力", 2880, 1680, true},
            {u"支払修正ボタン", u"修正と削除", 2880, 2640, true},
            {u"割引手形指定", u"手形指定", 5280, 1680, true},
            {u"割引手形解除", u"登録解除", 5280, 2640, true},
            {u"不渡手形指定", u"手形指定", 5280, 3600, true},
            {u"不渡手形解除", u"登録解除", 5280, 4560, true},
            {u"実集計", u"集計（期日）", 5280, 5520, true},
            {u"処理日集計", u"集計（処理日）", 5280, 6480, true},
            {u"口座別試算表", u"口座別試算表", 7680, 1680, true},
            {u"口座別資金確認", u"口座別資金確認", 7680, 2640, true},
            {u"手形予約確認", u"手形予約確認", 7680, 3600, true},
            {u"処理済手形", u"処理済手形一覧", 7680, 4560, true},
            {u"期日接近", u"期日接近分", 7680, 5520, true},
            {u"検索ボタン", u"検　索", 7800, 6480, true},
            {u"得意先登録", u"得意先登録", 10080, 1680, true},
            {u"仕入先登録", u"仕入先登録", 10080, 2640, true},
            {u"口座登録", u"口座登録", 10080, 3600, true},
            {u"保管場所登録", u"保管場所登録", 10080, 4560, true},
            {u"取立日数設定", u"取立日数設定", 10080, 5520, true},
            {u"割引先登録", u"割引先登録", 10080, 6480, true},
            {u"新年度処理", u"新年度処理", 12480, 1680, true},
            {u"バックアップ", u"バックアップ", 12480, 2640, true},
            {u"リストア", u"リストア", 12480, 3600, true},
            {u"最適化", u"最適化", 12480, 4560, true},
            {u"初期化", u"初期化", 12480, 5520, false},
            {u"終了ボタン", u"Sorvaneの終了", 480, 3720, true},
            {u"電子債権入力ボタン", u"債権入力", 14880, 1680, true},
            {u"電子債権一覧ボタン", u"債権一覧", 14880, 2640, true},
            {u"電子債務入力ボタン", u"債務入力", 14880, 3600, true},
            {u"電子債務一覧ボタン", u"債務一覧", 14880, 4560, true},
            {u"電子債権処理ボタン", u"譲渡/分割/割引", 14880, 5520, true},
        };
        for (const auto &r : rows)
            QTest::newRow(qPrintable(s(r.name))) << s(r.name) << s(r.caption) << r.left << r.top << r.enabled;
    }

    void buttons()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(bool, enabled);
        auto *b = child<QPushButton>(m_window.get(), name);
        QVERIFY(b);
        QCOMPARE(b->text(), caption);
        QCOMPARE(b->x(), left / 15);
        QCOMPARE(b->y(), top / 15);
        QCOMPARE(b->height(), 495 / 15);
        QCOMPARE(b->isEnabled(), enabled);
        // The caption fits the button.
        QVERIFY2(b->fontMetrics().horizontalAdvance(caption) + 8 <= b->width(), qPrintable(caption));
    }

    void headings_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("firstButton");
        const char16_t *rows[][3] = {
            {u"Label1", u"受取手形", u"受取入力ボタン"}, {u"Label2", u"支払手形と譲渡", u"支払入力ボタン"},
            {u"Label3", u"割引手形", u"割引手形指定"},   {u"Label4", u"不渡手形", u"不渡手形指定"},
            {u"Label5", u"計画と確認", u"口座別試算表"}, {u"Label6", u"初期設定", u"得意先登録"},
            {u"Label7", u"ツール", u"新年度処理"},       {u"Label8", u"集　計", u"実集計"},
            {u"Label9", u"検　索", u"検索ボタン"},       {u"Label10", u"でんさい", u"電子債権入力ボタン"},
        };
        for (const auto &r : rows)
            QTest::newRow(qPrintable(s(r[0]))) << s(r[0]) << s(r[1]) << s(r[2]);
    }

    void headings()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, firstButton);
        auto *label = child<QLabel>(m_window.get(), name);
        QVERIFY(label);
        QCOMPARE(label->text(), caption);
        // Each heading stands right above the first button of its group.
        auto *b = child<QPushButton>(m_window.get(), firstButton);
        QCOMPARE(label->x(), b->x());
        QVERIFY(label->geometry().bottom() < b->y());
        QVERIFY(b->y() - label->geometry().bottom() < 12);
    }

    void menuItems_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("menuCaption");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("enabled");
        const struct {
            const char16_t *menu, *menuCaption, *item, *caption;
            bool enabled;
        } rows[] = {
            {u"Mファイル", u"ファイル", u"M0新規", u"新規(現在のデータ)", false},
            {u"Mファイル", u"ファイル", u"M1open", u"開く (過去のデータ)", true},
            {u"Mファイル", u"ファイル", u"M2終了", u"終了", true},
            {u"M0入力", u"入力", u"M00受取手形", u"受取手形", true},
            {u"M0入力", u"入力", u"M01支払手形", u"支払手形", true},
            {u"M0入力", u"入力", u"M02割引", u"割引", true},
            {u"M0入力", u"入力", u"M03不渡", u"不渡", true},
            {u"M1一覧修正", u"一覧修正", u"M10受取手形", u"受取手形", true},
            {u"M1一覧修正", u"一覧修正", u"M11支払手形", u"支払手形", true},
            {u"M1一覧修正", u"一覧修正", u"M12割引手形", u"割引手形", true},
            {u"M1一覧修正", u"一覧修正", u"M13不渡手形", u"不渡手形", true},
            {u"M1一覧修正", u"一覧修正", u"M14満期", u"期日接近", true},
            {u"M2処理", u"計画と確認", u"M20口座別資金確認", u"口座別資金確認", true},
            {u"M2処理", u"計画と確認", u"M21口座別試算表", u"口座別試算表", true},
            {u"M2処理", u"計画と確認", u"M22処理済手形一覧表", u"処理済手形一覧", true},
            {u"M2処理", u"計画と確認", u"M23手形予約確認", u"手形予約確認", true},
            {u"M集計", u"集計", u"M1実績", u"集計(期日）", true},
            {u"M集計", u"集計", u"M2集計", u"集計（処理日）", true},
            {u"M検索", u"検索", u"M1手形検索", u"手形検索", true},
            {u"M検索", u"検索", u"M2手形履歴", u"手形履歴", true},
            {u"M3マスター", u"初期設定", u"M30得意先", u"得意先登録", true},
            {u"M3マスター", u"初期設定", u"M31仕入先", u"仕入先登録", true},
            {u"M3マスター", u"初期設定", u"M32口座", u"口座登録", true},
            {u"M3マスター", u"初期設定", u"M33保管場所", u"保管場所登録", true},
            {u"M3マスター", u"初期設定", u"M33処理日数", u"取立日数設定", true},
            {u"M3マスター", u"初期設定", u"M33割引", u"割引先登録", true},
            {u"M4ツール", u"ツール", u"M1新年度", u"新年度処理", true},
            {u"M4ツール", u"ツール", u"M41バックアップ", u"バックアップ", true},
            {u"M4ツール", u"ツール", u"M42リストア", u"リストア", true},
            {u"M4ツール", u"ツール", u"M43最適化", u"最適化", true},
            {u"M4ツール", u"ツール", u"M5初期化", u"初期化", true},
            {u"Mその他", u"その他", u"M1サウンド", u"音声on", false},
            {u"M帳票", u"帳票", u"M1帳票出力", u"帳票出力", true},
            {u"M6help", u"Help", u"H01操作", u"操作方法", true},
            {u"M6help", u"Help", u"H02ver", u"バージョン情報", true},
            {u"M7でんさい", u"でんさい", u"M70債権入力", u"電子記録債権入力", true},
            {u"M7でんさい", u"でんさい", u"M71債権一覧", u"電子記録債権一覧", true},
            {u"M7でんさい", u"でんさい", u"M72債務入力", u"電子記録債務入力", true},
            {u"M7でんさい", u"でんさい", u"M73債務一覧", u"電子記録債務一覧", true},
            {u"M7でんさい", u"でんさい", u"M74処理", u"譲渡・分割・割引", true},
        };
        for (const auto &r : rows)
            QTest::newRow(qPrintable(s(r.item))) << s(r.menu) << s(r.menuCaption) << s(r.item) << s(r.caption)
                                                 << r.enabled;
    }

    void menuItems()
    {
        QFETCH(QString, menu);
        QFETCH(QString, menuCaption);
        QFETCH(QString, item);
        QFETCH(QString, caption);
        QFETCH(bool, enabled);
        auto *m = child<QMenu>(m_window.get(), menu);
        QVERIFY(m);
        QCOMPARE(m->title(), menuCaption);
        QVERIFY(m->menuAction()->isEnabled());
        QAction *a = m_window->item(item);
        QVERIFY(a);
        QVERIFY(m->actions().contains(a));
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->isEnabled(), enabled);
    }

    void menuOrderAndSeparators()
    {
        auto *tools = child<QMenu>(m_window.get(), s(u"M4ツール"));
        QStringList names;
        for (QAction *a : tools->actions())
            names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(names, (QStringList{s(u"M1新年度"), QStringLiteral("-"), s(u"M41バックアップ"), s(u"M42リストア"),
                                     s(u"M43最適化"), QStringLiteral("-"), s(u"M5初期化")}));
        QStringList menus;
        for (QAction *a : m_window->menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus,
                 (QStringList{s(u"ファイル"), s(u"入力"), s(u"一覧修正"), s(u"計画と確認"), s(u"集計"), s(u"検索"),
                              s(u"初期設定"), s(u"ツール"), s(u"その他"), s(u"帳票"), s(u"Help"), s(u"でんさい")}));
    }

    void activationKeepsDisabledDisabled()
    {
        QMap<QString, bool> before;
        for (QPushButton *b : m_window->findChildren<QPushButton *>())
            before.insert(b->objectName(), b->isEnabled());
        for (QAction *a : m_window->findChildren<QAction *>())
            if (!a->objectName().isEmpty())
                before.insert(a->objectName(), a->isEnabled());

        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        for (int i = 0; i < 4; ++i) {
            m_window->activate();
            for (auto it = before.cbegin(); it != before.cend(); ++it) {
                const QString &name = it.key();
                QPushButton *b = m_window->button(name);
                QAction *a = m_window->item(name);
                const bool now = b ? b->isEnabled() : a->isEnabled();
                if (name == s(u"M0新規"))
                    QVERIFY(!now);
                else if (kActivated.contains(name))
                    QVERIFY2(now, qPrintable(name));
                else
                    QVERIFY2(now == it.value(), qPrintable(name));
            }
        }
        m_window->hide();
    }

    void helpItemOpensTheManualBesideTheMainWindow()
    {
        m_window->item(s(u"H01操作"))->trigger();
        ManualWindow *manual = m_window->manual();
        QVERIFY(manual);
        QVERIFY(manual->isVisible());
        QCOMPARE(manual->objectName(), s(u"操作方法"));
        QVERIFY(!manual->isModal());
        QVERIFY(!manual->browser()->toPlainText().isEmpty());
        QVERIFY(m_fx->ui.shown.isEmpty());
        QVERIFY(m_fx->ui.modalWindows.isEmpty());
        // Chosen again, the one manual comes up instead of a second one.
        m_window->item(s(u"H01操作"))->trigger();
        QCOMPARE(m_window->manual(), manual);
        QCOMPARE(m_window->findChildren<ManualWindow *>().size(), 1);
        manual->close();
        QTRY_VERIFY(!m_window->manual());
    }

    void disabledItemsDoNothingWhenTriggered()
    {
        // A disabled action cannot be chosen; triggering it programmatically changes nothing either.
        for (const char16_t *name : {u"M1サウンド", u"M0新規"})
            m_window->item(s(name))->trigger();
        QVERIFY(m_fx->ui.shown.isEmpty());
        QVERIFY(m_fx->ui.modalWindows.isEmpty());
    }

    void versionBoxShowsCloseButton()
    {
        bool visible = false;
        QString product;
        m_fx->ui.onModal(QStringLiteral("Logo"), [&](QDialog *w) {
            auto *button = child<QPushButton>(w, s(u"閉じるボタン"));
            visible = button->isVisible();
            product = child<QLabel>(w, QStringLiteral("lblProductName"))->text();
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(!w->isVisible());
        });
        m_window->item(s(u"H02ver"))->trigger();
        QCOMPARE(m_fx->ui.modalWindows, QStringList{QStringLiteral("Logo")});
        QVERIFY(visible);
        QCOMPARE(product, QStringLiteral("Sorvane"));
        QVERIFY(m_window->windowTitle().startsWith(QStringLiteral("Sorvane ")));
    }

    void exitClosesDatabase_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("button") << s(u"終了ボタン");
        QTest::newRow("menu") << s(u"M2終了");
    }

    void exitClosesDatabase()
    {
        QFETCH(QString, control);
        QSignalSpy exit(m_window.get(), &MainMenu::exitRequested);
        if (QPushButton *b = m_window->button(control))
            b->click();
        else
            m_window->item(control)->trigger();
        QCOMPARE(exit.count(), 1);
        QCOMPARE(exit.at(0).at(0).toInt(), 0); // a chosen exit is a success
        QVERIFY(!m_fx->ctx->DataDb);
        QVERIFY(m_fx->ui.shown.isEmpty());
    }

    void closeBoxClosesDatabase()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->close();
        QVERIFY(!m_fx->ctx->DataDb);
    }
};

QTEST_MAIN(TestMainMenu)
#include "test_mainmenu.moc"
