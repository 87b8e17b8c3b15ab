// Damaged and foreign bytes: "MetaFichier incorrect", never a crash, never
// a read outside the file.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "metafilebytes.h"

namespace {

// EMF record types and WMF functions the damage aims at.
constexpr std::uint32_t EmrEof = 14;
constexpr std::uint32_t EmrStretchDIBits = 81;
constexpr std::uint32_t EmrExtTextOutW = 84;
constexpr std::uint32_t EmrPolyline16 = 87;
constexpr std::uint32_t EmrPolyPolygon16 = 91;
constexpr std::uint16_t MetaEof = 0x0000;
constexpr std::uint16_t MetaPolyline = 0x0325;
constexpr std::uint16_t MetaTextOut = 0x0521;
constexpr std::uint16_t MetaExtTextOut = 0x0A32;
constexpr std::uint16_t MetaStretchDib = 0x0F43;

void expectRejected(const QByteArray& bytes, const std::string& what)
{
    try {
        LoadMetafile(bytes);
        ADD_FAILURE() << what << ": loaded";
    } catch (const PictureError& e) {
        EXPECT_STREQ(e.what(), "MetaFichier incorrect") << what;
    }
}

struct Damage {
    const char* name;
    const char* fixture;
    std::function<void(QByteArray&)> damage;
};

// Where a record's fields lie, from the record's start.
qsizetype emfField(const QByteArray& b, std::uint32_t type, qsizetype offset)
{
    const qsizetype record = emfRecord(b, type);
    EXPECT_GE(record, 0) << "no record of type " << type;
    return record + offset;
}

qsizetype wmfField(const QByteArray& b, std::uint16_t function, qsizetype offset)
{
    const qsizetype record = wmfRecord(b, function);
    EXPECT_GE(record, 0) << "no record of function " << function;
    return record + offset;
}

// The BITMAPINFOHEADER of an EMF StretchDIBits record.
qsizetype emfBitmapHeader(const QByteArray& b)
{
    const qsizetype record = emfRecord(b, EmrStretchDIBits);
    return record + readLe32(b, record + 48);
}

TEST(MetafileDamage, DamagedCopiesAreRejected)
{
    const Damage damages[] = {
        // EMF framing and header.
        { "EMF cut in half", "shapes.emf", [](QByteArray& b) { b.truncate(b.size() / 2); } },
        { "EMF cut inside its header", "shapes.emf", [](QByteArray& b) { b.truncate(60); } },
        { "EMF without its last four bytes", "shapes.emf", [](QByteArray& b) { b.chop(4); } },
        { "stream size past the file", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, 48, std::uint32_t(b.size() + 4)); } },
        { "stream size not a multiple of four", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, 48, std::uint32_t(b.size() - 2)); } },
        { "header record shorter than a header", "shapes.emf", [](QByteArray& b) { writeLe32(b, 4, 80); } },
        { "signature spoilt", "shapes.emf", [](QByteArray& b) { b[40] = 'X'; } },
        { "record size past the end", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, emfField(b, EmrPolyline16, 4), 0x7FFFFFF0); } },
        { "record size zero", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, emfField(b, EmrPolyline16, 4), 0); } },
        { "record size below its own header", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, emfField(b, EmrPolyline16, 4), 4); } },
        { "record size not a multiple of four", "shapes.emf",
            [](QByteArray& b) {
                const qsizetype at = emfField(b, EmrPolyline16, 4);
                writeLe32(b, at, readLe32(b, at) + 2);
            } },
        { "no end record", "shapes.emf", [](QByteArray& b) { writeLe32(b, emfField(b, EmrEof, 0), 70); } },
        // EMF record contents.
        { "one point more than the record holds", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, emfField(b, EmrPolyline16, 24), 4); } },
        { "point count that wraps 32 bits", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, emfField(b, EmrPolyline16, 24), 0x40000000); } },
        { "largest point count", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, emfField(b, EmrPolyline16, 24), 0xFFFFFFFF); } },
        { "text longer than its record", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, emfField(b, EmrExtTextOutW, 44), 0x7FFFFFFF); } },
        { "text past its record", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, emfField(b, EmrExtTextOutW, 48), 0xFFFFFFF0); } },
        { "bitmap header past its record", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, emfField(b, EmrStretchDIBits, 48), 0xFFFFFF00); } },
        { "bitmap wider than its rows", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, emfBitmapHeader(b) + 4, 100000); } },
        { "bitmap of seven bits a pixel", "shapes.emf",
            [](QByteArray& b) { writeLe16(b, emfBitmapHeader(b) + 14, 7); } },
        { "bitmap header of an unknown size", "shapes.emf",
            [](QByteArray& b) { writeLe32(b, emfBitmapHeader(b), 20); } },
        { "bitmap rows cut short", "dibs.emf",
            [](QByteArray& b) { writeLe32(b, emfField(b, EmrStretchDIBits, 60), 4); } },
        { "colour table past its record", "dibs.emf",
            [](QByteArray& b) { writeLe32(b, emfBitmapHeader(b) + 32, 0x10000000); } },
        { "polygon counts disagreeing with the total", "curves.emf",
            [](QByteArray& b) { writeLe32(b, emfField(b, EmrPolyPolygon16, 32), 5); } },
        { "largest polygon count", "curves.emf",
            [](QByteArray& b) { writeLe32(b, emfField(b, EmrPolyPolygon16, 24), 0xFFFFFFFF); } },
        // WMF headers and framing.
        { "WMF cut in half", "shapes.wmf", [](QByteArray& b) { b.truncate(b.size() / 2); } },
        { "WMF without its last word", "shapes.wmf", [](QByteArray& b) { b.chop(2); } },
        { "placeable WMF without its last word", "placeable.wmf", [](QByteArray& b) { b.chop(2); } },
        { "total size past the file", "shapes.wmf",
            [](QByteArray& b) { writeLe32(b, 6, std::uint32_t(b.size() / 2 + 12)); } },
        { "largest record past the file", "shapes.wmf",
            [](QByteArray& b) { writeLe32(b, 12, std::uint32_t(b.size())); } },
        { "header of ten words", "shapes.wmf", [](QByteArray& b) { writeLe16(b, 2, 10); } },
        { "unknown version", "shapes.wmf", [](QByteArray& b) { writeLe16(b, 4, 0x0200); } },
        { "placeable key over a broken header", "placeable.wmf", [](QByteArray& b) { writeLe16(b, 22, 7); } },
        { "zero units per inch", "placeable.wmf", [](QByteArray& b) { writeLe16(b, 14, 0); } },
        { "WMF record size zero", "shapes.wmf",
            [](QByteArray& b) { writeLe32(b, wmfField(b, MetaPolyline, 0), 0); } },
        { "WMF record of two words", "shapes.wmf",
            [](QByteArray& b) { writeLe32(b, wmfField(b, MetaPolyline, 0), 2); } },
        { "WMF record size past the end", "placeable.wmf",
            [](QByteArray& b) { writeLe32(b, wmfField(b, MetaPolyline, 0), 0x7FFFFFFF); } },
        { "WMF without its end record", "shapes.wmf",
            [](QByteArray& b) { writeLe16(b, wmfField(b, MetaEof, 4), 0x001E); } },
        // WMF record contents.
        { "one point more than the polyline holds", "shapes.wmf",
            [](QByteArray& b) { writeLe16(b, wmfField(b, MetaPolyline, 6), 4); } },
        { "negative point count", "shapes.wmf",
            [](QByteArray& b) { writeLe16(b, wmfField(b, MetaPolyline, 6), 0xFFFF); } },
        { "ExtTextOut longer than its record", "shapes.wmf",
            [](QByteArray& b) { writeLe16(b, wmfField(b, MetaExtTextOut, 10), 0x7FFF); } },
        { "TextOut longer than its record", "placeable.wmf",
            [](QByteArray& b) { writeLe16(b, wmfField(b, MetaTextOut, 6), 0x7FFF); } },
        { "WMF bitmap wider than its rows", "shapes.wmf",
            [](QByteArray& b) { writeLe32(b, wmfField(b, MetaStretchDib, 32), 5000); } },
        { "WMF bitmap header size zero", "dibs.wmf",
            [](QByteArray& b) { writeLe32(b, wmfField(b, MetaStretchDib, 28), 0); } },
    };
    for (const Damage& d : damages) {
        QByteArray bytes = fixtureBytes(QString::fromLatin1(d.fixture));
        ASSERT_FALSE(bytes.isEmpty()) << d.fixture;
        d.damage(bytes);
        expectRejected(bytes, std::string(d.name) + " (" + d.fixture + ")");
    }
}

