#pragma once

#include <QByteArray>
#include <QImage>

#include "picture.h"

struct jpeg_decompress_struct;

// A JPEG picture decoded with libjpeg. Loading reads the header alone; the
// picture is decoded when first drawn, at the smallest DCT scale that covers
// the size it is shown at, then scaled to that size and kept for later
// paints. The natural size is always the file's full size.
class JpegPicture : public Picture {
public:
    // Keeps the file's bytes and reads their header. Throws PictureError
    // "Erreur JPEG #%d".
    explicit JpegPicture(QByteArray bytes);

    QSize naturalSize() const override;
    void draw(QPainter& painter, const QRect& target) const override;

    // The picture decoded and scaled to size (in pixels, not empty).
    // Throws PictureError "Erreur JPEG #%d".
    QImage render(QSize size) const;

private:
    QByteArray m_bytes;
    QSize m_natural;
    mutable QImage m_shown; // the last render, kept for later paints
};

// The numerator n of libjpeg's DCT scale n/8 (1 to 8): the smallest whose
// output, ceil(natural * n / 8) on each axis, covers target; 8 when even the
// full size does not.
int JpegScaleNumerator(QSize natural, QSize target);

// Sets the output of a decoder whose header has been read: the DCT scale
// scaleNumerator/8, libjpeg's accurate integer IDCT and smooth upsampling,
// and 4-byte pixels in QImage::Format_RGB32 order (CMYK files decode as CMYK
// and are turned into RGB afterwards). The benchmark's floor decodes with
// the same settings.
void SetJpegOutput(jpeg_decompress_struct& info, int scaleNumerator);
