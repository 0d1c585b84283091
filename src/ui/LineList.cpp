#include "ui/LineList.h"

#include "ui/Widgets.h"

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QMouseEvent>

namespace sorvane::ui {

namespace {

class LineModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void reset(int count, LineList::LineOf lineOf)
    {
        beginResetModel();
        m_count = count;
        m_lineOf = std::move(lineOf);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_count; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
            return {};
        return text(index.row());
    }

    QString text(int row) const
    {
        if (row < 0 || row >= m_count || !m_lineOf)
            return {};
        return m_lineOf(row);
    }

private:
    int m_count = 0;
    LineList::LineOf m_lineOf;
};

} // namespace

LineList::LineList(QWidget *parent) : QListView(parent), m_model(new LineModel(this))
{
    setModel(m_model);
    setFont(listFont());
    // Every line has the same height: the view never asks for lines it does not show.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_quiet && selectedRow() >= 0)
            emit rowPicked(selectedRow());
    });
    // A click on the line already selected changes no selection but is a pick.
    connect(this, &QListView::clicked, this, [this](const QModelIndex &i) {
        if (i.row() == m_rowBeforePress && i.row() == selectedRow())
            emit rowPicked(i.row());
    });
}

void LineList::mousePressEvent(QMouseEvent *event)
{
    m_rowBeforePress = selectedRow();
    QListView::mousePressEvent(event);
}

void LineList::setLines(int count, LineOf lineOf)
{
    m_quiet = true;
    static_cast<LineModel *>(m_model)->reset(count, std::move(lineOf));
    m_quiet = false;
}

void LineList::clearLines()
{
    setLines(0, {});
}

int LineList::count() const
{
    return m_model->rowCount();
}

QString LineList::lineText(int row) const
{
    return static_cast<const LineModel *>(m_model)->text(row);
}

QStringList LineList::lines() const
{
    QStringList all;
    all.reserve(count());
    for (int i = 0; i < count(); ++i)
        all << lineText(i);
    return all;
}

int LineList::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString LineList::selectedText() const
{
    return lineText(selectedRow());
}

void LineList::selectRow(int row)
{
    if (row < 0 || row >= count()) {
        clearRowSelection();
        return;
    }
    const QModelIndex i = m_model->index(row);
    m_quiet = true;
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    m_quiet = false;
    scrollTo(i);
}

void LineList::clearRowSelection()
{
    m_quiet = true;
    selectionModel()->clearSelection();
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    m_quiet = false;
}

} // namespace sorvane::ui
