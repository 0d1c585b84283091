#include "book/Sheet.h"

#include "book/ExportFiles.h"

namespace sorvane::book {

namespace {

QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

void appendLine(QString &out, const QStringList &fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString &f : fields)
        quoted << csvField(f);
    out += quoted.join(u',') + QStringLiteral("\r\n");
}

} // namespace

QString Sheet::header(int column) const
{
    const SheetColumn &c = columns.at(column);
    return c.group.isEmpty() ? c.title : c.group + u' ' + c.title;
}

QString plainNumber(const QString &cell)
{
    QString s = cell.trimmed();
    s.remove(u',');
    return s;
}

QByteArray sheetCsv(const Sheet &sheet)
{
    QString out;
    QStringList header;
    for (int c = 0; c < sheet.columns.size(); ++c)
        header << sheet.header(c);
    appendLine(out, header);
    const auto line = [&](const QStringList &cells) {
        QStringList fields;
        for (int c = 0; c < sheet.columns.size(); ++c) {
            const QString cell = cells.value(c);
            fields << (sheet.columns.at(c).number ? plainNumber(cell) : cell);
        }
        appendLine(out, fields);
    };
    for (const QStringList &row : sheet.rows)
        line(row);
    if (!sheet.totals.isEmpty())
        line(sheet.totals);
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

void writeSheetCsv(const Sheet &sheet, const QString &file)
{
    writeOutputFiles({OutputFile{file, sheetCsv(sheet)}});
}

} // namespace sorvane::book
