#include "metafile/ansitext.h"

namespace {

// Windows-1252 differs from Latin-1 in 0x80 to 0x9F.
constexpr char16_t High1252[32] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

char16_t fromAnsi(std::uint8_t byte)
{
    return byte >= 0x80 && byte < 0xA0 ? High1252[byte - 0x80] : char16_t(byte);
}

} // namespace

QString decodeAnsi(ByteReader bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    while (bytes.remaining() > 0)
        text.append(QChar(fromAnsi(bytes.u8())));
    return text;
}

QString decodeUtf16(ByteReader units)
{
    QString text;
    text.reserve(static_cast<qsizetype>(units.size() / 2));
    while (units.remaining() >= 2)
        text.append(QChar(units.u16()));
    return text;
}

QString decodeAnsiName(ByteReader field)
{
    QString name;
    while (field.remaining() > 0) {
        const std::uint8_t byte = field.u8();
        if (byte == 0)
            break;
        name.append(QChar(fromAnsi(byte)));
    }
    return name;
}

QString decodeUtf16Name(ByteReader field)
{
    QString name;
    while (field.remaining() >= 2) {
        const std::uint16_t unit = field.u16();
        if (unit == 0)
            break;
        name.append(QChar(unit));
    }
    return name;
}
