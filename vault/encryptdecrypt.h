#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The field cipher: every name, key and value of the vault's secret section
// passes through it. Texts are Windows-1252 bytes; at most kLongestText are
// kept.

namespace vault {
// The longest text the vault keeps, a cell's included: the cipher stores a
// text's length in one byte and cuts anything longer.
inline constexpr int kLongestText = 255;
} // namespace vault

// Encodes a text into 5-digit groups. Never fails. The empty text takes the
// tick count's digits as filling, so its encoding changes with time.
std::string EncryptText(std::string_view text);

// Same, with the tick count given (tests).
std::string EncryptText(std::string_view text, std::uint32_t tickCount);

// Decodes groups of 5 digits. Throws ConversionError naming the first group
// that is not a whole number. The empty input gives 35 spaces.
std::string DecryptText(std::string_view encoded);
