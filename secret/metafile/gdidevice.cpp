#include "metafile/gdidevice.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

QTransform linearInverse(const QTransform& t)
{
    bool invertible = false;
    const QTransform linear(t.m11(), t.m12(), t.m21(), t.m22(), 0, 0);
    const QTransform inverse = linear.inverted(&invertible);
    return invertible ? inverse : QTransform();
}

double areaScale(const QTransform& t)
{
    return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
}

Qt::BrushStyle hatchStyle(std::uint32_t hatch)
{
    switch (hatch) {
    case 0:
        return Qt::HorPattern;
    case 1:
        return Qt::VerPattern;
    case 2: // HS_FDIAGONAL, top left to bottom right
        return Qt::FDiagPattern;
    case 3: // HS_BDIAGONAL
        return Qt::BDiagPattern;
    case 4:
        return Qt::CrossPattern;
    case 5:
        return Qt::DiagCrossPattern;
    default: // the solid "hatches" of EMF+ fallbacks
        return Qt::SolidPattern;
    }
}

// Hatches and patterns keep their size in pixels whatever the mapping.
QBrush makeBrush(const LogBrush& b, const QTransform& drawToPixels)
{
    switch (b.style) {
    case gdi::BrushNull:
        return Qt::NoBrush;
    case gdi::BrushHatched: {
        QBrush brush(b.colour, hatchStyle(b.hatch));
        brush.setTransform(linearInverse(drawToPixels));
        return brush;
    }
    case gdi::BrushPattern:
    case gdi::BrushDibPattern:
    case gdi::BrushDibPatternPt:
        if (!b.pattern.isNull()) {
            QBrush brush(b.pattern);
            brush.setTransform(linearInverse(drawToPixels));
            return brush;
        }
        return QBrush(b.colour);
    default:
        return QBrush(b.colour);
    }
}

// Qt's rasteriser walks every pixel along a filled shape's edges, shown or
// not, so a fill or a wide stroke reaching millions of pixels past the
// picture (metafile coordinates go up to 2^31) takes seconds. Such an area
// is cut to the part that can show, the visible box (in device pixels)
// enlarged on every side: returns that box in path units, or nothing for
// shapes that stay near the picture. penWidth is in path units. One-pixel
// pens are left to Qt, which draws only their visible part.
std::optional<QPainterPath> farReachingView(
    const QPainterPath& path, const QTransform& pathToDevice, double penWidth, const QRectF& visible)
{
    const double margin = std::max({ visible.width(), visible.height(), 16.0 });
    const QRectF near = visible.adjusted(-margin, -margin, margin, margin);
    const double reach = penWidth * areaScale(pathToDevice) * 2;
    if (near.contains(pathToDevice.mapRect(path.controlPointRect()).adjusted(-reach, -reach, reach, reach)))
        return std::nullopt;
    bool invertible = false;
    const QTransform deviceToPath = pathToDevice.inverted(&invertible);
    if (!invertible)
        return std::nullopt;
    QPainterPath view;
    view.addPolygon(deviceToPath.map(QPolygonF(near)));
    view.closeSubpath();
    return view;
}

// QPen refuses widths from 32768 up.
constexpr double MaxPenWidth = 16384;

