// One picture decoder over arbitrary bytes, reached as the program reaches
// it: a file whose extension picks the format, loaded, then drawn.
#include "fuzzpicture.h"
#include "fuzztempfile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = writeFuzzFile(QStringLiteral("picture." KALDRINO_PICTURE_EXTENSION), data, size);
    try {
        const PicturePtr picture = LoadPictureFile(path);
        drawPicture(*picture);
    } catch (const PictureError&) {
    }
    return 0;
}
