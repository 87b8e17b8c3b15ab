// The metafile player against the libUEMF fixtures of tests/data (written by
// make_fixtures.cpp, which documents what each one draws and where).
#include <gtest/gtest.h>

#include <QPainter>
#include <functional>

#include "metafilebytes.h"

namespace {

const QColor White(255, 255, 255);
const QColor Red(255, 0, 0);
const QColor Green(0, 160, 0);
const QColor PureGreen(0, 255, 0);
const QColor Blue(0, 0, 255);
const QColor Yellow(255, 255, 0);
const QColor Magenta(192, 0, 192);
const QColor Cyan(0, 192, 192);
const QColor Orange(255, 128, 0);

PicturePtr load(const QString& name)
{
    const QByteArray bytes = fixtureBytes(name);
    EXPECT_FALSE(bytes.isEmpty()) << qPrintable(name);
    return LoadMetafile(bytes);
}

std::string describe(QColor c)
{
    return QStringLiteral("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue()).toStdString();
}

TEST(MetafileLoad, NaturalSizeIsTheFrameAt96Dpi)
{
    // EMF: the header's frame in hundredths of a millimetre; placeable WMF:
    // its box at its units per inch; standard WMF: its window extent.
    struct Case {
        const char* file;
        QSize size;
    };
    const Case cases[] = {
        { "shapes.emf", { 240, 144 } },
        { "SHAPES_UPPER.EMF", { 240, 144 } },
        { "dibs.emf", { 240, 96 } },
        { "curves.emf", { 240, 192 } },
        { "mapping.emf", { 240, 144 } },
        { "frame.emf", { 240, 144 } },
        { "shapes.wmf", { 240, 144 } },
        { "placeable.wmf", { 240, 144 } },
        { "dibs.wmf", { 240, 48 } },
        { "curves.wmf", { 240, 144 } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(load(QString::fromLatin1(c.file))->naturalSize(), c.size) << c.file;
}

TEST(MetafileLoad, SizeWithoutAFrameOrAWindow)
{
    // An EMF with an empty frame falls back on its bounds; a standard WMF
    // without a window extent on the bounds of what it draws (here its
    // white ground, 240 x 144), which then fill the target.
    QByteArray emf = fixtureBytes(QStringLiteral("shapes.emf"));
    for (int field = 0; field < 4; ++field)
        writeLe32(emf, 24 + 4 * field, 0);
    QByteArray wmf = fixtureBytes(QStringLiteral("shapes.wmf"));
    writeLe16(wmf, wmfRecord(wmf, 0x020C) + 4, 0x0999); // SETWINDOWEXT, now unknown
    for (const QByteArray& bytes : { emf, wmf }) {
        const PicturePtr picture = LoadMetafile(bytes);
        EXPECT_EQ(picture->naturalSize(), QSize(240, 144));
        const QImage image = render(*picture, QSize(480, 288));
        EXPECT_EQ(image.pixelColor(80, 60), Red);
        EXPECT_EQ(image.pixelColor(390, 70), Green);
        EXPECT_EQ(image.pixelColor(470, 280), White);
    }
}

TEST(MetafileDraw, ShapesHaveTheirColoursAtKnownPoints)
{
    struct Case {
        const char* file;
        QPoint at;
        QColor colour;
        const char* what;
    };
    const Case cases[] = {
        { "shapes.emf", { 5, 5 }, White, "white ground" },
        { "shapes.emf", { 40, 30 }, Red, "filled rectangle's centre" },
        { "shapes.emf", { 120, 20 }, Blue, "thick line" },
        { "shapes.emf", { 195, 35 }, Green, "ellipse's centre" },
        { "shapes.emf", { 60, 90 }, White, "inside the V: a polyline is never filled" },
        { "shapes.emf", { 200, 111 }, Red, "bitmap, top left" },
        { "shapes.emf", { 220, 111 }, PureGreen, "bitmap, top right" },
        { "shapes.emf", { 200, 126 }, Blue, "bitmap, bottom left" },
        { "shapes.emf", { 220, 126 }, Yellow, "bitmap, bottom right" },
        { "shapes.wmf", { 5, 5 }, White, "white ground" },
        { "shapes.wmf", { 40, 30 }, Red, "filled rectangle's centre" },
        { "shapes.wmf", { 120, 20 }, Blue, "thick line" },
        { "shapes.wmf", { 195, 35 }, Green, "ellipse's centre" },
        { "shapes.wmf", { 60, 90 }, White, "inside the V: a polyline is never filled" },
        { "shapes.wmf", { 200, 111 }, Red, "bitmap, top left" },
        { "shapes.wmf", { 220, 126 }, Yellow, "bitmap, bottom right" },
        { "placeable.wmf", { 40, 30 }, Red, "filled rectangle's centre" },
        { "placeable.wmf", { 195, 35 }, Green, "ellipse's centre" },
        { "placeable.wmf", { 60, 90 }, White, "inside the V: a polyline is never filled" },
        { "placeable.wmf", { 220, 111 }, PureGreen, "bitmap, top right" },
        { "placeable.wmf", { 200, 126 }, Blue, "bitmap, bottom left" },
        { "curves.emf", { 50, 30 }, Orange, "pie from 0 to 90 degrees" },
        { "curves.emf", { 30, 50 }, White, "outside the pie's quarter" },
        { "curves.emf", { 95, 40 }, Cyan, "chord's left half" },
        { "curves.emf", { 125, 40 }, White, "right of the chord" },
        { "curves.emf", { 180, 10 }, Blue, "top of the upper arc" },
        { "curves.emf", { 180, 69 }, White, "no lower half of the arc" },
        { "curves.emf", { 40, 105 }, Magenta, "rounded rectangle's centre" },
        { "curves.emf", { 11, 81 }, White, "rounded corner" },
        { "curves.emf", { 85, 105 }, Green, "polypolygon ring" },
        { "curves.emf", { 105, 105 }, White, "hole with the alternate fill mode" },
        { "curves.emf", { 165, 105 }, Green, "no hole with the winding fill mode" },
        { "curves.emf", { 35, 155 }, Blue, "triangle filled through a path" },
        { "curves.emf", { 12, 180 }, White, "outside the path's triangle" },
        { "curves.emf", { 150, 158 }, Red, "32-bit PolylineTo from the current position" },
        { "curves.emf", { 195, 158 }, Red, "32-bit PolyBezierTo from the current position" },
        { "curves.emf", { 197, 178 }, Orange, "32-bit polygon" },
        { "curves.wmf", { 50, 30 }, Orange, "pie from 0 to 90 degrees" },
        { "curves.wmf", { 30, 50 }, White, "outside the pie's quarter" },
        { "curves.wmf", { 95, 40 }, Cyan, "chord's left half" },
        { "curves.wmf", { 125, 40 }, White, "right of the chord" },
        { "curves.wmf", { 180, 10 }, Blue, "top of the upper arc" },
        { "curves.wmf", { 180, 69 }, White, "no lower half of the arc" },
        { "curves.wmf", { 40, 105 }, Magenta, "rounded rectangle's centre" },
        { "curves.wmf", { 11, 81 }, White, "rounded corner" },
        { "curves.wmf", { 85, 105 }, Green, "polypolygon ring" },
        { "curves.wmf", { 105, 105 }, White, "hole with the alternate fill mode" },
        { "curves.wmf", { 165, 105 }, Green, "no hole with the winding fill mode" },
        { "curves.wmf", { 217, 95 }, Blue, "polygon" },
        { "curves.wmf", { 203, 115 }, White, "outside the polygon" },
        { "mapping.emf", { 5, 5 }, White, "ground through an anisotropic mapping" },
        { "mapping.emf", { 60, 20 }, Blue, "line in mapped units" },
        { "mapping.emf", { 60, 40 }, Blue, "line after RestoreDC: pen restored" },
        { "mapping.emf", { 140, 30 }, Green, "rectangle under a world transform" },
        { "mapping.emf", { 165, 30 }, White, "beyond the transformed rectangle" },
        { "mapping.emf", { 200, 30 }, Red, "inside the clip rectangle" },
        { "mapping.emf", { 175, 30 }, White, "left of the clip rectangle" },
        { "mapping.emf", { 225, 30 }, White, "right of the clip rectangle" },
        { "mapping.emf", { 25, 65 }, Cyan, "square around an excluded hole" },
        { "mapping.emf", { 60, 100 }, White, "excluded hole" },
        { "mapping.emf", { 138, 120 }, Magenta, "square in tenths of a millimetre, y upwards" },
        { "mapping.emf", { 138, 98 }, White, "above the metric square" },
        { "mapping.emf", { 118, 120 }, White, "left of the metric square" },
        { "frame.emf", { 10, 10 }, Red, "frame's top left at the target's" },
        { "frame.emf", { 215, 120 }, Green, "frame's bottom right at the target's" },
        { "frame.emf", { 120, 72 }, Ground, "nothing drawn in the middle" },
    };
    QString loaded;
    QImage image;
    for (const Case& c : cases) {
        if (loaded != QLatin1String(c.file)) {
            loaded = QString::fromLatin1(c.file);
            image = renderNatural(*load(loaded));
        }
        const QColor found = image.pixelColor(c.at);
        EXPECT_EQ(found, c.colour) << c.file << " at (" << c.at.x() << ", " << c.at.y() << "), " << c.what
                                   << ": found " << describe(found) << ", wanted " << describe(c.colour);
    }
}

TEST(MetafileDraw, BitmapsOfEveryDepthAndRecord)
{
    // Each cell of 48 x 48 holds a bitmap in (4, 4) - (44, 44): red, green
    // over blue, yellow; one-bit bitmaps have only red and blue.
    const QColor quads[4] = { Red, PureGreen, Blue, Yellow };
    const QColor mono[4] = { Red, Blue, Blue, Red };
    struct Case {
        const char* file;
        int column;
        int row;
        const QColor* colours;
        const char* what;
    };
    const Case cases[] = {
        { "dibs.emf", 0, 0, mono, "StretchDIBits, 1 bit" },
        { "dibs.emf", 1, 0, quads, "StretchDIBits, 4 bits" },
        { "dibs.emf", 2, 0, quads, "StretchDIBits, 8 bits" },
        { "dibs.emf", 3, 0, quads, "StretchDIBits, 24 bits" },
        { "dibs.emf", 4, 0, quads, "StretchDIBits, 32 bits" },
        { "dibs.emf", 0, 1, quads, "StretchDIBits, 24 bits top-down" },
        { "dibs.emf", 1, 1, quads, "BitBlt, 24 bits" },
        { "dibs.emf", 2, 1, quads, "SetDIBitsToDevice, 24 bits" },
        { "dibs.emf", 3, 1, quads, "StretchBlt, 8 bits" },
        { "dibs.emf", 4, 1, quads, "StretchDIBits, 16 bits" },
        { "dibs.wmf", 0, 0, quads, "STRETCHDIB, 24 bits" },
        { "dibs.wmf", 1, 0, quads, "STRETCHDIB, 8 bits" },
        { "dibs.wmf", 2, 0, quads, "DIBSTRETCHBLT, 4 bits" },
        { "dibs.wmf", 3, 0, mono, "DIBBITBLT, 1 bit" },
        { "dibs.wmf", 4, 0, quads, "SETDIBTODEV, 24 bits" },
    };
    const QPoint centres[4] = { { 14, 14 }, { 34, 14 }, { 14, 34 }, { 34, 34 } };
    QString loaded;
    QImage image;
    for (const Case& c : cases) {
        if (loaded != QLatin1String(c.file)) {
            loaded = QString::fromLatin1(c.file);
            image = renderNatural(*load(loaded));
        }
        for (int q = 0; q < 4; ++q) {
            const QPoint at = QPoint(48 * c.column, 48 * c.row) + centres[q];
            EXPECT_EQ(image.pixelColor(at), c.colours[q]) << c.file << ", " << c.what << ", quadrant " << q
                                                          << ": found " << describe(image.pixelColor(at));
        }
        const QColor margin = image.pixelColor(QPoint(48 * c.column + 2, 48 * c.row + 2));
        EXPECT_TRUE(margin == White || margin == Ground)
            << c.file << ", " << c.what << ": bitmap spills out of its cell, " << describe(margin);
    }
}

// Sum of the blue coverage of a column's pixels around y, on white: the
// width of a horizontal blue stroke, in pixels.
double blueStrokeWidth(const QImage& image, int x, int y, int reach)
{
    double width = 0;
    for (int row = y - reach; row <= y + reach; ++row)
        width += 1 - image.pixelColor(x, row).redF();
    return width;
}

TEST(MetafileDraw, PenWidthsFollowTheMapping)
{
    // 4 pixels at the natural size, whatever the units of the file, and
    // twice that at twice the size.
    struct Case {
        const char* file;
        int scale;
        QPoint centre; // at the natural size
        double width;
        const char* what;
    };
    const Case cases[] = {
        { "shapes.emf", 1, { 120, 20 }, 4, "pixels" },
        { "shapes.emf", 2, { 120, 20 }, 8, "pixels, drawn twice as large" },
        { "shapes.wmf", 1, { 120, 20 }, 4, "window units" },
        { "shapes.wmf", 2, { 120, 20 }, 8, "window units, drawn twice as large" },
        { "placeable.wmf", 1, { 120, 20 }, 4, "twips" },
        { "placeable.wmf", 2, { 120, 20 }, 8, "twips, drawn twice as large" },
        { "mapping.emf", 1, { 60, 20 }, 4, "tenths of a pixel" },
        { "mapping.emf", 1, { 60, 40 }, 4, "tenths of a pixel, pen restored by RestoreDC" },
        { "mapping.emf", 2, { 60, 20 }, 8, "tenths of a pixel, drawn twice as large" },
    };
    for (const Case& c : cases) {
        const PicturePtr picture = load(QString::fromLatin1(c.file));
        const QImage image = render(*picture, picture->naturalSize() * c.scale);
        const double width
            = blueStrokeWidth(image, c.centre.x() * c.scale, c.centre.y() * c.scale, 8 * c.scale);
        EXPECT_NEAR(width, c.width, 1) << c.file << ", " << c.what;
    }
}

TEST(MetafileDraw, StretchesIntoTheTargetAndStaysInside)
{
    // Drawn twice as wide into a target placed at (60, 40) of a larger image.
    const QRect target(60, 40, 480, 144);
    for (const char* file : { "shapes.emf", "shapes.wmf", "placeable.wmf" }) {
        const QImage image = render(*load(QString::fromLatin1(file)), QSize(600, 240), target);
        EXPECT_EQ(image.pixelColor(60 + 80, 40 + 30), Red) << file << ": rectangle's centre, x doubled";
        EXPECT_EQ(image.pixelColor(60 + 390, 40 + 35), Green) << file << ": ellipse's centre, x doubled";
        EXPECT_EQ(image.pixelColor(60 + 440, 40 + 126), Yellow) << file << ": bitmap's corner, x doubled";
        int outside = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!target.contains(x, y) && image.pixelColor(x, y) != Ground)
                    ++outside;
        EXPECT_EQ(outside, 0) << file << ": pixels drawn outside the target";
    }
}

TEST(MetafileDraw, OnlyTheFrameIsShown)
{
    // frame.emf draws a blue square outside its frame.
    const QImage image = renderNatural(*load(QStringLiteral("frame.emf")));
    int blue = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).blue() > 128)
                ++blue;
    EXPECT_EQ(blue, 0);
}

TEST(MetafileDraw, LeavesThePainterAsItFoundIt)
{
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Ground);
    QPainter painter(&image);
    const QTransform transform = QTransform::fromTranslate(10, 5);
    painter.setTransform(transform);
    painter.setPen(QPen(Qt::darkCyan, 3));
    painter.setBrush(Qt::darkMagenta);
    painter.setClipRect(QRect(0, 0, 250, 150));
    for (const char* file : { "shapes.emf", "mapping.emf", "placeable.wmf" }) {
        load(QString::fromLatin1(file))->draw(painter, QRect(0, 0, 240, 144));
        EXPECT_EQ(painter.transform(), transform) << file;
        EXPECT_EQ(painter.pen(), QPen(Qt::darkCyan, 3)) << file;
        EXPECT_EQ(painter.brush(), QBrush(Qt::darkMagenta)) << file;
        EXPECT_EQ(painter.clipBoundingRect(), QRectF(0, 0, 250, 150)) << file;
        EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_SourceOver) << file;
    }
    // The caller's transform places the picture: its red rectangle's centre.
    EXPECT_EQ(image.pixelColor(10 + 40, 5 + 30), Red);
}