// unitScale: pen width units to drawing units; pixelScale: drawing units to
// pixels. A pen thinner than a pixel draws one pixel wide, as GDI does.
// Returns the pen and its width in drawing units (0 for one pixel); a pen
// wider than MaxPenWidth has that width and must be drawn scaled.
std::pair<QPen, double> makePen(const LogPen& p, double unitScale, double pixelScale)
{
    QPen pen(p.colour);
    // Widths beyond any screen are cut down to one; not-a-number ones (from
    // a degenerate mapping) draw as thin as possible.
    double width = p.width * unitScale;
    if (width * pixelScale > 1e5)
        width = 1e5 / pixelScale;
    const bool hairline = p.cosmetic || !(width * pixelScale >= 1) || !std::isfinite(width);
    if (hairline) {
        pen.setWidthF(0);
        pen.setCapStyle(Qt::FlatCap);
    } else {
        pen.setWidthF(std::min(width, MaxPenWidth));
        switch (p.style & gdi::PenEndCapMask) {
        case gdi::PenEndCapSquare:
            pen.setCapStyle(Qt::SquareCap);
            break;
        case gdi::PenEndCapFlat:
            pen.setCapStyle(Qt::FlatCap);
            break;
        default:
            pen.setCapStyle(Qt::RoundCap);
        }
        switch (p.style & gdi::PenJoinMask) {
        case gdi::PenJoinBevel:
            pen.setJoinStyle(Qt::BevelJoin);
            break;
        case gdi::PenJoinMiter:
            pen.setJoinStyle(Qt::MiterJoin);
            break;
        default:
            pen.setJoinStyle(Qt::RoundJoin);
        }
    }
    switch (p.style & gdi::PenStyleMask) {
    case gdi::PenDash:
        pen.setStyle(Qt::DashLine);
        break;
    case gdi::PenDot:
    case gdi::PenAlternate:
        pen.setStyle(Qt::DotLine);
        break;
    case gdi::PenDashDot:
        pen.setStyle(Qt::DashDotLine);
        break;
    case gdi::PenDashDotDot:
        pen.setStyle(Qt::DashDotDotLine);
        break;
    case gdi::PenUserStyle: {
        // Qt measures dashes in pen widths, GDI in logical units.
        const double unit = hairline ? 1 / pixelScale : std::min(width, MaxPenWidth);
        QList<qreal> pattern;
        double total = 0;
        for (double d : p.dashes) {
            pattern.append(std::max(d * unitScale / unit, 0.0));
            total += pattern.back();
        }
        if (pattern.size() % 2 == 1)
            pattern.append(pattern);
        if (total > 0)
            pen.setDashPattern(pattern);
        break;
    }
    default:
        break;
    }
    return { pen, hairline ? 0.0 : width };
}

std::optional<QPainter::CompositionMode> imageComposition(std::uint32_t rop)
{
    switch (rop) {
    case gdi::RopSrcPaint:
        return QPainter::RasterOp_SourceOrDestination;
    case gdi::RopSrcAnd:
        return QPainter::RasterOp_SourceAndDestination;
    case gdi::RopSrcInvert:
        return QPainter::RasterOp_SourceXorDestination;
    case gdi::RopNotSrcCopy:
        return QPainter::RasterOp_NotSource;
    default:
        return std::nullopt;
    }
}

} // namespace

GdiDevice::GdiDevice(
    QPainter* painter, const QTransform& deviceToTarget, const QRectF& target, QSizeF pixelsPerMm)
    : m_painter(painter)
    , m_deviceToTarget(deviceToTarget)
    , m_pixelsPerMm(pixelsPerMm)
{
    m_state.pen = std::get<LogPen>(stockObject(7));
    m_state.brush = std::get<LogBrush>(stockObject(0));
    m_state.font = std::get<LogFont>(stockObject(13));
    if (m_painter && !m_painter->isActive())
        m_painter = nullptr; // a painter on an empty image: nothing to draw
    if (!m_painter)
        return;
    m_painter->save();
    m_base = m_painter->transform();
    m_frameClip.addRect(target);
    if (m_painter->hasClipping())
        m_frameClip = m_frameClip.intersected(m_painter->clipPath());
    m_painter->setRenderHint(QPainter::Antialiasing);
    m_painter->setRenderHint(QPainter::TextAntialiasing);
}

GdiDevice::~GdiDevice()
{
    if (m_painter)
        m_painter->restore();
}

QTransform GdiDevice::logicalToDevice() const
{
    return m_state.world * m_state.page.toDevice(m_pixelsPerMm);
}

