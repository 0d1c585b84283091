#pragma once

// The manual: HTML pages kept in the program's resources (:/manual), cut
// into sections at their headings, and the search over those sections.

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace sorvane::help {

// One heading of a page with the text up to the next heading.
struct Section {
    QString page;   // file name in :/manual, e.g. "receivable.html"
    QString anchor; // the heading's <a name>; empty for the page's title
    QString title;  // the heading's text
    int level = 1;  // 1 page title, 2 section, 3 subsection
    QString text;   // plain text of heading and body
    QUrl url() const;
};

// Where a search found its words.
struct Hit {
    int section = -1; // index into Manual::sections()
    QString excerpt;  // a line of text around the first word
};

class Manual {
public:
    // Reads every page of the resources, in the order of the contents.
    Manual();

    static QString resourceFolder() { return QStringLiteral(":/manual"); }
    // The pages in the order the contents lists them.
    static QStringList pages();
    // The raw HTML of a page ("" when the page is not in the resources).
    static QString pageHtml(const QString &page);
    static QUrl pageUrl(const QString &page, const QString &anchor = {});

    const QList<Section> &sections() const { return m_sections; }
    // The section a page's anchor opens (-1: none).
    int find(const QString &page, const QString &anchor) const;

    // The words of a query: split at spaces, full-width ones included.
    static QStringList words(const QString &query);
    // Text compared without regard to width and case: "ＣＳＶ" finds "csv".
    static QString folded(const QString &text);
    // Sections holding every word of the query, in the manual's order.
    QList<Hit> search(const QString &query) const;
    // The line the window shows after a search: how many places, or that
    // the words are found nowhere.
    static QString resultText(const QString &query, int hits);

private:
    QList<Section> m_sections;
    QStringList m_folded; // folded text of each section
};

} // namespace sorvane::help
