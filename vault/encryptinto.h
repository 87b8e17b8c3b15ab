#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Room for the longest encoding (128 groups of five digits) and for the
// three bytes past its end that the encoder may write over.
using EncodedText = std::array<char, 128 * 5 + 3>;

// Encodes a text as EncryptText does, into a buffer the caller reuses, so
// that writing a whole table allocates nothing per cell. The result lies in
// out and stays valid until the next call with it.
std::string_view encryptInto(EncodedText& out, std::string_view text, std::uint32_t tickCount);

// Decodes as DecryptText does, in place of out's content (its memory is
// reused). On a conversion error out is left as it was.
void decryptInto(std::string_view encoded, std::string& out);
