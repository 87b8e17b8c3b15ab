#include "metafile/metafile.h"

PicturePtr LoadMetafile(const QByteArray&)
{
    throw PictureError("MetaFichier incorrect");
}
