#pragma once

#include <QString>
#include <string>

#include "kaldrinoerror.h"

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

// What a load had to make up for, for the window to tell the user.
struct TableLoadNotice {
    // The stored row count was unreadable or out of bounds, or absent while
    // entry rows are stored: the rows were counted from the cell keys.
    bool rowCountUnreadable = false;
    int entryRows = 0; // the entry rows so found, the header not counted
};

// The first cell that did not decode; thrown by LoadTable once every other
// cell is loaded, with what the load made up for besides.
class TableCellError : public ConversionError {
public:
    TableCellError(const ConversionError& cell, const TableLoadNotice& notice)
        : ConversionError(cell)
        , m_notice(notice)
    {
    }
    const TableLoadNotice& notice() const { return m_notice; }

private:
    TableLoadNotice m_notice;
};

// Rebuilds the table from the vault. A vault without a table leaves it
// alone. A row count that is not a whole number, is below 2 or above
// 1,000,000, or is above 1,000 and larger than the number of keys in the
// secret section, is damage, and so is an absent count beside stored entry
// rows: the table then holds the header and the entry rows stored one after
// the other from row 1 (at least one), and the notice says so. A cell whose
// key is absent loads empty.
// Throws TableCellError for the first cell that does not decode, after
// every other cell was loaded.
TableLoadNotice LoadTable(const QString& iniPath, TableAccess& table);
