#pragma once

#include <QByteArray>
#include <cstdint>

// Every structural fault of a metafile ends here: "MetaFichier incorrect".
[[noreturn]] void throwBadMetafile();

// Little-endian reads from a window of bytes. A read, skip or sub-window that
// would pass the window's end throws "MetaFichier incorrect"; sizes are
// compared in 64 bits, so no field read from the file can wrap them.
class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const char* data, std::uint64_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    explicit ByteReader(const QByteArray& bytes);

    std::uint64_t size() const { return m_size; }
    std::uint64_t pos() const { return m_pos; }
    std::uint64_t remaining() const { return m_size - m_pos; }
    const char* data() const { return m_data; }
    const char* current() const { return m_data + m_pos; }

    void seek(std::uint64_t pos);
    void skip(std::uint64_t count);

    std::uint8_t u8();
    std::uint16_t u16();
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32();
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    float f32();

    // The next count bytes as a reader of their own; moves past them.
    ByteReader take(std::uint64_t count);
    // count items of itemSize bytes each, checked before multiplying.
    ByteReader takeArray(std::uint64_t count, std::uint64_t itemSize);
    // count bytes at an absolute offset, leaving the position alone.
    ByteReader window(std::uint64_t offset, std::uint64_t count) const;

private:
    void need(std::uint64_t count) const;

    const char* m_data = nullptr;
    std::uint64_t m_size = 0;
    std::uint64_t m_pos = 0;
};
