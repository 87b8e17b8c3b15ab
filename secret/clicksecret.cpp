#include "clicksecret.h"

#include <cstdlib>
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
