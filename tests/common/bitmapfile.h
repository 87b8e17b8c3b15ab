#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>

// Writes a bitmap picture of one colour.
inline void writeBitmap(const QString& path, int width = 64, int height = 48, QColor colour = Qt::darkCyan)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "BMP")) << path.toStdString();
}
