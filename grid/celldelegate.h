#pragma once

#include <QPointer>
#include <QStyledItemDelegate>
#include <functional>

class CellEditor;
class StringGrid;

// Draws the entry cells of a StringGrid (plain text, bands, grid lines, the
// current cell) and runs their in-place editor: the editor writes into the
// cell at every change, Enter ends the edit, Escape puts the old text back,
// and Tab and Shift+Tab end it and move on.
class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CellDelegate(StringGrid* grid);

    void setMaxLength(int length) { m_maxLength = length; }
    void setCharFilter(std::function<bool(QChar)> accept) { m_accept = std::move(accept); }
    bool accepts(QChar c) const { return !m_accept || m_accept(c); }

    CellEditor* editor() const { return m_editor; }

    void paint(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(
        QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(
        QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    StringGrid* m_grid;
    int m_maxLength = 0;
    std::function<bool(QChar)> m_accept;
    mutable QPointer<CellEditor> m_editor;
};
