// Text output of the GDI device: fonts, alignment, advances, escapement.
#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <cmath>

#include "metafile/gdidevice.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

QFont makeFont(const LogFont& f)
{
    QFont font(f.faceName.isEmpty() ? QStringLiteral("Arial") : f.faceName);
    const int weight = f.weight <= 0 ? 400 : std::clamp(f.weight, 1, 1000);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    font.setKerning(false);
    return font;
}

} // namespace

void GdiDevice::textOut(QPointF reference, const QString& text, const QList<double>& dx,
    std::uint32_t options, const QRectF& rect)
{
    const std::uint32_t align = m_state.textAlign;
    const QPointF origin = (align & gdi::AlignUpdateCp) ? m_state.position : reference;
    const QTransform toDevice = logicalToDevice();
    const bool opaqueRect = (options & gdi::TextOpaque) && !rect.isNull();
    const bool clipped = (options & gdi::TextClipped) && !rect.isNull();
    include(QRectF(toDevice.map(origin), QSizeF(0, 0)));
    if (opaqueRect)
        include(toDevice.mapRect(rect.normalized()));
    if (!m_painter)
        return;

    const QTransform toTarget = toDevice * m_deviceToTarget;
    if (!prepare(toTarget))
        return;
    if (opaqueRect)
        m_painter->fillRect(rect.normalized(), m_state.backgroundColour);
    if (text.isEmpty())
        return;
    m_painter->save();
    if (clipped)
        m_painter->setClipRect(rect.normalized(), Qt::IntersectClip);

    // Sizes in pixels along the logical axes at the reference point.
    const QTransform full = toTarget * m_base;
    const QPointF xAxis(full.m11(), full.m12());
    const QPointF yAxis(full.m21(), full.m22());
    const double sx = std::hypot(xAxis.x(), xAxis.y());
    const double sy = std::hypot(yAxis.x(), yAxis.y());
    if (sx == 0 || sy == 0 || !std::isfinite(sx) || !std::isfinite(sy)) {
        m_painter->restore();
        return;
    }

    // Fonts are realised at whole pixel heights, as GDI realises them.
    // Positive heights are cell heights, negative ones character heights.
    QFont font = makeFont(m_state.font);
    const double logicalHeight = m_state.font.height == 0 ? 12 / sy : m_state.font.height;
    const double wanted = std::min(std::abs(logicalHeight) * sy, 1.0e4);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(wanted))));
    if (logicalHeight > 0) {
        const QFontMetricsF cell(font);
        if (cell.height() > 0)
            font.setPixelSize(
                std::max(1, static_cast<int>(std::lround(wanted * font.pixelSize() / cell.height()))));
    }
    const QFontMetricsF metrics(font);
    // Characters stretch with the picture, or to the mean width the font
    // asks for.
    double stretch = sx / sy;
    if (m_state.font.width > 0 && metrics.averageCharWidth() > 0)
        stretch = m_state.font.width * sx / metrics.averageCharWidth();
    stretch = std::clamp(stretch, 0.01, 100.0);
    if (std::abs(stretch - 1) < 0.02)
        stretch = 1;

    // The baseline runs along the logical x axis, turned by the escapement,
    // which counts counterclockwise on the device.
    QPointF baseline = xAxis / sx;
    if (full.determinant() < 0 && baseline.x() < 0)
        baseline = -baseline;
    double angle = std::remainder(
        std::atan2(baseline.y(), baseline.x()) * 180 / Pi - m_state.font.escapement / 10, 360.0);
    if (std::abs(angle) < 1e-6)
        angle = 0;
    const QPointF start = full.map(origin);
    const QTransform frame = QTransform().rotate(angle) * QTransform::fromTranslate(start.x(), start.y());

    double width = 0;
    QList<double> offsets;
    if (dx.isEmpty()) {
        width = metrics.horizontalAdvance(text) * stretch;
    } else {
        for (double advance : dx) {
            offsets.append(width);
            width += advance * sx;
        }
    }
    double x = 0;
    if ((align & gdi::AlignCenter) == gdi::AlignCenter)
        x = -width / 2;
    else if (align & gdi::AlignRight)
        x = -width;
    double y = metrics.ascent();
    if ((align & gdi::AlignBaseline) == gdi::AlignBaseline)
        y = 0;
    else if (align & gdi::AlignBottom)
        y = -metrics.descent();

    m_painter->setTransform(QTransform::fromScale(stretch, 1) * frame);
    if (m_state.backgroundMode == gdi::BackgroundOpaque)
        m_painter->fillRect(QRectF(x / stretch, y - metrics.ascent(), width / stretch, metrics.height()),
            m_state.backgroundColour);
    m_painter->setBackgroundMode(Qt::TransparentMode);
    m_painter->setFont(font);
    m_painter->setPen(m_state.textColour);
    // Upright, unstretched text goes through Qt's glyph cache. Turned or
    // stretched text is filled from the outlines: the cache renders some
    // such transforms into empty glyphs it then reads from a null buffer.
    const bool outlines = angle != 0 || stretch != 1;
    QPainterPath path;
    auto run = [&](double at, const QString& characters) {
        const QPointF position(at / stretch, y);
        if (outlines)
            path.addText(position, font, characters);
        else
            m_painter->drawText(position, characters);
    };
    if (offsets.isEmpty()) {
        run(x, text);
    } else {
        for (qsizetype i = 0; i < text.size() && i < offsets.size(); ++i) {
            qsizetype length = 1;
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                length = 2;
            run(x + offsets[i], text.mid(i, length));
            i += length - 1;
        }
    }
    if (outlines)
        m_painter->fillPath(path, m_state.textColour);
    m_painter->restore();

    if (align & gdi::AlignUpdateCp) {
        const double logicalWidth = width / sx;
        if ((align & gdi::AlignCenter) == gdi::AlignCenter)
            return;
        const double shift = (align & gdi::AlignRight) ? -logicalWidth : logicalWidth;
        m_state.position = origin + QPointF(shift, 0);
    }
}
