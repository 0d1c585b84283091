// The compaction replaces the data only by a copy that is complete: a copy
// cut short or not a database at all is refused, and the data stay as they
// were, readable by the program.

#include "support/TestSupport.h"

#include "book/Maintenance.h"
#include "data/Engine.h"
#include "data/Files.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCompactionCopy : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (testsOnServer())
            QSKIP("a server book is compacted by the server's own VACUUM");
    }

    void onlyCompleteCopyReplacesData_data()
    {
        QTest::addColumn<QString>("copy");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("sound copy") << u"sound"_qs << true;
        QTest::newRow("copy cut short") << u"cut"_qs << false;
        QTest::newRow("copy is no database") << u"garbage"_qs << false;
    }

    void onlyCompleteCopyReplacesData()
    {
        QFETCH(QString, copy);
        QFETCH(bool, replaced);
        AppFixture f;
        {
            Transaction t(f.db());
            for (int i = 0; i < 600; ++i)
                f.db().execute(u"insert into D_手形(処理,手形番号,取引先,金額) values(0,?,?,?)"_qs,
                               {u"N%1"_qs.arg(i), QString(100, u'社'), i});
            f.db().execute(u"delete from D_手形 where 金額 >= 300"_qs);
            t.commit();
        }
        const QString main = f.folder.file(files::kMainDb);
        f.ctx->CloseDataDatabase();
        const QByteArray before = bytesOf(main);
        QVERIFY(book::reopenData(*f.ctx) == book::ToolResult::Done);

        // The engine reports success whatever it left behind.
        const book::ToolResult result = book::compactData(*f.ctx, [&](const QString &source, const QString &newFile) {
            if (copy == u"garbage") {
                QFile out(newFile);
                QVERIFY(out.open(QIODevice::WriteOnly));
                out.write(QByteArray(64 * 1024, 'x'));
                return;
            }
            Engine::compact(source, newFile);
            if (copy == u"cut")
                QVERIFY(QFile::resize(newFile, QFileInfo(newFile).size() / 2));
        });

        QCOMPARE(result, replaced ? book::ToolResult::Done : book::ToolResult::NotDone);
        QVERIFY(!QFileInfo::exists(f.folder.file(files::kCompactWork)));
        QVERIFY(f.ctx->DataDb);
        QCOMPARE(f.db().scalar(u"select count(*) from D_手形"_qs).toInt(), 300);
        QCOMPARE(f.db().scalar(u"select sum(金額) from D_手形"_qs).toInt(), 299 * 300 / 2);
        if (replaced) {
            QVERIFY(f.ui.shown.isEmpty());
            QVERIFY(QFileInfo(main).size() < before.size());
        } else {
            QCOMPARE(f.ui.shown.size(), 1);
            QVERIFY2(f.ui.shown.at(0).text.startsWith(
                         u"最適化できませんでした。データは最適化する前のまま残っています。"_qs),
                     qPrintable(f.ui.shown.at(0).text));
            f.ctx->CloseDataDatabase();
            QCOMPARE(bytesOf(main), before);
        }
    }
};

QTEST_MAIN(TestCompactionCopy)
#include "test_compaction_copy.moc"
