#include "contextmenudriver.h"
#include "gridfixture.h"

#include <QClipboard>
#include <QImage>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

using Cell = std::pair<int, int>; // column, row
using Change = std::pair<int, int>; // old row, new row
using Changes = std::vector<Change>;

// ---- Creation and the header row

TEST_F(GridFixture, StartsWithTheHeaderAndOneEntryRow)
{
    StringGrid fresh;
    EXPECT_EQ(fresh.rowCount(), 2);
    EXPECT_EQ(fresh.columnCount(), 2);
    EXPECT_EQ(fresh.row(), 1);
    EXPECT_EQ(fresh.col(), 0);
    EXPECT_EQ(fresh.sortColumn(), 0);
    EXPECT_TRUE(fresh.sortAscending());
    EXPECT_FALSE(fresh.isEditing());
}

TEST_F(GridFixture, HeaderRowIsARowOfCellsThatIsNeverCurrent)
{
    fill({ { "a", "1" }, { "b", "2" } });
    EXPECT_EQ(grid->cell(0, 0), "Description");
    EXPECT_EQ(grid->cell(1, 0), "Mot de passe");

    grid->setRow(0);
    key(Qt::Key_Up);
    clickHeader(1);
    const QPoint up(0, QWheelEvent::DefaultDeltasPerStep);
    QWheelEvent wheel(cellPoint(0, 1), grid->viewport()->mapToGlobal(cellPoint(0, 1)), QPoint(), up,
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &wheel);

    EXPECT_EQ(current(), Cell(0, 1));
    EXPECT_EQ(changes, Changes {});
}

TEST_F(GridFixture, RowCountDropsTheLastRowsAndAddsEmptyOnes)
{
    fill({ { "a", "1" }, { "b", "2" }, { "c", "3" } });
    grid->setRowCount(3);
    EXPECT_EQ(column(0), QStringList({ "a", "b" }));
    grid->setRowCount(5);
    EXPECT_EQ(column(0), QStringList({ "a", "b", "", "" }));
    EXPECT_EQ(column(1), QStringList({ "1", "2", "", "" }));
    EXPECT_EQ(grid->cell(0, 0), "Description");
}

// ---- In-place editing

TEST_F(GridFixture, TypingStartsAnEditThatWritesIntoTheCellAtEveryChange)
{
    fill({ { "old", "" } });
    type("n");
    EXPECT_TRUE(grid->isEditing());
    EXPECT_EQ(grid->cell(0, 1), "n"); // the typed character replaces the text
    type("ew");
    EXPECT_EQ(grid->cell(0, 1), "new"); // an edit still open is in the cell
    key(Qt::Key_Return);
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(grid->cell(0, 1), "new");
    EXPECT_EQ(current(), Cell(0, 1));
}

TEST_F(GridFixture, CellsKeepExactlyWhatWasTyped)
{
    const QString typed = "<b>x</b> &amp; é";
    type(typed);
    key(Qt::Key_Return);
    EXPECT_EQ(grid->cell(0, 1), typed);
}

TEST_F(GridFixture, BackspaceStartsAnEditThatClearsTheCell)
{
    fill({ { "abc", "" } });
    key(Qt::Key_Backspace);
    EXPECT_TRUE(grid->isEditing());
    EXPECT_EQ(grid->cell(0, 1), "");
    key(Qt::Key_Escape);
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(grid->cell(0, 1), "abc");
}

TEST_F(GridFixture, EnterOpensTheEditorOnTheCellText)
{
    fill({ { "abc", "" } });
    key(Qt::Key_Return);
    ASSERT_TRUE(grid->isEditing());
    ASSERT_NE(openEditor(), nullptr);
    EXPECT_EQ(openEditor()->text(), "abc");
    key(Qt::Key_End);
    type("d");
    EXPECT_EQ(grid->cell(0, 1), "abcd");
    key(Qt::Key_Return);
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(grid->cell(0, 1), "abcd");
}

