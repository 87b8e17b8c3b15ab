#include "clicksecret.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>

#include "encryptdecrypt.h"
#include "kaldrinoerror.h"
#include "textconv.h"

namespace {

constexpr std::int64_t kTolerance = 10;

bool within(std::int64_t stored, std::int64_t clicked)
{
    return std::llabs(clicked - stored) <= kTolerance;
}

// value * to / from, to the nearest whole number, halves upward: the floor
// of (2 * value * to + from) / (2 * from). With 32-bit inputs and positive
// sizes the products fit in 64 bits; a result past the 32-bit range (a
// recorded size read from a damaged vault) is held at its edge.
std::int32_t scaledAxis(std::int64_t value, std::int64_t from, std::int64_t to)
{
    const std::int64_t numerator = 2 * value * to + from;
    const std::int64_t denominator = 2 * from;
    std::int64_t quotient = numerator / denominator;
    if (numerator % denominator != 0 && numerator < 0)
        --quotient;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        quotient, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

std::int32_t StoredNumber(std::string_view stored, std::int32_t fallback)
{
    std::string decoded;
    try {
        decoded = DecryptText(stored);
    } catch (const ConversionError&) {
        return fallback;
    }
    std::int32_t value = 0;
    if (decoded.empty() || !TryTextToInt(decoded, value))
        return fallback;
    return value;
}

bool ClickMatches(std::int32_t storedX, std::int32_t storedY, std::int32_t x, std::int32_t y)
{
    return within(storedX, x) && within(storedY, y);
}

std::optional<QSize> StoredPictureSize(std::string_view storedWidth, std::string_view storedHeight)
{
    const std::int32_t width = StoredNumber(storedWidth, 0);
    const std::int32_t height = StoredNumber(storedHeight, 0);
    if (width <= 0 || height <= 0)
        return std::nullopt;
    return QSize(width, height);
}

QPoint ClickInRecordedPicture(QPoint click, QSize shown, std::optional<QSize> recorded)
{
    if (!recorded || *recorded == shown || shown.width() <= 0 || shown.height() <= 0)
        return click;
    return QPoint(scaledAxis(click.x(), shown.width(), recorded->width()),
        scaledAxis(click.y(), shown.height(), recorded->height()));
}
