#include "metafile/emfplayer.h"

#include <QLinearGradient>
#include <QPolygonF>
#include <cmath>
#include <cstring>

#include "metafile/ansitext.h"
#include "metafile/bytereader.h"
#include "metafile/gdidevice.h"
#include "metafile/pixelsize.h"

namespace {

enum EmfRecord : std::uint32_t {
    EmrHeader = 1,
    EmrPolyBezier = 2,
    EmrPolygon = 3,
    EmrPolyline = 4,
    EmrPolyBezierTo = 5,
    EmrPolylineTo = 6,
    EmrPolyPolyline = 7,
    EmrPolyPolygon = 8,
    EmrSetWindowExtEx = 9,
    EmrSetWindowOrgEx = 10,
    EmrSetViewportExtEx = 11,
    EmrSetViewportOrgEx = 12,
    EmrEof = 14,
    EmrSetPixelV = 15,
    EmrSetMapMode = 17,
    EmrSetBkMode = 18,
    EmrSetPolyFillMode = 19,
    EmrSetRop2 = 20,
    EmrSetStretchBltMode = 21,
    EmrSetTextAlign = 22,
    EmrSetTextColor = 24,
    EmrSetBkColor = 25,
    EmrOffsetClipRgn = 26,
    EmrMoveToEx = 27,
    EmrExcludeClipRect = 29,
    EmrIntersectClipRect = 30,
    EmrScaleViewportExtEx = 31,
    EmrScaleWindowExtEx = 32,
    EmrSaveDC = 33,
    EmrRestoreDC = 34,
    EmrSetWorldTransform = 35,
    EmrModifyWorldTransform = 36,
    EmrSelectObject = 37,
    EmrCreatePen = 38,
    EmrCreateBrushIndirect = 39,
    EmrDeleteObject = 40,
    EmrAngleArc = 41,
    EmrEllipse = 42,
    EmrRectangle = 43,
    EmrRoundRect = 44,
    EmrArc = 45,
    EmrChord = 46,
    EmrPie = 47,
    EmrCreatePalette = 49,
    EmrLineTo = 54,
    EmrArcTo = 55,
    EmrPolyDraw = 56,
    EmrSetArcDirection = 57,
    EmrSetMiterLimit = 58,
    EmrBeginPath = 59,
    EmrEndPath = 60,
    EmrCloseFigure = 61,
    EmrFillPath = 62,
    EmrStrokeAndFillPath = 63,
    EmrStrokePath = 64,
    EmrWidenPath = 66,
    EmrSelectClipPath = 67,
    EmrAbortPath = 68,
    EmrFillRgn = 71,
    EmrPaintRgn = 74,
    EmrExtSelectClipRgn = 75,
    EmrBitBlt = 76,
    EmrStretchBlt = 77,
    EmrSetDIBitsToDevice = 80,
    EmrStretchDIBits = 81,
    EmrExtCreateFontIndirectW = 82,
    EmrExtTextOutA = 83,
    EmrExtTextOutW = 84,
    EmrPolyBezier16 = 85,
    EmrPolygon16 = 86,
    EmrPolyline16 = 87,
    EmrPolyBezierTo16 = 88,
    EmrPolylineTo16 = 89,
    EmrPolyPolyline16 = 90,
    EmrPolyPolygon16 = 91,
    EmrPolyDraw16 = 92,
    EmrCreateMonoBrush = 93,
    EmrCreateDIBPatternBrushPt = 94,
    EmrExtCreatePen = 95,
    EmrCreateColorSpace = 99,
    EmrAlphaBlend = 114,
    EmrTransparentBlt = 116,
    EmrGradientFill = 118,
    EmrCreateColorSpaceW = 122,
};

constexpr std::uint32_t EmfSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t StockObjectFlag = 0x80000000;
constexpr std::uint32_t TextNoRect = 0x0100;
constexpr std::uint32_t TextGlyphIndex = 0x0010;
constexpr std::uint32_t TextPdy = 0x2000;
constexpr std::uint64_t EmfHeaderMinimum = 88;

QPointF point32(ByteReader& r)
{
    const double x = r.i32();
    return QPointF(x, r.i32());
}

QPointF point16(ByteReader& r)
{
    const double x = r.i16();
    return QPointF(x, r.i16());
}

QSizeF size32(ByteReader& r)
{
    const double cx = r.i32();
    return QSizeF(cx, r.i32());
}

QRectF rect32(ByteReader& r)
{
    const QPointF topLeft = point32(r);
    return QRectF(topLeft, point32(r));
}

QTransform xform(ByteReader& r)
{
    const double m11 = r.f32();
    const double m12 = r.f32();
    const double m21 = r.f32();
    const double m22 = r.f32();
    const double dx = r.f32();
    return QTransform(m11, m12, m21, m22, dx, r.f32());
}

// count points of 16 or 32-bit coordinates, checked against the record
// before anything is allocated.
QPolygonF points(ByteReader& r, std::uint64_t count, bool wide)
{
    ByteReader data = r.takeArray(count, wide ? 8 : 4);
    QPolygonF result;
    result.reserve(static_cast<qsizetype>(count));
    for (std::uint64_t i = 0; i < count; ++i)
        result.append(wide ? point32(data) : point16(data));
    return result;
}

// RGNDATA: a header, then its rectangles.
QList<QRectF> regionRects(ByteReader data)
{
    const std::uint32_t headerSize = data.u32();
    data.u32(); // RDH_RECTANGLES
    const std::uint32_t count = data.u32();
    if (headerSize < 32)
        throwBadMetafile();
    data.seek(headerSize);
    ByteReader rects = data.takeArray(count, 16);
    QList<QRectF> result;
    result.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        result.append(rect32(rects));
    return result;
}

class EmfPlayback {
public:
    EmfPlayback(GdiDevice& device, DibCache* cache)
        : m_device(device)
        , m_cache(cache)
    {
    }
    void record(std::uint32_t type, ByteReader record, std::uint64_t offset);

private:
    GdiState& state() { return m_device.state(); }
    void select(std::uint32_t index);
    void polyRecord(std::uint32_t type, ByteReader& r);
    void polyPolyRecord(std::uint32_t type, ByteReader& r);
    void textRecord(bool wide, ByteReader record);
    void bltRecord(std::uint32_t type, ByteReader record, std::uint64_t offset);
    void dibitsRecord(std::uint32_t type, ByteReader record, std::uint64_t offset);
    void patternBrush(std::uint32_t index, ByteReader record, std::uint64_t offset, bool mono);
    void extCreatePen(ByteReader& r);
    void createFont(ByteReader& r);
    void gradientFill(ByteReader& r);
    std::optional<DibLayout> dib(const ByteReader& record, std::uint32_t offBmi, std::uint32_t cbBmi,
        std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage);
    QImage image(const DibLayout& layout, std::uint64_t key, bool alpha);

