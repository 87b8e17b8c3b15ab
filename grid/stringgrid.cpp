#include "stringgrid.h"

#include "celldelegate.h"
#include "celleditor.h"
#include "gridheader.h"
#include "gridselectionmodel.h"
#include "stringgridmodel.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace {

constexpr int kRowHeight = 21;
constexpr int kFirstColumnWidth = 261;
constexpr int kDefaultColumnWidth = 64;
const QColor kBandColor(240, 251, 255);

QFont pixelFont(const QString& family)
{
    QFont font(family);
    font.setPixelSize(11);
    return font;
}

} // namespace

StringGrid::StringGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new StringGridModel(this))
    , m_delegate(new CellDelegate(this))
    , m_header(new GridHeader(this))
    , m_headerFont(pixelFont(QStringLiteral("MS Sans Serif")))
{
    setHorizontalHeader(m_header);
    setModel(m_model);
    QItemSelectionModel* initial = selectionModel();
    m_selection = new GridSelectionModel(m_model, this);
    setSelectionModel(m_selection);
    delete initial;
    m_selection->setGuard(
        [this](const QModelIndex& from, const QModelIndex& to) { return allowRowChange(from, to); });
    setItemDelegate(m_delegate);
    connect(m_header, &GridHeader::cellClicked, this, &StringGrid::headerCellClicked);

    setFont(pixelFont(QStringLiteral("Tahoma")));
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setSelectionMode(NoSelection);
    setSelectionBehavior(SelectItems);
    setEditTriggers(DoubleClicked | AnyKeyPressed);
    setTabKeyNavigation(true);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setDragDropMode(NoDragDrop);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(ScrollPerItem);
    setAttribute(Qt::WA_MacShowFocusRect, false);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(0);
    rows->setDefaultSectionSize(kRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    m_header->setFixedHeight(kRowHeight);
    m_header->setDefaultSectionSize(kDefaultColumnWidth);

    m_model->setGridRowCount(2);
    setColumnWidth(0, kFirstColumnWidth);
    stretchLastColumn();
    m_selection->setCurrentSilently(m_model->index(0, 0));
}

StringGrid::~StringGrid() = default;

int StringGrid::rowCount() const
{
    return m_model->gridRowCount();
}

void StringGrid::setRowCount(int rows)
{
    rows = qMax(rows, 2);
    if (rows < rowCount())
        removeRows(rows, rowCount() - rows);
    else
        m_model->setGridRowCount(rows);
}

int StringGrid::columnCount() const
{
    return m_model->gridColumnCount();
}

void StringGrid::setColumnCount(int columns)
{
    columns = qMax(columns, 1);
    if (columns == columnCount())
        return;
    finishEditing();
    const int column = qMin(col(), columns - 1);
    const int currentRow = row();
    m_model->setGridColumnCount(columns);
    m_sortColumn = qMin(m_sortColumn, columns - 1);
    m_selection->setCurrentSilently(m_model->index(currentRow - 1, column));
    stretchLastColumn();
}

QString StringGrid::cell(int column, int row) const
{
    return m_model->cell(column, row);
}

void StringGrid::setCell(int column, int row, const QString& text)
{
    m_model->setCell(column, row, text);
}

int StringGrid::row() const
{
    const QModelIndex current = m_selection->currentIndex();
    return current.isValid() ? current.row() + 1 : 1;
}

int StringGrid::col() const
{
    const QModelIndex current = m_selection->currentIndex();
    return current.isValid() ? current.column() : 0;
}

void StringGrid::setRow(int row)
{
    if (row >= 1 && row < rowCount())
        moveTo(col(), row);
}

void StringGrid::setCol(int column)
{
    if (column >= 0 && column < columnCount())
        moveTo(column, row());
}

void StringGrid::removeRows(int index, int count)
{
    index = qMax(index, 1);
    count = qMin(count, rowCount() - index);
    if (count <= 0)
        return;
    finishEditing();
    const int oldRow = row();
    const int column = col();
    // The grid keeps one entry row at least: removing them all leaves an
    // empty one, as at creation.
    const int rowsLeft = qMax(rowCount() - count, 2);
    const int newRow = qMin(oldRow, rowsLeft - 1);
    if (newRow != oldRow)
        notifyRowChange(oldRow, newRow); // the old row is gone: no veto
    m_model->removeGridRows(index, count);
    m_model->setGridRowCount(rowsLeft);
    m_selection->setCurrentSilently(m_model->index(newRow - 1, column));
}

int StringGrid::sortColumn() const
{
    return m_sortColumn;
}

bool StringGrid::sortAscending() const
{
    return m_sortAscending;
}

void StringGrid::setSortLocale(const QLocale& locale)
{
    m_sortLocale = locale;
}

void StringGrid::setSortTextByte(TextByte textByte)
{
    m_sortTextByte = textByte;
}

void StringGrid::setEditorMaxLength(int length)
{
    m_delegate->setMaxLength(length);
}

void StringGrid::setEditorCharFilter(std::function<bool(QChar)> accept)
{
    m_delegate->setCharFilter(std::move(accept));
}

bool StringGrid::isEditing() const
{
    return state() == EditingState;
}

void StringGrid::editCurrentCell()
{
    if (!isEditing())
        edit(currentIndex());
}

void StringGrid::addCopyMenuItem(const QString& text, int column)
{
    m_copyMenuItems.push_back({ text, column });
}

void StringGrid::requestCopy(int column, int row)
{
    if (column < 0 || column >= columnCount() || row < 1 || row >= rowCount())
        return;
    if (onCopyRequested) {
        onCopyRequested(column, row);
        return;
    }
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(cell(column, row));
}

void StringGrid::cellAppearance(int row, int column, QBrush& brush, QFont& font) const
{
    if (row == 0) {
        brush = palette().brush(QPalette::Active, QPalette::Button);
        font = m_headerFont;
    } else {
        brush = row % 2 == 1 ? QBrush(kBandColor) : palette().brush(QPalette::Active, QPalette::Base);
        font = this->font();
    }
    if (onGetCellColor)
        onGetCellColor(row, column, brush, font);
}

bool StringGrid::allowRowChange(const QModelIndex& from, const QModelIndex& to)
{
    const int oldRow = from.isValid() ? from.row() + 1 : 0;
    const int newRow = to.row() + 1;
    return oldRow == newRow || notifyRowChange(oldRow, newRow);
}

bool StringGrid::notifyRowChange(int oldRow, int newRow)
{
    bool allow = true;
    if (onRowChanging)
        onRowChanging(oldRow, newRow, allow);
    return allow;
}

void StringGrid::moveTo(int column, int row)
{
    m_selection->setCurrentIndex(m_model->index(row - 1, column), QItemSelectionModel::NoUpdate);
}

void StringGrid::tabMove(bool forward)
{
    int column = col();
    int row = this->row();
    const int lastColumn = columnCount() - 1;
    const int lastRow = rowCount() - 1;
    if (forward) {
        if (column < lastColumn) {
            ++column;
        } else {
            column = 0;
            row = row < lastRow ? row + 1 : 1;
        }
    } else {
        if (column > 0) {
            --column;
        } else {
            column = lastColumn;
            row = row > 1 ? row - 1 : lastRow;
        }
    }
    moveTo(column, row);
}

void StringGrid::finishEditing()
{
    CellEditor* editor = m_delegate->editor();
    if (isEditing() && editor) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void StringGrid::headerCellClicked(int column)
{
    if (rowCount() <= 2 || column < 0 || column >= columnCount())
        return;
    if (column == m_sortColumn) {
        m_sortAscending = !m_sortAscending;
    } else {
        m_sortColumn = column;
        m_sortAscending = true;
    }
    finishEditing();
    m_model->sortEntries(m_sortColumn, m_sortAscending, m_sortLocale, m_sortTextByte);
    m_header->viewport()->update();
}

void StringGrid::stretchLastColumn()
{
    const int last = columnCount() - 1;
    int others = 0;
    for (int column = 0; column < last; ++column)
        others += columnWidth(column);
    setColumnWidth(last, qMax(0, viewport()->width() - others - 1));
}

bool StringGrid::focusNextPrevChild(bool next)
{
    tabMove(next);
    return true;
}

void StringGrid::keyPressEvent(QKeyEvent* event)
{
    const bool commandKey = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (event->matches(QKeySequence::Copy)) {
        requestCopy(col(), row());
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (commandKey)
            break;
        tabMove(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (isEditing())
            finishEditing();
        else
            edit(currentIndex());
        event->accept();
        return;
    case Qt::Key_Backspace:
        edit(currentIndex(), AnyKeyPressed, event);
        event->accept();
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (!commandKey && !text.isEmpty() && text.front() >= u' ' && text.front() != QChar(0x7F)) {
        // A refused character doesn't open the editor either.
        if (std::all_of(text.begin(), text.end(), [this](QChar c) { return m_delegate->accepts(c); }))
            edit(currentIndex(), AnyKeyPressed, event);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void StringGrid::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if ((delta > 0) != (m_wheelDelta > 0))
        m_wheelDelta = 0;
    m_wheelDelta += delta;
    for (; m_wheelDelta >= QWheelEvent::DefaultDeltasPerStep;
         m_wheelDelta -= QWheelEvent::DefaultDeltasPerStep) {
        if (row() > 1)
            setRow(row() - 1);
    }
    for (; m_wheelDelta <= -QWheelEvent::DefaultDeltasPerStep;
         m_wheelDelta += QWheelEvent::DefaultDeltasPerStep) {
        if (row() < rowCount() - 1)
            setRow(row() + 1);
    }
    event->accept();
}

// Called for the viewport's resizes: the last column follows the client
// width, which shrinks when the vertical scroll bar appears.
void StringGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    stretchLastColumn();
}

void StringGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Tab and Shift+Tab from the editor move the way they do from the grid,
    // and leave the next cell closed.
    const bool next = hint == QAbstractItemDelegate::EditNextItem;
    const bool previous = hint == QAbstractItemDelegate::EditPreviousItem;
    QTableView::closeEditor(editor, next || previous ? QAbstractItemDelegate::NoHint : hint);
    if (next || previous)
        tabMove(next);
}

void StringGrid::contextMenuEvent(QContextMenuEvent* event)
{
    QModelIndex index = currentIndex();
    QPoint at = visualRect(index).center();
    if (event->reason() != QContextMenuEvent::Keyboard) {
        index = indexAt(event->pos());
        at = event->pos();
    }
    if (!index.isValid()) {
        event->ignore();
        return;
    }
    const int row = index.row() + 1;
    QMenu menu(this);
    menu.addAction(
        QStringLiteral("Copier"), this, [this, column = index.column(), row] { requestCopy(column, row); });
    for (const CopyMenuItem& item : m_copyMenuItems)
        menu.addAction(item.text, this, [this, column = item.column, row] { requestCopy(column, row); });
    event->accept();
    menu.exec(viewport()->mapToGlobal(at));
}
