#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// number * numerator / denominator with a 64-bit intermediate, rounded to
// the nearest integer, halves away from zero. A zero denominator gives -1.
int MulDiv(int number, int numerator, int denominator);

// Where the chooser's drawing area (area) shows a picture of the given
// size: natural size centred when it fits; otherwise shrunk by the smaller
// of the two ratios from the top-left corner, so that the whole picture
// shows: the limiting side fills the area and the other one follows by
// MulDiv.
QRect PreviewRect(QSize picture, QSize area);

// Top-left corner of a text centred in the area; the halves truncate toward
// zero, also when the text is larger than the area.
QPoint CentredTextOrigin(QSize text, QSize area);

// Client size of the preview window: the picture at its natural size plus
// the margins around it (chrome), unless that leaves the room the screen
// offers; then the picture shrinks as in the drawing area, keeping its
// proportions, so that the window fits.
QSize PreviewWindowSize(QSize picture, QSize chrome, QSize room);