    GdiDevice& m_device;
    DibCache* m_cache;
    std::map<std::uint32_t, GdiObject> m_objects;
};

void EmfPlayback::select(std::uint32_t index)
{
    GdiObject object;
    if (index & StockObjectFlag) {
        object = stockObject(index & ~StockObjectFlag);
    } else if (const auto found = m_objects.find(index); found != m_objects.end()) {
        object = found->second;
    }
    if (const auto* pen = std::get_if<LogPen>(&object))
        state().pen = *pen;
    else if (const auto* brush = std::get_if<LogBrush>(&object))
        state().brush = *brush;
    else if (const auto* font = std::get_if<LogFont>(&object))
        state().font = *font;
}

std::optional<DibLayout> EmfPlayback::dib(const ByteReader& record, std::uint32_t offBmi, std::uint32_t cbBmi,
    std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage)
{
    if (cbBmi == 0)
        return std::nullopt;
    return parseDib(record.window(offBmi, cbBmi), record.window(offBits, cbBits), usage);
}

QImage EmfPlayback::image(const DibLayout& layout, std::uint64_t key, bool alpha)
{
    if (!m_device.painting())
        return {};
    if (!m_cache)
        return decodeDib(layout, alpha);
    auto found = m_cache->find(key);
    if (found == m_cache->end())
        found = m_cache->emplace(key, decodeDib(layout, alpha)).first;
    return found->second;
}

void EmfPlayback::polyRecord(std::uint32_t type, ByteReader& r)
{
    const bool wide = type < EmrPolyBezier16;
    r.skip(16); // bounds
    const std::uint32_t count = r.u32();
    const QPolygonF pts = points(r, count, wide);
    switch (wide ? type : type - EmrPolyBezier16 + EmrPolyBezier) {
    case EmrPolyBezier:
        m_device.polyBezier(pts);
        break;
    case EmrPolygon:
        m_device.polygon(pts);
        break;
    case EmrPolyline:
        m_device.polyline(pts);
        break;
    case EmrPolyBezierTo:
        m_device.polyBezierTo(pts);
        break;
    case EmrPolylineTo:
        m_device.polylineTo(pts);
        break;
    default:
        break;
    }
}

void EmfPlayback::polyPolyRecord(std::uint32_t type, ByteReader& r)
{
    const bool wide = type == EmrPolyPolyline || type == EmrPolyPolygon;
    r.skip(16); // bounds
    const std::uint32_t polygons = r.u32();
    const std::uint32_t total = r.u32();
    ByteReader counts = r.takeArray(polygons, 4);
    const QPolygonF all = points(r, total, wide);
    QList<QPolygonF> parts;
    parts.reserve(polygons);
    std::uint64_t used = 0;
    for (std::uint32_t i = 0; i < polygons; ++i) {
        const std::uint32_t count = counts.u32();
        if (count > total - used)
            throwBadMetafile();
        parts.append(all.mid(static_cast<qsizetype>(used), count));
        used += count;
    }
    if (used != total)
        throwBadMetafile();
    if (type == EmrPolyPolygon || type == EmrPolyPolygon16)
        m_device.polyPolygon(parts);
    else
        m_device.polyPolyline(parts);
}

void EmfPlayback::textRecord(bool wide, ByteReader record)
{
    record.seek(36);
    const QPointF reference = point32(record);
    const std::uint32_t chars = record.u32();
    const std::uint32_t offString = record.u32();
    const std::uint32_t options = record.u32();
    QRectF rect;
    if (!(options & TextNoRect))
        rect = rect32(record);
    const std::uint32_t offDx = record.u32();

    const ByteReader string = record.window(offString, std::uint64_t(chars) * (wide ? 2 : 1));
    QList<double> dx;
    if (offDx != 0) {
        const std::uint64_t values = std::uint64_t(chars) * ((options & TextPdy) ? 2 : 1);
        if (offDx > record.size())
            throwBadMetafile();
        ByteReader advances = record.window(offDx, record.size() - offDx).takeArray(values, 4);
        dx.reserve(chars);
        for (std::uint32_t i = 0; i < chars; ++i) {
            dx.append(advances.i32());
            if (options & TextPdy)
                advances.i32();
        }
    }
    if (options & TextGlyphIndex) {
        // Glyph numbers of a font we do not have: only the background is drawn.
        m_device.textOut(reference, QString(), {}, options, rect);
        return;
    }
    const QString text = wide ? decodeUtf16(string) : decodeAnsi(string);
    m_device.textOut(reference, text, dx, options, rect);
}

void EmfPlayback::bltRecord(std::uint32_t type, ByteReader record, std::uint64_t offset)
{
    ByteReader r = record;
    r.seek(24);
    const QPointF dest = point32(r);
    const QSizeF destSize = size32(r);
    const std::uint32_t rop = r.u32();
    const QPointF src = point32(r);
    const QTransform srcTransform = xform(r);
    r.u32(); // background colour of the source
    const std::uint32_t usage = r.u32();
    const std::uint32_t offBmi = r.u32();
    const std::uint32_t cbBmi = r.u32();
    const std::uint32_t offBits = r.u32();
    const std::uint32_t cbBits = r.u32();
    QSizeF srcSize = destSize;
    if (type != EmrBitBlt)
        srcSize = size32(r);
    const QRectF destination(dest, destSize);
    const auto layout = dib(record, offBmi, cbBmi, offBits, cbBits, usage);
    if (!layout) {
        if (type == EmrBitBlt || type == EmrStretchBlt)
            m_device.patBlt(destination, rop);
        return;
    }
    const QRectF source(srcTransform.map(src),
        QSizeF(srcSize.width() * srcTransform.m11(), srcSize.height() * srcTransform.m22()));
    if (type == EmrAlphaBlend) {
        const double constantAlpha = ((rop >> 16) & 0xFF) / 255.0;
        const bool perPixel = (rop >> 24) & 0x01; // AC_SRC_ALPHA
        m_device.drawImage(
            image(*layout, offset, perPixel), destination, source, gdi::RopSrcCopy, constantAlpha);
    } else if (type == EmrTransparentBlt) {
        QImage picture = image(*layout, offset, false);
        if (!picture.isNull()) {
            picture = picture.convertToFormat(QImage::Format_ARGB32);
            const QRgb key = colourRef(rop).rgb();
            for (int y = 0; y < picture.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
                for (int x = 0; x < picture.width(); ++x)
                    if ((line[x] | 0xFF000000) == key)
                        line[x] = 0;
            }
        }
        m_device.drawImage(picture, destination, source, gdi::RopSrcCopy);
    } else {
        m_device.drawImage(image(*layout, offset, false), destination, source, rop);
    }
}

void EmfPlayback::dibitsRecord(std::uint32_t type, ByteReader record, std::uint64_t offset)
{
    ByteReader r = record;
    r.seek(24);
    const QPointF dest = point32(r);
    const QPointF src = point32(r);
    const QSizeF srcSize = size32(r);
    const std::uint32_t offBmi = r.u32();
    const std::uint32_t cbBmi = r.u32();
    const std::uint32_t offBits = r.u32();
    const std::uint32_t cbBits = r.u32();
    const std::uint32_t usage = r.u32();
    std::uint32_t rop = gdi::RopSrcCopy;
    QSizeF destSize = srcSize;
    std::uint32_t startScan = 0;
    std::uint32_t scans = 0;
    if (type == EmrStretchDIBits) {
        rop = r.u32();
        destSize = size32(r);
    } else {
        startScan = r.u32();
        scans = r.u32();
    }
    const QRectF destination(dest, destSize);
    if (cbBmi == 0) {
        if (type == EmrStretchDIBits)
            m_device.patBlt(destination, rop);
        return;
    }
    const ByteReader info = record.window(offBmi, cbBmi);
    const DibLayout layout = parseDib(info, record.window(offBits, cbBits), usage, scans);
    // Source rows count from the bottom of a bottom-up bitmap; a band holds
    // its rows from startScan up.
    QRectF source(src, srcSize);
    if (!layout.topDown) {
        const double bandStart = layout.height < layout.headerHeight ? startScan : 0;
        source.moveTop(bandStart + layout.height - src.y() - srcSize.height());
    }
    m_device.drawImage(image(layout, offset, false), destination, source, rop);
}

void EmfPlayback::patternBrush(std::uint32_t index, ByteReader record, std::uint64_t offset, bool mono)
{
    ByteReader r = record;
    r.seek(12);
    const std::uint32_t usage = r.u32();
    const std::uint32_t offBmi = r.u32();
    const std::uint32_t cbBmi = r.u32();
    const std::uint32_t offBits = r.u32();
    const std::uint32_t cbBits = r.u32();
    LogBrush brush;
    brush.style = gdi::BrushDibPatternPt;
    brush.colour = Qt::black;
    if (const auto layout = dib(record, offBmi, cbBmi, offBits, cbBits, usage)) {
        brush.pattern = image(*layout, offset, false);
        if (mono && !brush.pattern.isNull() && brush.pattern.format() == QImage::Format_Mono) {
            // Monochrome patterns draw in the text and background colours.
            brush.pattern.setColor(0, state().textColour.rgb());
            brush.pattern.setColor(1, state().backgroundColour.rgb());
        }
    }
    m_objects[index] = brush;
}

void EmfPlayback::extCreatePen(ByteReader& r)
{
    const std::uint32_t index = r.u32();
    r.skip(16); // a pattern bitmap, not drawn
    LogPen pen;
    pen.style = r.u32();
    pen.width = r.u32();
    const std::uint32_t brushStyle = r.u32();
    pen.colour = colourRef(r.u32());
    r.u32(); // hatch
    const std::uint32_t entries = r.u32();
    ByteReader dashes = r.takeArray(entries, 4);
    for (std::uint32_t i = 0; i < entries && i < 16; ++i)
        pen.dashes.append(dashes.u32());
    pen.cosmetic = !(pen.style & gdi::PenGeometric);
    if (brushStyle == gdi::BrushNull)
        pen.style = (pen.style & ~gdi::PenStyleMask) | gdi::PenNull;
    m_objects[index] = pen;
}

void EmfPlayback::createFont(ByteReader& r)
{
    const std::uint32_t index = r.u32();
    LogFont font;
    font.height = r.i32();
    font.width = std::abs(double(r.i32()));
    font.escapement = r.i32();
    r.i32(); // orientation
    font.weight = r.i32();
    font.italic = r.u8() != 0;
    font.underline = r.u8() != 0;
    font.strikeOut = r.u8() != 0;
    font.charSet = r.u8();
    r.skip(4); // precision, quality, pitch and family
    font.faceName = decodeUtf16Name(r.take(64));
    m_objects[index] = font;
}

void EmfPlayback::gradientFill(ByteReader& r)
{
    r.skip(16); // bounds
    const std::uint32_t vertices = r.u32();
    const std::uint32_t shapes = r.u32();
    const std::uint32_t mode = r.u32();
    ByteReader v = r.takeArray(vertices, 16);
    struct Vertex {
        QPointF point;
        QColor colour;
    };
    QList<Vertex> vertex;
    vertex.reserve(vertices);
    for (std::uint32_t i = 0; i < vertices; ++i) {
        const QPointF p = point32(v);
        const int red = v.u16() >> 8;
        const int green = v.u16() >> 8;
        const int blue = v.u16() >> 8;
        v.u16(); // alpha
        vertex.append({ p, QColor(red, green, blue) });
    }
    const bool triangles = mode == 2;
    ByteReader list = r.takeArray(shapes, triangles ? 12 : 8);
    for (std::uint32_t i = 0; i < shapes; ++i) {
        const std::uint32_t a = list.u32();
        const std::uint32_t b = list.u32();
        const std::uint32_t c = triangles ? list.u32() : 0;
        if (a >= vertices || b >= vertices || c >= vertices)
            throwBadMetafile();
        LogBrush brush;
        if (triangles) {
            // Drawn in the mean of the corner colours.
            const QColor& p = vertex[a].colour;
            const QColor& q = vertex[b].colour;
            const QColor& s = vertex[c].colour;
            brush.colour = QColor((p.red() + q.red() + s.red()) / 3, (p.green() + q.green() + s.green()) / 3,
                (p.blue() + q.blue() + s.blue()) / 3);
            const LogPen pen = state().pen;
            const LogBrush old = state().brush;
            state().pen.style = gdi::PenNull;
            state().brush = brush;
            m_device.polygon(QPolygonF({ vertex[a].point, vertex[b].point, vertex[c].point }));
            state().pen = pen;
            state().brush = old;
        } else {
            const QRectF box = QRectF(vertex[a].point, vertex[b].point).normalized();
            const bool vertical = mode == 1;
            const int steps = 64;
            for (int s = 0; s < steps; ++s) {
                const double t0 = double(s) / steps;
                const double t1 = double(s + 1) / steps;
                const double t = (t0 + t1) / 2;
                const QColor& from = vertex[a].colour;
                const QColor& to = vertex[b].colour;
                brush.colour = QColor(qRound(from.red() + (to.red() - from.red()) * t),
                    qRound(from.green() + (to.green() - from.green()) * t),
                    qRound(from.blue() + (to.blue() - from.blue()) * t));
                const QRectF band = vertical
                    ? QRectF(box.left(), box.top() + box.height() * t0, box.width(), box.height() * (t1 - t0))
                    : QRectF(box.left() + box.width() * t0, box.top(), box.width() * (t1 - t0), box.height());
                m_device.fillRegion({ band }, brush);
            }
        }
    }
}

void EmfPlayback::record(std::uint32_t type, ByteReader record, std::uint64_t offset)
{
    ByteReader r = record;
    r.seek(8);
    switch (type) {
    case EmrPolyBezier:
    case EmrPolygon:
    case EmrPolyline:
    case EmrPolyBezierTo:
    case EmrPolylineTo:
    case EmrPolyBezier16:
    case EmrPolygon16:
    case EmrPolyline16:
    case EmrPolyBezierTo16:
    case EmrPolylineTo16:
        polyRecord(type, r);
        break;
    case EmrPolyPolyline:
    case EmrPolyPolygon:
    case EmrPolyPolyline16:
    case EmrPolyPolygon16:
        polyPolyRecord(type, r);
        break;
    case EmrPolyDraw:
    case EmrPolyDraw16: {
        r.skip(16);
        const std::uint32_t count = r.u32();
        const QPolygonF pts = points(r, count, type == EmrPolyDraw);
        ByteReader types = r.takeArray(count, 1);
        QList<std::uint8_t> kinds;
        kinds.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i)
            kinds.append(types.u8());
        m_device.polyDraw(pts, kinds);
        break;
    }
    case EmrSetWindowExtEx:
        state().page.setWindowExt(size32(r));
        break;
    case EmrSetWindowOrgEx:
        state().page.setWindowOrg(point32(r));
        break;
    case EmrSetViewportExtEx:
        state().page.setViewportExt(size32(r));
        break;
    case EmrSetViewportOrgEx:
        state().page.setViewportOrg(point32(r));
        break;
    case EmrScaleViewportExtEx:
    case EmrScaleWindowExtEx: {
        const double xNum = r.i32();
        const double xDenom = r.i32();
        const double yNum = r.i32();
        const double yDenom = r.i32();
        if (type == EmrScaleWindowExtEx)
            state().page.scaleWindowExt(xNum, xDenom, yNum, yDenom);
        else
            state().page.scaleViewportExt(xNum, xDenom, yNum, yDenom);
        break;
    }
    case EmrSetPixelV: {
        const QPointF p = point32(r);
        m_device.setPixel(p, colourRef(r.u32()));
        break;
    }
    case EmrSetMapMode:
        m_device.setMapMode(static_cast<int>(r.u32()));
        break;
    case EmrSetBkMode:
        state().backgroundMode = static_cast<int>(r.u32());
        break;
    case EmrSetPolyFillMode:
        state().fillMode = static_cast<int>(r.u32());
        break;
    case EmrSetRop2:
        state().rop2 = static_cast<int>(r.u32());
        break;
    case EmrSetStretchBltMode:
        state().stretchMode = static_cast<int>(r.u32());
        break;
    case EmrSetTextAlign:
        state().textAlign = r.u32();
        break;
    case EmrSetTextColor:
        state().textColour = colourRef(r.u32());
        break;
    case EmrSetBkColor:
        state().backgroundColour = colourRef(r.u32());
        break;
    case EmrOffsetClipRgn:
        m_device.offsetClip(point32(r));
        break;
    case EmrMoveToEx:
        m_device.moveTo(point32(r));
        break;
    case EmrLineTo:
        m_device.lineTo(point32(r));
        break;
    case EmrExcludeClipRect:
        m_device.excludeClipRect(rect32(r));
        break;
    case EmrIntersectClipRect:
        m_device.intersectClipRect(rect32(r));
        break;
    case EmrSaveDC:
        m_device.saveDC();
        break;
    case EmrRestoreDC:
        m_device.restoreDC(r.i32());
        break;
    case EmrSetWorldTransform:
        m_device.setWorldTransform(xform(r));
        break;
    case EmrModifyWorldTransform: {
        const QTransform t = xform(r);
        m_device.modifyWorldTransform(t, r.u32());
        break;
    }
    case EmrSelectObject:
        select(r.u32());
        break;
    case EmrDeleteObject:
        m_objects.erase(r.u32());
        break;
    case EmrCreatePen: {
        const std::uint32_t index = r.u32();
        LogPen pen;
        pen.style = r.u32();
        pen.width = std::abs(double(r.i32()));
        r.i32();
        pen.colour = colourRef(r.u32());
        pen.cosmetic = pen.width == 0;
        m_objects[index] = pen;
        break;
    }
    case EmrExtCreatePen:
        extCreatePen(r);
        break;
    case EmrCreateBrushIndirect: {
        const std::uint32_t index = r.u32();
        LogBrush brush;
        brush.style = r.u32();
        brush.colour = colourRef(r.u32());
        brush.hatch = r.u32();
        m_objects[index] = brush;
        break;
    }
    case EmrCreateMonoBrush:
    case EmrCreateDIBPatternBrushPt:
        patternBrush(r.u32(), record, offset, type == EmrCreateMonoBrush);
        break;
    case EmrCreatePalette:
    case EmrCreateColorSpace:
    case EmrCreateColorSpaceW:
        m_objects[r.u32()] = OtherObject {};
        break;
    case EmrExtCreateFontIndirectW:
        createFont(r);
        break;
    case EmrAngleArc: {
        const QPointF centre = point32(r);
        const double radius = r.u32();
        const double start = r.f32();
        m_device.angleArc(centre, radius, start, r.f32());
        break;
    }
    case EmrEllipse:
        m_device.ellipse(rect32(r));
        break;
    case EmrRectangle:
        m_device.rectangle(rect32(r));
        break;
    case EmrRoundRect: {
        const QRectF box = rect32(r);
        m_device.roundRect(box, size32(r));
        break;
    }
    case EmrArc:
    case EmrChord:
    case EmrPie:
    case EmrArcTo: {
        const QRectF box = rect32(r);
        const QPointF start = point32(r);
        const QPointF end = point32(r);
        const auto kind = type == EmrArc ? GdiDevice::ArcKind::Arc
            : type == EmrChord           ? GdiDevice::ArcKind::Chord
            : type == EmrPie             ? GdiDevice::ArcKind::Pie
                                         : GdiDevice::ArcKind::ArcTo;
        m_device.arc(box, start, end, kind);
        break;
    }
    case EmrSetArcDirection:
        state().clockwise = r.u32() == 2;
        break;
    case EmrSetMiterLimit: {
        // Written as an integer by some programs and as a float by others.
        const std::uint32_t raw = r.u32();
        double limit = raw;
        if (raw > 0xFFFFFF) {
            float f;
            std::memcpy(&f, &raw, sizeof f);
            limit = f;
        }
        if (std::isfinite(limit) && limit >= 1)
            state().miterLimit = std::min(limit, 1000.0);
        break;
    }
    case EmrBeginPath:
        m_device.beginPath();
        break;
    case EmrEndPath:
        m_device.endPath();
        break;
    case EmrCloseFigure:
        m_device.closeFigure();
        break;
    case EmrFillPath:
        m_device.fillPath();
        break;
    case EmrStrokeAndFillPath:
        m_device.strokeAndFillPath();
        break;
    case EmrStrokePath:
        m_device.strokePath();
        break;
    case EmrWidenPath:
        m_device.widenPath();
        break;
    case EmrSelectClipPath:
        m_device.selectClipPath(static_cast<int>(r.u32()));
        break;
    case EmrAbortPath:
        m_device.abortPath();
        break;
    case EmrFillRgn: {
        r.skip(16);
        const std::uint32_t size = r.u32();
        const std::uint32_t index = r.u32();
        const QList<QRectF> rects = regionRects(r.take(size));
        GdiObject object = (index & StockObjectFlag) ? stockObject(index & ~StockObjectFlag) : GdiObject();
        if (const auto found = m_objects.find(index); found != m_objects.end())
            object = found->second;
        if (const auto* brush = std::get_if<LogBrush>(&object))
            m_device.fillRegion(rects, *brush);
        break;
    }
    case EmrPaintRgn: {
        r.skip(16);
        const std::uint32_t size = r.u32();
        m_device.fillRegion(regionRects(r.take(size)), state().brush);
        break;
    }
    case EmrExtSelectClipRgn: {
        const std::uint32_t size = r.u32();
        const int mode = static_cast<int>(r.u32());
        m_device.selectClipRegion(size == 0 ? QList<QRectF>() : regionRects(r.take(size)), mode);
        break;
    }
    case EmrBitBlt:
    case EmrStretchBlt:
    case EmrAlphaBlend:
    case EmrTransparentBlt:
        bltRecord(type, record, offset);
        break;
    case EmrSetDIBitsToDevice:
    case EmrStretchDIBits:
        dibitsRecord(type, record, offset);
        break;
    case EmrExtTextOutA:
    case EmrExtTextOutW:
        textRecord(type == EmrExtTextOutW, record);
        break;
    case EmrGradientFill:
        gradientFill(r);
        break;
    default:
        break; // not drawn
    }
}

} // namespace

