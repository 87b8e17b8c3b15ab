#include "metafile/pagemapping.h"

#include <algorithm>
#include <cmath>

namespace {

// Millimetres per logical unit of the fixed modes; 0 for the others.
double fixedUnitMm(int mode)
{
    switch (mode) {
    case gdi::MapLoMetric:
        return 0.1;
    case gdi::MapHiMetric:
        return 0.01;
    case gdi::MapLoEnglish:
        return 0.254;
    case gdi::MapHiEnglish:
        return 0.0254;
    case gdi::MapTwips:
        return 25.4 / 1440;
    default:
        return 0;
    }
}

bool usable(QSizeF extent)
{
    return extent.width() != 0 && extent.height() != 0 && std::isfinite(extent.width())
        && std::isfinite(extent.height());
}

} // namespace

bool PageMapping::scalable() const
{
    return m_mapMode == gdi::MapIsotropic || m_mapMode == gdi::MapAnisotropic;
}

void PageMapping::setMapMode(int mode, QSizeF pixelsPerMm)
{
    if (mode < gdi::MapText || mode > gdi::MapAnisotropic)
        return;
    const bool toScalable = mode == gdi::MapIsotropic || mode == gdi::MapAnisotropic;
    if (toScalable && !scalable()) {
        // The extents carry over the scale of the mode being left.
        const QTransform current = toDevice(pixelsPerMm);
        m_windowExt = QSizeF(1, 1);
        m_viewportExt = QSizeF(current.m11(), current.m22());
    }
    m_mapMode = mode;
}

void PageMapping::setWindowExt(QSizeF extent)
{
    if (scalable() && usable(extent))
        m_windowExt = extent;
}

void PageMapping::setViewportExt(QSizeF extent)
{
    if (scalable() && usable(extent))
        m_viewportExt = extent;
}

void PageMapping::scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        setWindowExt(QSizeF(m_windowExt.width() * xNum / xDenom, m_windowExt.height() * yNum / yDenom));
}

void PageMapping::scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        setViewportExt(QSizeF(m_viewportExt.width() * xNum / xDenom, m_viewportExt.height() * yNum / yDenom));
}

QTransform PageMapping::toDevice(QSizeF pixelsPerMm) const
{
    double sx = 1;
    double sy = 1;
    if (const double mm = fixedUnitMm(m_mapMode); mm != 0) {
        sx = mm * pixelsPerMm.width();
        sy = -mm * pixelsPerMm.height();
    } else if (scalable()) {
        sx = m_viewportExt.width() / m_windowExt.width();
        sy = m_viewportExt.height() / m_windowExt.height();
        if (m_mapMode == gdi::MapIsotropic) {
            const double k = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(k, sx);
            sy = std::copysign(k, sy);
        }
    }
    return QTransform(
        sx, 0, 0, sy, m_viewportOrg.x() - m_windowOrg.x() * sx, m_viewportOrg.y() - m_windowOrg.y() * sy);
}