TEST(MetafileDamage, OtherContentsAreRejected)
{
    // The contents decide, whatever the name: none of these is a metafile.
    QByteArray emfLookalike(100, '\0');
    emfLookalike[0] = 1; // EMR_HEADER without " EMF" at 40
    const QByteArray cases[] = {
        QByteArray(), QByteArray("GIF89a\x01\x00\x01\x00", 10),
        QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), QByteArray("BM") + QByteArray(60, '\0'),
        QByteArray(40, '\0'), emfLookalike,
        QByteArray("\xD7\xCD\xC6\x9A", 4), // a placeable key and nothing more
    };
    int i = 0;
    for (const QByteArray& bytes : cases)
        expectRejected(bytes, "case " + std::to_string(i++));
}

TEST(MetafileDamage, RecordsNotDrawnAreSkipped)
{
    // Records of types the player does not know, before the end record.
    QByteArray emf = fixtureBytes(QStringLiteral("shapes.emf"));
    const qsizetype eof = emfRecord(emf, EmrEof);
    QByteArray extra(28, '\0');
    writeLe32(extra, 0, 250); // no such type
    writeLe32(extra, 4, 12);
    writeLe32(extra, 12, 70); // EMR_GDICOMMENT with 4 bytes of data
    writeLe32(extra, 16, 16);
    writeLe32(extra, 20, 4);
    emf.insert(eof, extra);
    writeLe32(emf, 48, std::uint32_t(emf.size()));
    writeLe32(emf, 52, readLe32(emf, 52) + 2);

    QByteArray wmf = fixtureBytes(QStringLiteral("placeable.wmf"));
    const qsizetype end = wmfRecord(wmf, MetaEof);
    QByteArray more(18, '\0');
    writeLe32(more, 0, 4);
    writeLe16(more, 4, 0x0999); // no such function
    writeLe32(more, 8, 5);
    writeLe16(more, 12, 0x0626); // META_ESCAPE
    wmf.insert(end, more);
    const qsizetype header = wmfHeader(wmf);
    writeLe32(wmf, header + 6, readLe32(wmf, header + 6) + 9);

    for (const QByteArray& bytes : { emf, wmf }) {
        const PicturePtr picture = LoadMetafile(bytes);
        EXPECT_EQ(renderNatural(*picture).pixelColor(40, 30), QColor(255, 0, 0));
    }
}

