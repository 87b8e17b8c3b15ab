#pragma once

#include <QHeaderView>

class StringGrid;

// Shows the grid's row 0, fixed above the entries: each cell drawn like the
// others on the header's own colours, with the sort indicator in the sort
// column. Sections can't be resized, moved or selected; a left click (press
// and release over the same column) is reported as cellClicked.
class GridHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit GridHeader(StringGrid* grid);

signals:
    void cellClicked(int column);

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    StringGrid* m_grid;
    int m_pressed = -1;
};
