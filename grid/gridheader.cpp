#include "gridheader.h"

#include "celldrawing.h"
#include "stringgrid.h"

#include <QMouseEvent>
#include <QPainter>
#include <utility>

GridHeader::GridHeader(StringGrid* grid)
    : QHeaderView(Qt::Horizontal, grid)
    , m_grid(grid)
{
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setStretchLastSection(false);
    setMinimumSectionSize(0);
    setSectionResizeMode(QHeaderView::Fixed);
    setFocusPolicy(Qt::NoFocus);
}

void GridHeader::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().brush(QPalette::Base));
    for (int section = 0; section < count(); ++section) {
        const QRect rect(sectionViewportPosition(section), 0, sectionSize(section), viewport()->height());
        if (rect.isValid())
            paintSection(&painter, rect, section);
    }
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    QBrush brush;
    QFont font;
    m_grid->cellAppearance(0, logicalIndex, brush, font);
    const bool sorted = logicalIndex == m_grid->sortColumn();
    drawGridCell(painter, rect, brush, font, palette().color(QPalette::Active, QPalette::WindowText),
        m_grid->cell(logicalIndex, 0), sorted ? kSortIndicatorWidth : 0);
    if (sorted)
        drawSortTriangle(painter, rect, m_grid->sortAscending());
}

void GridHeader::mousePressEvent(QMouseEvent* event)
{
    m_grid->setFocus(Qt::MouseFocusReason);
    m_pressed = event->button() == Qt::LeftButton ? logicalIndexAt(event->position().toPoint()) : -1;
    event->accept();
}

// The second press of a double click is a press like any other.
void GridHeader::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void GridHeader::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}

void GridHeader::mouseReleaseEvent(QMouseEvent* event)
{
    const int pressed = std::exchange(m_pressed, -1);
    event->accept();
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton || pressed < 0 || !viewport()->rect().contains(at))
        return;
    if (logicalIndexAt(at) == pressed)
        emit cellClicked(pressed);
}
