// The ledgers and statements as PDF files, read back with pdftotext as an
// accountant's program would read them: every bill once, its outcome beside
// it, the headers on every page.

#include "support/ReportBills.h"
#include "support/TestSupport.h"

#include "data/Formats.h"
#include "report/Exports.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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
    }
    void ledgerHoldsEveryBillOnce_data();
    void ledgerHoldsEveryBillOnce();
    void fortyBillsMakeTwoPages();
    void statementsOfBothSides();
    void failedWritesLeaveNothing_data();
    void failedWritesLeaveNothing();
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
    Bill issued;
    issued.処理 = 1;
    issued.日付 = QDate(2026, 4, 2);
    issued.番号 = QStringLiteral("P1");
    issued.取引先 = QStringLiteral("株式会社佐藤製作所");
    issued.期日 = QDate(2026, 7, 1);
    issued.金額 = 2500000;
    insertBill(f.db(), issued);

    QTemporaryDir csv;
    const QString file = f.folder.file(QStringLiteral("statements.pdf"));
    const report::Outcome o = report::statementFiles(f.db(), QDate(2026, 4, 30), file, csv.path());
    // In hand and handed on: 2 + 2 received, 1 issued.
    QCOMPARE(o.bills, 5);
    QCOMPARE(o.files.size(), 3);
    QCOMPARE(pageCount(file), 2);
    const QString text = pdfText(file);
    QVERIFY(text.contains(u"受取手形の内訳書"_qs) && text.contains(u"支払手形の内訳書"_qs));
    QVERIFY(text.contains(u"令和8年4月30日現在"_qs));
    QCOMPARE(linesWith(text, u"丸紅資材株式会社"_qs).size(), 2);
    QVERIFY(text.contains(u"株式会社佐藤製作所"_qs) && text.contains(u"2,500,000"_qs));
    QVERIFY(QFile::exists(csv.filePath(u"HOI020_3.0_受取手形.csv"_qs)));
    QVERIFY(QFile::exists(csv.filePath(u"HOI090_3.0_支払手形.csv"_qs)));
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

QTEST_MAIN(TestPdf)
#include "test_pdf.moc"