bool EmfPlayer::recognises(const QByteArray& bytes)
{
    if (bytes.size() < 44)
        return false;
    ByteReader r(bytes);
    const std::uint32_t type = r.u32();
    r.seek(40);
    return type == EmrHeader && r.u32() == EmfSignature;
}

EmfPlayer::EmfPlayer(const QByteArray& bytes)
    : m_bytes(bytes)
{
    if (!recognises(bytes))
        throwBadMetafile();
    ByteReader r(m_bytes);
    r.seek(4);
    m_headerSize = r.u32();
    m_bounds = { r.i32(), r.i32(), r.i32(), r.i32() };
    m_frame = { r.i32(), r.i32(), r.i32(), r.i32() };
    r.seek(48);
    m_end = r.u32(); // nBytes
    r.seek(72);
    const QSizeF device = size32(r);
    const QSizeF millimetres = size32(r);
    if (m_headerSize < EmfHeaderMinimum || m_headerSize % 4 != 0 || m_end < m_headerSize || m_end % 4 != 0
        || m_end > std::uint64_t(m_bytes.size()))
        throwBadMetafile();

    m_pixelsPerMm = QSizeF(96 / 25.4, 96 / 25.4);
    if (device.width() > 0 && device.height() > 0 && millimetres.width() > 0 && millimetres.height() > 0)
        m_pixelsPerMm = QSizeF(device.width() / millimetres.width(), device.height() / millimetres.height());
    if (m_headerSize >= 108) {
        r.seek(100);
        const QSizeF micrometres = size32(r);
        if (device.width() > 0 && device.height() > 0 && micrometres.width() > 0 && micrometres.height() > 0)
            m_pixelsPerMm = QSizeF(
                device.width() * 1000 / micrometres.width(), device.height() * 1000 / micrometres.height());
    }

    // Every record inside the stream, 4-byte aligned, and EMR_EOF last.
    const ByteReader stream = ByteReader(m_bytes).window(0, m_end);
    std::uint64_t offset = 0;
    for (;;) {
        if (offset >= m_end)
            throwBadMetafile();
        ByteReader head = stream.window(offset, 8);
        const std::uint32_t type = head.u32();
        const std::uint64_t size = head.u32();
        if (size < 8 || size % 4 != 0 || size > m_end - offset)
            throwBadMetafile();
        if ((offset == 0) != (type == EmrHeader))
            throwBadMetafile();
        if (type == EmrEof) {
            if (size < 20)
                throwBadMetafile();
            break;
        }
        offset += size;
    }
}

