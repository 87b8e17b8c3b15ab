#pragma once

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <cstdint>

#include "metafile/dib.h"

class GdiDevice;
class QPainter;

// A Windows metafile, placeable or standard: its headers read and its record
// framing checked (sizes, the largest record, META_EOF) on construction,
// which throws "MetaFichier incorrect". Record contents are checked as they
// are played.
class WmfPlayer {
public:
    explicit WmfPlayer(const QByteArray& bytes);

    // The placeable key, or a METAHEADER of type 1 or 2, nine words long,
    // version 0x0100 or 0x0300.
    static bool recognises(const QByteArray& bytes);

    // A standard metafile without a window extent takes the logical bounds
    // of what it draws (found by playing it without a painter).
    bool needsMeasuredWindow() const { return !m_windowFromHeader && !m_windowFromRecords; }
    void setMeasuredWindow(const QRectF& bounds);

    // At 96 dpi: the placeable bounding box at its units per inch, else the
    // window extent taken as pixels.
    QSize naturalSize() const;

    // Plays the records with the window mapped onto target; without a
    // painter, only decodes them. Returns the device bounds of the drawing.
    QRectF render(QPainter* painter, const QRectF& target, DibCache* cache) const;

private:
    void play(GdiDevice& device, DibCache* cache, bool followWindow) const;

    QByteArray m_bytes;
    std::uint64_t m_start = 0; // the METAHEADER, after a placeable header
    std::uint64_t m_end = 0;
    bool m_windowFromHeader = false;
    bool m_windowFromRecords = false;
    QRectF m_window; // origin and extent; the extent may be negative
    double m_unitsPerInch = 96;
};
