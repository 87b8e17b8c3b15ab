#include "picture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include "fileio.h"
#include "jpegpicture.h"
#include "metafile/metafile.h"
#include "pictureformats.h"
#include "rasterpicture.h"

namespace {

// Far above any photograph's file; a larger file is refused unread.
constexpr qint64 kMaxPictureBytes = qint64(256) << 20;

[[noreturn]] void throwCannotOpen(const QString& path)
{
    throw PictureError("Impossible d'ouvrir le fichier " + QFileInfo(path).absoluteFilePath().toStdString());
}

} // namespace

PicturePtr LoadPictureFile(const QString& path)
{
    const QString extension = PictureExtension(path);
    const PictureFormat* format = StandardPictureFormats().find(extension);
    if (!format)
        throw PictureError("Extension de fichier graphique inconnue (." + extension.toStdString() + ")");

    // Opened once without blocking and read from that same descriptor, so
    // that a pipe, a device or a folder put in the file's place is refused
    // at once instead of blocking or never ending.
    QByteArray bytes;
    if (vault::readRegularFile(path, bytes, kMaxPictureBytes) != vault::ReadStatus::Ok)
        throwCannotOpen(path);

    switch (format->kind) {
    case PictureKind::Metafile:
    case PictureKind::EnhancedMetafile:
        return LoadMetafile(bytes);
    case PictureKind::Icon:
    case PictureKind::Bitmap: {
        QBuffer file(&bytes);
        file.open(QIODevice::ReadOnly);
        return format->kind == PictureKind::Icon ? ReadIconPicture(file) : ReadBitmapPicture(file);
    }
    case PictureKind::Jpeg:
        return std::make_shared<JpegPicture>(std::move(bytes));
    }
    Q_UNREACHABLE();
}

PicturePtr LoadShowablePicture(const QString& path)
{
    PicturePtr picture = LoadPictureFile(path);
    QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&probe);
    picture->draw(painter, probe.rect());
    return picture;
}
