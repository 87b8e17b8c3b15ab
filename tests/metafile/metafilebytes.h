#pragma once

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <cstdint>

#include "metafile/metafile.h"
#include "tempdir.h"

// Helpers shared by the metafile tests: fixtures, rendering and the record
// walking that damaged copies need.

inline QByteArray fixtureBytes(const QString& name)
{
    QFile file(fixturePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The ground the tests draw on: any pixel left grey was not drawn.
inline const QColor Ground(128, 128, 128);

inline QImage render(const Picture& picture, QSize imageSize, QRect target = QRect())
{
    QImage image(imageSize, QImage::Format_RGB32);
    image.fill(Ground);
    QPainter painter(&image);
    picture.draw(painter, target.isNull() ? QRect(QPoint(0, 0), imageSize) : target);
    painter.end();
    return image;
}

inline QImage renderNatural(const Picture& picture)
{
    return render(picture, picture.naturalSize());
}

inline std::uint32_t readLe32(const QByteArray& bytes, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16)
        | (std::uint32_t(p[3]) << 24);
}

inline void writeLe32(QByteArray& bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

inline void writeLe16(QByteArray& bytes, qsizetype at, std::uint16_t value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char(value >> 8);
}

// Offset of the nth EMF record of a type, -1 when there is none.
inline qsizetype emfRecord(const QByteArray& emf, std::uint32_t type, int nth = 0)
{
    qsizetype at = 0;
    while (at + 8 <= emf.size()) {
        const std::uint32_t size = readLe32(emf, at + 4);
        if (readLe32(emf, at) == type && nth-- == 0)
            return at;
        if (size < 8)
            break;
        at += size;
    }
    return -1;
}

// Offset of the first METAHEADER of a WMF (after a placeable header).
inline qsizetype wmfHeader(const QByteArray& wmf)
{
    return readLe32(wmf, 0) == 0x9AC6CDD7 ? 22 : 0;
}

// Offset of the nth WMF record of a function, -1 when there is none.
inline qsizetype wmfRecord(const QByteArray& wmf, std::uint16_t function, int nth = 0)
{
    qsizetype at = wmfHeader(wmf) + 18;
    while (at + 6 <= wmf.size()) {
        const std::uint32_t words = readLe32(wmf, at);
        const auto found = std::uint16_t(std::uint8_t(wmf[at + 4]) | (std::uint8_t(wmf[at + 5]) << 8));
        if (found == function && nth-- == 0)
            return at;
        if (words < 3)
            break;
        at += qsizetype(words) * 2;
    }
    return -1;
}
