#pragma once

#include <QImage>

#include "picture.h"

class QIODevice;

// A picture held decoded in memory: a bitmap or an icon.
class RasterPicture : public Picture {
public:
    explicit RasterPicture(QImage image);

    QSize naturalSize() const override;
    void draw(QPainter& painter, const QRect& target) const override;

private:
    QImage m_image;
    mutable QImage m_shown; // m_image scaled to the last target
};

// Reads a bitmap file; a file of length 0 gives an empty 0 x 0 picture.
// Throws PictureError "Image bitmap incorrecte".
PicturePtr ReadBitmapPicture(QIODevice& file);

// Reads an icon file, keeping its largest image. Throws PictureError
// "Image icône incorrecte".
PicturePtr ReadIconPicture(QIODevice& file);
