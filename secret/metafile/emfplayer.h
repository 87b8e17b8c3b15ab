#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QSizeF>
#include <cstdint>

#include "metafile/dib.h"

class GdiDevice;
class QPainter;

// An enhanced metafile: its header read and its record framing checked
// (sizes, alignment, the end record) on construction, which throws
// "MetaFichier incorrect". Record contents are checked as they are played.
class EmfPlayer {
public:
    explicit EmfPlayer(const QByteArray& bytes);

    // " EMF" at offset 40 of a leading EMR_HEADER.
    static bool recognises(const QByteArray& bytes);

    // At 96 dpi, from the frame (hundredths of a millimetre).
    QSize naturalSize() const;

    // Plays the records with the frame mapped onto target; without a
    // painter, only decodes them. Returns the device bounds of the drawing.
    QRectF render(QPainter* painter, const QRectF& target, DibCache* cache) const;

private:
    // The frame in reference device pixels: what the target shows.
    QRectF frameInDevice() const;
    void play(GdiDevice& device, DibCache* cache) const;

    QByteArray m_bytes;
    std::uint64_t m_headerSize = 0;
    std::uint64_t m_end = 0;
    struct Edges {
        std::int64_t left = 0, top = 0, right = 0, bottom = 0;
    };
    Edges m_bounds; // inclusive, device pixels
    Edges m_frame; // hundredths of a millimetre
    QSizeF m_pixelsPerMm;
};
