#pragma once

// 接近手形一覧: the bills falling due from today to today + DueWindowDays, in
// three lists (received bills in hand, issued bills, dishonoured bills).
// Read-only; filled when it opens, or again on reload().

#include "book/Search.h"
#include "book/Sheet.h"
#include "ui/PagedRows.h"

#include <QDialog>
#include <QVector>

class QCheckBox;
class QLabel;

namespace sorvane {

class AppContext;
class UiService;

namespace ui {
class LineList;
}

// One line of a list, in fixed-width pieces: due date "mm/dd", number, the
// storage place right-aligned in ten characters (received bills), the party
// and the amount "#,##0".
QString dueListLine(book::DueList list, const book::DueBill &bill);

// A list on paper: due date, number, storage place and party (received
// bills) or payee (issued bills), amount, and the count and sum at the end.
book::Sheet dueListSheet(book::DueList list, const QString &heading, const QString &window,
                         const std::vector<book::DueBill> &bills);

class DueListWindow : public QDialog {
    Q_OBJECT
public:
    DueListWindow(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    // Reads the three lists again with today's date.
    void reload();
    // The lists whose "印刷する" is ticked, as they go to paper, in the
    // window's order; every bill of a list, not only the lines shown.
    QList<book::Sheet> ticked();
    // 印刷ボタン and MP1: the ticked lists in the print preview.
    void print();

private:
    struct Shown {
        book::DueList kind;
        ui::LineList *list;
        QCheckBox *check;
        QString heading;
        ui::PagedRows<book::DueBill> bills;
        QList<qint64> ids;
    };

    AppContext &m_ctx;
    UiService &m_ui;
    QLabel *m_title = nullptr;
    QDate m_from;
    QDate m_to;
    QVector<Shown> m_lists;
};

} // namespace sorvane
