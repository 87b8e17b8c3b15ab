#include <gtest/gtest.h>

#include "encryptdecrypt.h"
#include "kaldrinoerror.h"

namespace {

// Encodings worked out by hand from the buffer layout: length byte, text
// repeated to fill nine bytes when shorter, little-endian words + 23851.
struct Known {
    std::string text;
    std::uint32_t tick;
    std::string encoded;
};

class CipherKnownVectors : public ::testing::TestWithParam<Known> { };

TEST_P(CipherKnownVectors, EncodeToTheExactDigits)
{
    const Known& k = GetParam();
    EXPECT_EQ(EncryptText(k.text, k.tick), k.encoded);
    if (!k.text.empty()) {
        EXPECT_EQ(EncryptText(k.text), k.encoded) << "depends on the tick count";
    }
    EXPECT_EQ(DecryptText(k.encoded), k.text);
}

INSTANTIATE_TEST_SUITE_P(Texts, CipherKnownVectors,
    ::testing::Values(Known { "secret", 0, "5329749296498215340749296" },
        Known { "nb", 0, "5201352109521095210952109" }, Known { "c0l1", 0, "4919951547492445154749244" },
        Known { "lignes", 0, "5150550324498175161450324" }, Known { "3", 0, "3690836958369583695836958" },
        // An even text of ten bytes: the byte past it is encoded as 0.
        Known { "abcdefghij", 0, "486934929349807503215083523957" },
        Known { "\xE9\xE0\xFC", 0, "8350288587814288375188587" },
        // The empty text: the tick count's first nine digits, then zeros.
        Known { "", 4294967295u, "3716338493384953798538493" },
        Known { "", 7, "3793123851238512385123851" }));

TEST(Cipher, GroupCountFollowsTheLength)
{
    const struct {
        std::size_t length;
        std::size_t digits;
    } cases[] = { { 1, 25 }, { 9, 25 }, { 10, 30 }, { 11, 30 }, { 12, 35 }, { 13, 35 }, { 40, 105 },
        { 253, 635 }, { 254, 640 }, { 255, 640 } };
    for (const auto& c : cases) {
        const std::string text(c.length, 'k');
        const std::string encoded = EncryptText(text);
        EXPECT_EQ(encoded.size(), c.digits) << "length " << c.length;
        EXPECT_EQ(encoded.find_first_not_of("0123456789"), std::string::npos);
        EXPECT_EQ(DecryptText(encoded), text) << "length " << c.length;
    }
}

TEST(Cipher, EveryByteValueComesBack)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(DecryptText(EncryptText(all)), all);
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        ASSERT_EQ(DecryptText(EncryptText(one)), one) << "byte " << b;
    }
}

TEST(Cipher, LongTextIsCutTo255Bytes)
{
    std::string text;
    for (int i = 0; i < 300; ++i)
        text.push_back(static_cast<char>('a' + i % 26));
    const std::string encoded = EncryptText(text);
    EXPECT_EQ(encoded.size(), 640u);
    EXPECT_EQ(DecryptText(encoded), text.substr(0, 255));
}

TEST(Cipher, EmptyTextFollowsTheTickCount)
{
    EXPECT_EQ(EncryptText("").size(), 25u);
    EXPECT_EQ(DecryptText(EncryptText("")), "");
    EXPECT_NE(EncryptText("", 1000), EncryptText("", 1001));
    EXPECT_EQ(DecryptText(EncryptText("", 123456789)), "");
}

TEST(Decrypt, EmptyInputGives35Spaces)
{
    EXPECT_EQ(DecryptText(""), std::string(35, ' '));
}

TEST(Decrypt, ShortLastGroupIsConvertedByItself)
{
    // Word 0 = 2 + 256*'A' (16642) + 23851 = 40493; a last group "23923"
    // cut to "2392" is 2392 - 23851 = -21459, which wraps to 44077 = 0xAC2D.
    EXPECT_EQ(DecryptText("40493"
                          "2392"),
        std::string("A\x2D", 2));
    // A lone digit as last group: 5 - 23851 wraps to 41690 = 0xA2DA.
    EXPECT_EQ(DecryptText("40749"
                          "5"),
        std::string("B\xDA", 2));
}

TEST(Decrypt, LengthBeyondTheDecodedBytesTakesSpaces)
{
    // Length 20, first byte 'Z', nothing else decoded: positions 2 to 20
    // keep the initial spaces.
    const int word = 20 + 256 * 'Z' + 23851;
    EXPECT_EQ(DecryptText(std::to_string(word)), "Z" + std::string(19, ' '));
}

TEST(Decrypt, GroupsAcceptWhatTextToIntAccepts)
{
    // "$5D2B" is 23851, a word of 0: the empty text.
    EXPECT_EQ(DecryptText("$5D2B"), "");
    EXPECT_EQ(DecryptText("23851"), "");
}

TEST(Decrypt, MoreThan128GroupsUsesTheFirst128)
{
    std::string text(255, 'q');
    std::string encoded = EncryptText(text);
    for (int i = 0; i < 50; ++i)
        encoded += "99999";
    EXPECT_EQ(DecryptText(encoded), text);
}

TEST(Decrypt, BadGroupFailsNamingIt)
{
    const struct {
        std::string encoded;
        std::string group;
    } cases[] = {
        { "53297492964982153407492x6", "492x6" },
        { "5329749296498215340749296"
          "abcde",
            "abcde" },
        { "5329 49296", "5329 " }, // a trailing blank is not allowed
        { "5329749296-", "-" }, { "     ", "     " },
        { "5329749296498215340749296"
          "12",
            "" }, // fine: a short last group
    };
    for (const auto& c : cases) {
        if (c.group.empty()) {
            EXPECT_NO_THROW(DecryptText(c.encoded));
            continue;
        }
        try {
            DecryptText(c.encoded);
            FAIL() << c.encoded;
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.message(), "'" + c.group + "' n'est pas une valeur entière correcte") << c.encoded;
        }
    }
}

} // namespace
