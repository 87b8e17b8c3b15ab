#include <gtest/gtest.h>

#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "areascaler.h"
#include "jpegpicture.h"
#include "picturedrawing.h"
#include "rasterpicture.h"

#include "pictureprobe.h"
#include "tempdir.h"

namespace {

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255), kWhite(255, 255, 255);

// Checks the four quadrants' centres of a quadrant fixture drawn into target,
// and that nothing was drawn outside it.
void expectQuadrants(const QImage& image, const QRect& target, int tolerance)
{
    const int w = target.width(), h = target.height();
    EXPECT_TRUE(colourNear(image, target.topLeft() + QPoint(w / 4, h / 4), kRed, tolerance));
    EXPECT_TRUE(colourNear(image, target.topLeft() + QPoint(3 * w / 4, h / 4), kGreen, tolerance));
    EXPECT_TRUE(colourNear(image, target.topLeft() + QPoint(w / 4, 3 * h / 4), kBlue, tolerance));
    EXPECT_TRUE(colourNear(image, target.topLeft() + QPoint(3 * w / 4, 3 * h / 4), kWhite, tolerance));
    const QColor outside[] = { image.pixelColor(target.left() - 1, target.top()),
        image.pixelColor(target.right() + 1, target.bottom()),
        image.pixelColor(target.left(), target.bottom() + 1) };
    for (const QColor& c : outside)
        EXPECT_EQ(c, QColor(Qt::black));
}

TEST(DrawPicture, QuadrantsLandInPlaceAtEverySize)
{
    const struct {
        const char* fixture;
        int tolerance;
    } fixtures[] = {
        { "quadrants.jpg", 40 },
        { "progressive.jpg", 40 },
        { "cmyk.jpg", 40 },
        { "upper.JPEG", 40 },
        { "quadrants.bmp", 0 },
        { "palette.bmp", 0 },
        { "quadrants.ico", 8 },
        { "png256.ico", 0 },
    };
    for (const auto& f : fixtures) {
        const PicturePtr picture = LoadPictureFile(fixturePath(f.fixture));
        const QSize natural = picture->naturalSize();
        // One picture through several sizes, as when the chooser's preview and
        // the screen show it. Shrinking by 4 takes a DCT scale of 2/8; the odd
        // sizes need a scale after decoding.
        const QSize sizes[] = { natural, natural / 4,
            QSize(natural.width() * 7 / 12, natural.height() * 7 / 11), natural * 2, natural / 4 };
        for (const QSize& size : sizes) {
            SCOPED_TRACE(testing::Message() << f.fixture << " at " << size.width() << "x" << size.height());
            const QRect target(QPoint(5, 7), size);
            const QSize canvas = size + QSize(10, 14);
            const QImage image = drawn(*picture, canvas, target);
            // Filtering blends colours over a pixel or two at the edges.
            expectQuadrants(image, target, size.width() < 20 ? qMax(f.tolerance, 60) : f.tolerance);
            // What is kept from an earlier size must not stand in for this one.
            EXPECT_EQ(image, drawn(*LoadPictureFile(fixturePath(f.fixture)), canvas, target));
        }
    }
}

TEST(DrawPicture, DrawsInDevicePixelsOnHighDensityTargets)
{
    // On a device of pixel ratio 2 a 32 x 24 target covers 64 x 48 pixels:
    // the picture must be prepared at that size, not at 32 x 24 and then
    // blown up.
    for (const char* fixture : { "quadrants.jpg", "quadrants.bmp" }) {
        SCOPED_TRACE(fixture);
        const PicturePtr picture = LoadPictureFile(fixturePath(fixture));
        const QImage dense = drawn(*picture, QSize(32, 24), QRect(0, 0, 32, 24), Qt::black, 2);
        const QImage plain = drawn(*picture, QSize(64, 48), QRect(0, 0, 64, 48));
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                if (!colourNear(dense, QPoint(x, y), plain.pixelColor(x, y), 2)) {
                    ADD_FAILURE() << colourNear(dense, QPoint(x, y), plain.pixelColor(x, y), 2).message();
                    return;
                }
            }
        }
    }
}

