#include "cp1252.h"

#include <array>

namespace {

// Bytes 0x80 to 0x9F; the five undefined ones keep their own value (C1).
constexpr std::array<char16_t, 32> kHigh = {
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

char16_t toUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHigh[byte - 0x80];
    return byte;
}

// The byte for a code unit, or -1 when Windows-1252 has none.
int toByte(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == unit)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QString fromCp1252(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = QChar(toUnicode(static_cast<unsigned char>(bytes[i])));
    return text;
}

std::string toCp1252(const QString& text)
{
    std::string bytes;
    toCp1252(text, bytes);
    return bytes;
}

void toCp1252(const QString& text, std::string& bytes)
{
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A surrogate pair is one character: one '?'.
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        const int byte = toByte(c.unicode());
        bytes.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
}

unsigned char cp1252Byte(QChar c)
{
    const int byte = toByte(c.unicode());
    return byte < 0 ? '?' : static_cast<unsigned char>(byte);
}

bool isCp1252Representable(QChar c)
{
    return toByte(c.unicode()) >= 0;
}

std::string cp1252ToUtf8(std::string_view bytes)
{
    return fromCp1252(bytes).toStdString();
}
