#pragma once

#include <QByteArray>

#include "picture.h"

// Reads a Windows metafile (placeable or standard WMF) or an enhanced
// metafile (EMF), whichever the bytes are. The whole record stream is
// validated before anything is drawn. Throws PictureError
// "MetaFichier incorrect".
PicturePtr LoadMetafile(const QByteArray& bytes);
