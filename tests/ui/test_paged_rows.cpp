// The rows behind a long list: read a page at a time when first shown, each
// page once, a missing row as an empty line, a failed read tried again.

#include "ui/PagedRows.h"

#include <QTest>

#include <stdexcept>

using namespace sorvane;

namespace {

struct Row {
    qint64 id = 0;
    QString text;
};

} // namespace

class TestPagedRows : public QObject {
    Q_OBJECT
private slots:
    void readsOnlyWhatIsShown_data()
    {
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<QList<int>>("pagesRead"); // first line of each read, in order
        QTest::newRow("nothing shown") << QList<int>{} << QList<int>{};
        QTest::newRow("first screen") << QList<int>{0, 1, 2, 30} << QList<int>{0};
        QTest::newRow("far down, then back") << QList<int>{249, 0, 248, 5} << QList<int>{200, 0};
        QTest::newRow("across a page border") << QList<int>{99, 100, 99} << QList<int>{0, 100};
        QTest::newRow("outside the list") << QList<int>{-1, 250, 1000} << QList<int>{};
    }

    void readsOnlyWhatIsShown()
    {
        QFETCH(QList<int>, shown);
        QFETCH(QList<int>, pagesRead);
        // Keys in list order are not in key order.
        QList<qint64> ids;
        for (int i = 0; i < 250; ++i)
            ids << (1000 - i * 3);
        QList<int> reads;
        ui::PagedRows<Row> rows;
        rows.reset(ids, [&](const QList<qint64> &some) {
            reads << int(ids.indexOf(some.first()));
            std::vector<Row> found;
            // In another order than asked, as a query may return them.
            for (auto it = some.crbegin(); it != some.crend(); ++it)
                found.push_back({*it, QStringLiteral("row %1").arg(*it)});
            return found;
        });
        for (int line : shown) {
            const Row *r = rows.row(line);
            if (line < 0 || line >= 250) {
                QVERIFY(!r);
                continue;
            }
            QVERIFY(r);
            QCOMPARE(r->id, ids.at(line));
            QCOMPARE(r->text, QStringLiteral("row %1").arg(ids.at(line)));
        }
        QCOMPARE(reads, pagesRead);
    }

    void missingAndFailedRows()
    {
        QList<qint64> ids{5, 6, 7, 6};
        int calls = 0;
        bool failing = true;
        ui::PagedRows<Row> rows;
        rows.reset(ids, [&](const QList<qint64> &some) {
            ++calls;
            if (failing)
                throw std::runtime_error("database is locked");
            std::vector<Row> found;
            for (qint64 id : some)
                if (id != 7) // deleted since the keys were read
                    found.push_back({id, QString::number(id)});
            return found;
        });
        // A read that fails shows nothing and is not kept.
        QVERIFY(!rows.row(0));
        QCOMPARE(calls, 1);
        failing = false;
        QVERIFY(rows.row(0));
        QCOMPARE(calls, 2);
        QVERIFY(!rows.row(2));
        // A key listed twice shows its row twice.
        QVERIFY(rows.row(1) && rows.row(3));
        QCOMPARE(rows.row(3)->text, QStringLiteral("6"));
        QCOMPARE(calls, 2);
        // Filled again: the old rows are forgotten.
        rows.reset({8}, [](const QList<qint64> &) { return std::vector<Row>{{8, QStringLiteral("8")}}; });
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.row(0)->text, QStringLiteral("8"));
        QVERIFY(!rows.row(1));
    }

    // A list filled from keys: each line from its row, a gone row an empty
    // line, and every line leads back to its own key.
    void listFilledFromKeys()
    {
        ui::LineList list;
        ui::PagedRows<Row> rows;
        ui::fillLines(
            &list, rows, {30, 10, 20},
            [](const QList<qint64> &some) {
                std::vector<Row> found;
                for (qint64 id : some)
                    if (id != 10)
                        found.push_back({id, QStringLiteral("bill %1").arg(id)});
                return found;
            },
            [](const Row &r) { return r.text + QStringLiteral(" ."); });
        QCOMPARE(list.lines(), (QStringList{u"bill 30 ."_qs, QString(), u"bill 20 ."_qs}));
        QCOMPARE((QList<qint64>{rows.idAt(0), rows.idAt(1), rows.idAt(2)}), (QList<qint64>{30, 10, 20}));
        QCOMPARE(rows.idAt(-1), 0);
        QCOMPARE(rows.idAt(3), 0);
    }
};

QTEST_MAIN(TestPagedRows)
#include "test_paged_rows.moc"
