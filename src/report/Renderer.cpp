#include "report/Renderer.h"

#include "data/Engine.h"

#include <QBuffer>
#include <QFileInfo>
#include <QHash>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>

#include <algorithm>
#include <memory>
#include <vector>

namespace sorvane::report {

namespace {

const QString kFontFamily = QStringLiteral("IPAexGothic");

// IPAex Gothic: Noto Sans CJK draws some Latin letters and digits with
// glyphs the PDF writer cannot name, so "A000" would read "A" in the file's
// text. The others only keep the preview and the printer readable.
QFont face(double points, bool bold = false)
{
    QFont f;
    f.setFamilies({kFontFamily, QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                   QStringLiteral("sans-serif")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

constexpr double kTitleMm = 9;
constexpr double kSubtitleMm = 6;
constexpr double kGapMm = 2;
constexpr double kHeaderRowMm = 6;
constexpr double kRowMm = 6.5;
constexpr double kFooterMm = 7;
constexpr double kPadMm = 1;
constexpr double kMarkMm = 4;
constexpr double kTextPoints = 7.5;
constexpr double kMarkPoints = 6;
constexpr double kSmallestPoints = 1;

// Lines break between words and between Japanese characters; a word wider
// than its column is broken anywhere (Qt's WrapAtWordBoundaryOrAnywhere).
const int kWrap = Qt::TextWordWrap;
const QString kContinues = QStringLiteral("（次ページへ続く）");
const QString kContinued = QStringLiteral("（前ページから続く）");

// One line of a page: a row of the table (or a part of a row split over
// pages), a year line or the totals.
struct Item {
    enum class Kind { Row, Year, Totals } kind;
    int row;      // Row: index in doc.rows
    QString year; // Year: its text
    double height;
    QStringList part = {};  // a split row: the lines of each cell on this page
    bool continued = false; // a split row's part after the first
    bool continues = false; // a split row's part before the last
};

class Layout {
public:
    Layout(const Document &doc, QPagedPaintDevice *device) : m_doc(doc), m_device(device)
    {
        device->setPageLayout(pageLayout());
        m_dpi = device->logicalDpiX();
        const QRect paint = device->pageLayout().paintRectPixels(m_dpi);
        m_width = paint.width();
        m_height = paint.height();
        m_font = face(kTextPoints);
        m_bold = face(kTextPoints, true);

        double sum = 0;
        for (const Column &c : doc.columns)
            sum += c.width;
        double x = 0;
        for (const Column &c : doc.columns) {
            const double w = sum > 0 ? c.width / sum * m_width : 0;
            m_left << x;
            m_widths << w;
            x += w;
        }
        paginate();
    }

    double mm(double v) const { return v * m_dpi / 25.4; }
    int pages() const { return int(m_pages.size()); }

    void drawPage(QPainter &p, int page) const
    {
        const QList<Item> &items = m_pages.at(page);
        p.setPen(QPen(Qt::black, mm(0.2)));

        // Title and subtitle, the same on every page.
        p.setFont(face(14, true));
        p.drawText(QRectF(0, 0, m_width, mm(kTitleMm)), Qt::AlignHCenter | Qt::AlignVCenter, m_doc.title);
        p.setFont(face(9));
        p.drawText(QRectF(0, mm(kTitleMm), m_width, mm(kSubtitleMm)), Qt::AlignHCenter | Qt::AlignVCenter,
                   m_doc.subtitle);

        double y = mm(kTitleMm + kSubtitleMm + kGapMm);
        drawHeader(p, y, m_pageYears.value(page));
        y += mm(2 * kHeaderRowMm);

        for (const Item &it : items) {
            switch (it.kind) {
            case Item::Kind::Row:
                drawCells(p, y, it, it.part.isEmpty() ? m_doc.rows.at(it.row) : it.part, m_font);
                break;
            case Item::Kind::Totals:
                drawCells(p, y, it, m_doc.totals, m_bold);
                break;
            case Item::Kind::Year: {
                const QRectF r(0, y, m_width, it.height);
                p.drawRect(r);
                p.setFont(m_bold);
                p.drawText(r.adjusted(mm(kPadMm), 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, it.year);
                break;
            }
            }
            y += it.height;
        }

        p.setFont(face(8));
        p.drawText(QRectF(0, m_height - mm(kFooterMm), m_width, mm(kFooterMm)), Qt::AlignHCenter | Qt::AlignBottom,
                   QStringLiteral("%1 / %2 ページ").arg(page + 1).arg(pages()));
    }

private:
    double inner(int column) const { return std::max(1.0, m_widths.at(column) - 2 * mm(kPadMm)); }

    double rowHeight(const QStringList &cells, const QFont &font) const
    {
        const QFontMetricsF fm(font, m_device);
        double h = mm(kRowMm);
        for (int i = 0; i < m_widths.size() && i < cells.size(); ++i) {
            if (cells.at(i).isEmpty())
                continue;
            const double need = m_doc.columns.at(i).oneLine
                                    ? fm.height()
                                    : fm.boundingRect(QRectF(0, 0, inner(i), 1e6), kWrap, cells.at(i)).height();
            h = std::max(h, need + 2 * mm(kPadMm));
        }
        return h;
    }

    // The lines a cell's text wraps into, as drawText wraps it.
    QStringList wrappedLines(const QString &text, int column) const
    {
        if (text.isEmpty())
            return {};
        if (m_doc.columns.at(column).oneLine)
            return {text};
        QStringList out;
        for (const QString &paragraph : text.split(u'\n')) {
            QTextLayout layout(paragraph, m_font, m_device);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(inner(column));
                out << paragraph.mid(line.textStart(), line.textLength());
            }
            layout.endLayout();
            if (paragraph.isEmpty())
                out << QString();
        }
        return out;
    }

    // A row too tall for a page, in parts: the first fills what is left of
    // the page (room), each further one a whole page (body). Every line of
    // every cell is on exactly one part.
    QList<Item> splitRow(int row, double room, double body) const
    {
        const QStringList cells = m_doc.rows.at(row);
        QList<QStringList> lines;
        qsizetype most = 0;
        for (int i = 0; i < cells.size() && i < m_doc.columns.size(); ++i) {
            lines << wrappedLines(cells.at(i), i);
            most = std::max(most, lines.last().size());
        }
        const double line = QFontMetricsF(m_font, m_device).lineSpacing();
        QList<Item> parts;
        qsizetype done = 0;
        double space = room;
        while (done < most) {
            Item it{Item::Kind::Row, row, {}, 0, {}, !parts.isEmpty(), true};
            const double marks = mm(kMarkMm) * (it.continued ? 2 : 1) + 2 * mm(kPadMm);
            qsizetype take = std::clamp<qsizetype>(qsizetype((space - marks) / line), 1, most - done);
            // The estimate from the line spacing, then fewer until the part fits.
            for (;; --take) {
                it.part.clear();
                for (const QStringList &cell : lines)
                    it.part << QStringList(cell.mid(done, take)).join(u'\n');
                it.continues = done + take < most;
                it.height =
                    rowHeight(it.part, m_font) + (it.continued ? mm(kMarkMm) : 0) + (it.continues ? mm(kMarkMm) : 0);
                if (it.height <= space || take <= 1)
                    break;
            }
            parts << it;
            done += take;
            space = body;
        }
        return parts;
    }

    void paginate()
    {
        const double body = m_height - mm(kTitleMm + kSubtitleMm + kGapMm + 2 * kHeaderRowMm + kFooterMm);
        QList<Item> page;
        double used = 0;
        QString lastYear;
        const auto newPage = [&] {
            m_pages << page;
            page.clear();
            used = 0;
        };
        const auto push = [&](const Item &it) {
            if (!page.isEmpty() && used + it.height > body)
                newPage();
            page << it;
            used += it.height;
        };
        const bool years = m_doc.yearColumn >= 0 && m_doc.rowYears.size() == m_doc.rows.size();
        for (int r = 0; r < m_doc.rows.size(); ++r) {
            const Item row{Item::Kind::Row, r, {}, rowHeight(m_doc.rows.at(r), m_font)};
            // The first row of a page names its year in the header; a change
            // of year inside a page gets a line, or else a new page.
            if (years) {
                const QString year = m_doc.rowYears.at(r);
                if (!lastYear.isEmpty() && year != lastYear && !page.isEmpty()) {
                    if (row.height <= body && used + mm(kRowMm) + row.height <= body)
                        push(Item{Item::Kind::Year, -1, year, mm(kRowMm)});
                    else
                        newPage();
                }
                lastYear = year;
            }
            if (row.height <= body) {
                push(row);
                continue;
            }
            // Taller than a page: split, starting where the page has room for a line or more.
            if (!page.isEmpty() && body - used < mm(2 * kMarkMm + kRowMm))
                newPage();
            for (const Item &part : splitRow(r, body - used, body)) {
                if (!page.isEmpty() && used + part.height > body)
                    newPage();
                page << part;
                used += part.height;
            }
        }
        if (!m_doc.totals.isEmpty())
            push(Item{Item::Kind::Totals, -1, {}, rowHeight(m_doc.totals, m_bold)});
        if (!page.isEmpty() || m_pages.isEmpty())
            m_pages << page;

        // The year of a page's header: that of its first row, or, on a page
        // that holds only the rest of the list, that of the rows before.
        QString year;
        for (const QList<Item> &items : m_pages) {
            QString first;
            for (const Item &it : items)
                if (it.kind == Item::Kind::Row && years) {
                    if (first.isEmpty())
                        first = m_doc.rowYears.at(it.row);
                    year = m_doc.rowYears.at(it.row);
                }
            m_pageYears << (first.isEmpty() ? year : first);
        }
    }

    void drawHeader(QPainter &p, double y, const QString &year) const
    {
        p.setFont(m_bold);
        const double h = mm(kHeaderRowMm);
        const int n = int(m_doc.columns.size());
        for (int i = 0; i < n;) {
            const Column &c = m_doc.columns.at(i);
            if (c.group.isEmpty() && i != m_doc.yearColumn) {
                const QRectF r(m_left.at(i), y, m_widths.at(i), 2 * h);
                p.drawRect(r);
                p.drawText(r.adjusted(mm(0.5), 0, -mm(0.5), 0), Qt::AlignCenter | kWrap, c.title);
                ++i;
                continue;
            }
            int end = i + 1;
            while (end < n && !c.group.isEmpty() && m_doc.columns.at(end).group == c.group)
                ++end;
            QString upper = c.group;
            if (i == m_doc.yearColumn && !year.isEmpty())
                upper = year;
            const double w = m_left.at(end - 1) + m_widths.at(end - 1) - m_left.at(i);
            const QRectF top(m_left.at(i), y, w, h);
            p.drawRect(top);
            p.drawText(top, Qt::AlignCenter, upper);
            for (int k = i; k < end; ++k) {
                const QRectF r(m_left.at(k), y + h, m_widths.at(k), h);
                p.drawRect(r);
                p.drawText(r, Qt::AlignCenter, m_doc.columns.at(k).title);
            }
            i = end;
        }
    }

    void drawCells(QPainter &p, double y, const Item &it, const QStringList &cells, const QFont &font) const
    {
        const double top = it.continued ? mm(kMarkMm) : 0;
        const double bottom = it.continues ? mm(kMarkMm) : 0;
        const int vertical = it.part.isEmpty() ? Qt::AlignVCenter : Qt::AlignTop;
        for (int i = 0; i < m_doc.columns.size(); ++i) {
            const Column &c = m_doc.columns.at(i);
            const QRectF r(m_left.at(i), y, m_widths.at(i), it.height);
            p.drawRect(r);
            if (i >= cells.size() || cells.at(i).isEmpty())
                continue;
            const QRectF box = r.adjusted(mm(kPadMm), mm(kPadMm) + top, -mm(kPadMm), -mm(kPadMm) - bottom);
            p.save();
            p.setClipRect(r);
            QFont f = font;
            int flags = int(c.align) | vertical;
            if (c.oneLine) {
                // Shrunk to the width rather than wrapped: a bill number reads
                // as one. Glyph widths do not scale exactly with the size,
                // so measure again until it fits.
                for (int round = 0; round < 4; ++round) {
                    const double wide = QFontMetricsF(f, m_device).horizontalAdvance(cells.at(i));
                    if (wide <= box.width() || f.pointSizeF() <= kSmallestPoints)
                        break;
                    f.setPointSizeF(std::max(kSmallestPoints, f.pointSizeF() * box.width() / wide * 0.98));
                }
                flags |= Qt::TextSingleLine;
            } else {
                flags |= kWrap;
            }
            p.setFont(f);
            p.drawText(box, flags, cells.at(i));
            p.restore();
        }
        if (it.continued || it.continues) {
            p.save();
            p.setFont(face(kMarkPoints));
            const QRectF row(mm(kPadMm), y, m_width - 2 * mm(kPadMm), it.height);
            if (it.continued)
                p.drawText(QRectF(row.left(), row.top(), row.width(), top), Qt::AlignRight | Qt::AlignVCenter,
                           kContinued);
            if (it.continues)
                p.drawText(QRectF(row.left(), row.bottom() - bottom, row.width(), bottom),
                           Qt::AlignRight | Qt::AlignVCenter, kContinues);
            p.restore();
        }
    }

    const Document &m_doc;
    QPagedPaintDevice *m_device;
    int m_dpi = 72;
    double m_width = 0;
    double m_height = 0;
    QFont m_font;
    QFont m_bold;
    QList<double> m_left;
    QList<double> m_widths;
    QList<QList<Item>> m_pages;
    QStringList m_pageYears;
};

// Japanese fonts draw a Kangxi radical (⼿ U+2F3F) and its ideograph (手
// U+624B) with one glyph, and the PDF writer names each glyph by the lowest
// code point that uses it: text copied or searched in the file would read
// radicals. The map is rewritten in place: every code keeps its four hex
// digits, so no length or offset in the file changes.
char16_t unifiedIdeograph(char16_t u)
{
    if (u >= 0x2F00 && u <= 0x2FD5) {
        const QString n = QString(QChar(u)).normalized(QString::NormalizationForm_KC);
        return n.size() == 1 ? n.at(0).unicode() : u;
    }
    static const QHash<char16_t, char16_t> supplement{
        {0x2E9F, 0x6BCD}, {0x2EA0, 0x6C11}, {0x2EA7, 0x725B}, {0x2EAB, 0x76EE}, {0x2EAC, 0x793A}, {0x2EAF, 0x7CF8},
        {0x2EB9, 0x8002}, {0x2EBC, 0x8089}, {0x2EC4, 0x897F}, {0x2EC6, 0x89D2}, {0x2ED1, 0x9577}, {0x2ED7, 0x96E8},
        {0x2ED8, 0x9752}, {0x2EDD, 0x98DF}, {0x2EE3, 0x9AA8}, {0x2EE4, 0x9B3C}, {0x2EE8, 0x9EA6}, {0x2EE9, 0x9EC4},
        {0x2EEB, 0x6589}, {0x2EED, 0x6B6F}, {0x2EEF, 0x7ADC}, {0x2EF2, 0x4E80}};
    return supplement.value(u, u);
}

void fixToUnicode(QByteArray &pdf)
{
    const QByteArray begin = QByteArrayLiteral("begincmap");
    const QByteArray end = QByteArrayLiteral("endcmap");
    qsizetype at = 0;
    while ((at = pdf.indexOf(begin, at)) >= 0) {
        const qsizetype stop = pdf.indexOf(end, at);
        if (stop < 0)
            return;
        // Destinations only: inside [...] lists, and the last code of a
        // line of three (bfrange) or two (bfchar) codes.
        bool inList = false;
        qsizetype lineStart = at;
        for (qsizetype i = at; i < stop; ++i) {
            const char c = pdf.at(i);
            if (c == '\n') {
                lineStart = i + 1;
                continue;
            }
            if (c == '[')
                inList = true;
            else if (c == ']')
                inList = false;
            if (c != '<' || i + 5 >= stop || pdf.at(i + 5) != '>')
                continue;
            bool isDestination = inList;
            if (!inList) {
                const qsizetype lineEnd = pdf.indexOf('\n', i);
                const QByteArray line = pdf.mid(lineStart, (lineEnd < 0 ? stop : lineEnd) - lineStart);
                const qsizetype codes = line.count('<');
                const qsizetype before = pdf.mid(lineStart, i - lineStart).count('<');
                isDestination = (codes == 3 && before == 2) || (codes == 2 && before == 1 && !line.contains('['));
                if (codes == 2 && pdf.mid(lineStart, i - lineStart).contains("<0000>") && line.contains("<FFFF>"))
                    isDestination = false;
            }
            if (!isDestination)
                continue;
            bool ok = false;
            const uint code = pdf.mid(i + 1, 4).toUInt(&ok, 16);
            if (!ok)
                continue;
            const char16_t fixed = unifiedIdeograph(char16_t(code));
            if (fixed != code)
                pdf.replace(i + 1, 4, QByteArray::number(uint(fixed), 16).toUpper().rightJustified(4, '0'));
        }
        at = stop;
    }
}

} // namespace

QString reportFontProblem()
{
    if (QFontDatabase::families().contains(kFontFamily, Qt::CaseInsensitive))
        return {};
    return QStringLiteral("帳票の文字 (IPAex ゴシック) がこのパソコンにありません。\n"
                          "fonts-ipaexfont-gothic パッケージを入れてください "
                          "(sudo apt-get install fonts-ipaexfont-gothic)。\n"
                          "このままでは PDF の数字や英字を検索・コピーできないため、何も書き出していません。");
}

QPageLayout pageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

int pageCount(const Document &doc, QPagedPaintDevice *device)
{
    return Layout(doc, device).pages();
}

int paint(const Document &doc, QPagedPaintDevice *device, const Progress &progress)
{
    return paint(QList<Document>{doc}, device, progress);
}

int paint(const QList<Document> &docs, QPagedPaintDevice *device, const Progress &progress)
{
    std::vector<std::unique_ptr<Layout>> layouts;
    int total = 0;
    for (const Document &doc : docs) {
        layouts.push_back(std::make_unique<Layout>(doc, device));
        total += layouts.back()->pages();
    }
    QPainter p;
    if (!p.begin(device))
        throw DbError(QStringLiteral("印刷を始められません"));
    int done = 0;
    for (const auto &layout : layouts) {
        for (int page = 0; page < layout->pages(); ++page) {
            if (done > 0)
                device->newPage();
            layout->drawPage(p, page);
            ++done;
            if (progress)
                progress(done, total);
        }
    }
    if (!p.end())
        throw DbError(QStringLiteral("印刷を終えられません"));
    return total;
}

void writePdf(const QList<Document> &docs, const QString &file, const Progress &progress)
{
    const QFileInfo info(file);
    if (file.isEmpty())
        throw DbError(QStringLiteral("保存先を指定してください"));
    if (!info.absoluteDir().exists())
        throw DbError(
            QStringLiteral("保存先のフォルダーがありません: %1").arg(QDir::toNativeSeparators(info.absolutePath())));
    if (info.isDir())
        throw DbError(QStringLiteral("保存先はフォルダーです。ファイル名を指定してください: %1")
                          .arg(QDir::toNativeSeparators(file)));
    if (const QString problem = reportFontProblem(); !problem.isEmpty())
        throw DbError(problem);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        pdf.setResolution(600);
        pdf.setTitle(docs.isEmpty() ? QString() : docs.first().title);
        pdf.setCreator(QStringLiteral("Sorvane"));
        paint(docs, &pdf, progress);
    }
    QByteArray bytes = buffer.data();
    fixToUnicode(bytes);
    // The file appears under its name only once every page is in it.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw DbError(
            QStringLiteral("ファイルに書き込めません: %1\n%2").arg(QDir::toNativeSeparators(file), out.errorString()));
}

} // namespace sorvane::report
