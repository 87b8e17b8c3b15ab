#pragma once

#include <QBrush>
#include <QFont>
#include <QLocale>
#include <QString>
#include <QTableView>
#include <functional>
#include <vector>

#include "cellcompare.h"

class CellDelegate;
class GridHeader;
class GridSelectionModel;
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

    int rowCount() const; // header included
    // New rows are empty; a smaller count drops the last rows. Never fewer
    // than 2: the header and one entry.
    void setRowCount(int rows);
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

    // Removes count rows at index; the rows below move up. The current row
    // keeps its index while that row exists, else becomes the last row.
    // Removing every entry leaves one empty entry row.
    void removeRows(int index, int count);

    // Called before every change of the current row; allow starts true.
    std::function<void(int oldRow, int newRow, bool& allow)> onRowChanging;

    // Called for each cell before it is drawn: may change brush and font.
    std::function<void(int row, int column, QBrush& brush, QFont& font)> onGetCellColor;

    // Header-click sorting: column and direction (ascending at creation,
    // column 0, indicator shown from the start).
    int sortColumn() const;
    bool sortAscending() const;
    // Numbers and dates in cells are read with this locale; the system's
    // by default.
    void setSortLocale(const QLocale& locale);
    // Texts are ordered by the bytes this gives their characters; by their
    // UTF-16 code units until it is set.
    void setSortTextByte(TextByte textByte);

    // Longest text the cell editor accepts, and which characters it takes
    // (a refused character or paste is not inserted).
    void setEditorMaxLength(int length);
    void setEditorCharFilter(std::function<bool(QChar)> accept);

    // Whether an in-place editor is open.
    bool isEditing() const;

    // Opens the in-place editor on the current cell, as Enter does.
    void editCurrentCell();

    // Copying. An entry cell's context menu offers "Copier" (that cell) and
    // the items added here (the cell of the given column in the same row);
    // Ctrl+C, when no editor is open, copies the current cell. Every copy
    // goes through onCopyRequested(column, row); without it the cell's text
    // goes to the clipboard as it is. The header row offers no menu.
    void addCopyMenuItem(const QString& text, int column);
    std::function<void(int column, int row)> onCopyRequested;

    // The brush and font cell (row, column) is drawn with: the header's
    // button face and header font, the entry rows' bands and cell font, then
    // whatever onGetCellColor makes of them.
    void cellAppearance(int row, int column, QBrush& brush, QFont& font) const;

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool allowRowChange(const QModelIndex& from, const QModelIndex& to);
    bool notifyRowChange(int oldRow, int newRow);
    void moveTo(int column, int row);
    void tabMove(bool forward);
    void finishEditing();
    void headerCellClicked(int column);
    void stretchLastColumn();
    void requestCopy(int column, int row);

    StringGridModel* m_model;
    GridSelectionModel* m_selection;
    CellDelegate* m_delegate;
    GridHeader* m_header;
    QFont m_headerFont;
    int m_sortColumn = 0;
    bool m_sortAscending = true;
    QLocale m_sortLocale = QLocale::system();
    TextByte m_sortTextByte = nullptr;
    int m_wheelDelta = 0;
    struct CopyMenuItem {
        QString text;
        int column;
    };
    std::vector<CopyMenuItem> m_copyMenuItems;
};