TEST(MetafileDraw, HatchesAndDashesLeaveTheirGaps)
{
    const QImage image = renderNatural(*load(QStringLiteral("curves.emf")));
    // A cross hatch in dark red on an opaque yellow background.
    int hatch = 0;
    int background = 0;
    int other = 0;
    for (int y = 142; y < 183; ++y) {
        for (int x = 72; x < 118; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c == QColor(128, 0, 0))
                ++hatch;
            else if (c == Yellow)
                ++background;
            else
                ++other;
        }
    }
    EXPECT_GT(hatch, 100);
    EXPECT_GT(background, hatch);
    EXPECT_EQ(other, 0);
    // A one-pixel dashed line along y = 150 with transparent gaps.
    int changes = 0;
    bool inked = image.pixelColor(135, 150).lightness() < 128;
    for (int x = 136; x < 210; ++x) {
        const bool now = image.pixelColor(x, 150).lightness() < 128;
        changes += now != inked;
        inked = now;
        EXPECT_EQ(image.pixelColor(x, 152), White) << "dashed line wider than a pixel at x = " << x;
    }
    EXPECT_GE(changes, 6);
}

// The bounding box of dark pixels inside area.
QRect inkBox(const QImage& image, const QRect& area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y).lightness() < 100)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(MetafileDraw, TextIsDrawnFromItsReferencePoint)
{
    // Top-left aligned text at (130, 75), 20 pixels high, in three files.
    for (const char* file : { "shapes.emf", "shapes.wmf", "placeable.wmf" }) {
        const QImage image = renderNatural(*load(QString::fromLatin1(file)));
        const QRect ink = inkBox(image, QRect(120, 66, 120, 37));
        EXPECT_GE(ink.left(), 130) << file;
        EXPECT_LE(ink.left(), 134) << file;
        EXPECT_GE(ink.top(), 75) << file;
        EXPECT_LE(ink.top(), 82) << file;
        EXPECT_LE(ink.bottom(), 100) << file;
        EXPECT_GT(ink.width(), 50) << file;
    }
    // Turned a quarter counterclockwise: it runs upwards from its baseline
    // point (232, 188).
    const QImage image = renderNatural(*load(QStringLiteral("curves.emf")));
    const QRect turned = inkBox(image, QRect(212, 155, 28, 37));
    EXPECT_GT(turned.height(), 2 * turned.width());
    EXPECT_LE(turned.right(), 236);
    EXPECT_GE(turned.left(), 214);
}

