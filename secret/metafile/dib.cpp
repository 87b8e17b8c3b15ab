#include "metafile/dib.h"

#include <QList>
#include <QRgb>
#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t BiRgb = 0;
constexpr std::uint32_t BiRle8 = 1;
constexpr std::uint32_t BiRle4 = 2;
constexpr std::uint32_t BiBitfields = 3;
constexpr std::uint32_t BiJpeg = 4;
constexpr std::uint32_t BiPng = 5;
constexpr std::uint32_t BiAlphaBitfields = 6;
constexpr std::uint32_t DibPaletteIndices = 2;

bool validBitCount(std::uint32_t compression, int bitCount)
{
    switch (compression) {
    case BiRgb:
        return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24
            || bitCount == 32;
    case BiBitfields:
    case BiAlphaBitfields:
        return bitCount == 16 || bitCount == 32;
    case BiRle8:
        return bitCount == 8;
    case BiRle4:
        return bitCount == 4;
    case BiJpeg:
    case BiPng:
        return true;
    default:
        return false;
    }
}

// Reads the header and colour table at the start of block; leaves block
// positioned after the colour table.
DibLayout readHeader(ByteReader& block, std::uint32_t usage)
{
    DibLayout dib;
    const std::uint32_t headerSize = block.u32();
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t compression = BiRgb;
    std::uint32_t coloursUsed = 0;
    std::uint64_t tableStart = headerSize;
    if (headerSize == 12) {
        width = block.u16();
        height = block.u16();
        block.u16(); // planes
        dib.bitCount = block.u16();
        dib.colourEntrySize = 3;
    } else if (headerSize >= 40) {
        width = block.i32();
        height = block.i32();
        block.u16(); // planes
        dib.bitCount = block.u16();
        compression = block.u32();
        block.skip(12); // image size, resolution
        coloursUsed = block.u32();
        block.u32(); // colours important
        if (compression == BiBitfields || compression == BiAlphaBitfields) {
            for (std::uint32_t& mask : dib.masks)
                mask = block.u32();
            if (headerSize == 40)
                tableStart += compression == BiBitfields ? 12 : 16;
        }
    } else {
        throwBadMetafile();
    }
    if (!validBitCount(compression, dib.bitCount) || width <= 0 || height == 0)
        throwBadMetafile();
    if (dib.bitCount == 16 && compression == BiRgb) {
        dib.masks[0] = 0x7C00;
        dib.masks[1] = 0x03E0;
        dib.masks[2] = 0x001F;
    } else if (dib.bitCount == 32 && compression == BiRgb) {
        dib.masks[0] = 0xFF0000;
        dib.masks[1] = 0x00FF00;
        dib.masks[2] = 0x0000FF;
    }
    dib.width = static_cast<int>(width);
    dib.topDown = height < 0;
    dib.height = static_cast<int>(height < 0 ? -height : height);
    dib.headerHeight = dib.height;
    if (height < 0 && compression != BiRgb && compression != BiBitfields && compression != BiAlphaBitfields)
        throwBadMetafile();
    dib.drawable = compression == BiRgb || compression == BiBitfields || compression == BiAlphaBitfields;

    block.seek(tableStart);
    std::uint64_t entries = coloursUsed;
    if (entries == 0 && dib.bitCount >= 1 && dib.bitCount <= 8)
        entries = std::uint64_t(1) << dib.bitCount;
    if (usage == DibPaletteColours)
        dib.colourEntrySize = 2;
    else if (usage == DibPaletteIndices)
        dib.colourEntrySize = 0;
    dib.colours = block.takeArray(entries, dib.colourEntrySize);
    dib.colourCount = dib.colourEntrySize == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(entries, 256));
    return dib;
}

void checkRows(DibLayout& dib, ByteReader bits)
{
    dib.bits = bits;
    if (!dib.drawable)
        return;
    dib.stride = ((std::uint64_t(dib.width) * std::uint64_t(dib.bitCount) + 31) / 32) * 4;
    if (std::uint64_t(dib.height) > bits.size() / dib.stride)
        throwBadMetafile();
}

QList<QRgb> colourTable(const DibLayout& dib)
{
    const int size = 1 << dib.bitCount;
    QList<QRgb> table(size, qRgb(0, 0, 0));
    ByteReader entries = dib.colours;
    const int count = std::min(dib.colourCount, size);
    for (int i = 0; i < count; ++i) {
        if (dib.colourEntrySize == 2) {
            // Indices into a logical palette the player does not keep.
            const int grey = std::min<int>(entries.u16(), 255);
            table[i] = qRgb(grey, grey, grey);
        } else {
            const int blue = entries.u8();
            const int green = entries.u8();
            const int red = entries.u8();
            if (dib.colourEntrySize == 4)
                entries.u8();
            table[i] = qRgb(red, green, blue);
        }
    }
    if (dib.colourCount == 0 && dib.bitCount == 1)
        table[1] = qRgb(255, 255, 255);
    return table;
}

struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m)
        : mask(m)
    {
        if (mask == 0)
            return;
        while (((mask >> shift) & 1) == 0)
            ++shift;
        max = mask >> shift;
    }
    int value(std::uint32_t pixel) const
    {
        if (max == 0)
            return 0;
        return static_cast<int>((std::uint64_t((pixel & mask) >> shift) * 255 + max / 2) / max);
    }
};

} // namespace

DibLayout parseDib(ByteReader info, ByteReader bits, std::uint32_t usage, std::uint32_t bandRows)
{
    DibLayout dib = readHeader(info, usage);
    if (bandRows > 0 && bandRows < std::uint32_t(dib.height))
        dib.height = static_cast<int>(bandRows);
    checkRows(dib, bits);
    return dib;
}

DibLayout parsePackedDib(ByteReader packed, std::uint32_t usage, std::uint32_t bandRows)
{
    DibLayout dib = readHeader(packed, usage);
    if (bandRows > 0 && bandRows < std::uint32_t(dib.height))
        dib.height = static_cast<int>(bandRows);
    checkRows(dib, packed.take(packed.remaining()));
    return dib;
}

QImage decodeDib(const DibLayout& dib, bool withAlpha)
{
    if (!dib.drawable)
        return {};
    QImage::Format format = QImage::Format_RGB32;
    switch (dib.bitCount) {
    case 1:
        format = QImage::Format_Mono;
        break;
    case 4:
    case 8:
        format = QImage::Format_Indexed8;
        break;
    case 24:
        format = QImage::Format_BGR888;
        break;
    case 32:
        format = withAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
        break;
    default:
        break;
    }
    QImage image(dib.width, dib.height, format);
    if (image.isNull())
        return {};
    if (dib.bitCount <= 8)
        image.setColorTable(colourTable(dib));

    const Channel red(dib.masks[0]);
    const Channel green(dib.masks[1]);
    const Channel blue(dib.masks[2]);
    const bool plain32 = dib.masks[0] == 0xFF0000 && dib.masks[1] == 0xFF00 && dib.masks[2] == 0xFF;
    const auto* base = reinterpret_cast<const uchar*>(dib.bits.data());
    for (int y = 0; y < dib.height; ++y) {
        const std::uint64_t sourceRow = dib.topDown ? y : dib.height - 1 - y;
        const uchar* in = base + sourceRow * dib.stride;
        uchar* out = image.scanLine(y);
        switch (dib.bitCount) {
        case 1:
            std::memcpy(out, in, (std::size_t(dib.width) + 7) / 8);
            break;
        case 4:
            for (int x = 0; x < dib.width; ++x)
                out[x] = (x & 1) ? (in[x / 2] & 0x0F) : (in[x / 2] >> 4);
            break;
        case 8:
            std::memcpy(out, in, std::size_t(dib.width));
            break;
        case 24:
            std::memcpy(out, in, std::size_t(dib.width) * 3);
            break;
        case 16:
        case 32: {
            auto* pixels = reinterpret_cast<QRgb*>(out);
            for (int x = 0; x < dib.width; ++x) {
                std::uint32_t pixel;
                if (dib.bitCount == 16) {
                    pixel = std::uint32_t(in[2 * x]) | (std::uint32_t(in[2 * x + 1]) << 8);
                } else {
                    const uchar* p = in + 4 * std::size_t(x);
                    pixel = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16)
                        | (std::uint32_t(p[3]) << 24);
                }
                int r, g, b;
                if (plain32) {
                    r = (pixel >> 16) & 0xFF;
                    g = (pixel >> 8) & 0xFF;
                    b = pixel & 0xFF;
                } else {
                    r = red.value(pixel);
                    g = green.value(pixel);
                    b = blue.value(pixel);
                }
                if (withAlpha && dib.bitCount == 32) {
                    const int a = pixel >> 24;
                    pixels[x] = qRgba(std::min(r, a), std::min(g, a), std::min(b, a), a);
                } else {
                    pixels[x] = qRgb(r, g, b);
                }
            }
            break;
        }
        default:
            break;
        }
    }
    return image;
}
