#include "ui/SheetView.h"

#include "ui/Widgets.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPalette>
#include <QScrollBar>

namespace sorvane::ui {

class SheetModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    book::Sheet sheet;
    QFont bold;

    int rows() const { return int(sheet.rows.size()); }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : rows() + (sheet.totals.isEmpty() ? 0 : 1);
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(sheet.columns.size());
    }

    QString text(int row, int column) const
    {
        if (row < rows())
            return sheet.rows.at(row).value(column);
        return sheet.totals.value(column);
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const int row = index.row();
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return text(row, index.column());
        case Qt::TextAlignmentRole:
            return int((sheet.columns.at(index.column()).number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        case Qt::ForegroundRole:
            if (sheet.isMarked(row))
                return attentionColor();
            return {};
        case Qt::FontRole:
            if (row >= rows())
                return bold;
            return {};
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (index.row() >= rows())
            return Qt::ItemIsEnabled;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < sheet.columns.size()) {
            const book::SheetColumn &c = sheet.columns.at(section);
            return c.group.isEmpty() ? c.title : c.group + u'\n' + c.title;
        }
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    void reset(const book::Sheet &s)
    {
        beginResetModel();
        sheet = s;
        endResetModel();
    }
};

QColor attentionColor()
{
    return QColor(200, 0, 0);
}

SheetView::SheetView(QWidget *parent) : QTableView(parent), m_model(new SheetModel(this))
{
    setModel(m_model);
    setFont(gothicFont(10));
    m_model->bold = font();
    m_model->bold.setBold(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setAlternatingRowColors(true);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setFont(gothicFont(9));
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        if (!m_quiet && current.isValid() && current.row() < m_model->rows())
            emit rowPicked(current.row());
    });
}

void SheetView::setSheet(const book::Sheet &sheet)
{
    m_quiet = true;
    m_model->reset(sheet);
    clearSelection();
    setCurrentIndex({});
    m_quiet = false;
    // The widths follow the first thousand rows (the header's own limit).
    resizeColumnsToContents();
}

const book::Sheet &SheetView::sheet() const
{
    return m_model->sheet;
}

int SheetView::rowCount() const
{
    return m_model->rows();
}

QString SheetView::cell(int row, int column) const
{
    return row >= 0 && row < m_model->rows() ? m_model->text(row, column) : QString();
}

QString SheetView::totalsCell(int column) const
{
    return m_model->sheet.totals.value(column);
}

bool SheetView::isMarked(int row) const
{
    return m_model->sheet.isMarked(row);
}

QColor SheetView::rowColor(int row) const
{
    const QVariant v = m_model->data(m_model->index(row, 0), Qt::ForegroundRole);
    return v.isValid() ? v.value<QColor>() : palette().color(QPalette::Text);
}

int SheetView::contentWidth() const
{
    return horizontalHeader()->length() + 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
}

int SheetView::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() || rows.first().row() >= m_model->rows() ? -1 : rows.first().row();
}

qint64 SheetView::selectedKey() const
{
    const int row = selectedRow();
    return row >= 0 && row < m_model->sheet.keys.size() ? m_model->sheet.keys.at(row) : 0;
}

void SheetView::selectRow(int row)
{
    m_quiet = true;
    if (row < 0 || row >= m_model->rows()) {
        clearSelection();
        setCurrentIndex({});
    } else {
        const QModelIndex index = m_model->index(row, 0);
        setCurrentIndex(index);
        selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    }
    m_quiet = false;
}

} // namespace sorvane::ui