TEST(DrawPicture, OtherColourModels)
{
    {
        SCOPED_TRACE("grey.jpg: 24-bit colour from one channel");
        const PicturePtr picture = LoadPictureFile(fixturePath("grey.jpg"));
        const QImage image = drawn(*picture, QSize(64, 48), QRect(0, 0, 64, 48));
        for (const QPoint at : { QPoint(16, 12), QPoint(48, 12), QPoint(16, 36), QPoint(48, 36) }) {
            const QColor c = image.pixelColor(at);
            EXPECT_EQ(c.red(), c.green());
            EXPECT_EQ(c.green(), c.blue());
        }
        EXPECT_TRUE(colourNear(image, QPoint(48, 36), kWhite, 4));
        EXPECT_LT(image.pixelColor(16, 36).red(), 64); // blue is dark in grey
    }
    {
        SCOPED_TRACE("mono.bmp");
        const PicturePtr picture = LoadPictureFile(fixturePath("mono.bmp"));
        const QImage image = drawn(*picture, QSize(32, 8), QRect(0, 0, 32, 8), Qt::red);
        EXPECT_TRUE(colourNear(image, QPoint(4, 4), Qt::black, 0));
        EXPECT_TRUE(colourNear(image, QPoint(28, 4), kWhite, 0));
    }
}

TEST(DrawPicture, TransparentPartsShowWhatIsBehind)
{
    {
        SCOPED_TRACE("alpha.ico: right half transparent");
        const PicturePtr picture = LoadPictureFile(fixturePath("alpha.ico"));
        const QImage image = drawn(*picture, QSize(32, 32), QRect(0, 0, 32, 32), kBlue);
        EXPECT_TRUE(colourNear(image, QPoint(8, 16), kRed, 0));
        EXPECT_TRUE(colourNear(image, QPoint(24, 16), kBlue, 0));
    }
    {
        SCOPED_TRACE("alpha.bmp: bottom half at half opacity");
        const PicturePtr picture = LoadPictureFile(fixturePath("alpha.bmp"));
        const QImage image = drawn(*picture, QSize(64, 48), QRect(0, 0, 64, 48));
        EXPECT_TRUE(colourNear(image, QPoint(16, 12), kRed, 0));
        EXPECT_TRUE(colourNear(image, QPoint(16, 36), QColor(0, 0, 128), 2));
        EXPECT_TRUE(colourNear(image, QPoint(48, 36), QColor(128, 128, 128), 2));
    }
}

TEST(DrawPicture, EmptyBitmapDrawsNothing)
{
    const PicturePtr picture = LoadPictureFile(fixturePath("empty.bmp"));
    const QImage image = drawn(*picture, QSize(8, 8), QRect(0, 0, 8, 8), kBlue);
    EXPECT_TRUE(colourNear(image, QPoint(4, 4), kBlue, 0));
}

// A bitmap's colour table may be shorter than its pixel indices reach (a
// run-length code may name any of 256; found by fuzzing, which crashed in
// Qt reading past the table). Those pixels draw opaque black, at the
// natural size and scaled.
TEST(DrawPicture, IndicesPastTheColourTableDrawBlack)
{
    QImage indexed(8, 2, QImage::Format_Indexed8);
    indexed.setColorTable({ qRgb(255, 0, 0), qRgb(0, 0, 255) });
    indexed.fill(1);
    std::memset(indexed.scanLine(1), 255, 8); // setPixel refuses such indices
    QImage mono(8, 2, QImage::Format_Mono);
    mono.setColorTable({ qRgb(0, 0, 255) });
    mono.fill(0);
    mono.scanLine(1)[0] = 0xff;
    for (const QImage& image : { indexed, mono }) {
        const RasterPicture picture(image);
        for (QSize size : { QSize(8, 2), QSize(4, 2) }) {
            const QImage shown = drawn(picture, size, QRect(QPoint(0, 0), size), Qt::white);
            EXPECT_EQ(shown.pixelColor(0, 0), QColor(0, 0, 255)) << image.format() << " at " << size.width();
            EXPECT_EQ(shown.pixelColor(0, 1), QColor(0, 0, 0)) << image.format() << " at " << size.width();
        }
    }
}

TEST(DrawPicture, JpegWarningsAreIgnored)
{
    // Cut half way through its data: libjpeg warns and fills the rest.
    const PicturePtr picture = LoadPictureFile(fixturePath("truncated.jpg"));
    QImage image;
    ASSERT_NO_THROW(image = drawn(*picture, QSize(256, 192), QRect(0, 0, 256, 192)));
    EXPECT_TRUE(colourNear(image, QPoint(64, 48), kRed, 40));
}