QSize EmfPlayer::naturalSize() const
{
    const double width = std::abs(double(m_frame.right) - double(m_frame.left));
    const double height = std::abs(double(m_frame.bottom) - double(m_frame.top));
    if (width > 0 && height > 0)
        return QSize(clampedPixels(width * 96 / 2540), clampedPixels(height * 96 / 2540));
    // No frame: the bounds, from reference device pixels.
    const double boundsWidth = std::abs(double(m_bounds.right) - double(m_bounds.left)) + 1;
    const double boundsHeight = std::abs(double(m_bounds.bottom) - double(m_bounds.top)) + 1;
    return QSize(clampedPixels(boundsWidth / m_pixelsPerMm.width() * 96 / 25.4),
        clampedPixels(boundsHeight / m_pixelsPerMm.height() * 96 / 25.4));
}

QRectF EmfPlayer::frameInDevice() const
{
    if (m_frame.right != m_frame.left && m_frame.bottom != m_frame.top) {
        const double sx = m_pixelsPerMm.width() / 100;
        const double sy = m_pixelsPerMm.height() / 100;
        return QRectF(
            QPointF(m_frame.left * sx, m_frame.top * sy), QPointF(m_frame.right * sx, m_frame.bottom * sy))
            .normalized();
    }
    return QRectF(QPointF(m_bounds.left, m_bounds.top), QPointF(m_bounds.right + 1, m_bounds.bottom + 1))
        .normalized();
}

QRectF EmfPlayer::render(QPainter* painter, const QRectF& target, DibCache* cache) const
{
    const QRectF frame = frameInDevice();
    if (frame.isEmpty() || !std::isfinite(frame.width()) || !std::isfinite(frame.height()))
        return {};
    const QRectF to = painter ? target : frame;
    const QTransform deviceToTarget = QTransform::fromTranslate(-frame.x(), -frame.y())
        * QTransform::fromScale(to.width() / frame.width(), to.height() / frame.height())
        * QTransform::fromTranslate(to.x(), to.y());
    GdiDevice device(painter, deviceToTarget, to, m_pixelsPerMm);
    play(device, cache);
    return device.drawnBounds();
}

void EmfPlayer::play(GdiDevice& device, DibCache* cache) const
{
    EmfPlayback playback(device, cache);
    const ByteReader stream = ByteReader(m_bytes).window(0, m_end);
    std::uint64_t offset = m_headerSize;
    while (offset < m_end) {
        ByteReader head = stream.window(offset, 8);
        const std::uint32_t type = head.u32();
        const std::uint32_t size = head.u32();
        if (type == EmrEof)
            break;
        playback.record(type, stream.window(offset, size), offset);
        offset += size;
    }
}