void GdiDevice::include(const QRectF& rect)
{
    const QRectF r = rect.normalized();
    if (!std::isfinite(r.left()) || !std::isfinite(r.top()) || !std::isfinite(r.right())
        || !std::isfinite(r.bottom()))
        return;
    if (!m_hasBounds) {
        m_bounds = r;
        m_hasBounds = true;
        return;
    }
    m_bounds.setLeft(std::min(m_bounds.left(), r.left()));
    m_bounds.setTop(std::min(m_bounds.top(), r.top()));
    m_bounds.setRight(std::max(m_bounds.right(), r.right()));
    m_bounds.setBottom(std::max(m_bounds.bottom(), r.bottom()));
}

void GdiDevice::setMapMode(int mode)
{
    m_state.page.setMapMode(mode, m_pixelsPerMm);
}

void GdiDevice::setWorldTransform(const QTransform& transform)
{
    if (transform.isAffine() && std::isfinite(transform.m11()) && std::isfinite(transform.m12())
        && std::isfinite(transform.m21()) && std::isfinite(transform.m22()) && std::isfinite(transform.dx())
        && std::isfinite(transform.dy()))
        m_state.world = transform;
}

void GdiDevice::modifyWorldTransform(const QTransform& transform, std::uint32_t mode)
{
    switch (mode) {
    case 1: // MWT_IDENTITY
        m_state.world = QTransform();
        break;
    case 2: // MWT_LEFTMULTIPLY
        setWorldTransform(transform * m_state.world);
        break;
    case 3: // MWT_RIGHTMULTIPLY
        setWorldTransform(m_state.world * transform);
        break;
    case 4: // MWT_SET
        setWorldTransform(transform);
        break;
    default:
        break;
    }
}

void GdiDevice::saveDC()
{
    m_saved.push_back(m_state);
}

void GdiDevice::restoreDC(int which)
{
    // Negative: that many levels back; positive: the instance of that number.
    const auto count = static_cast<std::int64_t>(m_saved.size());
    const std::int64_t keep = which < 0 ? count + which : std::int64_t(which) - 1;
    if (which == 0 || keep < 0 || keep >= count)
        return;
    m_state = m_saved[static_cast<std::size_t>(keep)];
    m_saved.resize(static_cast<std::size_t>(keep));
    m_clipDirty = true;
}

void GdiDevice::shape(QPainterPath logical, bool closed, bool continues)
{
    logical.setFillRule(m_state.fillMode == gdi::FillWinding ? Qt::WindingFill : Qt::OddEvenFill);
    const QTransform toDevice = logicalToDevice();
    include(toDevice.mapRect(logical.boundingRect()));
    if (m_inPath) {
        const QPainterPath device = toDevice.map(logical);
        if (continues && m_figureOpen)
            m_path.connectPath(device);
        else
            m_path.addPath(device);
        m_figureOpen = continues && !closed;
        return;
    }
    paint(logical, toDevice * m_deviceToTarget, 1, closed ? &m_state.brush : nullptr, true);
}

