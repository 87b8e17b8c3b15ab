#include "celldelegate.h"

#include "celldrawing.h"
#include "celleditor.h"
#include "stringgrid.h"

#include <QKeyEvent>
#include <QPainter>

CellDelegate::CellDelegate(StringGrid* grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid)
{
}

void CellDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int row = index.row() + 1;
    const int column = index.column();
    QBrush brush;
    QFont font;
    m_grid->cellAppearance(row, column, brush, font);
    QColor text = option.palette.color(QPalette::Active, QPalette::WindowText);
    if (row == m_grid->row() && column == m_grid->col()) {
        brush = option.palette.brush(QPalette::Active, QPalette::Highlight);
        text = option.palette.color(QPalette::Active, QPalette::HighlightedText);
    }
    drawGridCell(painter, option.rect, brush, font, text, index.data(Qt::DisplayRole).toString());
}

QWidget* CellDelegate::createEditor(
    QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    auto* editor = new CellEditor(index.data(Qt::EditRole).toString(), m_maxLength, m_accept, parent);
    editor->setFont(m_grid->font());
    QAbstractItemModel* model = m_grid->model();
    const QPersistentModelIndex cell(index);
    connect(editor, &QLineEdit::textChanged, model, [model, cell](const QString& text) {
        if (cell.isValid())
            model->setData(cell, text, Qt::EditRole);
    });
    m_editor = editor;
    return editor;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    // Called again at every change the editor itself writes into the cell:
    // setting the same text would move the cursor to the end.
    auto* cellEditor = static_cast<CellEditor*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (cellEditor->text() != text)
        cellEditor->setCellText(text);
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    model->setData(index, static_cast<QLineEdit*>(editor)->text(), Qt::EditRole);
}

void CellDelegate::updateEditorGeometry(
    QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const
{
    // Leave the grid lines on the right and at the bottom visible.
    editor->setGeometry(option.rect.adjusted(0, 0, -1, -1));
}

bool CellDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<CellEditor*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool shift = key->modifiers() & Qt::ShiftModifier;
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            emit commitData(editor);
            emit closeEditor(editor, key->key() == Qt::Key_Tab && !shift ? EditNextItem : EditPreviousItem);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit commitData(editor);
            emit closeEditor(editor, SubmitModelCache);
            return true;
        case Qt::Key_Escape:
            editor->restoreOriginal();
            emit closeEditor(editor, RevertModelCache);
            return true;
        default:
            break;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
