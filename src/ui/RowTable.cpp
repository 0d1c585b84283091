#include "ui/RowTable.h"

#include "ui/Widgets.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelectionModel>

#include <vector>

namespace sorvane::ui {

class RowTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    QStringList headers;
    QList<int> right;
    bool checkable = false;
    QList<QStringList> cells;
    QList<qint64> keys;
    std::vector<bool> checked;

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(cells.size()); }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(headers.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= cells.size())
            return {};
        const QStringList &row = cells.at(index.row());
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return row.value(index.column());
        case Qt::TextAlignmentRole:
            return int((right.contains(index.column()) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        case Qt::CheckStateRole:
            if (checkable && index.column() == 0)
                return checked[std::size_t(index.row())] ? Qt::Checked : Qt::Unchecked;
            return {};
        default:
            return {};
        }
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (!checkable || role != Qt::CheckStateRole || index.column() != 0 || !index.isValid())
            return false;
        checked[std::size_t(index.row())] = value.toInt() == Qt::Checked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (checkable && index.column() == 0)
            f |= Qt::ItemIsUserCheckable;
        return f;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return headers.value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    void setHeaders(const QStringList &h, const QList<int> &r)
    {
        beginResetModel();
        headers = h;
        right = r;
        endResetModel();
    }

    void reset(const QList<QStringList> &c, const QList<qint64> &k, const QList<bool> &ticks)
    {
        beginResetModel();
        cells = c;
        keys = k;
        checked.assign(std::size_t(c.size()), checkable && ticks.isEmpty());
        for (qsizetype i = 0; i < ticks.size() && i < c.size(); ++i)
            checked[std::size_t(i)] = ticks.at(i);
        endResetModel();
    }
};

RowTable::RowTable(QWidget *parent) : QTableView(parent), m_model(new RowTableModel(this))
{
    setModel(m_model);
    setFont(listFont(10));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setAlternatingRowColors(true);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setFont(gothicFont(9));
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        if (!m_quiet && current.isValid())
            emit rowPicked(current.row());
    });
    connect(this, &QTableView::clicked, this, [this](const QModelIndex &index) {
        if (!m_quiet && index.isValid())
            emit rowPicked(index.row());
    });
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                if (roles.contains(Qt::CheckStateRole))
                    emit checksChanged();
            });
}

void RowTable::setColumns(const QStringList &headers, const QList<int> &rightAligned, int stretch)
{
    m_model->setHeaders(headers, rightAligned);
    if (stretch < 0)
        for (int c = int(headers.size()) - 1; c > 0; --c)
            if (!rightAligned.contains(c)) {
                stretch = c;
                break;
            }
    horizontalHeader()->setStretchLastSection(stretch < 0);
    for (int c = 0; c < headers.size(); ++c)
        horizontalHeader()->setSectionResizeMode(c, c == stretch ? QHeaderView::Stretch : QHeaderView::Interactive);
}

void RowTable::setCheckable(bool checkable)
{
    m_model->checkable = checkable;
}

void RowTable::setRows(const QList<QStringList> &cells, const QList<qint64> &keys, const QList<bool> &checked)
{
    m_quiet = true;
    m_model->reset(cells, keys, checked);
    clearSelection();
    setCurrentIndex({});
    m_quiet = false;
    resizeColumnsToContents();
    emit checksChanged();
}

void RowTable::clearRows()
{
    setRows({}, {});
}

int RowTable::rowCount() const
{
    return m_model->rowCount();
}

qint64 RowTable::keyAt(int row) const
{
    return row >= 0 && row < m_model->keys.size() ? m_model->keys.at(row) : 0;
}

QString RowTable::cell(int row, int column) const
{
    return row >= 0 && row < m_model->cells.size() ? m_model->cells.at(row).value(column) : QString();
}

QStringList RowTable::rowTexts() const
{
    QStringList out;
    for (const QStringList &r : std::as_const(m_model->cells))
        out << r.join(QStringLiteral(" | "));
    return out;
}

int RowTable::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

qint64 RowTable::selectedKey() const
{
    return keyAt(selectedRow());
}

void RowTable::selectRow(int row)
{
    m_quiet = true;
    if (row < 0 || row >= rowCount()) {
        clearSelection();
    } else {
        const QModelIndex index = m_model->index(row, 0);
        setCurrentIndex(index);
        selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    }
    m_quiet = false;
}

bool RowTable::isChecked(int row) const
{
    return row >= 0 && std::size_t(row) < m_model->checked.size() && m_model->checked[std::size_t(row)];
}

void RowTable::setChecked(int row, bool checked)
{
    if (row < 0 || row >= rowCount())
        return;
    m_model->setData(m_model->index(row, 0), checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

void RowTable::setAllChecked(bool checked)
{
    if (!m_model->checkable || rowCount() == 0)
        return;
    std::fill(m_model->checked.begin(), m_model->checked.end(), checked);
    emit m_model->dataChanged(m_model->index(0, 0), m_model->index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

QList<int> RowTable::checkedRows() const
{
    QList<int> rows;
    for (int i = 0; i < rowCount(); ++i)
        if (isChecked(i))
            rows << i;
    return rows;
}

QList<qint64> RowTable::checkedKeys() const
{
    QList<qint64> keys;
    for (int i : checkedRows())
        keys << keyAt(i);
    return keys;
}

} // namespace sorvane::ui