void GdiDevice::paint(const QPainterPath& path, const QTransform& pathToTarget, double penUnitsPerPathUnit,
    const LogBrush* brush, bool stroke, std::optional<QPainter::CompositionMode> composition)
{
    if (!m_painter)
        return;
    if (!prepare(pathToTarget))
        return;
    if (composition && m_painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
        m_painter->setCompositionMode(*composition);
    const QTransform full = pathToTarget * m_base;
    const bool drawsPen = stroke && (m_state.pen.style & gdi::PenStyleMask) != gdi::PenNull;
    const auto [pen, width] = makePen(m_state.pen, penUnitsPerPathUnit, areaScale(full));
    const std::optional<QPainterPath> view
        = farReachingView(path, full, drawsPen ? width : 0, m_base.mapRect(m_frameClip.boundingRect()));
    if (brush && brush->style != gdi::BrushNull)
        m_painter->fillPath(view ? path.intersected(*view) : path, makeBrush(*brush, full));
    if (!drawsPen)
        return;
    if (view && width > 0) {
        // Dashed too: each dash of so wide a pen is itself a vast area.
        QPainterPathStroker outline(pen);
        outline.setWidth(width);
        m_painter->fillPath(outline.createStroke(path).intersected(*view), pen.brush());
    } else if (width == 0) {
        // A one-pixel line on pixel edges would smear over two rows; GDI
        // draws it on the row of its coordinates.
        m_painter->setTransform(full * QTransform::fromTranslate(0.5, 0.5));
        m_painter->strokePath(path, pen);
    } else if (width <= MaxPenWidth) {
        m_painter->strokePath(path, pen);
    } else {
        // Wider than QPen takes in these units: stroke in larger ones.
        const double k = width / MaxPenWidth;
        m_painter->setTransform(QTransform::fromScale(k, k) * full);
        m_painter->strokePath(QTransform::fromScale(1 / k, 1 / k).map(path), pen);
    }
}

bool GdiDevice::prepare(const QTransform& drawToTarget)
{
    if (m_clipDirty) {
        m_painter->setTransform(m_base);
        m_painter->setClipPath(m_state.clip ? m_state.clip->intersected(m_frameClip) : m_frameClip);
        m_clipDirty = false;
    }
    m_painter->setTransform(drawToTarget * m_base);
    m_painter->setBackgroundMode(
        m_state.backgroundMode == gdi::BackgroundOpaque ? Qt::OpaqueMode : Qt::TransparentMode);
    m_painter->setBackground(m_state.backgroundColour);
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, m_state.stretchMode == gdi::StretchHalftone);
    m_painter->setOpacity(1);
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (m_state.rop2) {
    case 11: // R2_NOP
        return false;
    case 4: // R2_NOTCOPYPEN
        mode = QPainter::RasterOp_NotSource;
        break;
    case 6: // R2_NOT
        mode = QPainter::RasterOp_NotDestination;
        break;
    case 7: // R2_XORPEN
        mode = QPainter::RasterOp_SourceXorDestination;
        break;
    case 9: // R2_MASKPEN
        mode = QPainter::RasterOp_SourceAndDestination;
        break;
    case 15: // R2_MERGEPEN
        mode = QPainter::RasterOp_SourceOrDestination;
        break;
    default:
        break;
    }
    if (mode != QPainter::CompositionMode_SourceOver
        && !m_painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
        mode = QPainter::CompositionMode_SourceOver;
    m_painter->setCompositionMode(mode);
    return true;
}

void GdiDevice::moveTo(QPointF point)
{
    m_state.position = point;
    if (m_inPath) {
        m_path.moveTo(toDevice(point));
        m_figureOpen = true;
    }
}

void GdiDevice::lineTo(QPointF point)
{
    QPainterPath path(m_state.position);
    path.lineTo(point);
    m_state.position = point;
    shape(path, false, true);
}

void GdiDevice::polyline(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    shape(path, false, false);
}

void GdiDevice::polylineTo(const QPolygonF& points)
{
    if (points.isEmpty())
        return;
    QPainterPath path(m_state.position);
    for (const QPointF& p : points)
        path.lineTo(p);
    m_state.position = points.back();
    shape(path, false, true);
}

void GdiDevice::polyBezier(const QPolygonF& points)
{
    if (points.size() < 4)
        return;
    QPainterPath path(points[0]);
    for (qsizetype i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    shape(path, false, false);
}

void GdiDevice::polyBezierTo(const QPolygonF& points)
{
    if (points.size() < 3)
        return;
    QPainterPath path(m_state.position);
    for (qsizetype i = 0; i + 2 < points.size(); i += 3) {
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
        m_state.position = points[i + 2];
    }
    shape(path, false, true);
}

void GdiDevice::polyDraw(const QPolygonF& points, const QList<std::uint8_t>& types)
{
    constexpr std::uint8_t CloseFigure = 1;
    constexpr std::uint8_t LineTo = 2;
    constexpr std::uint8_t BezierTo = 4;
    constexpr std::uint8_t MoveTo = 6;
    QPainterPath path(m_state.position);
    const qsizetype count = std::min(points.size(), types.size());
    for (qsizetype i = 0; i < count; ++i) {
        const std::uint8_t type = types[i] & ~CloseFigure;
        if (type == MoveTo) {
            path.moveTo(points[i]);
        } else if (type == LineTo) {
            path.lineTo(points[i]);
        } else if (type == BezierTo && i + 2 < count && (types[i + 1] & ~CloseFigure) == BezierTo
            && (types[i + 2] & ~CloseFigure) == BezierTo) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else {
            break;
        }
        m_state.position = points[i];
        if (types[i] & CloseFigure)
            path.closeSubpath();
    }
    shape(path, false, true);
}

void GdiDevice::polygon(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    shape(path, true, false);
}

void GdiDevice::polyPolygon(const QList<QPolygonF>& polygons)
{
    QPainterPath path;
    for (const QPolygonF& polygon : polygons) {
        if (polygon.size() < 2)
            continue;
        path.addPolygon(polygon);
        path.closeSubpath();
    }
    shape(path, true, false);
}

void GdiDevice::polyPolyline(const QList<QPolygonF>& polylines)
{
    QPainterPath path;
    for (const QPolygonF& polyline : polylines)
        if (polyline.size() >= 2)
            path.addPolygon(polyline);
    shape(path, false, false);
}

void GdiDevice::rectangle(const QRectF& box)
{
    QPainterPath path;
    path.addRect(box.normalized());
    shape(path, true, false);
}

void GdiDevice::roundRect(const QRectF& box, QSizeF corner)
{
    QPainterPath path;
    path.addRoundedRect(box.normalized(), std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    shape(path, true, false);
}

void GdiDevice::ellipse(const QRectF& box)
{
    QPainterPath path;
    path.addEllipse(box.normalized());
    shape(path, true, false);
}

QPainterPath GdiDevice::arcPath(const QRectF& box, QPointF start, QPointF end, ArcKind kind) const
{
    const QRectF r = box.normalized();
    QPainterPath path(m_state.position);
    if (r.width() == 0 || r.height() == 0)
        return path;
    const QPointF c = r.center();
    // The radials cross the ellipse at these parametric angles (Qt's, y down).
    auto angle = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()) / r.height(), (p.x() - c.x()) / r.width()) * 180 / Pi;
    };
    const double a0 = angle(start);
    const double a1 = angle(end);
    // The arc direction holds on the device: a mirroring mapping turns it.
    const bool positive = m_state.clockwise == (logicalToDevice().determinant() < 0);
    double sweep = a1 - a0;
    if (positive)
        while (sweep <= 0)
            sweep += 360;
    else
        while (sweep >= 0)
            sweep -= 360;
    switch (kind) {
    case ArcKind::Pie:
        path = QPainterPath(c);
        path.arcTo(r, a0, sweep);
        path.closeSubpath();
        break;
    case ArcKind::Chord:
        path = QPainterPath();
        path.arcMoveTo(r, a0);
        path.arcTo(r, a0, sweep);
        path.closeSubpath();
        break;
    case ArcKind::Arc:
        path = QPainterPath();
        path.arcMoveTo(r, a0);
        path.arcTo(r, a0, sweep);
        break;
    case ArcKind::ArcTo:
        path.arcTo(r, a0, sweep);
        break;
    }
    return path;
}

