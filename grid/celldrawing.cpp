#include "celldrawing.h"

#include <QPainter>

void drawGridCell(QPainter* painter, const QRect& cell, const QBrush& brush, const QFont& font,
    const QColor& textColor, const QString& text, int reservedRight)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setClipRect(cell);
    painter->fillRect(cell, brush);
    painter->setFont(font);
    painter->setPen(textColor);
    const QRect textArea = cell.adjusted(2, 0, -1 - reservedRight, -1);
    painter->drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter->setPen(QPen(kGridLineColor, 0));
    painter->drawLine(cell.left(), cell.bottom(), cell.right(), cell.bottom());
    painter->drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
    painter->restore();
}

void drawSortTriangle(QPainter* painter, const QRect& cell, bool ascending)
{
    const QColor shadow(128, 128, 128);
    const QColor light(255, 255, 255);
    const int left = cell.right() - kSortIndicatorWidth + 1;
    const int top = cell.top() + (cell.height() - 1 - 8) / 2;
    const int right = left + 7;
    const int bottom = top + 7;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    if (ascending) {
        painter->setPen(QPen(shadow, 0));
        painter->drawLine(left + 3, top, left, bottom);
        painter->setPen(QPen(light, 0));
        painter->drawLine(left + 4, top, right, bottom);
        painter->drawLine(left, bottom, right, bottom);
    } else {
        painter->setPen(QPen(shadow, 0));
        painter->drawLine(left, top, right, top);
        painter->drawLine(left, top, left + 3, bottom);
        painter->setPen(QPen(light, 0));
        painter->drawLine(right, top, left + 4, bottom);
    }
    painter->restore();
}
