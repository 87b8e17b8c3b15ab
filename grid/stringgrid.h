#pragma once

#include <QBrush>
#include <QFont>
#include <QString>
#include <QTableView>
#include <functional>

class StringGridModel;

// An editable grid of text cells with one fixed header row (row 0), built on
// Qt's item views. Indices are (column, row) as the table window speaks of
// them; row 0 is the header. Cells are plain text, never markup.
//
// This header lists what the table window uses; the implementation owns the
// rest (drawing, editing, keyboard, wheel, sorting).
class StringGrid : public QTableView {
    Q_OBJECT
public:
    explicit StringGrid(QWidget* parent = nullptr);
    ~StringGrid() override;

    int rowCount() const;          // header included
    void setRowCount(int rows);    // new rows are empty; smaller drops the last rows
    int columnCount() const;
    void setColumnCount(int columns);

    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);

    // Current cell. A change of the current row, by the user or the program,
    // first calls onRowChanging(oldRow, newRow, allow).
    int row() const;
    int col() const;
    void setRow(int row);
    void setCol(int column);

    // Removes count rows at index; the rows below move up.
    void removeRows(int index, int count);

    // Called before every change of the current row; allow starts true.
    std::function<void(int oldRow, int newRow, bool& allow)> onRowChanging;

    // Called for each cell before it is drawn: may change brush and font.
    std::function<void(int row, int column, QBrush& brush, QFont& font)> onGetCellColor;

    // Header-click sorting: column and direction (ascending at creation,
    // column 0, indicator shown from the start).
    int sortColumn() const;
    bool sortAscending() const;

    // Longest text the cell editor accepts, and which characters it takes
    // (a refused character or paste is not inserted).
    void setEditorMaxLength(int length);
    void setEditorCharFilter(std::function<bool(QChar)> accept);

    // Whether an in-place editor is open.
    bool isEditing() const;
};
