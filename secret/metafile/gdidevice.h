#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <optional>
#include <vector>

#include "metafile/gdiobjects.h"
#include "metafile/pagemapping.h"

namespace gdi {
constexpr int BackgroundTransparent = 1;
constexpr int BackgroundOpaque = 2;
constexpr int FillAlternate = 1;
constexpr int FillWinding = 2;
constexpr std::uint32_t AlignUpdateCp = 0x0001;
constexpr std::uint32_t AlignRight = 0x0002;
constexpr std::uint32_t AlignCenter = 0x0006;
constexpr std::uint32_t AlignBottom = 0x0008;
constexpr std::uint32_t AlignBaseline = 0x0018;
constexpr std::uint32_t TextOpaque = 0x0002;
constexpr std::uint32_t TextClipped = 0x0004;
constexpr int StretchHalftone = 4;
constexpr std::uint32_t RopSrcCopy = 0x00CC0020;
constexpr std::uint32_t RopSrcPaint = 0x00EE0086;
constexpr std::uint32_t RopSrcAnd = 0x008800C6;
constexpr std::uint32_t RopSrcInvert = 0x00660046;
constexpr std::uint32_t RopNotSrcCopy = 0x00330008;
constexpr std::uint32_t RopPatCopy = 0x00F00021;
constexpr std::uint32_t RopPatInvert = 0x005A0049;
constexpr std::uint32_t RopDstInvert = 0x00550009;
constexpr std::uint32_t RopBlackness = 0x00000042;
constexpr std::uint32_t RopWhiteness = 0x00FF0062;
constexpr int RegionAnd = 1;
constexpr int RegionOr = 2;
constexpr int RegionXor = 3;
constexpr int RegionDiff = 4;
constexpr int RegionCopy = 5;
} // namespace gdi

// What SaveDC keeps and RestoreDC brings back.
struct GdiState {
    PageMapping page;
    QTransform world;
    LogPen pen;
    LogBrush brush;
    LogFont font;
    QColor textColour = Qt::black;
    QColor backgroundColour = Qt::white;
    int backgroundMode = gdi::BackgroundOpaque;
    int fillMode = gdi::FillAlternate;
    std::uint32_t textAlign = 0;
    bool clockwise = false;
    int stretchMode = 1;
    int rop2 = 13; // R2_COPYPEN
    double miterLimit = 10;
    QPointF position;
    std::optional<QPainterPath> clip; // target coordinates; none: the whole frame
};

// A GDI device context drawing on a QPainter. Coordinates go logical
// -> (world) -> page -> (window/viewport) -> device -> (deviceToTarget) ->
// the painter's coordinates when drawing began. Without a painter nothing is
// drawn: the records are only decoded, and the device bounds of what would
// be drawn are gathered.
class GdiDevice {
public:
    GdiDevice(QPainter* painter, const QTransform& deviceToTarget, const QRectF& target, QSizeF pixelsPerMm);
    ~GdiDevice();
    GdiDevice(const GdiDevice&) = delete;
    GdiDevice& operator=(const GdiDevice&) = delete;

    bool painting() const { return m_painter != nullptr; }
    GdiState& state() { return m_state; }
    QSizeF pixelsPerMm() const { return m_pixelsPerMm; }
    // Device bounds of everything drawn so far; empty when nothing was.
    QRectF drawnBounds() const { return m_bounds; }

    void setMapMode(int mode);
    void setWorldTransform(const QTransform& transform);
    void modifyWorldTransform(const QTransform& transform, std::uint32_t mode);
    void saveDC();
    void restoreDC(int which);

    void moveTo(QPointF point);
    void lineTo(QPointF point);
    void polyline(const QPolygonF& points);
    void polylineTo(const QPolygonF& points);
    void polyBezier(const QPolygonF& points);
    void polyBezierTo(const QPolygonF& points);
    // PolyDraw: PT_MOVETO, PT_LINETO, PT_BEZIERTO point types.
    void polyDraw(const QPolygonF& points, const QList<std::uint8_t>& types);
    void polygon(const QPolygonF& points);
    void polyPolygon(const QList<QPolygonF>& polygons);
    void polyPolyline(const QList<QPolygonF>& polylines);
    void rectangle(const QRectF& box);
    void roundRect(const QRectF& box, QSizeF corner);
    void ellipse(const QRectF& box);
    enum class ArcKind { Arc, Chord, Pie, ArcTo };
    void arc(const QRectF& box, QPointF start, QPointF end, ArcKind kind);
    void angleArc(QPointF centre, double radius, double startDegrees, double sweepDegrees);
    void setPixel(QPointF point, const QColor& colour);
    void fillRegion(const QList<QRectF>& rects, const LogBrush& brush);

    // dx: advances in logical units, one per character, or empty.
    // rect: the ETO_OPAQUE / ETO_CLIPPED rectangle, logical.
    void textOut(QPointF reference, const QString& text, const QList<double>& dx, std::uint32_t options,
        const QRectF& rect);

    // Draws image's source rectangle (pixels, top row first) into the
    // logical destination; negative extents mirror.
    void drawImage(
        const QImage& image, QRectF destination, QRectF source, std::uint32_t rop, double opacity = 1);
    void patBlt(const QRectF& destination, std::uint32_t rop);

    void beginPath();
    void endPath() { m_inPath = false; }
    void closeFigure();
    void abortPath();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void widenPath();
    void selectClipPath(int mode);

    void intersectClipRect(const QRectF& rect);
    void excludeClipRect(const QRectF& rect);
    void offsetClip(QPointF offset);
    // Region rectangles in device coordinates; no rectangles with
    // RegionCopy resets the clip.
    void selectClipRegion(const QList<QRectF>& deviceRects, int mode);

private:
    QTransform logicalToDevice() const;
    QPointF toDevice(QPointF logical) const { return logicalToDevice().map(logical); }
    void include(const QRectF& deviceRect);
    // Adds a figure to the open path, or draws it.
    void shape(QPainterPath logical, bool closed, bool continues);
    // brush: fills with it when given; penUnitsPerPathUnit scales the pen's
    // logical width into the path's coordinates.
    void paint(const QPainterPath& path, const QTransform& pathToTarget, double penUnitsPerPathUnit,
        const LogBrush* brush, bool stroke,
        std::optional<QPainter::CompositionMode> composition = std::nullopt);
    // Sets the painter up for drawing in coordinates mapped by drawToTarget;
    // false when the drawing mode draws nothing.
    bool prepare(const QTransform& drawToTarget);
    void combineClip(const QPainterPath& targetPath, int mode);
    QPainterPath arcPath(const QRectF& box, QPointF start, QPointF end, ArcKind kind) const;

    QPainter* m_painter;
    QTransform m_deviceToTarget;
    QTransform m_base;
    QPainterPath m_frameClip;
    QSizeF m_pixelsPerMm;
    GdiState m_state;
    std::vector<GdiState> m_saved;
    bool m_clipDirty = true;
    bool m_inPath = false;
    bool m_figureOpen = false;
    QPainterPath m_path; // device coordinates
    QRectF m_bounds;
    bool m_hasBounds = false;
};
