#include "pictureformats.h"

void PictureFormatTable::add(const QString& extension, const QString& description, PictureKind kind)
{
    m_entries.push_back({ extension.toLower(), description, kind });
}

const PictureFormat* PictureFormatTable::find(QStringView extension) const
{
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if (extension.compare(it->extension, Qt::CaseInsensitive) == 0)
            return &*it;
    }
    return nullptr;
}

const PictureFormatTable& StandardPictureFormats()
{
    static const PictureFormatTable table = [] {
        PictureFormatTable t;
        t.add(QStringLiteral("wmf"), QStringLiteral("MétaFichiers"), PictureKind::Metafile);
        t.add(QStringLiteral("emf"), QStringLiteral("MétaFichiers évolués"), PictureKind::EnhancedMetafile);
        t.add(QStringLiteral("ico"), QStringLiteral("Icônes"), PictureKind::Icon);
        t.add(QStringLiteral("bmp"), QStringLiteral("Bitmaps"), PictureKind::Bitmap);
        // The JPEG entries join after the platform's own four.
        t.add(QStringLiteral("jpeg"), QStringLiteral("Fichier image JPEG"), PictureKind::Jpeg);
        t.add(QStringLiteral("jpg"), QStringLiteral("Fichier image JPEG"), PictureKind::Jpeg);
        return t;
    }();
    return table;
}

QString PictureExtension(const QString& path)
{
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < nameStart)
        return QString();
    return path.mid(dot + 1);
}
