// The manual (操作方法): its links, images and anchors resolve in the
// resources, every window the main window opens has its section, every
// message it quotes is the program's own text, and its search finds a word
// and says when a word is found nowhere.

#include "app/MainMenu.h"
#include "help/Manual.h"
#include "help/ManualWindow.h"
#include "master/TemplateWindow.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

using namespace sorvane;
using namespace sorvane::test;
using help::Manual;

namespace {

QString s(const char16_t *t)
{
    return QString::fromUtf16(t);
}

// Compared as a reader would: width, case and spaces do not matter.
QString plain(const QString &text)
{
    QString f = Manual::folded(text);
    f.remove(QRegularExpression(QStringLiteral("\\s")));
    return f;
}

struct Link {
    QString page;
    QString target;
};

// Every href of <a> and <link>, and every src of <img>, in one page's HTML.
QList<Link> references(const QString &page, const QString &attribute)
{
    const QRegularExpression re(attribute + QStringLiteral(R"re(="([^"]*)")re"));
    QList<Link> found;
    for (auto it = re.globalMatch(Manual::pageHtml(page)); it.hasNext();)
        found << Link{page, it.next().captured(1)};
    return found;
}

QStringList anchorsOf(const QString &page)
{
    static const QRegularExpression re(QStringLiteral(R"re(<a name="([^"]*)")re"));
    QStringList names;
    for (auto it = re.globalMatch(Manual::pageHtml(page)); it.hasNext();)
        names << it.next().captured(1);
    return names;
}

// The program's string literals as it shows them: adjacent literals joined,
// escapes read, as the compiler does.
QString programTexts()
{
    static QString all;
    if (!all.isEmpty())
        return all;
    const QString root = QStringLiteral(SORVANE_TEST_SOURCE_DIR "/..");
    static const QRegularExpression joined(QStringLiteral(R"re("\s*")re"));
    for (const QString &folder : {QStringLiteral("/src"), QStringLiteral("/tools")}) {
        QDirIterator it(root + folder, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (!f.open(QIODevice::ReadOnly))
                continue;
            QString code = QString::fromUtf8(f.readAll());
            // Literals split over lines are one text to the reader.
            code.replace(joined, QString());
            all += code;
        }
    }
    all.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    all.replace(QStringLiteral("\\\""), QStringLiteral("\""));
    return all;
}

// A message as the manual quotes it (lines by <br>, "…" where the program
// puts a name, a number or a date), in the pieces the program writes whole.
QStringList messagePieces(const QString &cellHtml)
{
    QString text = cellHtml;
    text.replace(QRegularExpression(QStringLiteral("<br\\s*/?>")), QStringLiteral("\n"));
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<")).replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    // The program builds some messages line by line or sentence by sentence.
    text.replace(u'\n', u'…').replace(QStringLiteral("。"), QStringLiteral("。…"));
    QStringList pieces;
    for (QString piece : text.split(u'…')) {
        piece = piece.trimmed();
        if (piece.size() >= 2)
            pieces << piece;
    }
    return pieces;
}

} // namespace

class TestManual : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> m_fx;
    std::unique_ptr<MainMenu> m_main;
    Manual m_manual;

    // Captions of the main window's items and buttons that do nothing in this build.
    QStringList greyedCaptions() const
    {
        QStringList captions;
        for (QAction *a : m_main->findChildren<QAction *>())
            if (!a->isEnabled() && !a->isSeparator() && !a->menu())
                captions << plain(a->text());
        for (QPushButton *b : m_main->findChildren<QPushButton *>())
            if (!b->isEnabled())
                captions << plain(b->text());
        return captions;
    }

    QStringList headings() const
    {
        QStringList titles;
        for (const help::Section &sec : m_manual.sections())
            titles << plain(sec.title);
        return titles;
    }

private slots:
    void initTestCase()
    {
        m_fx = std::make_unique<WindowFixture>();
        m_main = std::make_unique<MainMenu>(*m_fx->ctx, m_fx->ui);
        m_main->activate();
        QVERIFY(m_manual.sections().size() > 50);
    }

    void cleanupTestCase()
    {
        m_main.reset();
        m_fx.reset();
    }

    void pagesAreInTheResourcesAndListed_data()
    {
        QTest::addColumn<QString>("page");
        QDirIterator it(Manual::resourceFolder(), {QStringLiteral("*.html")}, QDir::Files);
        while (it.hasNext()) {
            const QString page = QFileInfo(it.next()).fileName();
            QTest::newRow(qPrintable(page)) << page;
        }
        for (const QString &page : Manual::pages())
            QTest::newRow(qPrintable(QStringLiteral("listed ") + page)) << page;
    }

    void pagesAreInTheResourcesAndListed()
    {
        QFETCH(QString, page);
        QVERIFY2(Manual::pages().contains(page), "a page the contents does not list");
        QVERIFY2(!Manual::pageHtml(page).isEmpty(), "a listed page missing from the resources");
        QVERIFY2(Manual::pageHtml(page).contains(QStringLiteral("<h1>")), "a page without title");
    }

    void linksResolve_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("target");
        for (const QString &page : Manual::pages())
            for (const Link &l : references(page, QStringLiteral("href")))
                QTest::newRow(qPrintable(page + QStringLiteral(" → ") + l.target)) << page << l.target;
    }

    void linksResolve()
    {
        QFETCH(QString, page);
        QFETCH(QString, target);
        const QUrl url = Manual::pageUrl(page).resolved(QUrl(target));
        QCOMPARE(url.scheme(), QStringLiteral("qrc"));
        const QString file = QFileInfo(url.path()).fileName();
        QVERIFY2(QFile::exists(u':' + url.path()), qPrintable(QStringLiteral("no page ") + url.path()));
        if (url.hasFragment())
            QVERIFY2(anchorsOf(file).contains(url.fragment()),
                     qPrintable(QStringLiteral("no anchor ") + url.fragment() + QStringLiteral(" in ") + file));
    }

    void imagesExist_data()
    {
        QTest::addColumn<QString>("image");
        for (const QString &page : Manual::pages())
            for (const Link &l : references(page, QStringLiteral("src")))
                QTest::newRow(qPrintable(page + QStringLiteral(" → ") + l.target)) << l.target;
    }

    void imagesExist()
    {
        QFETCH(QString, image);
        const QImage picture(Manual::resourceFolder() + u'/' + image);
        QVERIFY2(!picture.isNull(), "the image is not in the resources");
        // Shots are taken at the window's size and stay small in the program.
        QVERIFY(QFile(Manual::resourceFolder() + u'/' + image).size() < 150 * 1024);
    }

    // A shot no page shows is left over from a renamed or removed window.
    void everyShotIsShown_data()
    {
        QTest::addColumn<QString>("image");
        QDirIterator it(Manual::resourceFolder() + QStringLiteral("/images"), QDir::Files);
        while (it.hasNext()) {
            const QString image = QStringLiteral("images/") + QFileInfo(it.next()).fileName();
            QTest::newRow(qPrintable(image)) << image;
        }
    }

    void everyShotIsShown()
    {
        QFETCH(QString, image);
        QStringList shown;
        for (const QString &page : Manual::pages())
            for (const Link &l : references(page, QStringLiteral("src")))
                shown << l.target;
        QVERIFY(shown.contains(image));
    }

    // Every item of the menu bar, greyed ones included, has a heading a clerk finds.
    void menuItemsHaveSections_data()
    {
        QTest::addColumn<QString>("caption");
        for (QMenu *menu : m_main->menuBar()->findChildren<QMenu *>())
            for (QAction *a : menu->actions())
                if (!a->isSeparator())
                    QTest::newRow(qPrintable(menu->title() + u'/' + a->text())) << a->text();
    }

    void menuItemsHaveSections()
    {
        QFETCH(QString, caption);
        const QString wanted = plain(caption);
        const QStringList titles = headings();
        QVERIFY2(std::any_of(titles.cbegin(), titles.cend(), [&](const QString &t) { return t.contains(wanted); }),
                 "no heading names the item");
    }

    // Each window a command of the main window opens has the section named
    // after it, so a new window without its page fails here.
    void windowsOpenedFromTheMainWindowHaveSections_data()
    {
        QTest::addColumn<QString>("item");
        QList<QObject *> commands;
        for (QAction *a : m_main->findChildren<QAction *>())
            commands << a;
        for (QPushButton *b : m_main->findChildren<QPushButton *>())
            commands << b;
        for (QObject *o : std::as_const(commands)) {
            const QString command = o->property("command").toString();
            const bool enabled = qobject_cast<QAction *>(o) ? qobject_cast<QAction *>(o)->isEnabled()
                                                            : qobject_cast<QPushButton *>(o)->isEnabled();
            // Commands that change the book or end the program open no window to read about.
            if (!enabled || command.isEmpty() || command == u"-" || command == u"最適化" || command == u"初期化" ||
                command == u"終了")
                continue;
            QTest::newRow(qPrintable(o->objectName())) << o->objectName();
        }
    }

    void windowsOpenedFromTheMainWindowHaveSections()
    {
        QFETCH(QString, item);
        m_fx->ui.clear();
        if (QAction *a = m_main->item(item))
            a->trigger();
        else
            m_main->button(item)->click();
        QStringList opened = m_fx->ui.modalWindows;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && w != m_main.get() && qobject_cast<QDialog *>(w)) {
                opened << w->objectName();
                w->close();
            }
        QVERIFY2(!opened.isEmpty(), "the item opened no window");
        QStringList anchors;
        for (const QString &page : Manual::pages())
            anchors << anchorsOf(page);
        for (const QString &window : std::as_const(opened))
            QVERIFY2(anchors.contains(window), qPrintable(QStringLiteral("no section for ") + window));
    }

    // Windows other windows open, found by their names as well.
    void windowsOpenedFromOtherWindowsHaveSections_data()
    {
        QTest::addColumn<QString>("window");
        const WindowKit &kit = m_fx->kit;
        QList<QWidget *> windows = {kit.customerRegister(nullptr),  kit.supplierRegister(nullptr),
                                    kit.receivableResults(nullptr), kit.payableResults(nullptr),
                                    kit.history(nullptr, 0),        new TemplateWindow(*m_fx->ctx, m_fx->ui)};
        windows << &m_fx->endorsements;
        for (QWidget *w : std::as_const(windows)) {
            QTest::newRow(qPrintable(w->objectName())) << w->objectName();
            if (w != &m_fx->endorsements)
                delete w;
        }
    }

    void windowsOpenedFromOtherWindowsHaveSections()
    {
        QFETCH(QString, window);
        QStringList anchors;
        for (const QString &page : Manual::pages())
            anchors << anchorsOf(page);
        QVERIFY(anchors.contains(window));
    }

    // What the manual quotes is what the program says, character for
    // character. A window this build greys out is read about but not here.
    void messagesAreTheProgramsOwn_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("cell");
        static const QRegularExpression cells(QStringLiteral(R"re(<td class="msg">(.*?)</td>)re"),
                                              QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression h2(QStringLiteral(R"re(<h2>(.*?)</h2>)re"));
        int n = 0;
        for (const QString &page : Manual::pages()) {
            const QString html = Manual::pageHtml(page);
            for (auto it = cells.globalMatch(html); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                QString section = page;
                for (auto h = h2.globalMatch(html.left(m.capturedStart())); h.hasNext();)
                    section = h.next().captured(1).remove(QRegularExpression(QStringLiteral("<[^>]*>")));
                QTest::newRow(qPrintable(QStringLiteral("%1 %2/%3").arg(++n).arg(page, m.captured(1).left(30))))
                    << section << m.captured(1);
            }
        }
    }

    void messagesAreTheProgramsOwn()
    {
        QFETCH(QString, section);
        QFETCH(QString, cell);
        const QString heading = plain(section);
        for (const QString &greyed : greyedCaptions())
            if (heading.contains(greyed))
                QSKIP("the window of this section is greyed in this build");
        const QStringList pieces = messagePieces(cell);
        QVERIFY(!pieces.isEmpty());
        for (const QString &piece : pieces)
            QVERIFY2(programTexts().contains(piece), qPrintable(QStringLiteral("not the program's text: ") + piece));
    }

    // Each entry of the contents opens its place in the window.
    void contentsOpenEverySection_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < m_manual.sections().size(); ++i) {
            const help::Section &sec = m_manual.sections()[i];
            QTest::newRow(qPrintable(sec.page + u'#' + sec.title)) << i;
        }
    }

    void contentsOpenEverySection()
    {
        QFETCH(int, index);
        ManualWindow window;
        const help::Section &sec = window.manual().sections().at(index);
        QVERIFY(!sec.title.isEmpty());
        QVERIFY2(sec.level == 1 || !sec.anchor.isEmpty(), "a section heading without an anchor to jump to");
        QVERIFY(window.showSection(sec.page, sec.anchor));
        QCOMPARE(window.browser()->source().fileName(), sec.page);
        QVERIFY(window.browser()->toPlainText().contains(sec.title));
    }

    void search_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("page"); // of the first place; empty: found nowhere
        QTest::addColumn<QString>("anchor");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("a message title") << s(u"手形要件の欠落") << s(u"receivable.html") << s(u"手形要件")
                                         << s(u"「手形要件の欠落」は1か所にあります") << true;
        QTest::newRow("two words, both in one section") << s(u"割引枠　超過") << s(u"life.html") << s(u"割引手形指定")
                                                        << s(u"「割引枠　超過」は1か所にあります") << false;
        QTest::newRow("full-width letters find half-width ones")
            << s(u"ｓｏｒｖａｎｅ－ａｄｍｉｎ　ｈｉｓｔｏｒｙ") << s(u"admin.html") << s(u"history") << QString()
            << true;
        QTest::newRow("a word found nowhere") << s(u"ゴルフ会員権") << QString() << QString()
                                              << s(u"「ゴルフ会員権」はこのマニュアルのどこにも見つかりません\n"
                                                   u"別の言葉で探してください")
                                              << false;
        QTest::newRow("one word of two found nowhere")
            << s(u"譲渡 ゴルフ会員権") << QString() << QString()
            << s(u"「譲渡　ゴルフ会員権」はこのマニュアルのどこにも見つかりません\n別の言葉で探してください") << true;
        QTest::newRow("nothing typed") << s(u"　 ") << QString() << QString() << s(u"探す言葉を入力してください")
                                       << false;
    }

