#include "stringgridmodel.h"

#include "rowsort.h"

StringGridModel::StringGridModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_rows { emptyRow() }
{
}

QStringList StringGridModel::emptyRow() const
{
    return QStringList(m_columns, QString());
}

void StringGridModel::setGridRowCount(int rows)
{
    rows = qMax(rows, 1);
    const int current = gridRowCount();
    if (rows > current) {
        beginInsertRows(QModelIndex(), current - 1, rows - 2);
        while (m_rows.size() < rows)
            m_rows.append(emptyRow());
        endInsertRows();
    } else if (rows < current) {
        removeGridRows(rows, current - rows);
    }
}

void StringGridModel::setGridColumnCount(int columns)
{
    columns = qMax(columns, 1);
    if (columns > m_columns) {
        beginInsertColumns(QModelIndex(), m_columns, columns - 1);
        m_columns = columns;
        for (QStringList& row : m_rows)
            row.resize(columns);
        endInsertColumns();
    } else if (columns < m_columns) {
        beginRemoveColumns(QModelIndex(), columns, m_columns - 1);
        m_columns = columns;
        for (QStringList& row : m_rows)
            row.resize(columns);
        endRemoveColumns();
    }
}

QString StringGridModel::cell(int column, int row) const
{
    if (row < 0 || row >= gridRowCount() || column < 0 || column >= m_columns)
        return QString();
    return m_rows[row][column];
}

void StringGridModel::setCell(int column, int row, const QString& text)
{
    if (row < 0 || row >= gridRowCount() || column < 0 || column >= m_columns)
        return;
    if (m_rows[row][column] == text)
        return;
    m_rows[row][column] = text;
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, column, column);
    } else {
        const QModelIndex changed = index(row - 1, column);
        emit dataChanged(changed, changed, { Qt::DisplayRole, Qt::EditRole });
    }
}

void StringGridModel::removeGridRows(int index, int count)
{
    index = qMax(index, 1);
    count = qMin(count, gridRowCount() - index);
    if (count <= 0)
        return;
    beginRemoveRows(QModelIndex(), index - 1, index + count - 2);
    m_rows.remove(index, count);
    endRemoveRows();
}

void StringGridModel::sortEntries(int column, bool ascending, const QLocale& locale, TextByte textByte)
{
    if (gridRowCount() < 3)
        return;
    QList<QStringList> entries = m_rows.mid(1);
    sortRows(entries, column, ascending, locale, textByte);
    std::move(entries.begin(), entries.end(), m_rows.begin() + 1);
    // The rows keep their places in the view: the current cell stays at its
    // index while the entries move under it.
    emit dataChanged(index(0, 0), index(rowCount() - 1, m_columns - 1), { Qt::DisplayRole, Qt::EditRole });
}

int StringGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : gridRowCount() - 1;
}

int StringGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return cell(index.column(), index.row() + 1);
}

bool StringGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    setCell(index.column(), index.row() + 1, value.toString());
    return true;
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_columns)
        return QVariant();
    return m_rows[0][section];
}
