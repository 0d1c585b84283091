#pragma once

// List boxes that show one record per line, laid out in fixed-width fields,
// and the table that leads from a line back to the row it shows.

#include <QList>
#include <QString>
#include <QStringList>

class QListWidget;

namespace sorvane::ui {

// The text followed by spaces up to the width; a longer text is kept whole.
QString padRight(const QString &text, int width);

// A register line: the code in a field of codeWidth characters, then the name.
constexpr int kCodeWidth = 5;
QString codeLine(const QString &code, const QString &name, int codeWidth = kCodeWidth);
// The code and the name read back from such a line, spaces trimmed.
QString codeOfLine(const QString &line, int codeWidth = kCodeWidth);
QString nameOfLine(const QString &line, int codeWidth = kCodeWidth);

// A bill template line: the bank name in a field of 15 characters, or 25
// spaces when there is none, then the drawer.
QString templateLine(const QString &bank, const QString &drawer);

// Codes compare as the database compares them: Latin letters without regard
// to case, every other character exactly.
bool sameCode(const QString &a, const QString &b);

// Replaces the lines of the list in one batch, with updates suspended, so a
// long list fills without a repaint per line. The selection is gone after.
void fillList(QListWidget *list, const QStringList &lines);

// The selected line's text, or empty when nothing is selected.
QString selectedText(const QListWidget *list);

// Position of a line (first line = 0) to the key of the row it shows. Each
// window keeps its own, filled together with its list.
class LineIds {
public:
    void clear() { m_ids.clear(); }
    void append(qint64 id) { m_ids.append(id); }
    int size() const { return int(m_ids.size()); }
    // The key of the line, or 0 for a position without one.
    qint64 at(int line) const { return line >= 0 && line < size() ? m_ids.at(line) : 0; }
    // The first line that shows the key, or -1.
    int lineOf(qint64 id) const { return int(m_ids.indexOf(id)); }

private:
    QList<qint64> m_ids;
};

} // namespace sorvane::ui
