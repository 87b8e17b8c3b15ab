#include "encryptdecrypt.h"
#include "encryptinto.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "textconv.h"
#include "tickcount.h"

namespace {

constexpr int kOffset = 23851;
constexpr std::size_t kMaxText = vault::kLongestText;
static_assert(kMaxText <= 255, "a text's length is stored in one byte");
constexpr std::size_t kMaxGroups = 128;

using Buffer = std::array<unsigned char, 256>;

// The five digits of every 16-bit word, worked out once: a table's save
// encodes a million words.
struct GroupDigits {
    std::array<char, 65536 * 5 + 3> digits; // +3: room for 8-byte copies

    GroupDigits()
    {
        for (unsigned word = 0; word < 65536; ++word) {
            unsigned v = word + kOffset; // at most 89386: always five digits
            for (int i = 4; i >= 0; --i) {
                digits[word * 5 + i] = static_cast<char>('0' + v % 10);
                v /= 10;
            }
        }
        digits[65536 * 5] = digits[65536 * 5 + 1] = digits[65536 * 5 + 2] = 0;
    }
};

const char* groupDigits()
{
    static const GroupDigits table;
    return table.digits.data();
}

// The value of a group of five plain digits, the only kind EncryptText
// makes, or -1.
inline int plainGroup(const char* group)
{
    const unsigned d0 = static_cast<unsigned char>(group[0]) - unsigned('0');
    const unsigned d1 = static_cast<unsigned char>(group[1]) - unsigned('0');
    const unsigned d2 = static_cast<unsigned char>(group[2]) - unsigned('0');
    const unsigned d3 = static_cast<unsigned char>(group[3]) - unsigned('0');
    const unsigned d4 = static_cast<unsigned char>(group[4]) - unsigned('0');
    if ((d0 > 9) | (d1 > 9) | (d2 > 9) | (d3 > 9) | (d4 > 9))
        return -1;
    return static_cast<int>(d0 * 10000 + d1 * 1000 + d2 * 100 + d3 * 10 + d4);
}

} // namespace

std::string EncryptText(std::string_view text)
{
    // The tick count is only looked at for the empty text.
    return EncryptText(text, text.empty() ? TickCount() : 0);
}

std::string EncryptText(std::string_view text, std::uint32_t tickCount)
{
    EncodedText out;
    return std::string(encryptInto(out, text, tickCount));
}

std::string_view encryptInto(EncodedText& out, std::string_view text, std::uint32_t tickCount)
{
    if (text.size() > kMaxText)
        text = text.substr(0, kMaxText);
    const std::size_t n = text.size();

    std::size_t m = n % 2 == 1 ? n + 1 : n + 2;
    if (m < 10)
        m = 10;

    // Bytes past the text that nothing else fills stay 0, so the encoding of
    // every non-empty text depends on the text alone: the byte past an even
    // text of 10 bytes or more, the filling past the tick digits.
    Buffer buf;
    buf[m - 1] = 0;
    buf[0] = static_cast<unsigned char>(n);
    std::memcpy(buf.data() + 1, text.data(), n);

    if (n == 0) {
        std::memset(buf.data() + 1, 0, 9);
        char digits[16];
        const char* end = std::to_chars(digits, digits + sizeof digits, tickCount).ptr;
        for (std::size_t i = 0; i < static_cast<std::size_t>(end - digits) && i < 9; ++i)
            buf[1 + i] = static_cast<unsigned char>(digits[i]);
    } else if (n < 10) {
        for (std::size_t i = n, from = 0; i < 9; ++i, ++from)
            buf[1 + i] = buf[1 + from];
    }

    // Each group is copied as eight bytes, the next group overwriting the
    // three extra ones.
    const std::size_t groups = m / 2;
    const char* digits = groupDigits();
    const unsigned char* word = buf.data();
    char* group = out.data();
    for (std::size_t k = 0; k < groups; ++k, word += 2, group += 5)
        std::memcpy(group, digits + 5 * (word[0] | unsigned(word[1]) << 8), 8);
    return std::string_view(out.data(), groups * 5);
}

std::string DecryptText(std::string_view encoded)
{
    std::string out;
    decryptInto(encoded, out);
    return out;
}

void decryptInto(std::string_view encoded, std::string& out)
{
    // Input longer than the buffer holds: its first 128 groups count.
    const std::size_t groups = std::min(kMaxGroups, (encoded.size() + 4) / 5);
    Buffer buf;
    for (std::size_t k = 0; k < groups; ++k) {
        const std::string_view group = encoded.substr(k * 5, 5);
        const int plain = group.size() == 5 ? plainGroup(group.data()) : -1;
        const std::int32_t value = plain >= 0 ? plain : TextToInt(group);
        const std::uint32_t word = static_cast<std::uint32_t>(value - kOffset) & 0xFFFF;
        buf[2 * k] = static_cast<unsigned char>(word & 0xFF);
        buf[2 * k + 1] = static_cast<unsigned char>(word >> 8);
    }
    // The buffer held a length of 35 and 35 spaces, then zeros, before the
    // groups were written over it; only the bytes read back are filled in.
    std::size_t decoded = groups * 2;
    if (decoded == 0)
        buf[decoded++] = 35;
    const std::size_t length = buf[0];
    for (; decoded <= length; ++decoded)
        buf[decoded] = decoded <= 35 ? ' ' : 0;
    out.assign(reinterpret_cast<const char*>(buf.data() + 1), length);
}