TEST(MetafileDamage, TextInExtremeTransformsIsDrawn)
{
    // sliver-text.wmf, found by fuzzing, squeezes a wide font into a
    // picture 7 pixels high; drawn through Qt's glyph cache it crashed in
    // FreeType's glyph loading. Variants turn and stretch the font further.
    constexpr std::uint16_t MetaCreateFontIndirect = 0x02FB;
    struct Font {
        std::int16_t width;
        std::int16_t escapement;
    };
    const Font fonts[] = { { -4097, -1 }, { 32767, 0 }, { 1, 900 }, { -32768, 450 }, { 3, 0 } };
    QList<QByteArray> files = { fixtureBytes(QStringLiteral("sliver-text.wmf")) };
    for (const Font& f : fonts) {
        QByteArray bytes = files.front();
        const qsizetype font = wmfField(bytes, MetaCreateFontIndirect, 6);
        writeLe16(bytes, font + 2, std::uint16_t(f.width));
        writeLe16(bytes, font + 4, std::uint16_t(f.escapement));
        files.append(bytes);
    }
    for (const QByteArray& bytes : files) {
        const PicturePtr picture = LoadMetafile(bytes);
        for (const QSize size : { QSize(64, 1), picture->naturalSize(), QSize(3, 40), QSize(400, 300) })
            render(*picture, size);
    }
}

TEST(MetafileDamage, RandomDamageIsRejectedOrDrawn)
{
    // Bytes changed at random, words set to extremes, files cut short: each
    // copy either loads and draws or gives the message, and nothing is read
    // outside the file (run under the sanitizers to see that).
    const char* fixtures[] = { "shapes.emf", "dibs.emf", "curves.emf", "mapping.emf", "frame.emf",
        "shapes.wmf", "placeable.wmf", "dibs.wmf", "curves.wmf" };
    const std::uint32_t extremes[]
        = { 0, 1, 2, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF };
    std::mt19937 random(20240611);
    int loaded = 0;
    int rejected = 0;
    for (const char* fixture : fixtures) {
        const QByteArray original = fixtureBytes(QString::fromLatin1(fixture));
        ASSERT_FALSE(original.isEmpty()) << fixture;
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes = original;
            const int edits = 1 + int(random() % 3);
            for (int e = 0; e < edits && bytes.size() > 8; ++e) {
                const qsizetype at = qsizetype(random() % std::uint32_t(bytes.size() - 4));
                switch (random() % 4) {
                case 0:
                    bytes[at] = char(random());
                    break;
                case 1:
                case 2:
                    writeLe32(bytes, at & ~qsizetype(1), extremes[random() % std::size(extremes)]);
                    break;
                default:
                    bytes.truncate(at);
                    break;
                }
            }
            try {
                const PicturePtr picture = LoadMetafile(bytes);
                render(*picture, QSize(97, 61));
                ++loaded;
            } catch (const PictureError& e) {
                ASSERT_STREQ(e.what(), "MetaFichier incorrect") << fixture << ", round " << round;
                ++rejected;
            }
        }
    }
    // Both outcomes occur: the damage is neither all fatal nor all harmless.
    EXPECT_GT(loaded, 100);
    EXPECT_GT(rejected, 100);
}

} // namespace
