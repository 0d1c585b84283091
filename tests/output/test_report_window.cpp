// The window 帳票出力 as a clerk uses it: choose what, type the period or
// the year end, choose how and where; bad input gets a message and writes
// nothing, good input writes the files the book makes.

#include "../master/MasterTest.h"
#include "support/ReportBills.h"

#include "app/MainMenu.h"
#include "output/ReportWindow.h"
#include "report/Renderer.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

using namespace sorvane;
using namespace sorvane::test;

namespace {

struct Form {
    QString what; // radio name
    QString how;  // radio name
    QString from;
    QString to;
    QString asOf;
    QString target; // relative to the output folder, "" for none
};

void fill(ReportWindow &w, const Form &form, const QString &folder)
{
    child<QRadioButton>(&w, form.what)->click();
    child<QRadioButton>(&w, form.how)->click();
    if (!form.from.isNull())
        child<QLineEdit>(&w, u"開始日"_qs)->setText(form.from);
    if (!form.to.isNull())
        child<QLineEdit>(&w, u"終了日"_qs)->setText(form.to);
    if (!form.asOf.isNull())
        child<QLineEdit>(&w, u"基準日"_qs)->setText(form.asOf);
    child<QLineEdit>(&w, u"保存先"_qs)
        ->setText(form.target.isEmpty() ? form.target : QDir(folder).filePath(form.target));
}

void addBills(Database &db)
{
    for (const KindCase &c : billsOfEveryKind(QDate(2026, 4, 1), 4))
        insertBill(db, c.bill);
    insertBill(db, issuedBill(QDate(2026, 4, 2), QStringLiteral("P1"), QStringLiteral("株式会社佐藤製作所"),
                              QDate(2026, 7, 1), 2500000));
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files);
}

} // namespace

Q_DECLARE_METATYPE(Form)

class TestReportWindow : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void badInputWritesNothing_data();
    void badInputWritesNothing();
    void writesFiles_data();
    void writesFiles();
    void overwriteAsksFirst_data();
    void overwriteAsksFirst();
    void choicesFollowWhat_data();
    void choicesFollowWhat();
    void previewShowsTheLedger();
    void menuOpensTheWindow();
};

void TestReportWindow::badInputWritesNothing_data()
{
    QTest::addColumn<Form>("form");
    QTest::addColumn<QString>("message");
    const QString ledger = u"受取手形記入帳"_qs;
    QTest::newRow("empty period") << Form{ledger, u"PDF"_qs, u""_qs, u"2026/4/30"_qs, {}, u"a.pdf"_qs}
                                  << u"期間の始めを入力してください"_qs;
    QTest::newRow("not a date") << Form{ledger, u"PDF"_qs, u"2026/2/30"_qs, u"2026/4/30"_qs, {}, u"a.pdf"_qs}
                                << u"期間の始め「2026/2/30」は日付として読めません\n"
                                   u"2027/3/31、令和9年3月31日、R9.3.31 のように入力してください"_qs;
    QTest::newRow("end before start") << Form{ledger, u"PDF"_qs, u"2026/4/30"_qs, u"2026/4/1"_qs, {}, u"a.pdf"_qs}
                                      << u"期間の始めが終わりより後になっています"_qs;
    QTest::newRow("no file named") << Form{ledger, u"PDF"_qs, u"2026/4/1"_qs, u"2026/4/30"_qs, {}, u""_qs}
                                   << u"保存先を指定してください"_qs;
    QTest::newRow("file in a missing folder")
        << Form{ledger, u"PDF"_qs, u"2026/4/1"_qs, u"2026/4/30"_qs, {}, u"missing/a.pdf"_qs}
        << u"保存先のフォルダーがありません: "_qs;
    QTest::newRow("nothing to output") << Form{ledger, u"PDF"_qs, u"2025/4/1"_qs, u"2025/4/30"_qs, {}, u"a.pdf"_qs}
                                       << u"出力する手形がありません"_qs;
    QTest::newRow("journal of an empty period")
        << Form{u"仕訳"_qs, u"CSV"_qs, u"R7.4.1"_qs, u"R7.4.30"_qs, {}, u"j.csv"_qs} << u"出力する手形がありません"_qs;
    QTest::newRow("year end not a date") << Form{u"内訳書"_qs, u"PDF"_qs, {}, {}, u"3月31日ごろ"_qs, u"s.pdf"_qs}
                                         << u"期末日「3月31日ごろ」は日付として読めません\n"
                                            u"2027/3/31、令和9年3月31日、R9.3.31 のように入力してください"_qs;
    QTest::newRow("statements after every due date")
        << Form{u"内訳書"_qs, u"CSV"_qs, {}, {}, u"2030/3/31"_qs, u"."_qs} << u"出力する手形がありません"_qs;
}

