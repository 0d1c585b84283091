// The ledgers and statements as PDF files, read back with pdftotext as an
// accountant's program would read them: every bill once, its outcome beside
// it, the headers on every page.

#include "support/ReportBills.h"
#include "support/TestSupport.h"

#include "data/Formats.h"
#include "report/Exports.h"

#include <QBuffer>
#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace sorvane;
using namespace sorvane::test;

namespace {

// The text of the pages, laid out as on paper; empty when unreadable.
QString pdfText(const QString &file, int page = 0)
{
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    args << file << QStringLiteral("-");
    QProcess p;
    p.start(QStringLiteral("pdftotext"), args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pageCount(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {file});
    if (!p.waitForFinished(60000))
        return -1;
    const auto m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QStringList linesWith(const QString &text, const QString &word)
{
    QStringList out;
    for (const QString &line : text.split(u'\n'))
        if (line.contains(word))
            out << line;
    return out;
}

} // namespace

class TestPdf : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdftotext is missing: scripts/install-deps.sh installs poppler-utils");
        if (!report::reportFontProblem().isEmpty())
            QSKIP("needs the report font IPAex Gothic: install fonts-ipaexfont-gothic (scripts/install-deps.sh)");
    }
    void ledgerHoldsEveryBillOnce_data();
    void ledgerHoldsEveryBillOnce();
    void fortyBillsMakeTwoPages();
    void statementsOfBothSides();
    void failedWritesLeaveNothing_data();
    void failedWritesLeaveNothing();
    void tallRowsKeepEveryLine_data();
    void tallRowsKeepEveryLine();
    void lastPageNamesTheYear_data();
    void lastPageNamesTheYear();
    void longBillNumberStaysOnOneLine_data();
    void longBillNumberStaysOnOneLine();
};

void TestPdf::ledgerHoldsEveryBillOnce_data()
{
    QTest::addColumn<bool>("era");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("dueOfFirst");
    QTest::newRow("Gregorian") << false << u"2026年"_qs << u"2026/06/30"_qs;
    QTest::newRow("Japanese era") << true << u"令和8年"_qs << u"R8.06.30"_qs;
}

void TestPdf::ledgerHoldsEveryBillOnce()
{
    QFETCH(bool, era);
    QFETCH(QString, year);
    QFETCH(QString, dueOfFirst);
    AppFixture f;
    const QList<KindCase> cases = billsOfEveryKind(QDate(2026, 4, 1), 12);
    for (const KindCase &c : cases)
        insertBill(f.db(), c.bill);
    const QString file = f.folder.file(QStringLiteral("ledger.pdf"));
    const report::Outcome o = report::ledgerPdf(f.db(), book::Side::Receivable, QDate(2026, 4, 1), QDate(2026, 4, 30),
                                                era ? report::DateStyle::Era : report::DateStyle::Gregorian, file);
    QCOMPARE(o.bills, 12);
    QCOMPARE(o.pages, 1);
    QCOMPARE(pageCount(file), 1);
    const QString text = pdfText(file);
    QVERIFY2(text.contains(u"受取手形記入帳"_qs), qPrintable(text));
    QVERIFY(text.contains(year));
    QVERIFY(text.contains(u"合計 12 件"_qs));
    for (const KindCase &c : cases) {
        const QStringList lines = linesWith(text, c.bill.番号);
        QVERIFY2(lines.size() == 1, qPrintable(c.bill.番号 + u'\n' + text));
        const QString &line = lines.first();
        QVERIFY2(line.contains(fmt::amount(c.bill.金額)), qPrintable(line));
        if (c.outcome.isEmpty()) {
            for (const QString &word : {u"譲渡"_qs, u"不渡"_qs, u"決済"_qs})
                QVERIFY2(!line.contains(word), qPrintable(line));
        } else {
            QVERIFY2(line.contains(c.outcome), qPrintable(c.kind + u": "_qs + line));
        }
    }
    QVERIFY(linesWith(text, cases[0].bill.番号).first().contains(dueOfFirst));
}

