#include "metafile/wmfplayer.h"

#include <QPolygonF>
#include <cmath>

#include "metafile/ansitext.h"
#include "metafile/bytereader.h"
#include "metafile/gdidevice.h"
#include "metafile/pixelsize.h"

namespace {

enum WmfRecord : std::uint16_t {
    MetaEof = 0x0000,
    MetaSaveDC = 0x001E,
    MetaCreatePalette = 0x00F7,
    MetaSetBkMode = 0x0102,
    MetaSetMapMode = 0x0103,
    MetaSetRop2 = 0x0104,
    MetaSetPolyFillMode = 0x0106,
    MetaSetStretchBltMode = 0x0107,
    MetaRestoreDC = 0x0127,
    MetaSelectObject = 0x012D,
    MetaSetTextAlign = 0x012E,
    MetaDibCreatePatternBrush = 0x0142,
    MetaDeleteObject = 0x01F0,
    MetaCreatePatternBrush = 0x01F9,
    MetaSetBkColor = 0x0201,
    MetaSetTextColor = 0x0209,
    MetaSetWindowOrg = 0x020B,
    MetaSetWindowExt = 0x020C,
    MetaOffsetWindowOrg = 0x020F,
    MetaLineTo = 0x0213,
    MetaMoveTo = 0x0214,
    MetaOffsetClipRgn = 0x0220,
    MetaCreatePenIndirect = 0x02FA,
    MetaCreateFontIndirect = 0x02FB,
    MetaCreateBrushIndirect = 0x02FC,
    MetaPolygon = 0x0324,
    MetaPolyline = 0x0325,
    MetaScaleWindowExt = 0x0410,
    MetaExcludeClipRect = 0x0415,
    MetaIntersectClipRect = 0x0416,
    MetaEllipse = 0x0418,
    MetaRectangle = 0x041B,
    MetaSetPixel = 0x041F,
    MetaTextOut = 0x0521,
    MetaPolyPolygon = 0x0538,
    MetaRoundRect = 0x061C,
    MetaPatBlt = 0x061D,
    MetaCreateRegion = 0x06FF,
    MetaArc = 0x0817,
    MetaPie = 0x081A,
    MetaChord = 0x0830,
    MetaDibBitBlt = 0x0940,
    MetaExtTextOut = 0x0A32,
    MetaDibStretchBlt = 0x0B41,
    MetaSetDibToDev = 0x0D33,
    MetaStretchDib = 0x0F43,
};

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr std::uint64_t PlaceableSize = 22;
constexpr std::uint64_t MetaHeaderSize = 18;

// WMF coordinates come y before x, and rectangles bottom-right first.
QPointF pointYX(ByteReader& r)
{
    const double y = r.i16();
    return QPointF(r.i16(), y);
}

QRectF rectBRTL(ByteReader& r)
{
    const QPointF bottomRight = pointYX(r);
    return QRectF(pointYX(r), bottomRight);
}

QPolygonF points(ByteReader& r, std::uint64_t count)
{
    ByteReader data = r.takeArray(count, 4);
    QPolygonF result;
    result.reserve(static_cast<qsizetype>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const double x = data.i16();
        result.append(QPointF(x, data.i16()));
    }
    return result;
}

bool standardHeader(ByteReader r)
{
    const std::uint16_t type = r.u16();
    const std::uint16_t headerWords = r.u16();
    const std::uint16_t version = r.u16();
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

class WmfPlayback {
public:
    WmfPlayback(GdiDevice& device, DibCache* cache, bool followWindow)
        : m_device(device)
        , m_cache(cache)
        , m_followWindow(followWindow)
    {
    }
    void record(std::uint16_t function, ByteReader record, std::uint64_t offset);

private:
    GdiState& state() { return m_device.state(); }
    void create(GdiObject object);
    void textOut(ByteReader& r);
    void extTextOut(ByteReader& r);
    void createFont(ByteReader& r);
    void bitmapRecord(std::uint16_t function, ByteReader& r, std::uint64_t paramWords, std::uint64_t offset);
    QImage image(const DibLayout& layout, std::uint64_t key);

    GdiDevice& m_device;
    DibCache* m_cache;
    bool m_followWindow;
    std::vector<GdiObject> m_objects;
};

void WmfPlayback::create(GdiObject object)
{
    // A new object takes the lowest free slot of the table.
    for (GdiObject& slot : m_objects) {
        if (std::holds_alternative<std::monostate>(slot)) {
            slot = std::move(object);
            return;
        }
    }
    m_objects.push_back(std::move(object));
}

QImage WmfPlayback::image(const DibLayout& layout, std::uint64_t key)
{
    if (!m_device.painting())
        return {};
    if (!m_cache)
        return decodeDib(layout);
    auto found = m_cache->find(key);
    if (found == m_cache->end())
        found = m_cache->emplace(key, decodeDib(layout)).first;
    return found->second;
}

void WmfPlayback::textOut(ByteReader& r)
{
    const std::int16_t length = r.i16();
    if (length < 0)
        throwBadMetafile();
    const ByteReader string = r.take(std::uint64_t(length));
    r.skip(length % 2);
    const QPointF reference = pointYX(r);
    m_device.textOut(reference, decodeAnsi(string), {}, 0, QRectF());
}

void WmfPlayback::extTextOut(ByteReader& r)
{
    const QPointF reference = pointYX(r);
    const std::int16_t length = r.i16();
    const std::uint16_t options = r.u16();
    if (length < 0)
        throwBadMetafile();
    QRectF rect;
    if (options & (gdi::TextOpaque | gdi::TextClipped)) {
        const double left = r.i16();
        const double top = r.i16();
        const double right = r.i16();
        rect = QRectF(QPointF(left, top), QPointF(right, r.i16()));
    }
    const ByteReader string = r.take(std::uint64_t(length));
    r.skip(std::min<std::uint64_t>(length % 2, r.remaining()));
    QList<double> dx;
    if (r.remaining() >= std::uint64_t(length) * 2) {
        dx.reserve(length);
        for (int i = 0; i < length; ++i)
            dx.append(r.i16());
    }
    m_device.textOut(reference, decodeAnsi(string), dx, options, rect);
}

void WmfPlayback::createFont(ByteReader& r)
{
    LogFont font;
    font.height = r.i16();
    font.width = std::abs(r.i16());
    font.escapement = r.i16();
    r.i16(); // orientation
    font.weight = r.i16();
    font.italic = r.u8() != 0;
    font.underline = r.u8() != 0;
    font.strikeOut = r.u8() != 0;
    font.charSet = r.u8();
    r.skip(4); // precision, quality, pitch and family
    font.faceName = decodeAnsiName(r.take(std::min<std::uint64_t>(r.remaining(), 32)));
    create(font);
}

void WmfPlayback::bitmapRecord(
    std::uint16_t function, ByteReader& r, std::uint64_t paramWords, std::uint64_t offset)
{
    // DIBBITBLT and DIBSTRETCHBLT without a bitmap are pattern fills, with
    // one reserved word; their size then gives the parameter count.
    const bool withoutBitmap = (function == MetaDibBitBlt || function == MetaDibStretchBlt)
        && paramWords == std::uint64_t(function >> 8);
    std::uint32_t rop = gdi::RopSrcCopy;
    std::uint32_t usage = DibRgbColours;
    std::uint16_t startScan = 0;
    std::uint16_t scans = 0;
    QSizeF srcSize;
    if (function == MetaSetDibToDev) {
        usage = r.u16();
        scans = r.u16();
        startScan = r.u16();
    } else {
        rop = r.u32();
        if (function == MetaStretchDib)
            usage = r.u16();
    }
    if (function == MetaStretchDib || function == MetaDibStretchBlt) {
        const double height = r.i16();
        srcSize = QSizeF(r.i16(), height);
    }
    const QPointF src = pointYX(r);
    if (withoutBitmap)
        r.u16();
    const double height = r.i16();
    const QSizeF destSize(r.i16(), height);
    if (function == MetaDibBitBlt || function == MetaSetDibToDev)
        srcSize = destSize;
    const QRectF destination(pointYX(r), destSize);
    if (withoutBitmap) {
        m_device.patBlt(destination, rop);
        return;
    }
    const DibLayout layout = parsePackedDib(r.take(r.remaining()), usage, scans);
    QRectF source(src, srcSize);
    // StretchDIBits and SetDIBitsToDevice count source rows from the bottom
    // of a bottom-up bitmap; the blits take them from the top.
    if ((function == MetaStretchDib || function == MetaSetDibToDev) && !layout.topDown) {
        const double bandStart = layout.height < layout.headerHeight ? startScan : 0;
        source.moveTop(bandStart + layout.height - src.y() - srcSize.height());
    }
    m_device.drawImage(image(layout, offset), destination, source, rop);
}

void WmfPlayback::record(std::uint16_t function, ByteReader record, std::uint64_t offset)
{
    ByteReader r = record;
    r.seek(6);
    const std::uint64_t paramWords = r.remaining() / 2;
    switch (function) {
    case MetaSaveDC:
        m_device.saveDC();
        break;
    case MetaRestoreDC:
        m_device.restoreDC(r.i16());
        break;
    case MetaSetBkMode:
        state().backgroundMode = r.u16();
        break;
    case MetaSetPolyFillMode:
        state().fillMode = r.u16();
        break;
    case MetaSetRop2:
        state().rop2 = r.u16();
        break;
    case MetaSetStretchBltMode:
        state().stretchMode = r.u16();
        break;
    case MetaSetTextAlign:
        state().textAlign = r.u16();
        break;
    case MetaSetBkColor:
        state().backgroundColour = colourRef(r.u32());
        break;
    case MetaSetTextColor:
        state().textColour = colourRef(r.u32());
        break;
    case MetaSetWindowOrg: {
        const QPointF origin = pointYX(r);
        if (m_followWindow)
            state().page.setWindowOrg(origin);
        break;
    }
    case MetaSetWindowExt: {
        const QPointF extent = pointYX(r);
        if (m_followWindow)
            state().page.setWindowExt(QSizeF(extent.x(), extent.y()));
        break;
    }
    case MetaOffsetWindowOrg: {
        const QPointF shift = pointYX(r);
        if (m_followWindow)
            state().page.setWindowOrg(state().page.windowOrg() + shift);
        break;
    }
    case MetaScaleWindowExt: {
        const double yDenom = r.i16();
        const double yNum = r.i16();
        const double xDenom = r.i16();
        const double xNum = r.i16();
        if (m_followWindow)
            state().page.scaleWindowExt(xNum, xDenom, yNum, yDenom);
        break;
    }
    case MetaMoveTo:
        m_device.moveTo(pointYX(r));
        break;
    case MetaLineTo:
        m_device.lineTo(pointYX(r));
        break;
    case MetaExcludeClipRect:
        m_device.excludeClipRect(rectBRTL(r));
        break;
    case MetaIntersectClipRect:
        m_device.intersectClipRect(rectBRTL(r));
        break;
    case MetaOffsetClipRgn:
        m_device.offsetClip(pointYX(r));
        break;
    case MetaArc:
    case MetaPie:
    case MetaChord: {
        const QPointF end = pointYX(r);
        const QPointF start = pointYX(r);
        const QRectF box = rectBRTL(r);
        const auto kind = function == MetaArc ? GdiDevice::ArcKind::Arc
            : function == MetaPie             ? GdiDevice::ArcKind::Pie
                                              : GdiDevice::ArcKind::Chord;
        m_device.arc(box, start, end, kind);
        break;
    }
    case MetaEllipse:
        m_device.ellipse(rectBRTL(r));
        break;
    case MetaRectangle:
        m_device.rectangle(rectBRTL(r));
        break;
    case MetaRoundRect: {
        const double height = r.i16();
        const QSizeF corner(r.i16(), height);
        m_device.roundRect(rectBRTL(r), corner);
        break;
    }
    case MetaPatBlt: {
        const std::uint32_t rop = r.u32();
        const double height = r.i16();
        const QSizeF size(r.i16(), height);
        m_device.patBlt(QRectF(pointYX(r), size), rop);
        break;
    }
    case MetaSetPixel: {
        const QColor colour = colourRef(r.u32());
        m_device.setPixel(pointYX(r), colour);
        break;
    }
    case MetaTextOut:
        textOut(r);
        break;
    case MetaExtTextOut:
        extTextOut(r);
        break;
    case MetaPolygon:
    case MetaPolyline: {
        const std::int16_t count = r.i16();
        if (count < 0)
            throwBadMetafile();
        const QPolygonF pts = points(r, std::uint64_t(count));
        if (function == MetaPolygon)
            m_device.polygon(pts);
        else
            m_device.polyline(pts);
        break;
    }
    case MetaPolyPolygon: {
        const std::uint16_t polygons = r.u16();
        ByteReader counts = r.takeArray(polygons, 2);
        QList<QPolygonF> parts;
        parts.reserve(polygons);
        for (std::uint16_t i = 0; i < polygons; ++i)
            parts.append(points(r, counts.u16()));
        m_device.polyPolygon(parts);
        break;
    }
    case MetaSelectObject: {
        const std::uint16_t index = r.u16();
        if (index >= m_objects.size())
            break;
        const GdiObject& object = m_objects[index];
        if (const auto* pen = std::get_if<LogPen>(&object))
            state().pen = *pen;
        else if (const auto* brush = std::get_if<LogBrush>(&object))
            state().brush = *brush;
        else if (const auto* font = std::get_if<LogFont>(&object))
            state().font = *font;
        break;
    }
    case MetaDeleteObject: {
        const std::uint16_t index = r.u16();
        if (index < m_objects.size())
            m_objects[index] = std::monostate {};
        break;
    }
    case MetaCreatePenIndirect: {
        LogPen pen;
        pen.style = r.u16();
        pen.width = std::abs(r.i16());
        r.i16();
        pen.colour = colourRef(r.u32());
        pen.cosmetic = pen.width == 0;
        create(pen);
        break;
    }
    case MetaCreateBrushIndirect: {
        LogBrush brush;
        brush.style = r.u16();
        brush.colour = colourRef(r.u32());
        brush.hatch = r.u16();
        create(brush);
        break;
    }
    case MetaCreateFontIndirect:
        createFont(r);
        break;
    case MetaDibCreatePatternBrush: {
        const std::uint16_t style = r.u16();
        const std::uint16_t usage = r.u16();
        LogBrush brush;
        brush.style = gdi::BrushDibPatternPt;
        brush.colour = QColor(128, 128, 128);
        // BS_PATTERN carries an old device-dependent bitmap, not drawn.
        if (style != gdi::BrushPattern)
            brush.pattern = image(parsePackedDib(r.take(r.remaining()), usage), offset);
        create(brush);
        break;
    }
    case MetaCreatePatternBrush: {
        LogBrush brush;
        brush.style = gdi::BrushPattern;
        brush.colour = QColor(128, 128, 128);
        create(brush);
        break;
    }
    case MetaCreatePalette:
    case MetaCreateRegion:
        create(OtherObject {});
        break;
    case MetaDibBitBlt:
    case MetaDibStretchBlt:
    case MetaStretchDib:
    case MetaSetDibToDev:
        bitmapRecord(function, r, paramWords, offset);
        break;
    default:
        break; // not drawn
    }
}

} // namespace

bool WmfPlayer::recognises(const QByteArray& bytes)
{
    ByteReader r(bytes);
    if (r.remaining() >= 4 && r.u32() == PlaceableKey)
        return true;
    return bytes.size() >= qsizetype(MetaHeaderSize) && standardHeader(ByteReader(bytes));
}

WmfPlayer::WmfPlayer(const QByteArray& bytes)
    : m_bytes(bytes)
{
    if (!recognises(bytes))
        throwBadMetafile();
    ByteReader file(m_bytes);
    if (file.u32() == PlaceableKey) {
        file.u16(); // handle
        const double left = file.i16();
        const double top = file.i16();
        const double right = file.i16();
        const double bottom = file.i16();
        const std::uint16_t inch = file.u16();
        if (inch == 0)
            throwBadMetafile();
        m_unitsPerInch = inch;
        m_window = QRectF(QPointF(left, top), QPointF(right, bottom));
        m_windowFromHeader = true;
        m_start = PlaceableSize;
        if (!standardHeader(file.window(m_start, MetaHeaderSize)))
            throwBadMetafile();
    }

    // The header's sizes, in words, must hold in the file. Some writers
    // count the placeable header in the total size, so the stream ends at
    // the end of the file when the total reaches past it.
    ByteReader header = file.window(m_start, MetaHeaderSize);
    header.skip(6);
    const std::uint64_t totalWords = header.u32();
    header.u16(); // objects
    const std::uint64_t largestWords = header.u32();
    if (totalWords * 2 > file.size() || totalWords * 2 < MetaHeaderSize || largestWords * 2 > file.size())
        throwBadMetafile();
    m_end = std::min(m_start + totalWords * 2, file.size());

    // Every record inside the stream, META_EOF last. The first window
    // extent of a standard metafile gives its size.
    const ByteReader stream = file.window(0, m_end);
    std::uint64_t offset = m_start + MetaHeaderSize;
    int mapMode = gdi::MapText;
    QPointF origin;
    bool originSeen = false;
    for (;;) {
        if (offset >= m_end)
            throwBadMetafile();
        ByteReader record = stream.window(offset, 6);
        const std::uint64_t words = record.u32();
        const std::uint16_t function = record.u16();
        if (words < 3 || words > (m_end - offset) / 2)
            throwBadMetafile();
        if (function == MetaEof)
            break;
        ByteReader params = stream.window(offset + 6, words * 2 - 6);
        if (function == MetaSetMapMode && params.remaining() >= 2) {
            mapMode = params.u16();
        } else if (function == MetaSetWindowOrg && params.remaining() >= 4 && !originSeen) {
            origin = pointYX(params);
            originSeen = true;
        } else if (function == MetaSetWindowExt && params.remaining() >= 4 && !m_windowFromHeader
            && !m_windowFromRecords) {
            const QPointF extent = pointYX(params);
            if (extent.x() != 0 && extent.y() != 0) {
                m_window = QRectF(origin, QSizeF(extent.x(), extent.y()));
                m_windowFromRecords = true;
                // The metric and English modes give the units a size.
                static constexpr double mmPerUnit[] = { 0, 25.4 / 96, 0.1, 0.01, 0.254, 0.0254, 25.4 / 1440 };
                const double mm
                    = mapMode >= gdi::MapText && mapMode <= gdi::MapTwips ? mmPerUnit[mapMode] : 25.4 / 96;
                m_unitsPerInch = 25.4 / mm;
            }
        }
        offset += words * 2;
    }
}

void WmfPlayer::setMeasuredWindow(const QRectF& bounds)
{
    m_window = bounds;
    m_unitsPerInch = 96;
}

QSize WmfPlayer::naturalSize() const
{
    const double scale = 96 / m_unitsPerInch;
    return QSize(clampedPixels(std::abs(m_window.width()) * scale),
        clampedPixels(std::abs(m_window.height()) * scale));
}

QRectF WmfPlayer::render(QPainter* painter, const QRectF& target, DibCache* cache) const
{
    const QSizeF pixelsPerMm(96 / 25.4, 96 / 25.4);
    if (!painter) {
        // Logical coordinates as they are: what a measured window needs.
        GdiDevice device(nullptr, QTransform(), QRectF(), pixelsPerMm);
        play(device, cache, false);
        return device.drawnBounds();
    }
    if (m_window.width() == 0 || m_window.height() == 0 || target.isEmpty())
        return {};
    GdiDevice device(painter, QTransform(), target, pixelsPerMm);
    PageMapping& page = device.state().page;
    page.setMapMode(gdi::MapAnisotropic, pixelsPerMm);
    page.setWindowOrg(m_window.topLeft());
    page.setWindowExt(m_window.size());
    page.setViewportOrg(target.topLeft());
    page.setViewportExt(target.size());
    play(device, cache, m_windowFromHeader || m_windowFromRecords);
    return device.drawnBounds();
}

void WmfPlayer::play(GdiDevice& device, DibCache* cache, bool followWindow) const
{
    WmfPlayback playback(device, cache, followWindow);
    const ByteReader stream = ByteReader(m_bytes).window(0, m_end);
    std::uint64_t offset = m_start + MetaHeaderSize;
    while (offset < m_end) {
        ByteReader head = stream.window(offset, 6);
        const std::uint64_t words = head.u32();
        const std::uint16_t function = head.u16();
        if (function == MetaEof)
            break;
        playback.record(function, stream.window(offset, words * 2), offset);
        offset += words * 2;
    }
}
