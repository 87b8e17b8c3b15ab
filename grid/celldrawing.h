#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

// How every grid cell looks, header included: its background, its text as
// plain text from 2 pixels in, vertically centred, and the 1-pixel silver
// grid line along its right and bottom edges. reservedRight keeps that many
// pixels at the right free of text (for the sort indicator).
void drawGridCell(QPainter* painter, const QRect& cell, const QBrush& brush, const QFont& font,
    const QColor& textColor, const QString& text, int reservedRight = 0);

// The sort indicator: an etched 8 x 8 triangle in the cell's right-hand 10
// pixels, pointing up for ascending and down for descending.
void drawSortTriangle(QPainter* painter, const QRect& cell, bool ascending);

inline constexpr int kSortIndicatorWidth = 10;
inline const QColor kGridLineColor { 192, 192, 192 };
