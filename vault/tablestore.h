#pragma once

#include <QString>
#include <string>

// What table persistence needs of a table: the grid implements it in the
// window, an in-memory table in tests. Cells are Windows-1252 bytes.
class TableAccess {
public:
    virtual ~TableAccess() = default;
    virtual int rowCount() const = 0;
    virtual void setRowCount(int rows) = 0; // new rows are empty
    virtual int columnCount() const = 0;
    virtual std::string cell(int column, int row) const = 0;
    // The same bytes in place of out's content, reusing its memory: saving
    // a large table then allocates nothing per cell.
    virtual void cellInto(int column, int row, std::string& out) const { out = cell(column, row); }
    virtual void setCell(int column, int row, const std::string& text) = 0;
};

// Writes "lignes", decoys, every cell (columns outer, rows inner, header
// first), decoys again: one atomic write. Throws VaultWriteError.
void SaveTable(const QString& iniPath, const TableAccess& table);

// Rebuilds the table from the vault; an absent "lignes" leaves it alone. A
// row count that is not a whole number, is below 2 or above 1,000,000, or is
// above 1,000 and larger than the number of keys in the secret section, is
// damage and gives two rows.
// Throws ConversionError for the first cell that does not decode, after
// every other cell was loaded.
void LoadTable(const QString& iniPath, TableAccess& table);
