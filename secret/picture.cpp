#include "picture.h"

#include <QFile>
#include <QFileInfo>

#include "jpegpicture.h"
#include "metafile/metafile.h"
#include "pictureformats.h"
#include "rasterpicture.h"

namespace {

[[noreturn]] void throwCannotOpen(const QString& path)
{
    throw PictureError("Impossible d'ouvrir le fichier " + QFileInfo(path).absoluteFilePath().toStdString());
}

QByteArray readAll(QFile& file)
{
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throwCannotOpen(file.fileName());
    return bytes;
}

} // namespace

PicturePtr LoadPictureFile(const QString& path)
{
    const QString extension = PictureExtension(path);
    const PictureFormat* format = StandardPictureFormats().find(extension);
    if (!format)
        throw PictureError("Extension de fichier graphique inconnue (." + extension.toStdString() + ")");

    // Only regular files: a folder cannot be read, and a pipe or a device
    // would block or never end.
    if (!QFileInfo(path).isFile())
        throwCannotOpen(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throwCannotOpen(path);

    switch (format->kind) {
    case PictureKind::Metafile:
    case PictureKind::EnhancedMetafile:
        return LoadMetafile(readAll(file));
    case PictureKind::Icon:
        return ReadIconPicture(file);
    case PictureKind::Bitmap:
        return ReadBitmapPicture(file);
    case PictureKind::Jpeg:
        return std::make_shared<JpegPicture>(readAll(file));
    }
    Q_UNREACHABLE();
}
