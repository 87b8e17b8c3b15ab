#include "metafile/ansitext.h"

#include "cp1252.h"

namespace {

// Text records store bytes of the Windows-1252 code page, as the vault does.
QChar fromAnsi(std::uint8_t byte)
{
    const char c = static_cast<char>(byte);
    return fromCp1252(std::string_view(&c, 1)).at(0);
}

} // namespace

QString decodeAnsi(ByteReader bytes)
{
    std::string raw;
    raw.reserve(bytes.size());
    while (bytes.remaining() > 0)
        raw.push_back(static_cast<char>(bytes.u8()));
    return fromCp1252(raw);
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
        name.append(fromAnsi(byte));
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
