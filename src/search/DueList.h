#pragma once

// 接近手形一覧: the bills falling due from today to today + DueWindowDays, in
// three lists (received bills in hand, issued bills, dishonoured bills).
// Read-only; filled when it opens, or again on reload().

#include "book/Search.h"
#include "ui/PagedRows.h"

#include <QDialog>
#include <QVector>

class QLabel;

namespace sorvane {

class AppContext;

namespace ui {
class LineList;
}

// One line of a list, in fixed-width pieces: due date "mm/dd", number, the
// storage place right-aligned in ten characters (received bills), the party
// and the amount "#,##0".
QString dueListLine(book::DueList list, const book::DueBill &bill);

class DueListWindow : public QDialog {
    Q_OBJECT
public:
    explicit DueListWindow(AppContext &ctx, QWidget *parent = nullptr);

    // Reads the three lists again with today's date.
    void reload();

private:
    struct Shown {
        book::DueList kind;
        ui::LineList *list;
        ui::PagedRows<book::DueBill> bills;
    };

    AppContext &m_ctx;
    QLabel *m_title = nullptr;
    QVector<Shown> m_lists;
};

} // namespace sorvane