TEST_F(GridFixture, EscapePutsBackTheTextTheCellHadWhenTheEditBegan)
{
    struct Case {
        const char* name;
        std::vector<Qt::Key> keys;
    };
    const std::vector<Case> cases {
        { "typed over", { Qt::Key_X, Qt::Key_Y } },
        { "opened by Enter, appended", { Qt::Key_Return, Qt::Key_End, Qt::Key_Z } },
        { "cleared by Backspace", { Qt::Key_Backspace } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fill({ { "", "before" } });
        grid->setCol(1);
        for (Qt::Key k : c.keys)
            key(k);
        ASSERT_TRUE(grid->isEditing());
        EXPECT_NE(grid->cell(1, 1), "before");
        key(Qt::Key_Escape);
        EXPECT_FALSE(grid->isEditing());
        EXPECT_EQ(grid->cell(1, 1), "before");
    }
}

// ---- Tab and Shift+Tab

TEST_F(GridFixture, TabWalksEveryCellAndWrapsToTheFirstEntry)
{
    fill({ { "a", "1" }, { "b", "2" } });
    std::vector<Cell> forward;
    for (int i = 0; i < 4; ++i) {
        key(Qt::Key_Tab);
        forward.push_back(current());
    }
    EXPECT_EQ(forward, (std::vector<Cell> { { 1, 1 }, { 0, 2 }, { 1, 2 }, { 0, 1 } }));

    std::vector<Cell> backward;
    for (int i = 0; i < 4; ++i) {
        key(Qt::Key_Tab, Qt::ShiftModifier);
        backward.push_back(current());
    }
    EXPECT_EQ(backward, (std::vector<Cell> { { 1, 2 }, { 0, 2 }, { 1, 1 }, { 0, 1 } }));
    EXPECT_EQ(QApplication::focusWidget(), grid.get());
}

TEST_F(GridFixture, TabFromTheEditorEndsTheEditAndMovesOn)
{
    struct Case {
        const char* name;
        Cell start;
        bool forward;
        Cell expected;
    };
    const std::vector<Case> cases {
        { "next column", { 0, 1 }, true, { 1, 1 } },
        { "last cell to the first entry", { 1, 2 }, true, { 0, 1 } },
        { "first entry to the last cell", { 0, 1 }, false, { 1, 2 } },
        { "previous row", { 0, 2 }, false, { 1, 1 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fill({ { "a", "1" }, { "b", "2" } });
        grid->setRow(c.start.second);
        grid->setCol(c.start.first);
        type("q");
        ASSERT_TRUE(grid->isEditing());
        key(Qt::Key_Tab, c.forward ? Qt::NoModifier : Qt::ShiftModifier);
        EXPECT_FALSE(grid->isEditing());
        EXPECT_EQ(grid->cell(c.start.first, c.start.second), "q");
        EXPECT_EQ(current(), c.expected);
        EXPECT_EQ(QApplication::focusWidget(), grid.get());
    }
}

// ---- Mouse wheel

TEST_F(GridFixture, WheelStepsMoveOneRowWithinTheEntries)
{
    fill({ { "a", "" }, { "b", "" }, { "c", "" } });
    const auto wheel = [this](int steps) {
        const QPoint at = cellPoint(1, 1);
        QWheelEvent event(at, grid->viewport()->mapToGlobal(at), QPoint(),
            QPoint(0, steps * QWheelEvent::DefaultDeltasPerStep), Qt::NoButton, Qt::NoModifier,
            Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &event);
    };
    for (int i = 0; i < 4; ++i)
        wheel(-1);
    EXPECT_EQ(grid->row(), 3);
    EXPECT_EQ(changes, (Changes { { 1, 2 }, { 2, 3 } }));

    changes.clear();
    wheel(2); // two steps in one event
    EXPECT_EQ(grid->row(), 1);
    wheel(1);
    EXPECT_EQ(grid->row(), 1);
    EXPECT_EQ(changes, (Changes { { 3, 2 }, { 2, 1 } }));
}

// ---- The row-changing notification

TEST_F(GridFixture, NotifiesBeforeEveryChangeOfTheCurrentRow)
{
    fill({ { "a", "" }, { "b", "" }, { "c", "" } });
    int rowSeenDuringNotification = -1;
    grid->onRowChanging = [&](int oldRow, int newRow, bool&) {
        changes.emplace_back(oldRow, newRow);
        rowSeenDuringNotification = grid->row();
    };

    clickCell(1, 3);
    EXPECT_EQ(rowSeenDuringNotification, 1); // raised before the change
    key(Qt::Key_Up);
    grid->setRow(1);
    key(Qt::Key_Tab); // same row: no notification
    key(Qt::Key_Tab);
    grid->setCol(1);
    clickCell(0, 2);
    grid->setRow(2); // already current

    EXPECT_EQ(changes, (Changes { { 1, 3 }, { 3, 2 }, { 2, 1 }, { 1, 2 } }));
    EXPECT_EQ(current(), Cell(0, 2));
}

TEST_F(GridFixture, RefusedRowChangeDoesNotHappen)
{
    fill({ { "a", "" }, { "b", "" }, { "c", "" } });
    refusedRow = 3;
    clickCell(0, 3);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    grid->setRow(3);
    EXPECT_EQ(grid->row(), 2);
    EXPECT_EQ(changes, (Changes { { 1, 3 }, { 1, 2 }, { 2, 3 }, { 2, 3 } }));
}

TEST_F(GridFixture, RemovingRowsKeepsTheCurrentIndexOrTakesTheNewLastRow)
{
    struct Case {
        const char* name;
        int currentRow;
        int index;
        int count;
        int expectedRow;
        Changes expectedChanges;
        QStringList expectedEntries;
    };
    const std::vector<Case> cases {
        { "the last row, current", 4, 4, 1, 3, { { 4, 3 } }, { "a", "b", "c" } },
        { "a middle row, current", 2, 2, 1, 2, {}, { "a", "c", "d" } },
        { "a row above the current one", 3, 1, 1, 3, {}, { "b", "c", "d" } },
        { "a row below the current one", 1, 3, 1, 1, {}, { "a", "b", "d" } },
        { "the current one goes past the end", 4, 2, 2, 2, { { 4, 2 } }, { "a", "d" } },
        { "every entry leaves an empty one", 3, 1, 4, 1, { { 3, 1 } }, { "" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fill({ { "a", "1" }, { "b", "2" }, { "c", "3" }, { "d", "4" } });
        grid->setRow(c.currentRow);
        grid->setCol(1);
        changes.clear();
        grid->removeRows(c.index, c.count);
        EXPECT_EQ(column(0), c.expectedEntries);
        EXPECT_EQ(grid->row(), c.expectedRow);
        EXPECT_EQ(grid->col(), 1);
        EXPECT_EQ(changes, c.expectedChanges);
        EXPECT_EQ(grid->cell(0, 0), "Description");
    }
}

TEST_F(GridFixture, DroppingTheCurrentRowByRowCountNotifies)
{
    fill({ { "a", "" }, { "b", "" }, { "c", "" } });
    grid->setRow(3);
    changes.clear();
    grid->setRowCount(2);
    EXPECT_EQ(grid->row(), 1);
    EXPECT_EQ(changes, (Changes { { 3, 1 } }));
}

TEST_F(GridFixture, RemovingTheEditedRowEndsTheEdit)
{
    fill({ { "a", "" }, { "b", "" } });
    grid->setRow(2);
    type("x");
    ASSERT_TRUE(grid->isEditing());
    grid->removeRows(2, 1);
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(column(0), QStringList({ "a" }));
}

// ---- Sorting by a click on a header cell

TEST_F(GridFixture, HeaderClickWithOneEntryRowDoesNothing)
{
    fill({ { "b", "2" } });
    clickHeader(0);
    clickHeader(1);
    EXPECT_EQ(grid->sortColumn(), 0);
    EXPECT_TRUE(grid->sortAscending());
    EXPECT_EQ(column(0), QStringList({ "b" }));
}

TEST_F(GridFixture, FirstClickOnTheSortColumnSortsDescendingThenItReverses)
{
    fill({ { "9", "x" }, { "100", "y" }, { "10", "z" }, { "20", "w" } });
    grid->setRow(2);
    grid->setCol(1);
    changes.clear();

    clickHeader(0);
    EXPECT_FALSE(grid->sortAscending());
    EXPECT_EQ(column(0), QStringList({ "100", "20", "10", "9" }));
    EXPECT_EQ(column(1), QStringList({ "y", "w", "z", "x" })); // whole rows move

    clickHeader(0);
    EXPECT_TRUE(grid->sortAscending());
    EXPECT_EQ(column(0), QStringList({ "9", "10", "20", "100" }));

    EXPECT_EQ(grid->cell(0, 0), "Description");
    EXPECT_EQ(grid->cell(1, 0), "Mot de passe");
    EXPECT_EQ(current(), Cell(1, 2)); // the index stays, not the entry
    EXPECT_EQ(changes, Changes {});
}

TEST_F(GridFixture, ClickOnAnotherColumnSortsItAscendingWithTiesByTheNextColumn)
{
    fill({ { "1", "abc" }, { "2", "b" }, { "3", "Abc" }, { "4", "B" } });
    clickHeader(1);
    EXPECT_EQ(grid->sortColumn(), 1);
    EXPECT_TRUE(grid->sortAscending());
    EXPECT_EQ(column(1), QStringList({ "Abc", "B", "abc", "b" })); // by character code
    EXPECT_EQ(column(0), QStringList({ "3", "4", "1", "2" }));

    fill({ { "b", "2" }, { "a", "9" }, { "b", "1" }, { "a", "10" } });
    clickHeader(0);
    EXPECT_EQ(grid->sortColumn(), 0);
    EXPECT_TRUE(grid->sortAscending());
    EXPECT_EQ(column(0), QStringList({ "a", "a", "b", "b" }));
    EXPECT_EQ(column(1), QStringList({ "9", "10", "1", "2" }));
}

TEST_F(GridFixture, OnlyALeftClickOverOneColumnSorts)
{
    fill({ { "a", "" }, { "b", "" } });
    clickHeader(0, Qt::RightButton);
    clickHeader(0, Qt::MiddleButton);
    QWidget* header = grid->horizontalHeader()->viewport();
    QTest::mousePress(header, Qt::LeftButton, Qt::NoModifier, headerPoint(0));
    QTest::mouseRelease(header, Qt::LeftButton, Qt::NoModifier, headerPoint(1));
    EXPECT_TRUE(grid->sortAscending());
    EXPECT_EQ(column(0), QStringList({ "a", "b" }));
}

TEST_F(GridFixture, SortKeepsAnOpenEdit)
{
    fill({ { "a", "" }, { "b", "" } });
    type("c");
    ASSERT_TRUE(grid->isEditing());
    clickHeader(0);
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(column(0), QStringList({ "c", "b" }));
}

// ---- Drawing

class GridPicture {
public:
    explicit GridPicture(StringGrid& grid)
        : m_grid(grid)
        , m_image(grid.grab().toImage())
    {
    }

    QColor entry(int x, int row) const
    {
        const QPoint origin = m_grid.viewport()->geometry().topLeft();
        return m_image.pixelColor(origin + QPoint(x, m_grid.rowViewportPosition(row - 1)) + QPoint(0, m_y));
    }

    QColor header(int x, int y) const
    {
        return m_image.pixelColor(m_grid.horizontalHeader()->geometry().topLeft() + QPoint(x, y));
    }

    // Pixel y within a row for entry().
    GridPicture& atY(int y)
    {
        m_y = y;
        return *this;
    }

private:
    StringGrid& m_grid;
    QImage m_image;
    int m_y = 3;
};

const QColor kSilver(192, 192, 192);
const QColor kBand(240, 251, 255);

TEST_F(GridFixture, EntryRowsAreBandedAndRuled)
{
    fill({ { "", "" }, { "", "" }, { "", "" }, { "", "" } });
    grid->setRow(4);
    grid->setCol(1); // the current cell is drawn highlighted: sample column 0
    const QColor window = grid->palette().color(QPalette::Base);
    GridPicture picture(*grid);

    EXPECT_EQ(picture.entry(100, 1), kBand);
    EXPECT_EQ(picture.entry(100, 2), window);
    EXPECT_EQ(picture.entry(100, 3), kBand);
    EXPECT_EQ(picture.entry(100, 4), window);
    EXPECT_EQ(picture.entry(261, 1), kBand); // column 1 starts after 261 pixels
    EXPECT_EQ(picture.entry(260, 1), kSilver);
    picture.atY(20);
    EXPECT_EQ(picture.entry(100, 1), kSilver); // each row 21 pixels, its last a line
    EXPECT_EQ(picture.entry(100, 2), kSilver);
    picture.atY(19);
    EXPECT_EQ(picture.entry(100, 2), window);

    for (int r = 0; r < grid->rowCount() - 1; ++r)
        EXPECT_EQ(grid->rowHeight(r), 21);
    EXPECT_EQ(grid->horizontalHeader()->height(), 21);
}

TEST_F(GridFixture, HeaderIsDrawnOnButtonFaceAndRuled)
{
    const QColor buttonFace = grid->palette().color(QPalette::Button);
    GridPicture picture(*grid);
    EXPECT_EQ(picture.header(200, 3), buttonFace);
    EXPECT_EQ(picture.header(200, 20), kSilver);
    EXPECT_EQ(picture.header(260, 10), kSilver);
    EXPECT_EQ(picture.header(300, 3), buttonFace);
}

TEST_F(GridFixture, CellColoursAndFontsComeFromTheCallback)
{
    fill({ { "", "" }, { "", "" } });
    std::vector<Cell> headerCalls;
    bool headerFontSeen = false;
    grid->onGetCellColor = [&](int row, int column, QBrush& brush, QFont& font) {
        if (row == 0) {
            headerCalls.emplace_back(column, row);
            headerFontSeen = headerFontSeen || font.pixelSize() == 11;
            font.setBold(true);
        }
        if (row == 2 && column == 0)
            brush = QColor(Qt::red);
    };
    grid->setCol(1);
    GridPicture picture(*grid);
    EXPECT_EQ(picture.entry(100, 2), QColor(Qt::red));
    EXPECT_EQ(picture.entry(100, 1), kBand);
    EXPECT_EQ(headerCalls, (std::vector<Cell> { { 0, 0 }, { 1, 0 } }));
    EXPECT_TRUE(headerFontSeen);
}

TEST_F(GridFixture, LastColumnFillsTheClientWidth)
{
    EXPECT_EQ(grid->columnWidth(0), 261);
    EXPECT_EQ(grid->viewport()->width(), 429);
    EXPECT_EQ(grid->columnWidth(1), 167);

    // The item view lays out rows and scroll bars from the event loop.
    QScrollBar* scrollBar = grid->verticalScrollBar();
    grid->setRowCount(40);
    ASSERT_TRUE(QTest::qWaitFor([scrollBar] { return scrollBar->isVisible(); }));
    EXPECT_LT(grid->viewport()->width(), 429);
    EXPECT_EQ(grid->columnWidth(1), grid->viewport()->width() - 261 - 1);

    grid->setRowCount(2);
    ASSERT_TRUE(QTest::qWaitFor([scrollBar] { return !scrollBar->isVisible(); }));
    EXPECT_EQ(grid->columnWidth(1), 167);
    EXPECT_EQ(grid->columnWidth(0), 261);
}

// Which way the sort indicator in a header cell points: +1 up, -1 down, 0
// when there is none. The triangle's widest row is its base.
int indicatorDirection(StringGrid& grid, int column)
{
    const QImage image = grid.horizontalHeader()->grab().toImage();
    const int right = grid.columnViewportPosition(column) + grid.columnWidth(column) - 1;
    const QColor grey(128, 128, 128);
    const QColor white(255, 255, 255);
    bool greySeen = false, whiteSeen = false;
    int top = -1, bottom = -1, widest = -1, widestCount = 0;
    for (int y = 0; y < image.height() - 1; ++y) {
        int count = 0;
        for (int x = right - 9; x < right; ++x) {
            const QColor c = image.pixelColor(x, y);
            greySeen = greySeen || c == grey;
            whiteSeen = whiteSeen || c == white;
            count += c == grey || c == white;
        }
        if (count == 0)
            continue;
        top = top < 0 ? y : top;
        bottom = y;
        if (count > widestCount) {
            widestCount = count;
            widest = y;
        }
    }
    if (!greySeen || !whiteSeen || bottom - top != 7)
        return 0;
    return widest == bottom ? 1 : (widest == top ? -1 : 0);
}

TEST_F(GridFixture, SortIndicatorPointsTheWayOfTheSort)
{
    fill({ { "a", "2" }, { "b", "1" } });
    EXPECT_EQ(indicatorDirection(*grid, 0), 1); // shown before any sort
    EXPECT_EQ(indicatorDirection(*grid, 1), 0);
    clickHeader(0);
    EXPECT_EQ(indicatorDirection(*grid, 0), -1);
    clickHeader(1);
    EXPECT_EQ(indicatorDirection(*grid, 0), 0);
    EXPECT_EQ(indicatorDirection(*grid, 1), 1);
}

// ---- What the editor accepts

TEST_F(GridFixture, EditorRefusesCharactersTheFilterRejects)
{
    grid->setEditorCharFilter([](QChar c) { return c != u'x' && c.unicode() <= 0xFF; });
    fill({ { "keep", "" } });

    type("x"); // a refused character doesn't open the editor
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(grid->cell(0, 1), "keep");

    type("axbé");
    EXPECT_EQ(grid->cell(0, 1), "abé");

    QApplication::clipboard()->setText(QString("ok") + QChar(0x3A9));
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(grid->cell(0, 1), "abé"); // the whole paste is refused
    QApplication::clipboard()->setText("ok");
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(grid->cell(0, 1), "abéok");
    key(Qt::Key_Return);

    // A cell that already holds a refused character stays editable, and
    // still refuses more of them.
    grid->setCell(0, 1, "x1");
    key(Qt::Key_Return);
    key(Qt::Key_End);
    type("x2x");
    EXPECT_EQ(grid->cell(0, 1), "x12");
    grid->setCell(0, 1, "xy"); // the program changes the cell being edited
    key(Qt::Key_End);
    type("xz");
    key(Qt::Key_Return);
    EXPECT_EQ(grid->cell(0, 1), "xyz");
}

TEST_F(GridFixture, EditorStopsAtItsMaximumLength)
{
    grid->setEditorMaxLength(5);
    type("abcdefg");
    EXPECT_EQ(grid->cell(0, 1), "abcde");
    key(Qt::Key_Return);

    // A longer text put in by the program isn't cut by opening the editor.
    grid->setCell(0, 1, "12345678");
    key(Qt::Key_Return);
    key(Qt::Key_End);
    type("9");
    key(Qt::Key_Return);
    EXPECT_EQ(grid->cell(0, 1), "12345678");
}

// ---- Typing into a new row

TEST_F(GridFixture, EditCurrentCellOpensTheEditorForTyping)
{
    fill({ { "a", "1" }, { "", "" } });
    grid->setRow(2);
    grid->editCurrentCell();
    ASSERT_TRUE(grid->isEditing());
    type("neuf");
    key(Qt::Key_Tab);
    type("mdp");
    key(Qt::Key_Return);
    EXPECT_EQ(column(0), QStringList({ "a", "neuf" }));
    EXPECT_EQ(column(1), QStringList({ "1", "mdp" }));
}

// ---- Copying

// A grid whose copies are recorded, with an extra item that copies the
// second column of the row.
class CopyFixture : public GridFixture {
protected:
    void SetUp() override
    {
        GridFixture::SetUp();
        grid->addCopyMenuItem("Copier le second", 1);
        grid->onCopyRequested = [this](int column, int row) { copies.emplace_back(column, row); };
        fill({ { "a", "1" }, { "b", "2" } });
    }

    std::vector<Cell> copies;
};

TEST_F(CopyFixture, EntryCellMenuCopiesThatCellOrTheAddedColumn)
{
    struct {
        Cell clicked;
        const char* choose;
        Cell copied;
    } cases[] = {
        { { 0, 2 }, "Copier", { 0, 2 } },
        { { 1, 1 }, "Copier", { 1, 1 } },
        { { 0, 2 }, "Copier le second", { 1, 2 } },
        { { 1, 1 }, "Copier le second", { 1, 1 } },
    };
    for (const auto& c : cases) {
        copies.clear();
        const QStringList offered
            = openContextMenu(grid->viewport(), cellPoint(c.clicked.first, c.clicked.second), c.choose);
        EXPECT_EQ(offered, QStringList({ "Copier", "Copier le second" }));
        EXPECT_EQ(copies, std::vector<Cell> { c.copied }) << c.choose;
    }
    EXPECT_EQ(current(), Cell(0, 1)) << "a menu does not move the current cell";
}

TEST_F(CopyFixture, MenuKeyOffersTheCurrentCell)
{
    grid->setRow(2);
    grid->setCol(1);
    openContextMenu(grid.get(), QPoint(), "Copier", QContextMenuEvent::Keyboard);
    EXPECT_EQ(copies, std::vector<Cell> { Cell(1, 2) });
}

TEST_F(CopyFixture, HeaderAndEmptySpaceOfferNothing)
{
    EXPECT_TRUE(openContextMenu(grid->horizontalHeader()->viewport(), headerPoint(0)).isEmpty());
    const QPoint belowTheRows(10, grid->viewport()->height() - 5);
    EXPECT_TRUE(openContextMenu(grid->viewport(), belowTheRows).isEmpty());
    EXPECT_TRUE(copies.empty());
}

TEST_F(CopyFixture, CtrlCCopiesTheCurrentCellOnlyWhenNoEditorIsOpen)
{
    clickCell(1, 2);
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(copies, std::vector<Cell> { Cell(1, 2) });

    // Inside the editor Ctrl+C is the editor's own copy of its selection.
    copies.clear();
    key(Qt::Key_Return);
    ASSERT_TRUE(grid->isEditing());
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(copies.empty());
    EXPECT_EQ(grid->cell(1, 2), "2") << "Ctrl+C typed into the cell";
}

TEST_F(GridFixture, WithoutACopyHandlerTheCellTextGoesToTheClipboard)
{
    fill({ { "Banque été", "1" } });
    QApplication::clipboard()->clear();
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "Banque été");
}

} // namespace