    void search()
    {
        QFETCH(QString, query);
        QFETCH(QString, page);
        QFETCH(QString, anchor);
        QFETCH(QString, message);
        ManualWindow window;
        window.show();
        auto *field = child<QLineEdit>(&window, s(u"検索語"));
        field->setText(query);
        // The clerk presses Enter in the field or clicks the button: both search.
        QFETCH(bool, byEnter);
        if (byEnter)
            QTest::keyClick(field, Qt::Key_Return);
        else
            QTest::mouseClick(child<QPushButton>(&window, s(u"検索ボタン")), Qt::LeftButton);

        const QString said = child<QLabel>(&window, s(u"検索メッセージ"))->text();
        auto *results = child<QListWidget>(&window, s(u"検索結果"));
        if (page.isEmpty()) {
            QCOMPARE(said, message);
            QCOMPARE(results->count(), 0);
            return;
        }
        if (!message.isEmpty())
            QCOMPARE(said, message);
        QVERIFY(results->count() >= 1);
        // The window went to the first place and selected the word there.
        const help::Hit first = window.manual().search(query).constFirst();
        QCOMPARE(window.manual().sections().at(first.section).page, page);
        QCOMPARE(window.manual().sections().at(first.section).anchor, anchor);
        QCOMPARE(window.browser()->source().fileName(), page);
        const QString selected = window.browser()->textCursor().selectedText();
        QCOMPARE(plain(selected), plain(Manual::words(query).constFirst()));
        window.close();
    }
};

QTEST_MAIN(TestManual)
#include "test_manual.moc"
