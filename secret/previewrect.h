#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// number * numerator / denominator with a 64-bit intermediate, rounded to
// the nearest integer, halves away from zero. A zero denominator gives -1.
int MulDiv(int number, int numerator, int denominator);

// Where the chooser's drawing area (area) shows a picture of the given
// size: natural size centred when it fits; otherwise stretched from the
// top-left corner, the longer side filling the area and the other one
// following by MulDiv. The other side is not checked against the area again.
QRect PreviewRect(QSize picture, QSize area);

// Top-left corner of a text centred in the area; the halves truncate toward
// zero, also when the text is larger than the area.
QPoint CentredTextOrigin(QSize text, QSize area);
