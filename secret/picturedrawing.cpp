#include "picturedrawing.h"

#include <QPainter>

QSize DeviceSize(const QPainter& painter, const QRect& target)
{
    const QRectF device = painter.deviceTransform().mapRect(QRectF(target));
    return QSize(qMax(1, qRound(device.width())), qMax(1, qRound(device.height())));
}

QImage ScaledImage(const QImage& image, QSize size)
{
    if (image.size() == size)
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void DrawImageInto(QPainter& painter, const QRect& target, const QImage& image)
{
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(target), image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}
