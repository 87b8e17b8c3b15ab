#pragma once

#include <QImage>
#include <cstdint>

#include "metafile/bytereader.h"

// A device-independent bitmap whose header, colour table and pixel rows have
// been checked against the bytes that hold them. A bitmap in an encoding the
// player does not draw (run-length, JPEG, PNG) is valid but not drawable.
struct DibLayout {
    bool drawable = false;
    int width = 0;
    int height = 0; // rows held, always positive; topDown tells their order
    int headerHeight = 0; // rows of the whole bitmap; more than height in a band
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t masks[3] = {};
    ByteReader colours;
    int colourCount = 0;
    int colourEntrySize = 4; // 4 RGBQUAD, 3 RGBTRIPLE, 2 palette index
    ByteReader bits;
    std::uint64_t stride = 0;
};

// DIB colour usage: the colour table holds RGB values or palette indices.
constexpr std::uint32_t DibRgbColours = 0;
constexpr std::uint32_t DibPaletteColours = 1;

// info holds the BITMAPINFO (header and colour table), bits the pixel rows.
// A banded bitmap (SetDIBitsToDevice) holds only bandRows of its rows; the
// layout then describes that band.
DibLayout parseDib(ByteReader info, ByteReader bits, std::uint32_t usage, std::uint32_t bandRows = 0);

// A packed DIB, header, colour table and rows in one block, as WMF records
// carry it.
DibLayout parsePackedDib(ByteReader packed, std::uint32_t usage, std::uint32_t bandRows = 0);

// Decodes a checked bitmap; a null image when it is not drawable or too large
// for memory. withAlpha keeps the alpha of 32-bit pixels (premultiplied, as
// AlphaBlend reads them); otherwise 32-bit pixels are opaque.
QImage decodeDib(const DibLayout& dib, bool withAlpha = false);

#include <map>

// Bitmaps decoded while drawing, kept for later paints; keyed by the offset
// of the record that holds them.
using DibCache = std::map<std::uint64_t, QImage>;
