#pragma once

// A list of records in columns with headings, for the windows of a bill's
// life: one row per bill or event, keyed by its id, in the fixed-pitch face;
// optionally a tick at the head of each row (Space ticks the current row,
// as a click does). Tab leaves the list instead of walking its cells.

#include <QList>
#include <QStringList>
#include <QTableView>

class QAbstractTableModel;

namespace sorvane::ui {

class RowTableModel;

class RowTable : public QTableView {
    Q_OBJECT
public:
    explicit RowTable(QWidget *parent = nullptr);

    // The headings; right-aligned columns (amounts) by index; the column
    // that takes the room left over (-1: the last left-aligned column).
    void setColumns(const QStringList &headers, const QList<int> &rightAligned = {}, int stretch = -1);
    // A tick in the first column of every row.
    void setCheckable(bool checkable);

    // Replaces every row; `checked` gives the ticks (all ticked when empty
    // in a checkable list). Nothing is selected afterwards.
    void setRows(const QList<QStringList> &cells, const QList<qint64> &keys, const QList<bool> &checked = {});
    void clearRows();

    int rowCount() const;
    qint64 keyAt(int row) const;
    QString cell(int row, int column) const;
    // Every row as its cells joined by " | ", for tests and tools.
    QStringList rowTexts() const;

    int selectedRow() const;
    qint64 selectedKey() const; // 0 when none
    void selectRow(int row);

    bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    QList<qint64> checkedKeys() const;
    QList<int> checkedRows() const;

signals:
    // The user picked a row (click or keyboard); selecting from the program says nothing.
    void rowPicked(int row);
    // A tick was set or taken away.
    void checksChanged();

private:
    RowTableModel *m_model;
    bool m_quiet = false;
};

} // namespace sorvane::ui
