#pragma once

#include <cstdio>
#include <string>

#include "tablestore.h"

// Generation g of a table: its length and every cell say which save wrote
// it, so that a file holding pieces of two saves passes for neither.
inline int entriesOf(int generation)
{
    return 30 + generation % 40;
}

inline std::string cellOf(int generation, int column, int row)
{
    return "g" + std::to_string(generation) + " c" + std::to_string(column) + " l" + std::to_string(row)
        + " d\xE9j\xE0 sauv\xE9";
}

inline void fillGeneration(TableAccess& table, int generation)
{
    table.setRowCount(entriesOf(generation) + 1);
    for (int c = 0; c < table.columnCount(); ++c) {
        for (int r = 0; r < table.rowCount(); ++r)
            table.setCell(c, r, cellOf(generation, c, r));
    }
}

// The generation the table holds whole, or -1.
inline int generationIn(const TableAccess& table)
{
    int generation = -1;
    if (table.rowCount() == 0 || std::sscanf(table.cell(0, 0).c_str(), "g%d ", &generation) != 1)
        return -1;
    if (generation < 0 || table.rowCount() != entriesOf(generation) + 1)
        return -1;
    for (int c = 0; c < table.columnCount(); ++c) {
        for (int r = 0; r < table.rowCount(); ++r) {
            if (table.cell(c, r) != cellOf(generation, c, r))
                return -1;
        }
    }
    return generation;
}
