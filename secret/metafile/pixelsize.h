#pragma once

#include <cmath>

// A natural size from a file's fields, rounded to whole pixels: absurd or
// undefined values are held to 0 .. 2^20 rather than overflowing an int.
inline int clampedPixels(double pixels)
{
    if (!(pixels > 0))
        return 0;
    return pixels >= 1 << 20 ? 1 << 20 : static_cast<int>(std::lround(pixels));
}
