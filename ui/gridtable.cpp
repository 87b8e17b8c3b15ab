#include "gridtable.h"

#include "cp1252.h"
#include "stringgrid.h"

int GridTable::rowCount() const
{
    return m_grid.rowCount();
}

void GridTable::setRowCount(int rows)
{
    m_grid.setRowCount(rows);
}

int GridTable::columnCount() const
{
    return m_grid.columnCount();
}

std::string GridTable::cell(int column, int row) const
{
    return toCp1252(m_grid.cell(column, row));
}

void GridTable::cellInto(int column, int row, std::string& out) const
{
    toCp1252(m_grid.cell(column, row), out);
}

void GridTable::setCell(int column, int row, const std::string& text)
{
    m_grid.setCell(column, row, fromCp1252(text));
}
