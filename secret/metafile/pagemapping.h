#pragma once

#include <QPointF>
#include <QSizeF>
#include <QTransform>

namespace gdi {
constexpr int MapText = 1;
constexpr int MapLoMetric = 2;
constexpr int MapHiMetric = 3;
constexpr int MapLoEnglish = 4;
constexpr int MapHiEnglish = 5;
constexpr int MapTwips = 6;
constexpr int MapIsotropic = 7;
constexpr int MapAnisotropic = 8;
} // namespace gdi

// The page-to-device mapping of a device context: mapping mode, window and
// viewport. Setters follow GDI: extents are only taken in the isotropic and
// anisotropic modes, and a zero extent or scale is refused.
class PageMapping {
public:
    int mapMode() const { return m_mapMode; }
    QPointF windowOrg() const { return m_windowOrg; }
    QSizeF windowExt() const { return m_windowExt; }
    QPointF viewportOrg() const { return m_viewportOrg; }
    QSizeF viewportExt() const { return m_viewportExt; }

    // pixelsPerMm: the device's resolution, for the metric and English modes.
    void setMapMode(int mode, QSizeF pixelsPerMm);
    void setWindowOrg(QPointF origin) { m_windowOrg = origin; }
    void setViewportOrg(QPointF origin) { m_viewportOrg = origin; }
    void setWindowExt(QSizeF extent);
    void setViewportExt(QSizeF extent);
    void scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);

    // Page coordinates to device pixels.
    QTransform toDevice(QSizeF pixelsPerMm) const;

private:
    bool scalable() const;

    int m_mapMode = gdi::MapText;
    QPointF m_windowOrg;
    QSizeF m_windowExt { 1, 1 };
    QPointF m_viewportOrg;
    QSizeF m_viewportExt { 1, 1 };
};