// The picture as libjpeg gives it when asked for every row, shrunk or
// enlarged to size afterwards: what showing a file cut short must match.
QImage decodedWhole(const QByteArray& bytes, QSize size)
{
    jpeg_decompress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    error.emit_message = [](j_common_ptr, int) {};
    jpeg_create_decompress(&info);
    jpeg_mem_src(
        &info, reinterpret_cast<const unsigned char*>(bytes.constData()), (unsigned long)bytes.size());
    jpeg_read_header(&info, TRUE);
    SetJpegOutput(info, JpegScaleNumerator(QSize(int(info.image_width), int(info.image_height)), size));
    jpeg_start_decompress(&info);
    QImage whole(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = whole.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_destroy_decompress(&info);
    if (whole.size() == size || !AreaScaler::handles(whole.size(), size))
        return ScaledImage(whole, size);
    QImage result(size, QImage::Format_RGB32);
    AreaScaler scaler(whole.size(), result);
    for (int y = 0; y < whole.height(); ++y)
        scaler.addRow(whole.constScanLine(y));
    return result;
}

TEST(DrawPicture, JpegCutShortShowsWhatDecodingEveryRowShows)
{
    // The rows past the end of the data are put in place without decoding
    // them; the picture must be the same to the last pixel, at full size,
    // at a DCT scale, shrunk as the rows come, and enlarged. The data ends
    // with the file, or runs into the end marker.
    QFile file(fixturePath("truncated.jpg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray cut = file.readAll();
    // The same file ended right after its scan header: no block has data.
    const qsizetype scan = cut.indexOf("\xFF\xDA");
    ASSERT_GT(scan, 0);
    const QByteArray noBlocks = cut.left(scan + 2 + (uchar(cut[scan + 2]) << 8 | uchar(cut[scan + 3])));
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {
        { "ended with the file", cut },
        { "ended by a marker", cut + QByteArray("\xFF\xD9", 2) },
        { "ended before the first block", noBlocks },
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const JpegPicture picture(bytes);
        for (const QSize size : { QSize(256, 192), QSize(64, 48), QSize(200, 150), QSize(31, 190),
                 QSize(1, 1), QSize(300, 100), QSize(512, 384) }) {
            SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
            const QImage shown = picture.render(size);
            const QImage expected = decodedWhole(bytes, size);
            ASSERT_EQ(shown.size(), expected.size());
            EXPECT_EQ(shown, expected);
        }
    }
}

TEST(DrawPicture, JpegErrorFoundWhileDrawingIsThrown)
{
    // The header reads well; the first component's quantization table is
    // missing, which libjpeg finds when decoding starts.
    const PicturePtr picture = LoadPictureFile(fixturePath("noquant.jpg"));
    const std::string expected = "Erreur JPEG #" + std::to_string(JERR_NO_QUANT_TABLE);
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(attempt);
        QImage canvas(64, 48, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        try {
            picture->draw(painter, QRect(0, 0, 64, 48));
            ADD_FAILURE() << "no error";
        } catch (const PictureError& error) {
            EXPECT_EQ(error.what(), expected);
        }
    }
}

TEST(DrawPicture, DamagedCopiesFailCleanlyOrDraw)
{
    // Bytes overwritten at random places, and files cut short: each either
    // loads and draws or raises the format's message, and never crashes
    // (the sanitizer build watches reads and writes).
    TestFolder folder;
    quint32 seed = 2024;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (const char* fixture : { "quadrants.jpg", "progressive.jpg", "cmyk.jpg", "quadrants.bmp",
             "palette.bmp", "quadrants.ico", "png256.ico" }) {
        QFile original(fixturePath(fixture));
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        const QByteArray bytes = original.readAll();
        const QString suffix = QFileInfo(fixture).suffix();
        for (int variant = 0; variant < 60; ++variant) {
            QByteArray damaged = bytes;
            if (variant % 4 == 3) {
                damaged.truncate(qsizetype(next() % quint32(bytes.size())));
            } else {
                for (int n = 0; n < 1 + variant % 3; ++n)
                    damaged[qsizetype(next() % quint32(bytes.size()))] = char(next() >> 24);
            }
            const QString path = folder.file(QStringLiteral("damaged%1.%2").arg(variant).arg(suffix));
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(damaged);
            out.close();
            SCOPED_TRACE(testing::Message() << fixture << " variant " << variant);
            try {
                const PicturePtr picture = LoadPictureFile(path);
                drawn(*picture, QSize(40, 40), QRect(0, 0, 40, 40));
                drawn(*picture, QSize(200, 120), QRect(0, 0, 200, 120));
            } catch (const PictureError& error) {
                const std::string message = error.what();
                EXPECT_TRUE(message.rfind("Erreur JPEG #", 0) == 0 || message == "Image bitmap incorrecte"
                    || message == "Image icône incorrecte")
                    << message;
            }
        }
    }
}

} // namespace