void GdiDevice::arc(const QRectF& box, QPointF start, QPointF end, ArcKind kind)
{
    const QPainterPath path = arcPath(box, start, end, kind);
    if (kind == ArcKind::ArcTo)
        m_state.position = path.currentPosition();
    shape(path, kind == ArcKind::Chord || kind == ArcKind::Pie, kind == ArcKind::ArcTo);
}

void GdiDevice::angleArc(QPointF centre, double radius, double startDegrees, double sweepDegrees)
{
    if (!std::isfinite(startDegrees) || !std::isfinite(sweepDegrees))
        return;
    const double sign = logicalToDevice().determinant() < 0 ? -1 : 1;
    QPainterPath path(m_state.position);
    path.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), sign * startDegrees,
        sign * std::clamp(sweepDegrees, -3600.0, 3600.0));
    m_state.position = path.currentPosition();
    shape(path, false, true);
}

void GdiDevice::setPixel(QPointF point, const QColor& colour)
{
    const QPointF p = toDevice(point);
    const QRectF pixel(std::floor(p.x()), std::floor(p.y()), 1, 1);
    include(pixel);
    if (!m_painter || !prepare(m_deviceToTarget))
        return;
    m_painter->fillRect(pixel, colour);
}

void GdiDevice::fillRegion(const QList<QRectF>& rects, const LogBrush& brush)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const QRectF& r : rects)
        path.addRect(r.normalized());
    const QTransform toDevice = logicalToDevice();
    include(toDevice.mapRect(path.boundingRect()));
    paint(path, toDevice * m_deviceToTarget, 1, &brush, false);
}

