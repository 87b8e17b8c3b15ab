#include "textconv.h"

#include "cp1252.h"
#include "kaldrinoerror.h"

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool TryTextToInt(std::string_view text, std::int32_t& result) noexcept
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const std::string_view rest = text.substr(i);
    if (rest.empty())
        return false;

    // Hexadecimal: "$", "x", "X", "0x" or "0X", then 1 to 8 digits, no sign.
    std::size_t prefix = 0;
    if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')
        prefix = 1;
    else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X'))
        prefix = 2;
    if (prefix > 0) {
        const std::string_view digits = rest.substr(prefix);
        if (digits.empty() || digits.size() > 8)
            return false;
        std::uint32_t value = 0;
        for (char c : digits) {
            const int d = hexDigit(c);
            if (d < 0)
                return false;
            value = value * 16 + static_cast<std::uint32_t>(d);
        }
        result = static_cast<std::int32_t>(value);
        return true;
    }

    bool negative = false;
    std::size_t pos = 0;
    if (rest[0] == '+' || rest[0] == '-') {
        negative = rest[0] == '-';
        pos = 1;
    }
    if (pos >= rest.size())
        return false;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; pos < rest.size(); ++pos) {
        if (!isDigit(rest[pos]))
            return false;
        value = value * 10 + (rest[pos] - '0');
        if (value > limit)
            return false;
    }
    result = static_cast<std::int32_t>(negative ? -value : value);
    return true;
}

std::int32_t TextToInt(std::string_view text)
{
    std::int32_t result = 0;
    if (!TryTextToInt(text, result))
        throw ConversionError("'" + cp1252ToUtf8(text) + "' n'est pas une valeur entière correcte");
    return result;
}

std::string IntToText(std::int64_t value)
{
    return std::to_string(value);
}
