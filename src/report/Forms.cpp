#include "report/Forms.h"

#include "book/Era.h"
#include "book/ExportFiles.h"
#include "data/Formats.h"

namespace sorvane::report {

namespace {

const Qt::Alignment kRight = Qt::AlignRight;
const Qt::Alignment kCentre = Qt::AlignHCenter;

QString number(int n)
{
    return QString::number(n);
}

QString yearText(const QDate &date, DateStyle style)
{
    if (!date.isValid())
        return {};
    return style == DateStyle::Era ? book::eraYearText(date) : QStringLiteral("%1年").arg(date.year());
}

QString periodText(const QDate &from, const QDate &to, DateStyle style)
{
    const auto d = [style](const QDate &x) {
        return style == DateStyle::Era ? book::eraLong(x)
                                       : QStringLiteral("%1年%2月%3日").arg(x.year()).arg(x.month()).arg(x.day());
    };
    return QStringLiteral("期間 %1 〜 %2").arg(d(from), d(to));
}

} // namespace

Document sheetDocument(const book::Sheet &sheet)
{
    Document doc;
    doc.title = sheet.title;
    doc.subtitle = sheet.subtitle;
    for (const book::SheetColumn &c : sheet.columns)
        doc.columns << Column{c.group, c.title, c.width, c.number ? kRight : Qt::AlignLeft, c.number};
    doc.rows = sheet.rows;
    doc.totals = sheet.totals;
    return doc;
}

QString dateText(const QDate &date, DateStyle style)
{
    return style == DateStyle::Era ? book::eraShort(date) : fmt::ymd(date);
}

Document ledgerDocument(book::Side side, const QList<book::LedgerRow> &rows, const QDate &from, const QDate &to,
                        DateStyle style, book::LedgerKind kind)
{
    const bool receivable = side == book::Side::Receivable;
    Document doc;
    if (kind == book::LedgerKind::Electronic)
        doc.title = receivable ? QStringLiteral("電子記録債権記入帳") : QStringLiteral("電子記録債務記入帳");
    else
        doc.title = receivable ? QStringLiteral("受取手形記入帳") : QStringLiteral("支払手形記入帳");
    doc.subtitle = periodText(from, to, style);
    const QString dateGroup = QStringLiteral("日付");
    const QString endGroup = QStringLiteral("てん末");
    doc.columns = {
        {dateGroup, QStringLiteral("月"), 6, kRight},
        {dateGroup, QStringLiteral("日"), 6, kRight},
        {{}, QStringLiteral("手形種類"), 12, kCentre},
        {{}, QStringLiteral("手形番号"), 18, Qt::AlignLeft, true},
        {{}, QStringLiteral("摘要"), 28, Qt::AlignLeft},
        {{}, receivable ? QStringLiteral("支払人") : QStringLiteral("受取人"), 28, Qt::AlignLeft},
        {{}, receivable ? QStringLiteral("振出人または裏書人") : QStringLiteral("振出人"), 38, Qt::AlignLeft},
        {{}, QStringLiteral("振出日"), 18, kCentre},
        {{}, QStringLiteral("満期日"), 18, kCentre},
        {{}, QStringLiteral("支払場所"), 32, Qt::AlignLeft},
        {{}, QStringLiteral("手形金額"), 22, kRight},
        {endGroup, QStringLiteral("月"), 6, kRight},
        {endGroup, QStringLiteral("日"), 6, kRight},
        {endGroup, QStringLiteral("摘要"), 36, Qt::AlignLeft}};
    doc.yearColumn = 0;
    qint64 total = 0;
    for (const book::LedgerRow &r : rows) {
        doc.rows << QStringList{r.date.isValid() ? number(r.date.month()) : QString(),
                                r.date.isValid() ? number(r.date.day()) : QString(),
                                r.kind,
                                r.number,
                                r.summary,
                                r.party,
                                r.drawer,
                                dateText(r.issued, style),
                                dateText(r.due, style),
                                r.place,
                                fmt::amount(r.amount),
                                r.outcomeDate.isValid() ? number(r.outcomeDate.month()) : QString(),
                                r.outcomeDate.isValid() ? number(r.outcomeDate.day()) : QString(),
                                r.outcome};
        doc.rowYears << yearText(r.date, style);
        total += r.amount;
    }
    doc.totals = QStringList{
        {}, {}, {}, {}, QStringLiteral("合計 %1 件").arg(rows.size()), {}, {}, {}, {}, {}, fmt::amount(total),
        {}, {}, {}};
    return doc;
}

Document statementDocument(book::Side side, const QList<book::StatementLine> &lines, const QDate &asOf)
{
    const bool receivable = side == book::Side::Receivable;
    // The printed form is the one of the year, as the CSV's layout is; the
    // party is cut where the CSV cuts it, so paper and file agree.
    const book::EtaxLayout &layout = book::etaxLayout(side, asOf);
    const bool numbers = layout.lengthOf(book::EtaxSource::RegistrationNumber) > 0;
    const int partyLength = layout.lengthOf(book::EtaxSource::Party);
    Document doc;
    doc.title = receivable ? QStringLiteral("受取手形の内訳書") : QStringLiteral("支払手形の内訳書");
    doc.subtitle = QStringLiteral("%1現在").arg(book::eraLong(asOf));
    const QString bankGroup = QStringLiteral("支払銀行名");
    if (numbers)
        doc.columns << Column{{}, QStringLiteral("登録番号（法人番号）"), 30, Qt::AlignLeft, true};
    doc.columns << Column{{}, receivable ? QStringLiteral("振出人") : QStringLiteral("支払先"), 55, Qt::AlignLeft}
                << Column{{}, QStringLiteral("振出年月日"), 22, kCentre}
                << Column{{}, QStringLiteral("支払期日"), 22, kCentre}
                << Column{bankGroup, QStringLiteral("銀行名"), 32, Qt::AlignLeft}
                << Column{bankGroup, QStringLiteral("支店名"), 30, Qt::AlignLeft}
                << Column{{}, QStringLiteral("金額"), 30, kRight};
    if (receivable)
        doc.columns << Column{{}, QStringLiteral("割引銀行名及び支店名等"), 45, Qt::AlignLeft};
    doc.columns << Column{{}, QStringLiteral("摘要"), 35, Qt::AlignLeft};

    for (const book::StatementLine &l : lines) {
        QStringList row;
        if (numbers)
            row << l.number;
        if (l.kind == book::StatementLine::Kind::Total) {
            row << QStringLiteral("計 (%1 件)").arg(l.count) << QString() << QString() << QString() << QString()
                << fmt::amount(l.amount);
            if (receivable)
                row << QString();
            row << l.note;
            doc.totals = row;
            continue;
        }
        row << book::etaxText(l.party, partyLength) << dateText(l.issued, DateStyle::Era)
            << dateText(l.due, DateStyle::Era) << l.bank << l.branch << fmt::amount(l.amount);
        if (receivable)
            row << l.receiver;
        row << l.note;
        doc.rows << row;
    }
    return doc;
}

} // namespace sorvane::report