void TestReportWindow::badInputWritesNothing()
{
    QFETCH(Form, form);
    QFETCH(QString, message);
    WindowFixture f;
    addBills(f.db());
    QTemporaryDir out;
    ReportWindow w(*f.ctx, f.ui);
    QVERIFY(showActive(&w));
    fill(w, form, out.path());
    QTest::mouseClick(child<QPushButton>(&w, u"出力ボタン"_qs), Qt::LeftButton);
    QCOMPARE(f.ui.texts().size(), 1);
    QVERIFY2(f.ui.texts().first().startsWith(message), qPrintable(f.ui.texts().first()));
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(child<QPushButton>(&w, u"出力ボタン"_qs)->isEnabled());
}

void TestReportWindow::writesFiles_data()
{
    QTest::addColumn<Form>("form");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QByteArray>("start"); // how the first file begins
    QTest::addColumn<QString>("message");
    QTest::newRow("ledger PDF, era dates typed, suffix added")
        << Form{u"受取手形記入帳"_qs, u"PDF"_qs, u"令和8年4月1日"_qs, u"R8.4.30"_qs, {}, u"受取"_qs}
        << QStringList{u"受取.pdf"_qs} << QByteArray("%PDF-1.4") << u"4 件を出力しました"_qs;
    QTest::newRow("payable ledger") << Form{u"支払手形記入帳"_qs, u"PDF"_qs, u"2026/4/1"_qs,
                                            u"2026/4/30"_qs,      {},        u"p.pdf"_qs}
                                    << QStringList{u"p.pdf"_qs} << QByteArray("%PDF-1.4") << u"1 件を出力しました"_qs;
    QTest::newRow("journal for the first accounting program")
        << Form{u"仕訳"_qs, u"CSV"_qs, u"2026/4/1"_qs, u"2026/4/30"_qs, {}, u"j.csv"_qs} << QStringList{u"j.csv"_qs}
        << QByteArray("2000,1,,2026/04/01,") << u"6 件を出力しました"_qs;
    QTest::newRow("statements for the tax office")
        << Form{u"内訳書"_qs, u"CSV"_qs, {}, {}, u"2026/4/30"_qs, u"."_qs}
        << QStringList{u"HOI020_4.0_受取手形.csv"_qs, u"HOI080_4.0_支払手形.csv"_qs} << QByteArray("2,0,")
        << u"3 件を出力しました"_qs;
}

void TestReportWindow::writesFiles()
{
    QFETCH(Form, form);
    QFETCH(QStringList, files);
    QFETCH(QByteArray, start);
    QFETCH(QString, message);
    if (form.how == u"PDF" && !report::reportFontProblem().isEmpty())
        QSKIP("needs the report font IPAex Gothic: install fonts-ipaexfont-gothic (scripts/install-deps.sh)");
    WindowFixture f;
    addBills(f.db());
    QTemporaryDir out;
    ReportWindow w(*f.ctx, f.ui);
    QVERIFY(showActive(&w));
    fill(w, form, out.path());
    QTest::mouseClick(child<QPushButton>(&w, u"出力ボタン"_qs), Qt::LeftButton);
    QCOMPARE(f.ui.shown.size(), 1);
    QVERIFY2(f.ui.shown.first().text.startsWith(message), qPrintable(f.ui.shown.first().text));
    QCOMPARE(filesIn(out.path()), files);
    QFile first(QDir(out.path()).filePath(files.first()));
    QVERIFY(first.open(QIODevice::ReadOnly));
    QVERIFY2(first.readAll().startsWith(start), qPrintable(files.first()));
    QVERIFY(f.ui.shown.first().text.contains(QDir::toNativeSeparators(first.fileName())));
}

void TestReportWindow::overwriteAsksFirst_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("kept") << false;
    QTest::newRow("replaced") << true;
}

void TestReportWindow::overwriteAsksFirst()
{
    QFETCH(bool, answer);
    WindowFixture f;
    addBills(f.db());
    QTemporaryDir out;
    const QString file = QDir(out.path()).filePath(u"j.csv"_qs);
    QFile old(file);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    ReportWindow w(*f.ctx, f.ui);
    QVERIFY(showActive(&w));
    fill(w, Form{u"仕訳"_qs, u"CSV"_qs, u"2026/4/1"_qs, u"2026/4/30"_qs, {}, u"j.csv"_qs}, out.path());
    child<QComboBox>(&w, u"仕訳形式"_qs)->setCurrentIndex(1);
    f.ui.answer(answer);
    QTest::mouseClick(child<QPushButton>(&w, u"出力ボタン"_qs), Qt::LeftButton);
    QCOMPARE(f.ui.shown.first().kind, Shown::Kind::Confirm);
    QCOMPARE(f.ui.shown.first().title, u"上書きの確認"_qs);
    QVERIFY(old.open(QIODevice::ReadOnly));
    const QByteArray bytes = old.readAll();
    if (answer)
        QVERIFY2(bytes.startsWith(u"取引No,取引日,"_qs.toUtf8()), bytes.constData());
    else
        QCOMPARE(bytes, QByteArray("old"));
    QCOMPARE(f.ui.shown.size(), answer ? 2 : 1);
}

