#include <gtest/gtest.h>

#include <QDir>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <jerror.h>

#include "pictureprobe.h"
#include "tempdir.h"

namespace {

std::string jpegError(int code)
{
    return "Erreur JPEG #" + std::to_string(code);
}

TEST(LoadPicture, NaturalSizeOfEveryFormat)
{
    const struct {
        const char* fixture;
        QSize size;
    } cases[] = {
        { "quadrants.jpg", { 64, 48 } },
        { "upper.JPG", { 64, 48 } },
        { "upper.JPEG", { 40, 30 } },
        { "progressive.jpg", { 64, 48 } },
        { "grey.jpg", { 64, 48 } },
        { "cmyk.jpg", { 64, 48 } },
        { "truncated.jpg", { 256, 192 } },
        // Loading reads the header only: this one fails when drawn.
        { "noquant.jpg", { 64, 48 } },
        { "quadrants.bmp", { 64, 48 } },
        { "upper.BMP", { 64, 48 } },
        { "palette.bmp", { 64, 48 } },
        { "mono.bmp", { 32, 8 } },
        { "alpha.bmp", { 64, 48 } },
        { "empty.bmp", { 0, 0 } },
        // The largest of an icon's images, wherever it stands in the file.
        { "quadrants.ico", { 48, 48 } },
        { "upper.ICO", { 48, 48 } },
        { "png256.ico", { 256, 256 } },
        { "alpha.ico", { 32, 32 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        try {
            const PicturePtr picture = LoadPictureFile(fixturePath(c.fixture));
            ASSERT_TRUE(picture);
            EXPECT_EQ(picture->naturalSize(), c.size);
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
    }
}

// A 36-megapixel photograph saved as a 24-bit bitmap: 108 MB on disk, 145 MB
// decoded, over the 128 MB Qt's readers allow by default. Made at test time,
// its pixels a hole in a sparse file (black).
TEST(LoadPicture, ALargePhotographBitmapLoads)
{
    TestFolder folder;
    const QString path = folder.file("photo.bmp");
    constexpr quint32 width = 7360, height = 4912, stride = width * 3, headers = 14 + 40;
    QByteArray header;
    const auto put = [&header](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            header.append(char((value >> (8 * i)) & 0xff));
    };
    header.append("BM");
    put(headers + stride * height, 4); // file size
    put(0, 4);
    put(headers, 4); // where the pixels start
    put(40, 4); // BITMAPINFOHEADER
    put(width, 4);
    put(height, 4);
    put(1, 2); // planes
    put(24, 2); // bits per pixel
    put(0, 4); // uncompressed
    put(stride * height, 4);
    put(3780, 4); // 96 dpi
    put(3780, 4);
    put(0, 4);
    put(0, 4);
    ASSERT_EQ(header.size(), qsizetype(headers));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(header), header.size());
    ASSERT_TRUE(file.resize(qint64(headers) + qint64(stride) * height));
    file.close();

    try {
        const PicturePtr picture = LoadPictureFile(path);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->naturalSize(), QSize(int(width), int(height)));
    } catch (const PictureError& error) {
        ADD_FAILURE() << error.what();
    }
}

// An 8-bit run-length bitmap, bottom row first, with a grey ramp palette.
// Each row is painted in runs of at most 255 pixels of index 200 and ended
// by its own code; paintedRows rows are painted, then the end-of-picture
// code leaves the rest blank.
QByteArray runLengthBitmap(quint32 width, quint32 height, quint32 paintedRows)
{
    QByteArray data;
    for (quint32 row = 0; row < paintedRows; ++row) {
        for (quint32 left = width; left > 0;) {
            const quint32 run = std::min<quint32>(left, 255);
            data.append(char(run)).append(char(200));
            left -= run;
        }
        data.append(char(0)).append(char(0)); // end of row
    }
    data.append(char(0)).append(char(1)); // end of picture
    QByteArray file;
    const auto put = [&file](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file.append(char((value >> (8 * i)) & 0xff));
    };
    const quint32 offset = 14 + 40 + 256 * 4;
    file.append("BM");
    put(offset + quint32(data.size()), 4);
    put(0, 4);
    put(offset, 4);
    for (quint32 value : { 40u, width, height })
        put(value, 4);
    put(1, 2);
    put(8, 2);
    for (quint32 value : { 1u /* RLE8 */, quint32(data.size()), 3780u, 3780u, 256u, 0u })
        put(value, 4);
    for (int i = 0; i < 256; ++i)
        put(quint32(i) * 0x010101, 4);
    return file + data;
}

TEST(LoadPicture, RunLengthBitmapsMustHoldDataForTheirPixels)
{
    // A run paints at most 255 pixels in two bytes; what the codes skip
    // stays blank. A few bytes declaring a huge picture would take seconds
    // and a gigabyte to decode and shrink.
    TestFolder folder;
    const struct {
        const char* what;
        quint32 width, height, paintedRows;
        bool loads;
    } cases[] = {
        { "small, every row painted", 64, 48, 48, true },
        { "2 megapixels, every row painted", 2000, 1000, 1000, true },
        { "a megapixel, all skipped", 1024, 1024, 0, true },
        { "256 megapixels in a kilobyte", 16000, 16000, 0, false },
        { "2 megapixels, a tenth painted", 2000, 1000, 100, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = folder.file("rle.bmp");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(runLengthBitmap(c.width, c.height, c.paintedRows));
        file.close();
        if (!c.loads) {
            EXPECT_EQ(loadError(path), "Image bitmap incorrecte");
            continue;
        }
        const PicturePtr picture = LoadPictureFile(path);
        EXPECT_EQ(picture->naturalSize(), QSize(int(c.width), int(c.height)));
        if (c.paintedRows > 0) {
            const QImage image = drawn(*picture, QSize(8, 8), QRect(0, 0, 8, 8));
            EXPECT_TRUE(colourNear(image, QPoint(4, 4), QColor(200, 200, 200), 2));
        }
    }
}

TEST(LoadPicture, FormatComesFromTheExtensionAlone)
{
    TestFolder folder;
    const struct {
        const char* fixture;
        const char* as;
        std::string message;
    } cases[] = {
        // Valid pictures under another format's extension.
        { "quadrants.bmp", "bitmap.jpg", jpegError(JERR_NO_SOI) },
        { "quadrants.jpg", "photo.bmp", "Image bitmap incorrecte" },
        { "quadrants.bmp", "bitmap.ico", "Image icône incorrecte" },
        { "quadrants.jpg", "photo.wmf", "MetaFichier incorrect" },
        { "quadrants.jpg", "photo.EMF", "MetaFichier incorrect" },
        { "quadrants.bmp", "bitmap.JpEg", jpegError(JERR_NO_SOI) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.as);
        EXPECT_EQ(loadError(folder.copyFixture(c.fixture, c.as)), c.message);
    }
}

TEST(LoadPicture, UnknownExtensionShowsItAsWritten)
{
    TestFolder folder;
    const struct {
        const char* name;
        const char* message;
    } cases[] = {
        { "picture.png", "Extension de fichier graphique inconnue (.png)" },
        { "Vacances.Png", "Extension de fichier graphique inconnue (.Png)" },
        { "sans-extension", "Extension de fichier graphique inconnue (.)" },
        { "point-final.", "Extension de fichier graphique inconnue (.)" },
        { "plage.jpg.gif", "Extension de fichier graphique inconnue (.gif)" },
        { "photo.jpgx", "Extension de fichier graphique inconnue (.jpgx)" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(loadError(folder.copyFixture("picture.png", c.name)), c.message);
    }
    // The extension is looked at before the file: none is needed.
    EXPECT_EQ(loadError(folder.file("absent.tiff")), "Extension de fichier graphique inconnue (.tiff)");
}

TEST(LoadPicture, InvalidContentsGiveTheirFormatsMessage)
{
    TestFolder folder;
    const struct {
        const char* fixture;
        const char* as; // null: read in place
        std::string message;
    } cases[] = {
        { "notjpeg.jpg", nullptr, jpegError(JERR_NO_SOI) },
        { "empty.jpg", nullptr, jpegError(JERR_INPUT_EMPTY) },
        { "damaged.bmp", nullptr, "Image bitmap incorrecte" },
        { "truncated.bmp", nullptr, "Image bitmap incorrecte" },
        // Declares 100000 x 100000 pixels: refused, not allocated.
        { "huge.bmp", nullptr, "Image bitmap incorrecte" },
        // 27 bytes, too short for the header it declares (found by fuzzing:
        // the reader made a picture of a gigabyte from it).
        { "header-cut-huge.bmp", nullptr, "Image bitmap incorrecte" },
        // 27 bytes whose header size (8) is none the reader knows: it reads
        // the old 16-bit header, 28002 x 6256 pixels, and no pixel at all
        // (found by fuzzing: 1.3 s and 390 MB).
        { "odd-header-huge.bmp", nullptr, "Image bitmap incorrecte" },
        { "damaged.ico", nullptr, "Image icône incorrecte" },
        // Unlike a bitmap, an empty icon is no picture.
        { "empty.bmp", "vide.ico", "Image icône incorrecte" },
        { "notjpeg.jpg", "dessin.wmf", "MetaFichier incorrect" },
        { "empty.bmp", "vide.emf", "MetaFichier incorrect" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.as ? c.as : c.fixture);
        const QString path = c.as ? folder.copyFixture(c.fixture, c.as) : fixturePath(c.fixture);
        EXPECT_EQ(loadError(path), c.message);
    }
}

TEST(LoadPicture, FileThatCannotBeOpenedNamesItsFullPath)
{
    TestFolder folder;

    const QString directory = folder.file("dossier.jpg");
    ASSERT_TRUE(QDir().mkpath(directory));
    EXPECT_EQ(loadError(directory), "Impossible d'ouvrir le fichier " + directory.toStdString());

    // A socket exists but no one can open it, not even root.
    const QString socketPath = folder.file("prise.bmp");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(socketPath);
    ASSERT_LT(size_t(native.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    EXPECT_EQ(loadError(socketPath), "Impossible d'ouvrir le fichier " + socketPath.toStdString());
    ::close(fd);

    if (::geteuid() != 0) {
        const QString locked = folder.copyFixture("quadrants.jpg", "verrou.jpg");
        QFile::setPermissions(locked, QFileDevice::WriteOwner);
        EXPECT_EQ(loadError(locked), "Impossible d'ouvrir le fichier " + locked.toStdString());
    }

    // A relative path is reported in full.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    EXPECT_EQ(loadError("dossier.jpg"), "Impossible d'ouvrir le fichier " + directory.toStdString());
    QDir::setCurrent(previous);
}

TEST(LoadPicture, FileIsNotHeldOpenAfterwards)
{
    TestFolder folder;
    // Loaded, failed at the header, and failed in the contents, of each kind.
    const struct {
        const char* fixture;
        const char* as;
    } cases[] = {
        { "quadrants.jpg", "a.jpg" },
        { "notjpeg.jpg", "b.jpg" },
        { "quadrants.bmp", "c.bmp" },
        { "damaged.bmp", "d.bmp" },
        { "empty.bmp", "e.bmp" },
        { "quadrants.ico", "f.ico" },
        { "damaged.ico", "g.ico" },
        { "notjpeg.jpg", "h.wmf" },
        { "noquant.jpg", "i.jpg" },
    };
    std::vector<PicturePtr> kept; // pictures alive while the files are checked
    for (const auto& c : cases) {
        SCOPED_TRACE(c.as);
        const QString path = folder.copyFixture(c.fixture, c.as);
        try {
            kept.push_back(LoadPictureFile(path));
        } catch (const PictureError&) {
        }
        EXPECT_EQ(descriptorsOpenOn(path), 0);
    }
}

} // namespace
