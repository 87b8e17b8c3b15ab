#include "metafile/metafile.h"

#include "metafile/bytereader.h"
#include "metafile/metafilepicture.h"

PicturePtr LoadMetafile(const QByteArray& bytes)
{
    // The contents decide the kind, whichever extension named the file.
    // Playing the records once without a painter checks every one of them
    // before the picture is first drawn.
    if (EmfPlayer::recognises(bytes)) {
        EmfPlayer emf(bytes);
        emf.render(nullptr, QRectF(), nullptr);
        return std::make_shared<MetafilePicture>(std::move(emf));
    }
    if (WmfPlayer::recognises(bytes)) {
        WmfPlayer wmf(bytes);
        const QRectF bounds = wmf.render(nullptr, QRectF(), nullptr);
        if (wmf.needsMeasuredWindow())
            wmf.setMeasuredWindow(bounds);
        return std::make_shared<MetafilePicture>(std::move(wmf));
    }
    throwBadMetafile();
}
