#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tablestore.h"

// The grid as table persistence sees it, held in memory: two columns of
// Windows-1252 bytes, row 0 the header.
class MemoryTable : public TableAccess {
public:
    using Entry = std::pair<std::string, std::string>;
    using Rows = std::vector<Entry>;

    // The two empty rows a new window has.
    MemoryTable()
        : m_rows(2)
    {
    }
    // Exactly these rows, the header among them.
    explicit MemoryTable(Rows rows)
        : m_rows(std::move(rows))
    {
    }
    MemoryTable(std::initializer_list<Entry> rows)
        : m_rows(rows)
    {
    }
    // The window's header above these entries.
    static MemoryTable withEntries(const std::vector<Entry>& entries)
    {
        MemoryTable table(Rows { { "Description", "Mot de passe" } });
        table.m_rows.insert(table.m_rows.end(), entries.begin(), entries.end());
        return table;
    }

    int rowCount() const override { return int(m_rows.size()); }
    void setRowCount(int rows) override { m_rows.resize(std::size_t(rows)); }
    int columnCount() const override { return 2; }
    std::string cell(int column, int row) const override
    {
        const Entry& cells = m_rows.at(std::size_t(row));
        return checked(column) == 0 ? cells.first : cells.second;
    }
    void setCell(int column, int row, const std::string& text) override
    {
        Entry& cells = m_rows.at(std::size_t(row));
        (checked(column) == 0 ? cells.first : cells.second) = text;
    }

    const Rows& rows() const { return m_rows; }
    std::vector<std::string> row(int r) const
    {
        const Entry& cells = m_rows.at(std::size_t(r));
        return { cells.first, cells.second };
    }
    // The rows below the header.
    std::vector<Entry> entries() const
    {
        return m_rows.empty() ? Rows() : Rows(m_rows.begin() + 1, m_rows.end());
    }

private:
    static int checked(int column)
    {
        if (column != 0 && column != 1)
            throw std::out_of_range("no column " + std::to_string(column));
        return column;
    }

    Rows m_rows;
};
