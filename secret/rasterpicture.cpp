#include "rasterpicture.h"

#include <QImageReader>
#include <QPainter>
#include <algorithm>

#include "picturedrawing.h"

namespace {

// Below this many pixels a run-length bitmap may skip as much as it likes.
constexpr qint64 kSmallPicturePixels = qint64(1) << 20;

quint32 littleEndian(const QByteArray& bytes, int at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

// Qt's reader stops quietly at the end of a short file and leaves the rest
// of the image unset. An uncompressed bitmap must hold every row it declares
// (the last one may lack its padding). A run-length code paints at most 255
// pixels in two bytes, and what its codes skip stays blank: a few bytes
// could declare a picture of a gigabyte that takes seconds to decode and
// shrink, so such a bitmap must hold a byte of data for every 256 pixels,
// about half of what runs over every pixel take. Other compressions are
// left to the reader.
bool holdsLessThanItDeclares(QIODevice& file)
{
    const QByteArray header = file.peek(34);
    if (!header.startsWith("BM"))
        return false;
    // A file too short for the header it declares: the reader would take
    // whatever it finds for the picture's size and set aside memory for
    // it (up to a gigabyte) before finding nothing to decode.
    if (header.size() < 18 || file.size() < qint64(14) + littleEndian(header, 14, 4))
        return true;
    // The reader takes the Windows and OS/2 2.x header sizes for what they
    // are and any other for the old core header, whose 16-bit fields it
    // reads whether the file holds them or not.
    const quint32 headerSize = littleEndian(header, 14, 4);
    const bool core = headerSize != 40 && headerSize != 64 && headerSize != 108 && headerSize != 124;
    if (header.size() < (core ? 26 : 34))
        return true;
    const qint64 offset = littleEndian(header, 10, 4);
    qint64 width, height, bitsPerPixel, compression = 0;
    if (core) {
        width = littleEndian(header, 18, 2);
        height = littleEndian(header, 20, 2);
        bitsPerPixel = littleEndian(header, 24, 2);
    } else {
        width = qint32(littleEndian(header, 18, 4));
        height = qAbs(qint64(qint32(littleEndian(header, 22, 4))));
        bitsPerPixel = littleEndian(header, 28, 2);
        compression = littleEndian(header, 30, 4);
    }
    const bool runLength = compression == 1 || compression == 2;
    if (runLength && width > 0) {
        const qint64 dataBytes = std::max<qint64>(file.size() - offset, 0);
        return width * height > std::max<qint64>(kSmallPicturePixels, 256 * dataBytes);
    }
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!uncompressed || width <= 0 || height == 0)
        return false;
    const qint64 rowBits = width * bitsPerPixel; // below 2^48
    const qint64 stride = (rowBits + 31) / 32 * 4;
    if (stride == 0)
        return false; // nothing declared to check; the reader decides
    if (height - 1 > file.size() / stride)
        return true; // checked by division: a forged height overflows the product
    return file.size() < offset + stride * (height - 1) + (rowBits + 7) / 8;
}

// Qt's readers refuse any image over 128 MB by default, a 24-bit photograph
// of 36 megapixels among them; they get the JPEG decoder's cap instead. The
// limit is Qt's, shared by every reader of the program.
void allowDecoderMemory()
{
    QImageReader::setAllocationLimit(int(kMaxDecoderMemory >> 20));
}

// Qt's bitmap reader keeps the colour table a file declares, however short,
// and takes pixel indices past its end as they are (run-length codes may
// name any of 256); drawing then reads beyond the table. Missing colours
// are opaque black.
QImage withFullColourTable(QImage image)
{
    const int needed = image.format() == QImage::Format_Indexed8 ? 256 : image.depth() == 1 ? 2 : 0;
    if (image.colorCount() < needed) {
        QList<QRgb> colours = image.colorTable();
        colours.resize(needed, qRgb(0, 0, 0));
        image.setColorTable(colours);
    }
    return image;
}

} // namespace

RasterPicture::RasterPicture(QImage image)
    : m_image(withFullColourTable(std::move(image)))
{
}

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
    if (holdsLessThanItDeclares(file))
        throw PictureError("Image bitmap incorrecte");
    allowDecoderMemory();
    QImageReader reader(&file, "bmp");
    QImage image = reader.read();
    if (image.isNull())
        throw PictureError("Image bitmap incorrecte");
    return std::make_shared<RasterPicture>(std::move(image));
}

PicturePtr ReadIconPicture(QIODevice& file)
{
    allowDecoderMemory();
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