void TestPdf::fortyBillsMakeTwoPages()
{
    AppFixture f;
    const QList<KindCase> cases = billsOfEveryKind(QDate(2026, 4, 1), 40);
    for (const KindCase &c : cases)
        insertBill(f.db(), c.bill);
    const QString file = f.folder.file(QStringLiteral("ledger.pdf"));
    const report::Outcome o = report::ledgerPdf(f.db(), book::Side::Receivable, QDate(2026, 4, 1), QDate(2026, 4, 30),
                                                report::DateStyle::Gregorian, file);
    QCOMPARE(o.pages, 2);
    QCOMPARE(pageCount(file), 2);
    int found = 0;
    for (int page = 1; page <= 2; ++page) {
        const QString text = pdfText(file, page);
        for (const QString &header : {u"受取手形記入帳"_qs, u"手形番号"_qs, u"振出人または裏書人"_qs, u"てん末"_qs,
                                      u"2026年"_qs, QStringLiteral("%1 / 2 ページ").arg(page)})
            QVERIFY2(text.contains(header), qPrintable(QStringLiteral("page %1 lacks %2").arg(page).arg(header)));
        for (const KindCase &c : cases)
            found += int(linesWith(text, c.bill.番号).size());
    }
    QCOMPARE(found, 40);
}

void TestPdf::statementsOfBothSides()
{
    AppFixture f;
    const QList<KindCase> cases = billsOfEveryKind(QDate(2026, 4, 1), 8);
    for (const KindCase &c : cases)
        insertBill(f.db(), c.bill);
    insertBill(f.db(), issuedBill(QDate(2026, 4, 2), QStringLiteral("P1"), QStringLiteral("株式会社佐藤製作所"),
                                  QDate(2026, 7, 1), 2500000));
    // A customer with its 登録番号, the drawer of one bill.
    f.db().execute(u"insert into T0 (tc, tn, 登録番号) values ('ABC', 'ABC商事', 'T7123456789012')"_qs);
    Bill own = cases[0].bill;
    own.番号 = QStringLiteral("OWN");
    own.コード = QStringLiteral("ABC");
    own.取引先 = QStringLiteral("ABC商事");
    own.振出人 = QString();
    insertBill(f.db(), own);

    QTemporaryDir csv;
    const QString file = f.folder.file(QStringLiteral("statements.pdf"));
    const report::Outcome o = report::statementFiles(f.db(), QDate(2026, 4, 30), file, csv.path());
    // In hand and handed on: 2 + 2 received, the customer's own, 1 issued.
    QCOMPARE(o.bills, 6);
    QCOMPARE(o.files.size(), 3);
    QCOMPARE(pageCount(file), 2);
    const QString text = pdfText(file);
    QVERIFY(text.contains(u"受取手形の内訳書"_qs) && text.contains(u"支払手形の内訳書"_qs));
    QVERIFY(text.contains(u"令和8年4月30日現在"_qs));
    QCOMPARE(linesWith(text, u"丸紅資材株式会社"_qs).size(), 2);
    QVERIFY(text.contains(u"株式会社佐藤製作所"_qs) && text.contains(u"2,500,000"_qs));
    QVERIFY(QFile::exists(csv.filePath(u"HOI020_4.0_受取手形.csv"_qs)));
    QVERIFY(QFile::exists(csv.filePath(u"HOI080_4.0_支払手形.csv"_qs)));
    // The forms of the year carry the parties' numbers.
    QVERIFY(text.contains(u"登録番号（法人番号）"_qs));
    QCOMPARE(linesWith(text, u"T7123456789012"_qs).size(), 1);
    QVERIFY(linesWith(text, u"T7123456789012"_qs).first().contains(u"ＡＢＣ商事"_qs));
}

void TestPdf::failedWritesLeaveNothing_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << u"missing/ledger.pdf"_qs << u"フォルダーがありません"_qs;
    QTest::newRow("a folder") << u"sub"_qs << u"フォルダーです"_qs;
    QTest::newRow("no name") << QString() << u"保存先を指定してください"_qs;
}

void TestPdf::failedWritesLeaveNothing()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);
    AppFixture f;
    for (const KindCase &c : billsOfEveryKind(QDate(2026, 4, 1), 3))
        insertBill(f.db(), c.bill);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const QString file = target.isEmpty() ? QString() : dir.filePath(target);
    try {
        report::ledgerPdf(f.db(), book::Side::Receivable, QDate(2026, 4, 1), QDate(2026, 4, 30),
                          report::DateStyle::Gregorian, file);
        QFAIL("written anyway");
    } catch (const DbError &e) {
        QVERIFY2(e.description().contains(reason), qPrintable(e.description()));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"sub"_qs});
    QVERIFY(QDir(dir.filePath(u"sub"_qs)).isEmpty());

    // An empty period writes nothing either.
    try {
        report::ledgerPdf(f.db(), book::Side::Payable, QDate(2025, 4, 1), QDate(2025, 4, 30),
                          report::DateStyle::Gregorian, dir.filePath(u"p.pdf"_qs));
        QFAIL("written anyway");
    } catch (const DbError &e) {
        QCOMPARE(e.description(), report::nothingToOutput());
    }
    QVERIFY(!QFile::exists(dir.filePath(u"p.pdf"_qs)));
}

