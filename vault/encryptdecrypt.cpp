#include "encryptdecrypt.h"

#include <array>
#include <cstring>

#include "textconv.h"
#include "tickcount.h"

namespace {

constexpr int kOffset = 23851;
constexpr std::size_t kMaxText = 255;
constexpr std::size_t kMaxGroups = 128;

using Buffer = std::array<unsigned char, 256>;

void appendGroup(std::string& out, unsigned word)
{
    // word + offset is at most 89386: always five digits.
    unsigned v = word + kOffset;
    char digits[5];
    for (int i = 4; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    out.append(digits, 5);
}

} // namespace

std::string EncryptText(std::string_view text)
{
    // The tick count is only looked at for the empty text.
    return EncryptText(text, text.empty() ? TickCount() : 0);
}

std::string EncryptText(std::string_view text, std::uint32_t tickCount)
{
    if (text.size() > kMaxText)
        text = text.substr(0, kMaxText);
    const std::size_t n = text.size();

    // Bytes past the text that nothing else fills stay 0, so the encoding of
    // every non-empty text depends on the text alone.
    Buffer buf{};
    buf[0] = static_cast<unsigned char>(n);
    std::memcpy(buf.data() + 1, text.data(), n);

    if (n == 0) {
        const std::string digits = std::to_string(tickCount);
        for (std::size_t i = 0; i < digits.size() && i < 9; ++i)
            buf[1 + i] = static_cast<unsigned char>(digits[i]);
    } else if (n < 10) {
        for (std::size_t i = n; i < 9; ++i)
            buf[1 + i] = buf[1 + i % n];
    }

    std::size_t m = n % 2 == 1 ? n + 1 : n + 2;
    if (m < 10)
        m = 10;

    std::string out;
    out.reserve(m / 2 * 5);
    for (std::size_t k = 0; k < m / 2; ++k)
        appendGroup(out, buf[2 * k] + 256u * buf[2 * k + 1]);
    return out;
}

std::string DecryptText(std::string_view encoded)
{
    Buffer buf{};
    buf[0] = 35;
    std::memset(buf.data() + 1, ' ', 35);

    // Input longer than the buffer holds: its first 128 groups count.
    for (std::size_t k = 0; k < kMaxGroups && k * 5 < encoded.size(); ++k) {
        const std::string_view group = encoded.substr(k * 5, 5);
        const std::uint32_t word = static_cast<std::uint32_t>(TextToInt(group) - kOffset) & 0xFFFF;
        buf[2 * k] = static_cast<unsigned char>(word & 0xFF);
        buf[2 * k + 1] = static_cast<unsigned char>(word >> 8);
    }
    return std::string(reinterpret_cast<const char*>(buf.data() + 1), buf[0]);
}
