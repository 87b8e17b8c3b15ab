// The metafile reader over arbitrary bytes: it decides WMF or EMF from the
// content, checks every record, and the picture is then drawn.
#include "fuzzpicture.h"
#include "metafile/metafile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        const PicturePtr picture
            = LoadMetafile(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        drawPicture(*picture);
    } catch (const PictureError&) {
    }
    return 0;
}
