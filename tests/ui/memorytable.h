#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tablestore.h"

// A table held in memory, to put a table into the vault or read one back
// without a window.
class MemoryTable : public TableAccess {
public:
    using Entry = std::pair<std::string, std::string>;

    MemoryTable() : m_rows(2, std::vector<std::string>(2)) {}
    explicit MemoryTable(const std::vector<Entry>& entries)
    {
        m_rows.push_back({ "Description", "Mot de passe" });
        for (const auto& [description, password] : entries)
            m_rows.push_back({ description, password });
    }

    int rowCount() const override { return int(m_rows.size()); }
    void setRowCount(int rows) override { m_rows.resize(rows, std::vector<std::string>(2)); }
    int columnCount() const override { return 2; }
    std::string cell(int column, int row) const override { return m_rows.at(row).at(column); }
    void setCell(int column, int row, const std::string& text) override { m_rows.at(row).at(column) = text; }

    // The rows below the header.
    std::vector<Entry> entries() const
    {
        std::vector<Entry> result;
        for (std::size_t r = 1; r < m_rows.size(); ++r)
            result.emplace_back(m_rows[r][0], m_rows[r][1]);
        return result;
    }

private:
    std::vector<std::vector<std::string>> m_rows;
};
