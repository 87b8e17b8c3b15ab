#include <gtest/gtest.h>

#include <climits>

#include "clicksecret.h"
#include "encryptdecrypt.h"

namespace {

TEST(ClickMatches, AcceptsTheTwentyOneSquareEdgesIncluded)
{
    struct Case {
        int storedX, storedY, x, y;
        bool matches;
    };
    const Case cases[] = {
        { 100, 200, 100, 200, true },
        { 100, 200, 110, 190, true },
        { 100, 200, 90, 210, true },
        { 100, 200, 111, 200, false },
        { 100, 200, 89, 200, false },
        { 100, 200, 100, 211, false },
        { 100, 200, 100, 189, false },
        { 100, 200, 111, 211, false },
        // The fallback -1 of a damaged position accepts -11 to 9.
        { -1, 50, 9, 50, true },
        { -1, 50, 10, 50, false },
        { -1, -1, 0, 0, true },
        // Stored extremes must not wrap around.
        { INT_MIN, 0, INT_MAX, 0, false },
        { INT_MAX, 0, INT_MIN, 0, false },
        { INT_MAX, INT_MIN, INT_MAX - 10, INT_MIN + 10, true },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClickMatches(c.storedX, c.storedY, c.x, c.y), c.matches)
            << "stored " << c.storedX << "," << c.storedY << " clicked " << c.x << "," << c.y;
    }
}

TEST(StoredNumber, DecodesWholeNumbersAndFallsBackOtherwise)
{
    struct Case {
        std::string stored;
        int expected;
    };
    const Case cases[] = {
        { EncryptText("3"), 3 }, { EncryptText("-12"), -12 }, { EncryptText("  42"), 42 },
        { EncryptText("$10"), 16 }, { "", 7 }, // absent key
        { EncryptText("trois"), 7 }, // decodes, not a number
        { EncryptText("3 "), 7 }, // trailing text
        { EncryptText("2147483648"), 7 }, // out of range
        { "abcde", 7 }, // not the cipher's digit groups
    };
    for (const Case& c : cases)
        EXPECT_EQ(StoredNumber(c.stored, 7), c.expected) << "stored '" << c.stored << "'";
}

} // namespace
