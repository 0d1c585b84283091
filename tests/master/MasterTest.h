#pragma once

// Small helpers shared by the register tests.

#include "support/TestSupport.h"

#include "data/Engine.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>

namespace sorvane::test {

// The visible lines of a list.
inline QStringList linesOf(const QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

// Every row of the query as its values joined with '|'.
inline QStringList rowsOf(Database &db, const QString &sql, const QVariantList &values = {})
{
    Recordset rs = db.openRecordset(sql, values);
    QStringList rows;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (const QString &c : rs.columns())
            cells << rs.text(c);
        rows << cells.join(u'|');
    }
    return rows;
}

// A user's click on a line.
inline void clickLine(QListWidget *list, int row)
{
    QListWidgetItem *item = list->item(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

inline bool showActive(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// Top-level windows still alive once pending deletions ran.
inline QStringList strayWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList names;
    for (QWidget *w : QApplication::topLevelWidgets())
        names << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName());
    return names;
}

} // namespace sorvane::test
