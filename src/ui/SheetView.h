#pragma once

// A sheet of figures on screen: the columns and rows of a book::Sheet,
// numbers right-aligned, rows that need attention in red, the totals line
// last in bold. Read-only; picking a row says which.

#include "book/Sheet.h"

#include <QTableView>

namespace sorvane::ui {

class SheetModel;

class SheetView : public QTableView {
    Q_OBJECT
public:
    explicit SheetView(QWidget *parent = nullptr);

    void setSheet(const book::Sheet &sheet);
    const book::Sheet &sheet() const;

    // Rows of the sheet, the totals line not counted.
    int rowCount() const;
    QString cell(int row, int column) const;
    // The totals line's cell; empty without totals.
    QString totalsCell(int column) const;
    bool isMarked(int row) const;
    // The colour a row's text is drawn in.
    QColor rowColor(int row) const;

    // The width that shows every column without scrolling.
    int contentWidth() const;

    int selectedRow() const; // -1: none, or the totals line
    qint64 selectedKey() const;
    void selectRow(int row);

signals:
    // The user picked a row (click or keyboard); not the totals line.
    void rowPicked(int row);

private:
    SheetModel *m_model;
    bool m_quiet = false;
};

// The colour of a row that needs attention.
QColor attentionColor();

} // namespace sorvane::ui