// A small EMF written record by record: a 240 x 192 pixel picture.
class EmfWriter {
public:
    EmfWriter()
    {
        // bounds, frame (0.01 mm), " EMF", version, sizes filled by bytes(),
        // two handles, a 1920 x 1080 pixel, 508 x 286 mm reference device.
        record(1,
            { 0, 0, 239, 191, 0, 0, 6350, 5080, 0x464D4520, 0x10000, 0, 0, 3, 0, 0, 0, 1920, 1080, 508, 286,
                0, 0, 0, 508000, 286000 });
    }
    void record(std::uint32_t type, std::initializer_list<std::int64_t> fields)
    {
        const qsizetype at = m_bytes.size();
        m_bytes.resize(at + 8 + 4 * qsizetype(fields.size()));
        writeLe32(m_bytes, at, type);
        writeLe32(m_bytes, at + 4, std::uint32_t(8 + 4 * fields.size()));
        qsizetype field = at + 8;
        for (std::int64_t value : fields) {
            writeLe32(m_bytes, field, std::uint32_t(value));
            field += 4;
        }
        ++m_records;
    }
    void pen(std::uint32_t style, int width, QRgb colour)
    {
        record(38, { 1, style, width, 0, colourRef(colour) }); // CREATEPEN
        record(37, { 1 }); // SELECTOBJECT
    }
    void brush(QRgb colour)
    {
        record(39, { 2, 0, colourRef(colour), 0 }); // CREATEBRUSHINDIRECT, solid
        record(37, { 2 });
    }
    // POLYGON (3), POLYBEZIERTO (5), POLYLINETO (6): bounds, count, points.
    void points(std::uint32_t type, const QList<QPoint>& points)
    {
        std::vector<std::int64_t> fields { 0, 0, 0, 0, points.size() };
        for (QPoint p : points) {
            fields.push_back(p.x());
            fields.push_back(p.y());
        }
        const qsizetype at = m_bytes.size();
        record(type, {});
        for (std::int64_t value : fields) {
            m_bytes.resize(m_bytes.size() + 4);
            writeLe32(m_bytes, m_bytes.size() - 4, std::uint32_t(value));
        }
        writeLe32(m_bytes, at + 4, std::uint32_t(m_bytes.size() - at));
    }
    QByteArray bytes()
    {
        QByteArray done = m_bytes;
        const qsizetype at = done.size();
        done.resize(at + 20);
        for (auto [offset, value] : { std::pair { 0, 14 }, { 4, 20 }, { 8, 0 }, { 12, 16 }, { 16, 20 } })
            writeLe32(done, at + offset, std::uint32_t(value)); // EOF
        writeLe32(done, 48, std::uint32_t(done.size()));
        writeLe32(done, 52, std::uint32_t(m_records + 1));
        return done;
    }

private:
    static std::int64_t colourRef(QRgb c) { return qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16); }
    QByteArray m_bytes;
    int m_records = 0;
};