void TestReportWindow::choicesFollowWhat_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QStringList>("disabled");
    QTest::addColumn<QString>("checkedHow");
    QTest::newRow("ledger") << u"支払手形記入帳"_qs
                            << QStringList{u"開始日"_qs, u"終了日"_qs, u"和暦"_qs, u"プレビュー"_qs, u"PDF"_qs}
                            << QStringList{u"基準日"_qs, u"仕訳形式"_qs, u"CSV"_qs, u"保存先"_qs} << u"プレビュー"_qs;
    QTest::newRow("statements") << u"内訳書"_qs << QStringList{u"基準日"_qs, u"CSV"_qs, u"印刷"_qs}
                                << QStringList{u"開始日"_qs, u"和暦"_qs, u"仕訳形式"_qs} << u"プレビュー"_qs;
    QTest::newRow("journal") << u"仕訳"_qs << QStringList{u"開始日"_qs, u"仕訳形式"_qs, u"CSV"_qs, u"保存先"_qs}
                             << QStringList{u"基準日"_qs, u"プレビュー"_qs, u"印刷"_qs, u"PDF"_qs} << u"CSV"_qs;
}

void TestReportWindow::choicesFollowWhat()
{
    QFETCH(QString, what);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, disabled);
    QFETCH(QString, checkedHow);
    WindowFixture f;
    ReportWindow w(*f.ctx, f.ui);
    QCOMPARE(w.objectName(), u"帳票出力"_qs);
    QCOMPARE(w.windowTitle(), u"帳票出力"_qs);
    // Today is 2026-12-07: this month, and the end of the last one.
    QCOMPARE(child<QLineEdit>(&w, u"開始日"_qs)->text(), u"2026/12/01"_qs);
    QCOMPARE(child<QLineEdit>(&w, u"終了日"_qs)->text(), u"2026/12/31"_qs);
    QCOMPARE(child<QLineEdit>(&w, u"基準日"_qs)->text(), u"2026/11/30"_qs);
    child<QRadioButton>(&w, what)->click();
    for (const QString &name : enabled)
        QVERIFY2(child<QWidget>(&w, name)->isEnabled(), qPrintable(name));
    for (const QString &name : disabled)
        QVERIFY2(!child<QWidget>(&w, name)->isEnabled(), qPrintable(name));
    QVERIFY(child<QRadioButton>(&w, checkedHow)->isChecked());
    QCOMPARE(child<QWidget>(&w, u"出力ボタン"_qs)->accessibleDescription(), u"出力ボタン"_qs);
}

void TestReportWindow::previewShowsTheLedger()
{
    WindowFixture f;
    addBills(f.db());
    ReportWindow w(*f.ctx, f.ui);
    QVERIFY(showActive(&w));
    fill(w, Form{u"受取手形記入帳"_qs, u"プレビュー"_qs, u"2026/4/1"_qs, u"2026/4/30"_qs, {}, {}}, {});
    QString title;
    f.ui.onModal(u"印刷プレビュー"_qs, [&](QDialog *d) { title = d->windowTitle(); });
    QTest::mouseClick(child<QPushButton>(&w, u"出力ボタン"_qs), Qt::LeftButton);
    QCOMPARE(f.ui.modalWindows, QStringList{u"印刷プレビュー"_qs});
    QCOMPARE(title, u"受取手形記入帳 - プレビュー"_qs);
    QVERIFY(f.ui.texts().isEmpty());

    // Nothing to preview: a message, no preview.
    f.ui.clear();
    child<QLineEdit>(&w, u"開始日"_qs)->setText(u"2020/1/1"_qs);
    child<QLineEdit>(&w, u"終了日"_qs)->setText(u"2020/1/31"_qs);
    QTest::mouseClick(child<QPushButton>(&w, u"出力ボタン"_qs), Qt::LeftButton);
    QVERIFY(f.ui.modalWindows.isEmpty());
    QCOMPARE(f.ui.texts(), QStringList{u"出力する手形がありません"_qs});
}

void TestReportWindow::menuOpensTheWindow()
{
    WindowFixture f;
    MainMenu menu(*f.ctx, f.ui);
    QAction *item = menu.item(u"M1帳票出力"_qs);
    QVERIFY(item);
    item->trigger();
    QCOMPARE(f.ui.modalWindows, QStringList{u"帳票出力"_qs});
}

QTEST_MAIN(TestReportWindow)
#include "test_report_window.moc"
