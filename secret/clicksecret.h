#pragma once

#include <QPoint>
#include <QSize>
#include <cstdint>
#include <optional>
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

// Plain names of the keys that hold the size at which the picture was shown
// while the secret was recorded. Short enough (under ten bytes) that the
// field cipher scrambles them the same way every time, and unlike every
// other key of the secret section.
inline constexpr std::string_view kShownWidthKey = "largeur";
inline constexpr std::string_view kShownHeightKey = "hauteur";

// That size, from the raw (scrambled) values stored under those keys;
// absent unless both decode to positive whole numbers. Vaults recorded
// before the size was kept have none.
std::optional<QSize> StoredPictureSize(std::string_view storedWidth, std::string_view storedHeight);

// A click on the picture shown at `shown`, in the pixels of the same picture
// shown at `recorded`: each axis scaled by the ratio of the two sizes,
// rounded to the nearest pixel, exact halves upward. The click is unchanged
// without a recorded size, when the sizes are equal, or when `shown` is
// empty.
QPoint ClickInRecordedPicture(QPoint click, QSize shown, std::optional<QSize> recorded);
