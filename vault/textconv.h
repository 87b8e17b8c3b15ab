#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The one conversion from text to a signed 32-bit integer used wherever a
// stored or decoded number is read. Accepts leading spaces, then an optional
// sign and decimal digits within the signed 32-bit range, or (unsigned) "$",
// "x", "X", "0x", "0X" and 1 to 8 hex digits taken as the 32 bits. Nothing
// may follow. Throws ConversionError "'%s' n'est pas une valeur entière
// correcte" with the text given (Windows-1252 bytes, shown as Unicode).
std::int32_t TextToInt(std::string_view text);

// Same rules, without the exception.
bool TryTextToInt(std::string_view text, std::int32_t& result) noexcept;

// Numbers as the vault writes them: optional minus, digits, no leading zeros.
std::string IntToText(std::int64_t value);
