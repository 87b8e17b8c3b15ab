#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

class QPainter;

// The size in device pixels that target covers on the painter's device, so
// that a picture is prepared once at the size it is really shown (a high
// density screen has more device pixels than logical ones).
QSize DeviceSize(const QPainter& painter, const QRect& target);

// image scaled to size with good filtering (area averaging when shrinking);
// image itself when it already has that size. A null result means memory ran
// out.
QImage ScaledImage(const QImage& image, QSize size);

// Draws image stretched into target with smooth filtering.
void DrawImageInto(QPainter& painter, const QRect& target, const QImage& image);
