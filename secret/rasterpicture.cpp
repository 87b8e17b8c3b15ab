#include "rasterpicture.h"

#include <QImageReader>
#include <QPainter>

#include "picturedrawing.h"

RasterPicture::RasterPicture(QImage image) : m_image(std::move(image)) {}

QSize RasterPicture::naturalSize() const
{
    return m_image.size();
}

void RasterPicture::draw(QPainter& painter, const QRect& target) const
{
    if (m_image.isNull() || target.isEmpty())
        return;
    const QSize size = DeviceSize(painter, target);
    if (m_shown.size() != size) {
        // Drawing the full image scaled at every paint would filter poorly
        // (bilinear only) and slowly; scale once and keep the copy.
        m_shown = ScaledImage(m_image, size);
        if (m_shown.isNull()) {
            DrawImageInto(painter, target, m_image);
            return;
        }
    }
    DrawImageInto(painter, target, m_shown);
}

PicturePtr ReadBitmapPicture(QIODevice& file)
{
    if (file.size() == 0)
        return std::make_shared<RasterPicture>(QImage());
    QImageReader reader(&file, "bmp");
    QImage image = reader.read();
    if (image.isNull())
        throw PictureError("Image bitmap incorrecte");
    return std::make_shared<RasterPicture>(std::move(image));
}

PicturePtr ReadIconPicture(QIODevice& file)
{
    QImageReader reader(&file, "ico");
    // The directory gives every image's size without decoding any; only
    // the largest is read.
    int best = 0;
    qint64 bestArea = -1;
    const int count = reader.imageCount();
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i))
            break;
        const QSize size = reader.size();
        const qint64 area = qint64(size.width()) * size.height();
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    if (count > 0 && !reader.jumpToImage(best))
        throw PictureError("Image icône incorrecte");
    QImage image = reader.read();
    if (image.isNull())
        throw PictureError("Image icône incorrecte");
    return std::make_shared<RasterPicture>(std::move(image));
}
