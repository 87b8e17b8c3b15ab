#include <gtest/gtest.h>

#include "cp1252.h"
#include "kaldrinoerror.h"
#include "textconv.h"

namespace {

struct Accepted {
    const char* text;
    std::int32_t value;
};

class TextToIntAccepts : public ::testing::TestWithParam<Accepted> { };

TEST_P(TextToIntAccepts, GivesTheValue)
{
    EXPECT_EQ(TextToInt(GetParam().text), GetParam().value) << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(Texts, TextToIntAccepts,
    ::testing::Values(Accepted { "0", 0 }, Accepted { "42", 42 }, Accepted { "   42", 42 },
        Accepted { "+7", 7 }, Accepted { "-7", -7 }, Accepted { "007", 7 }, Accepted { "-0", 0 },
        Accepted { "2147483647", 2147483647 }, Accepted { "-2147483648", INT32_MIN },
        Accepted { "000000000002147483647", 2147483647 }, Accepted { "$1F", 31 }, Accepted { "x1f", 31 },
        Accepted { "X1F", 31 }, Accepted { "0x10", 16 }, Accepted { "0XfF", 255 }, Accepted { "  $A", 10 },
        Accepted { "$7FFFFFFF", 2147483647 }, Accepted { "$FFFFFFFF", -1 },
        Accepted { "$80000000", INT32_MIN }, Accepted { "$00000001", 1 }));

class TextToIntRejects : public ::testing::TestWithParam<const char*> { };

TEST_P(TextToIntRejects, WithTheTextInTheMessage)
{
    const std::string text = GetParam();
    try {
        TextToInt(text);
        FAIL() << "accepted '" << text << "'";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.message(), "'" + text + "' n'est pas une valeur entière correcte");
    }
    std::int32_t untouched = 99;
    EXPECT_FALSE(TryTextToInt(text, untouched));
}

INSTANTIATE_TEST_SUITE_P(Texts, TextToIntRejects,
    ::testing::Values("", "   ", "+", "-", "12 ", "1 2", "\t5", "1a", "abc", "2147483648", "-2147483649",
        "99999999999", "$", "0x", "x", "$123456789", "-$1", "+$1", "$G", "1.5", "1e3", "0x-1", "--1"));

TEST(TextToIntMessage, ShowsStoredBytesAsUnicode)
{
    // 0xE9 is 'é' in Windows-1252.
    try {
        TextToInt("caf\xE9");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.message(), "'café' n'est pas une valeur entière correcte");
        EXPECT_STREQ(e.what(), e.message().c_str());
    }
}

TEST(IntToText, PlainDecimal)
{
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(3), "3");
    EXPECT_EQ(IntToText(-12), "-12");
    EXPECT_EQ(IntToText(1000000), "1000000");
    EXPECT_EQ(IntToText(INT32_MIN), "-2147483648");
}

TEST(IntToText, RoundTripsThroughTextToInt)
{
    for (std::int32_t v : { 0, 1, -1, 9, 10, 99, 100, -100, INT32_MAX, INT32_MIN })
        EXPECT_EQ(TextToInt(IntToText(v)), v);
}

} // namespace
