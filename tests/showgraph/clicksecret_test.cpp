#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

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

TEST(ClickInRecordedPicture, ScalesEachAxisToTheRecordedSize)
{
    struct Case {
        const char* name;
        QPoint click;
        QSize shown;
        std::optional<QSize> recorded;
        QPoint expected;
    };
    const Case cases[] = {
        { "same size", { 288, 270 }, { 1440, 1080 }, QSize(1440, 1080), { 288, 270 } },
        { "no recorded size", { 288, 270 }, { 1440, 1080 }, std::nullopt, { 288, 270 } },
        // 1600 x 1200 fitted to 1024 x 768, then to 1440 x 1080.
        { "larger now", { 288, 270 }, { 1440, 1080 }, QSize(1024, 768), { 205, 192 } },
        { "smaller now", { 205, 192 }, { 1024, 768 }, QSize(1440, 1080), { 288, 270 } },
        { "last pixel", { 1439, 1079 }, { 1440, 1080 }, QSize(1024, 768), { 1023, 767 } },
        { "origin", { 0, 0 }, { 1440, 1080 }, QSize(1024, 768), { 0, 0 } },
        // 3000 x 2000 fitted to 1024 x 683 and to 1620 x 1080: each axis by
        // its own ratio.
        { "other aspect", { 512, 341 }, { 1024, 683 }, QSize(1620, 1080), { 810, 539 } },
        { "one axis only", { 101, 77 }, { 400, 600 }, QSize(800, 600), { 202, 77 } },
        // Exact halves go up, not to even: 2.5 gives 3, 1.5 gives 2.
        { "halves", { 5, 1 }, { 200, 200 }, QSize(100, 300), { 3, 2 } },
        { "halves, other side", { 3, 3 }, { 200, 200 }, QSize(100, 300), { 2, 5 } },
        { "below and above a half", { 1, 2 }, { 3, 3 }, QSize(1, 1), { 0, 1 } },
        { "nothing shown", { 5, 5 }, { 0, 0 }, QSize(100, 100), { 5, 5 } },
        // A size read from a damaged vault cannot overflow the result.
        { "huge recorded size", { 1023, 767 }, { 1024, 768 }, QSize(INT_MAX, INT_MAX),
            { 2145386495, 2144687444 } },
        { "huge recorded size, far click", { INT_MAX, INT_MIN }, { 1, 1 }, QSize(INT_MAX, INT_MAX),
            { INT_MAX, INT_MIN } },
    };
    for (const Case& c : cases) {
        const QPoint mapped = ClickInRecordedPicture(c.click, c.shown, c.recorded);
        EXPECT_EQ(mapped, c.expected) << c.name << ": got " << mapped.x() << "," << mapped.y();
    }
}

TEST(StoredPictureSize, NeedsTwoPositiveWholeNumbers)
{
    struct Case {
        std::string width, height;
        std::optional<QSize> expected;
    };
    const Case cases[] = {
        { EncryptText("1024"), EncryptText("768"), QSize(1024, 768) },
        { EncryptText("$400"), EncryptText("768"), QSize(1024, 768) },
        { EncryptText("1"), EncryptText("1"), QSize(1, 1) },
        { "", "", std::nullopt }, // recorded before the size was kept
        { EncryptText("1024"), "", std::nullopt }, { "", EncryptText("768"), std::nullopt },
        { EncryptText("0"), EncryptText("768"), std::nullopt },
        { EncryptText("1024"), EncryptText("-768"), std::nullopt },
        { EncryptText("mille"), EncryptText("768"), std::nullopt },
        { "abcde", EncryptText("768"), std::nullopt }, // not the cipher's digit groups
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StoredPictureSize(c.width, c.height), c.expected)
            << "stored '" << c.width << "' x '" << c.height << "'";
    }
}

} // namespace
