#include "help/Manual.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace sorvane::help {

QUrl Section::url() const
{
    return Manual::pageUrl(page, anchor);
}

QStringList Manual::pages()
{
    // The clerk's way through the book: the routine first, then each window
    // in the order of the main window's groups, the tools last.
    return {QStringLiteral("index.html"),      QStringLiteral("daily.html"),   QStringLiteral("mainmenu.html"),
            QStringLiteral("receivable.html"), QStringLiteral("payable.html"), QStringLiteral("life.html"),
            QStringLiteral("plan.html"),       QStringLiteral("densai.html"),  QStringLiteral("search.html"),  QStringLiteral("master.html"),
            QStringLiteral("output.html"),     QStringLiteral("tools.html"),   QStringLiteral("admin.html"),
            QStringLiteral("messages.html")};
}

QString Manual::pageHtml(const QString &page)
{
    QFile f(resourceFolder() + u'/' + page);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QUrl Manual::pageUrl(const QString &page, const QString &anchor)
{
    QUrl url(QStringLiteral("qrc:/manual/") + page);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

Manual::Manual()
{
    // Headings carry their anchor as <hN><a name="...">title</a></hN>; the
    // text of a section runs to the next heading of any level.
    static const QRegularExpression heading(
        QStringLiteral(R"re(<h([123])[^>]*>(?:<a name="([^"]*)"[^>]*>)?(.*?)(?:</a>)?</h\1>)re"),
        QRegularExpression::DotMatchesEverythingOption);
    for (const QString &page : pages()) {
        const QString html = pageHtml(page);
        QList<QRegularExpressionMatch> marks;
        for (auto it = heading.globalMatch(html); it.hasNext();)
            marks << it.next();
        for (qsizetype i = 0; i < marks.size(); ++i) {
            const QRegularExpressionMatch &m = marks[i];
            const qsizetype end = i + 1 < marks.size() ? marks[i + 1].capturedStart() : html.size();
            Section s;
            s.page = page;
            s.level = m.captured(1).toInt();
            s.anchor = m.captured(2);
            s.title = QTextDocumentFragment::fromHtml(m.captured(3)).toPlainText().simplified();
            s.text =
                QTextDocumentFragment::fromHtml(html.mid(m.capturedStart(), end - m.capturedStart())).toPlainText();
            m_folded << folded(s.text);
            m_sections << s;
        }
    }
}

int Manual::find(const QString &page, const QString &anchor) const
{
    for (qsizetype i = 0; i < m_sections.size(); ++i)
        if (m_sections[i].page == page && m_sections[i].anchor == anchor)
            return int(i);
    return -1;
}

QStringList Manual::words(const QString &query)
{
    static const QRegularExpression spaces(QStringLiteral("[\\s\\x{3000}]+"));
    return query.split(spaces, Qt::SkipEmptyParts);
}

QString Manual::folded(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

QList<Hit> Manual::search(const QString &query) const
{
    QStringList wanted;
    for (const QString &w : words(query))
        wanted << folded(w);
    QList<Hit> hits;
    if (wanted.isEmpty())
        return hits;
    for (qsizetype i = 0; i < m_sections.size(); ++i) {
        const QString &text = m_folded[i];
        bool all = true;
        for (const QString &w : std::as_const(wanted))
            all = all && text.contains(w);
        if (!all)
            continue;
        // The line of the section that holds the first word, as the result shows it.
        QString excerpt;
        for (const QString &line : m_sections[i].text.split(u'\n')) {
            if (folded(line).contains(wanted.first())) {
                excerpt = line.simplified();
                break;
            }
        }
        if (excerpt.size() > 48) {
            const qsizetype at = folded(excerpt).indexOf(wanted.first());
            const qsizetype from = std::max<qsizetype>(0, at - 12);
            excerpt = (from > 0 ? QStringLiteral("…") : QString()) + excerpt.mid(from, 48) + QStringLiteral("…");
        }
        hits << Hit{int(i), excerpt};
    }
    return hits;
}

QString Manual::resultText(const QString &query, int hits)
{
    const QString shown = words(query).join(u'　');
    if (shown.isEmpty())
        return QStringLiteral("探す言葉を入力してください");
    if (hits == 0)
        return QStringLiteral("「%1」はこのマニュアルのどこにも見つかりません\n別の言葉で探してください").arg(shown);
    return QStringLiteral("「%1」は%2か所にあります").arg(shown).arg(hits);
}

} // namespace sorvane::help
