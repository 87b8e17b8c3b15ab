#include <gtest/gtest.h>

#include "jpegpicture.h"
#include "pictureformats.h"

namespace {

TEST(PictureFormats, StandardTableHoldsTheSixFormatsInOrder)
{
    struct Entry {
        const char* extension;
        const char* description;
        PictureKind kind;
    };
    const Entry expected[] = {
        { "wmf", "MétaFichiers", PictureKind::Metafile },
        { "emf", "MétaFichiers évolués", PictureKind::EnhancedMetafile },
        { "ico", "Icônes", PictureKind::Icon },
        { "bmp", "Bitmaps", PictureKind::Bitmap },
        { "jpeg", "Fichier image JPEG", PictureKind::Jpeg },
        { "jpg", "Fichier image JPEG", PictureKind::Jpeg },
    };
    const auto& entries = StandardPictureFormats().entries();
    ASSERT_EQ(entries.size(), std::size(expected));
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i].extension.toStdString(), expected[i].extension);
        EXPECT_EQ(entries[i].description.toStdString(), expected[i].description);
        EXPECT_EQ(entries[i].kind, expected[i].kind);
    }
}

TEST(PictureFormats, LookupIgnoresCaseAndKnowsOnlyTheSix)
{
    const PictureFormatTable& table = StandardPictureFormats();
    const struct {
        const char* extension;
        const char* found; // null: not in the table
    } cases[] = {
        { "jpg", "jpg" },
        { "JPG", "jpg" },
        { "Jpeg", "jpeg" },
        { "BMP", "bmp" },
        { "iCo", "ico" },
        { "EMF", "emf" },
        { "wmf", "wmf" },
        { "png", nullptr },
        { "", nullptr },
        { "jp", nullptr },
        { "jpgx", nullptr },
        { " bmp", nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extension);
        const PictureFormat* format = table.find(QString::fromUtf8(c.extension));
        if (c.found == nullptr) {
            EXPECT_EQ(format, nullptr);
        } else {
            ASSERT_NE(format, nullptr);
            EXPECT_EQ(format->extension.toStdString(), c.found);
        }
    }
}

TEST(PictureFormats, LaterEntryHidesEarlierOne)
{
    PictureFormatTable table;
    table.add("bmp", "first", PictureKind::Bitmap);
    table.add("ico", "other", PictureKind::Icon);
    table.add("BMP", "second", PictureKind::Jpeg);
    const PictureFormat* format = table.find(u"Bmp");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->description, "second");
    EXPECT_EQ(format->kind, PictureKind::Jpeg);
}

TEST(PictureExtension, IsTheFileNamePartAfterTheLastDotAsWritten)
{
    const struct {
        const char* path;
        const char* extension;
    } cases[] = {
        { "/home/anne/Images/plage.jpg", "jpg" },
        { "/home/anne/Images/Plage.JPeG", "JPeG" },
        { "photo.tar.gz", "gz" },
        { "/home/anne/vacances.2023/plage", "" },
        { "sans-extension", "" },
        { "plage.", "" },
        { "/home/anne/.cache", "cache" },
        { "", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(PictureExtension(QString::fromUtf8(c.path)).toStdString(), c.extension);
    }
}

TEST(JpegScale, IsTheSmallestEighthThatCoversTheTarget)
{
    const struct {
        QSize natural, target;
        int numerator;
    } cases[] = {
        { { 6000, 4000 }, { 1620, 1080 }, 3 }, // 2250 x 1500; 2/8 would give 1500 wide
        { { 1600, 1200 }, { 1440, 1080 }, 8 },
        { { 800, 600 }, { 100, 75 }, 1 }, // exactly an eighth
        { { 800, 600 }, { 101, 75 }, 2 }, // one pixel too wide for 1/8
        { { 800, 600 }, { 100, 76 }, 2 }, // the height alone decides
        { { 801, 601 }, { 101, 76 }, 1 }, // libjpeg rounds the output up
        { { 64, 48 }, { 64, 48 }, 8 },
        { { 64, 48 }, { 128, 96 }, 8 }, // never above full size
        { { 64, 48 }, { 1, 1 }, 1 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.natural.width() << "x" << c.natural.height() << " to "
                                        << c.target.width() << "x" << c.target.height());
        EXPECT_EQ(JpegScaleNumerator(c.natural, c.target), c.numerator);
    }
}

} // namespace