void GdiDevice::drawImage(
    const QImage& image, QRectF destination, QRectF source, std::uint32_t rop, double opacity)
{
    if (source.width() < 0) {
        source = QRectF(source.x() + source.width(), source.y(), -source.width(), source.height());
        destination = QRectF(destination.x() + destination.width(), destination.y(), -destination.width(),
            destination.height());
    }
    if (source.height() < 0) {
        source = QRectF(source.x(), source.y() + source.height(), source.width(), -source.height());
        destination = QRectF(destination.x(), destination.y() + destination.height(), destination.width(),
            -destination.height());
    }
    if (source.width() == 0 || source.height() == 0 || destination.width() == 0 || destination.height() == 0)
        return;
    const QTransform toDevice = logicalToDevice();
    include(toDevice.mapRect(destination.normalized()));
    if (!m_painter || image.isNull())
        return;
    const QRectF visible = source.intersected(QRectF(image.rect()));
    if (visible.isEmpty())
        return;
    const QTransform imageToLogical = QTransform::fromTranslate(-source.x(), -source.y())
        * QTransform::fromScale(destination.width() / source.width(), destination.height() / source.height())
        * QTransform::fromTranslate(destination.x(), destination.y());
    if (!prepare(imageToLogical * toDevice * m_deviceToTarget))
        return;
    if (const auto mode = imageComposition(rop);
        mode && m_painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
        m_painter->setCompositionMode(*mode);
    m_painter->setOpacity(opacity);
    m_painter->drawImage(visible, image, visible);
}

void GdiDevice::patBlt(const QRectF& destination, std::uint32_t rop)
{
    LogBrush brush = m_state.brush;
    std::optional<QPainter::CompositionMode> composition;
    switch (rop) {
    case gdi::RopPatCopy:
        break;
    case gdi::RopBlackness:
        brush = LogBrush { gdi::BrushSolid, Qt::black, 0, {} };
        break;
    case gdi::RopWhiteness:
        brush = LogBrush { gdi::BrushSolid, Qt::white, 0, {} };
        break;
    case gdi::RopDstInvert:
        brush = LogBrush { gdi::BrushSolid, Qt::black, 0, {} };
        composition = QPainter::RasterOp_NotDestination;
        break;
    case gdi::RopPatInvert:
        composition = QPainter::RasterOp_SourceXorDestination;
        break;
    default:
        return;
    }
    QPainterPath path;
    path.addRect(destination.normalized());
    const QTransform toDevice = logicalToDevice();
    include(toDevice.mapRect(path.boundingRect()));
    paint(path, toDevice * m_deviceToTarget, 1, &brush, false, composition);
}

void GdiDevice::beginPath()
{
    m_path = QPainterPath();
    m_inPath = true;
    m_figureOpen = false;
}

void GdiDevice::closeFigure()
{
    if (m_inPath) {
        m_path.closeSubpath();
        m_figureOpen = false;
    }
}

void GdiDevice::abortPath()
{
    m_path = QPainterPath();
    m_inPath = false;
    m_figureOpen = false;
}

void GdiDevice::fillPath()
{
    m_path.setFillRule(m_state.fillMode == gdi::FillWinding ? Qt::WindingFill : Qt::OddEvenFill);
    paint(m_path, m_deviceToTarget, areaScale(logicalToDevice()), &m_state.brush, false);
    abortPath();
}

void GdiDevice::strokePath()
{
    paint(m_path, m_deviceToTarget, areaScale(logicalToDevice()), nullptr, true);
    abortPath();
}

void GdiDevice::strokeAndFillPath()
{
    m_path.setFillRule(m_state.fillMode == gdi::FillWinding ? Qt::WindingFill : Qt::OddEvenFill);
    paint(m_path, m_deviceToTarget, areaScale(logicalToDevice()), &m_state.brush, true);
    abortPath();
}

void GdiDevice::widenPath()
{
    QPainterPathStroker stroker;
    stroker.setWidth(std::max(m_state.pen.width * areaScale(logicalToDevice()), 1.0));
    m_path = stroker.createStroke(m_path);
    m_figureOpen = false;
}

void GdiDevice::selectClipPath(int mode)
{
    m_path.setFillRule(m_state.fillMode == gdi::FillWinding ? Qt::WindingFill : Qt::OddEvenFill);
    combineClip(m_deviceToTarget.map(m_path), mode);
    abortPath();
}

void GdiDevice::combineClip(const QPainterPath& path, int mode)
{
    if (!m_painter)
        return;
    const QPainterPath current = m_state.clip ? *m_state.clip : m_frameClip;
    switch (mode) {
    case gdi::RegionAnd:
        m_state.clip = current.intersected(path);
        break;
    case gdi::RegionOr:
        m_state.clip = current.united(path);
        break;
    case gdi::RegionXor:
        m_state.clip = current.united(path).subtracted(current.intersected(path));
        break;
    case gdi::RegionDiff:
        m_state.clip = current.subtracted(path);
        break;
    case gdi::RegionCopy:
        m_state.clip = path;
        break;
    default:
        return;
    }
    m_clipDirty = true;
}

void GdiDevice::intersectClipRect(const QRectF& rect)
{
    QPainterPath path;
    path.addRect(rect.normalized());
    combineClip((logicalToDevice() * m_deviceToTarget).map(path), gdi::RegionAnd);
}

void GdiDevice::excludeClipRect(const QRectF& rect)
{
    QPainterPath path;
    path.addRect(rect.normalized());
    combineClip((logicalToDevice() * m_deviceToTarget).map(path), gdi::RegionDiff);
}

void GdiDevice::offsetClip(QPointF offset)
{
    if (!m_state.clip)
        return;
    const QTransform toTarget = logicalToDevice() * m_deviceToTarget;
    const QPointF shift = toTarget.map(offset) - toTarget.map(QPointF(0, 0));
    m_state.clip->translate(shift);
    m_clipDirty = true;
}

void GdiDevice::selectClipRegion(const QList<QRectF>& deviceRects, int mode)
{
    if (deviceRects.isEmpty() && mode == gdi::RegionCopy) {
        m_state.clip.reset();
        m_clipDirty = true;
        return;
    }
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const QRectF& r : deviceRects)
        path.addRect(r.normalized());
    combineClip(m_deviceToTarget.map(path), mode);
}
