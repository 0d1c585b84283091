#pragma once

// A list box for lists that can hold many rows (bills, candidates): the
// window keeps its rows and a function that lays one row out as a line; a
// line is formatted only when it is shown, so a hundred thousand bills fill
// the list without a widget item per row.

#include <QListView>

#include <functional>

class QAbstractListModel;

namespace sorvane::ui {

class LineList : public QListView {
    Q_OBJECT
public:
    using LineOf = std::function<QString(int row)>;

    explicit LineList(QWidget *parent = nullptr);

    // Replaces every line: `count` rows, each laid out by `lineOf` when shown.
    // Nothing is selected afterwards.
    void setLines(int count, LineOf lineOf);
    // Empties the list.
    void clearLines();

    int count() const;
    // The text of a line (empty for a row that does not exist).
    QString lineText(int row) const;
    // Every line, for tests and small lists.
    QStringList lines() const;

    // The selected row, or -1; its text, or empty when nothing is selected.
    int selectedRow() const;
    QString selectedText() const;
    // Selects the row and makes it current (-1: no selection).
    void selectRow(int row);
    void clearRowSelection();

signals:
    // The user picked a line: clicked it (again, too) or moved to it with the
    // keyboard. The row is selected. Selecting from the program says nothing.
    void rowPicked(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QAbstractListModel *m_model;
    bool m_quiet = false;
    int m_rowBeforePress = -1;
};

} // namespace sorvane::ui
