#pragma once

#include <string>
#include <vector>

#include "tablestore.h"

// The grid as table persistence sees it, in memory: column-major cells.
class MemoryTable : public TableAccess {
public:
    explicit MemoryTable(int columns = 2)
        : m_cells(columns)
    {
    }

    MemoryTable(std::initializer_list<std::vector<std::string>> rows)
        : m_cells(2)
    {
        for (const auto& row : rows) {
            setRowCount(m_rows + 1);
            for (int c = 0; c < static_cast<int>(row.size()); ++c)
                setCell(c, m_rows - 1, row[c]);
        }
    }

    int rowCount() const override { return m_rows; }
    void setRowCount(int rows) override
    {
        m_rows = rows;
        for (auto& column : m_cells)
            column.resize(rows);
    }
    int columnCount() const override { return static_cast<int>(m_cells.size()); }
    std::string cell(int column, int row) const override { return m_cells.at(column).at(row); }
    void setCell(int column, int row, const std::string& text) override { m_cells.at(column).at(row) = text; }

    std::vector<std::string> row(int r) const
    {
        std::vector<std::string> result;
        for (const auto& column : m_cells)
            result.push_back(column.at(r));
        return result;
    }

private:
    int m_rows = 0;
    std::vector<std::vector<std::string>> m_cells;
};
