#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Appends the encoding of a text (EncryptText) to a buffer that the caller
// reuses, so that writing a whole table allocates nothing per cell.
void appendEncrypted(std::string& out, std::string_view text, std::uint32_t tickCount);
