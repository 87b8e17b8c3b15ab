#include "metafile/bytereader.h"

#include <cstring>

#include "picture.h"

void throwBadMetafile()
{
    throw PictureError("MetaFichier incorrect");
}

ByteReader::ByteReader(const QByteArray& bytes)
    : m_data(bytes.constData())
    , m_size(static_cast<std::uint64_t>(bytes.size()))
{
}

void ByteReader::need(std::uint64_t count) const
{
    if (count > m_size - m_pos)
        throwBadMetafile();
}

void ByteReader::seek(std::uint64_t pos)
{
    if (pos > m_size)
        throwBadMetafile();
    m_pos = pos;
}

void ByteReader::skip(std::uint64_t count)
{
    need(count);
    m_pos += count;
}

std::uint8_t ByteReader::u8()
{
    need(1);
    return static_cast<std::uint8_t>(m_data[m_pos++]);
}

std::uint16_t ByteReader::u16()
{
    need(2);
    const auto* p = reinterpret_cast<const unsigned char*>(m_data + m_pos);
    m_pos += 2;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ByteReader::u32()
{
    need(4);
    const auto* p = reinterpret_cast<const unsigned char*>(m_data + m_pos);
    m_pos += 4;
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16)
        | (std::uint32_t(p[3]) << 24);
}

float ByteReader::f32()
{
    const std::uint32_t bits = u32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

ByteReader ByteReader::take(std::uint64_t count)
{
    need(count);
    ByteReader part(m_data + m_pos, count);
    m_pos += count;
    return part;
}

ByteReader ByteReader::takeArray(std::uint64_t count, std::uint64_t itemSize)
{
    if (itemSize != 0 && count > remaining() / itemSize)
        throwBadMetafile();
    return take(count * itemSize);
}

ByteReader ByteReader::window(std::uint64_t offset, std::uint64_t count) const
{
    if (offset > m_size || count > m_size - offset)
        throwBadMetafile();
    return ByteReader(m_data + offset, count);
}
