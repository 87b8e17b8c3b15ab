#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <memory>

#include "kaldrinoerror.h"

class QPainter;

// A picture that failed to load: "Image bitmap incorrecte", "Image icône
// incorrecte", "MetaFichier incorrect", "Erreur JPEG #%d", "Extension de
// fichier graphique inconnue (.%s)", "Impossible d'ouvrir le fichier %s".
class PictureError : public KaldrinoError {
public:
    using KaldrinoError::KaldrinoError;
};

// A loaded picture of one of the six formats.
class Picture {
public:
    virtual ~Picture() = default;

    // Natural size in pixels (metafiles at 96 dpi).
    virtual QSize naturalSize() const = 0;

    // Draws the picture stretched into target. A picture may decode lazily
    // and keep what it decoded for later paints; a fatal decoding error
    // found here throws PictureError.
    virtual void draw(QPainter& painter, const QRect& target) const = 0;
};

using PicturePtr = std::shared_ptr<Picture>;

// The memory a decoder may take for one picture, whatever its format: a
// large photograph fits, a forged size fails cleanly instead of exhausting
// the machine.
constexpr long kMaxDecoderMemory = 1L << 30;

// Loads a picture, its format chosen by the extension alone (any case).
// The file is opened read-only and not held open afterwards; anything but
// a regular file of at most 256 MiB cannot be opened. Throws
// PictureError. The caller checks that the file exists first.
PicturePtr LoadPictureFile(const QString& path);

// Loads a picture and draws it once, small, so that a picture decoded only
// when first drawn (a JPEG) fails here rather than later on the screen.
// Throws PictureError.
PicturePtr LoadShowablePicture(const QString& path);