namespace {

QPdfWriter *measuringDevice(QBuffer &buffer)
{
    buffer.open(QIODevice::WriteOnly);
    auto *pdf = new QPdfWriter(&buffer);
    pdf->setResolution(600);
    return pdf;
}

// A document of the ledger's shape: n short rows of 2026.
report::Document ledgerLike(int n)
{
    report::Document doc;
    doc.title = QStringLiteral("受取手形記入帳");
    doc.subtitle = QStringLiteral("試し");
    doc.columns = {{u"日付"_qs, u"月"_qs, 6, Qt::AlignRight},
                   {u"日付"_qs, u"日"_qs, 6, Qt::AlignRight},
                   {{}, u"手形番号"_qs, 18, Qt::AlignLeft, true},
                   {{}, u"振出人または裏書人"_qs, 60, Qt::AlignLeft},
                   {{}, u"手形金額"_qs, 22, Qt::AlignRight}};
    doc.yearColumn = 0;
    for (int i = 0; i < n; ++i) {
        doc.rows << QStringList{u"4"_qs, QString::number(i % 30 + 1),
                                QStringLiteral("N%1").arg(i, 3, 10, QLatin1Char('0')), u"青葉物産株式会社"_qs,
                                u"1,000"_qs};
        doc.rowYears << u"2026年"_qs;
    }
    doc.totals = QStringList{{}, {}, QStringLiteral("合計 %1 件").arg(n), {}, u"9,999"_qs};
    return doc;
}

report::Document withoutTotals(int rows)
{
    report::Document d = ledgerLike(rows);
    d.totals.clear();
    return d;
}

// Words W0001, W0002, ... in one text, each found by itself in the PDF's text.
QString words(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QStringLiteral("W%1").arg(i, 4, 10, QLatin1Char('0'));
    return out.join(u' ');
}

} // namespace

void TestPdf::tallRowsKeepEveryLine_data()
{
    QTest::addColumn<int>("rowsBefore");
    QTest::addColumn<int>("wordsInRow");
    QTest::addColumn<bool>("split");
    // A row of a few lines below a nearly full page moves to the next page whole.
    QTest::newRow("moves to the next page") << -1 << 40 << false;
    // A row taller than a page goes on over pages, marked.
    QTest::newRow("taller than a page") << 3 << 1500 << true;
}

void TestPdf::tallRowsKeepEveryLine()
{
    QFETCH(int, rowsBefore);
    QFETCH(int, wordsInRow);
    QFETCH(bool, split);
    QBuffer buffer;
    std::unique_ptr<QPdfWriter> device(measuringDevice(buffer));
    // Fill the first page to its last line when asked.
    int before = rowsBefore;
    if (before < 0) {
        before = 1;
        while (report::pageCount(withoutTotals(before + 1), device.get()) == 1)
            ++before;
    }
    report::Document doc = ledgerLike(before);
    doc.rows << QStringList{u"5"_qs, u"1"_qs, u"TALL"_qs, words(1, wordsInRow), u"5,000"_qs};
    doc.rowYears << u"2026年"_qs;
    doc.rows << QStringList{u"5"_qs, u"2"_qs, u"AFTER"_qs, u"北斗"_qs, u"6,000"_qs};
    doc.rowYears << u"2026年"_qs;
    QTemporaryDir dir;
    const QString file = dir.filePath(u"tall.pdf"_qs);
    report::writePdf({doc}, file);
    const int pages = pageCount(file);
    QVERIFY(pages >= 2);
    const QString all = pdfText(file);
    // Every word of the tall row is there, once.
    for (int i = 1; i <= wordsInRow; ++i) {
        const QString w = QStringLiteral("W%1").arg(i, 4, 10, QLatin1Char('0'));
        QVERIFY2(all.count(w) == 1, qPrintable(w));
    }
    QCOMPARE(all.contains(u"（次ページへ続く）"_qs), split);
    QCOMPARE(all.contains(u"（前ページから続く）"_qs), split);
    if (!split) {
        // All of the row on the second page, nothing of it cut at the first page's bottom.
        QVERIFY(!pdfText(file, 1).contains(u"W0001"_qs));
        QVERIFY(pdfText(file, 2).contains(u"W0001"_qs) && pdfText(file, 2).contains(words(wordsInRow, wordsInRow)));
    } else {
        QVERIFY(pages >= 3);
    }
    // Each page has its headers; the row after follows.
    for (int page = 1; page <= pages; ++page)
        QVERIFY2(pdfText(file, page).contains(u"振出人または裏書人"_qs), qPrintable(QString::number(page)));
    QVERIFY(all.contains(u"AFTER"_qs));
}

