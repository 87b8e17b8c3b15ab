#pragma once

#include <cstdint>
#include <string_view>

// The click secret's decisions, apart from the screen that asks them.

// A number of the stored click secret ("nb", "x<n>", "y<n>"): the value as
// read from the vault, decoded by the field cipher and read as a whole
// number. An absent value, one the cipher cannot decode and one that is not
// a whole number all give the fallback, so a damaged vault can only make a
// verification fail.
std::int32_t StoredNumber(std::string_view stored, std::int32_t fallback);

// A click matches the stored point when it lies in the 21 x 21 square
// centred on it, edges included.
bool ClickMatches(std::int32_t storedX, std::int32_t storedY, std::int32_t x, std::int32_t y);
