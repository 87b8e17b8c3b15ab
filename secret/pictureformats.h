#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// How a picture file's bytes are read once its format is known.
enum class PictureKind { Metafile, EnhancedMetafile, Icon, Bitmap, Jpeg };

struct PictureFormat {
    QString extension; // lower case, without the dot
    QString description;
    PictureKind kind;
};

// The known picture formats. Entries are searched from the last one added to
// the first, so a later entry for an extension hides an earlier one.
class PictureFormatTable {
public:
    void add(const QString& extension, const QString& description, PictureKind kind);

    // The entry for an extension given without its dot, in any letter case;
    // null when the table has none.
    const PictureFormat* find(QStringView extension) const;

    const std::vector<PictureFormat>& entries() const { return m_entries; }

private:
    std::vector<PictureFormat> m_entries;
};

// The six formats the program reads, in the order they are entered at start.
const PictureFormatTable& StandardPictureFormats();

// The part of the file name after its last dot, as written; empty when the
// name has none. Dots in folder names do not count.
QString PictureExtension(const QString& path);