void TestPdf::lastPageNamesTheYear_data()
{
    QTest::addColumn<bool>("era");
    QTest::addColumn<QString>("year");
    QTest::newRow("Gregorian") << false << u"2026年"_qs;
    QTest::newRow("Japanese era") << true << u"令和8年"_qs;
}

// A last page that holds only the total still names the year in its header.
void TestPdf::lastPageNamesTheYear()
{
    QFETCH(bool, era);
    QFETCH(QString, year);
    QBuffer buffer;
    std::unique_ptr<QPdfWriter> device(measuringDevice(buffer));
    // As many rows as fill the first page exactly.
    int n = 1;
    while (report::pageCount(withoutTotals(n + 1), device.get()) == 1)
        ++n;
    AppFixture f;
    for (int i = 0; i < n; ++i) {
        Bill b;
        b.日付 = QDate(2026, 4, 1 + i % 28);
        b.番号 = QStringLiteral("Y%1").arg(i, 3, 10, QLatin1Char('0'));
        b.取引先 = QStringLiteral("青葉商事");
        b.金額 = 1000;
        insertBill(f.db(), b);
    }
    const QString file = f.folder.file(QStringLiteral("ledger.pdf"));
    const report::Document doc = report::ledger(f.db(), book::Side::Receivable, QDate(2026, 4, 1), QDate(2026, 4, 30),
                                                era ? report::DateStyle::Era : report::DateStyle::Gregorian);
    report::writePdf({doc}, file);
    QCOMPARE(pageCount(file), 2);
    QVERIFY2(linesWith(pdfText(file, 2), u"Y0"_qs).isEmpty(), "the rows fill the first page, the total is alone");
    const QString last = pdfText(file, 2);
    QVERIFY2(last.contains(QStringLiteral("合計 %1 件").arg(n)), qPrintable(last));
    QVERIFY2(last.contains(year), qPrintable(last));
    QVERIFY2(!last.contains(u"日付"_qs), qPrintable(last));
}

void TestPdf::longBillNumberStaysOnOneLine_data()
{
    QTest::addColumn<QString>("number");
    QTest::newRow("fits") << u"AB-12345"_qs;
    QTest::newRow("long") << u"ABCDEFGHIJ-0123456789-KLMNOP"_qs;
    QTest::newRow("very long") << u"ABCDEFGHIJ-0123456789-KLMNOPQRST-0123456789"_qs;
}

// The number is drawn on one line inside its column, however long: its
// text ends before the next column's (摘要) begins.
void TestPdf::longBillNumberStaysOnOneLine()
{
    QFETCH(QString, number);
    AppFixture f;
    Bill b;
    b.日付 = QDate(2026, 4, 3);
    b.番号 = number;
    b.取引先 = QStringLiteral("青葉商事");
    b.金額 = 1000;
    insertBill(f.db(), b);
    const QString file = f.folder.file(QStringLiteral("ledger.pdf"));
    report::ledgerPdf(f.db(), book::Side::Receivable, QDate(2026, 4, 1), QDate(2026, 4, 30),
                      report::DateStyle::Gregorian, file);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {u"-bbox"_qs, file, u"-"_qs});
    QVERIFY(p.waitForFinished(60000));
    const QString boxes = QString::fromUtf8(p.readAllStandardOutput());
    const auto box = [&](const QString &word) {
        const QRegularExpression re(QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\"[^>]*>%1<")
                                        .arg(QRegularExpression::escape(word)));
        QList<QPair<double, double>> found;
        for (auto it = re.globalMatch(boxes); it.hasNext();) {
            const auto m = it.next();
            found << qMakePair(m.captured(1).toDouble(), m.captured(2).toDouble());
        }
        return found;
    };
    const auto numberBoxes = box(number);
    QCOMPARE(numberBoxes.size(), 1); // one word on one line
    const auto summary = box(u"売掛金"_qs);
    QCOMPARE(summary.size(), 1);
    const double padding = 72 / 25.4; // the cell's 1 mm on either side of the border
    QVERIFY2(numberBoxes.first().second <= summary.first().first - padding,
             qPrintable(QStringLiteral("%1 > %2").arg(numberBoxes.first().second).arg(summary.first().first)));
}

QTEST_MAIN(TestPdf)
#include "test_pdf.moc"
