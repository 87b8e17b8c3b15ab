#pragma once

#include "tablestore.h"

class StringGrid;

// The window's grid as the vault's table: cells go to the vault as
// Windows-1252 bytes and come back as Unicode.
class GridTable : public TableAccess {
public:
    explicit GridTable(StringGrid& grid)
        : m_grid(grid)
    {
    }

    int rowCount() const override;
    void setRowCount(int rows) override;
    int columnCount() const override;
    std::string cell(int column, int row) const override;
    void cellInto(int column, int row, std::string& out) const override;
    void setCell(int column, int row, const std::string& text) override;

private:
    StringGrid& m_grid;
};