TEST(MetafileDraw, ShapesReachingFarBeyondThePictureShowTheirVisiblePart)
{
    // Each shape runs from inside the picture to x = 8,000,000, far past
    // its right edge, or only to x = 400, just past it: both must show the
    // same pixels, at the natural size and fitted smaller.
    constexpr std::uint32_t Solid = 0, Dash = 1, FlatCap = 0x200;
    struct Case {
        const char* what;
        std::function<void(EmfWriter&, int farX)> draw;
    };
    const Case cases[] = {
        { "a wide line",
            [](EmfWriter& emf, int farX) {
                emf.pen(Solid, 20, qRgb(0, 0, 255));
                emf.record(27, { 20, 100 }); // MOVETOEX
                emf.record(54, { farX, 100 }); // LINETO
            } },
        { "a wide line that leaves the picture and comes back",
            [](EmfWriter& emf, int farX) {
                emf.pen(Solid, 8, qRgb(255, 0, 0));
                emf.record(27, { 10, 40 });
                emf.points(6, { QPoint(farX, 40), QPoint(farX, 70), QPoint(15, 70) });
            } },
        { "a filled rectangle and its thin outline",
            [](EmfWriter& emf, int farX) {
                emf.brush(qRgb(0, 160, 0));
                emf.points(3, { QPoint(30, 120), QPoint(farX, 120), QPoint(farX, 180), QPoint(30, 180) });
            } },
    };
    for (const Case& c : cases) {
        EmfWriter far, near;
        c.draw(far, 8000000);
        c.draw(near, 400);
        const PicturePtr farPicture = LoadMetafile(far.bytes());
        const PicturePtr nearPicture = LoadMetafile(near.bytes());
        for (QSize size : { QSize(240, 192), QSize(64, 48) }) {
            const QImage shown = render(*farPicture, size);
            EXPECT_EQ(shown, render(*nearPicture, size)) << c.what << " at " << size.width() << " pixels";
            EXPECT_NE(shown, render(*LoadMetafile(EmfWriter().bytes()), size)) << c.what << ": nothing drawn";
        }
    }

    // A wide dashed line is cut the same way. Qt gives the edges of a filled
    // dash a slightly other coverage than those of a stroked one, so only
    // where the dashes and gaps fall along the line is compared. (Qt draws
    // a line of more than some thousands of dashes solid: this one stops
    // at x = 100,000.)
    const auto dashes = [](int farX) {
        EmfWriter emf;
        emf.pen(Dash | FlatCap, 6, qRgb(255, 0, 0));
        emf.record(27, { 10, 60 });
        emf.points(6, { QPoint(farX, 60) });
        const QImage image = render(*LoadMetafile(emf.bytes()), QSize(240, 192));
        std::string inked;
        for (int x = 0; x < 240; ++x)
            inked += image.pixelColor(x, 60).green() < 128 ? '#' : '.';
        return inked;
    };
    const std::string near = dashes(400);
    EXPECT_EQ(dashes(100000), near);
    EXPECT_GT(std::count(near.begin(), near.end(), '.'), 40) << near;
}

TEST(MetafileDraw, RepeatedDrawsAreIdentical)
{
    // Bitmaps are decoded once and kept; later draws, also after one at
    // another size, must not differ.
    for (const char* file : { "dibs.emf", "dibs.wmf" }) {
        const PicturePtr picture = load(QString::fromLatin1(file));
        const QImage first = renderNatural(*picture);
        render(*picture, QSize(37, 23));
        EXPECT_EQ(renderNatural(*picture), first) << file;
    }
}

} // namespace
