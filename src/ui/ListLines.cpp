#include "ui/ListLines.h"

#include "data/Formats.h"

#include <QListWidget>

namespace sorvane::ui {

namespace {

// UTF-16 length of the first n characters, a surrogate pair counting as one.
qsizetype unitsOf(const QString &text, int n)
{
    qsizetype i = 0;
    for (int c = 0; c < n && i < text.size(); ++c)
        i += text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    return i;
}

} // namespace

QString padRight(const QString &text, int width)
{
    return text.size() >= width ? text : text + QString(width - text.size(), u' ');
}

// Codes are laid out by characters, so a code with a character outside the
// basic plane still fills exactly its field and reads back whole.
QString codeLine(const QString &code, const QString &name, int codeWidth)
{
    const int n = fmt::charCount(code);
    return (n >= codeWidth ? code : code + QString(codeWidth - n, u' ')) + name;
}

QString codeOfLine(const QString &line, int codeWidth)
{
    return line.left(unitsOf(line, codeWidth)).trimmed();
}

QString nameOfLine(const QString &line, int codeWidth)
{
    return line.mid(unitsOf(line, codeWidth)).trimmed();
}

QString templateLine(const QString &bank, const QString &drawer)
{
    if (bank.isEmpty())
        return QString(25, u' ') + drawer;
    return padRight(bank, 15) + drawer;
}

bool sameCode(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a.at(i).unicode();
        char16_t y = b.at(i).unicode();
        if (x >= u'A' && x <= u'Z')
            x = char16_t(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z')
            y = char16_t(y - u'A' + u'a');
        if (x != y)
            return false;
    }
    return true;
}

void fillList(QListWidget *list, const QStringList &lines)
{
    const bool enabled = list->updatesEnabled();
    list->setUpdatesEnabled(false);
    list->clear();
    list->addItems(lines);
    list->setUpdatesEnabled(enabled);
}

QString selectedText(const QListWidget *list)
{
    const auto items = list->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

} // namespace sorvane::ui
