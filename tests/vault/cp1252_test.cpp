#include <gtest/gtest.h>

#include "cp1252.h"

namespace {

TEST(Cp1252, AllByteValuesRoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const QString text = fromCp1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(toCp1252(text), all);
    // Every byte maps to a distinct character.
    for (int i = 0; i < 256; ++i) {
        for (int j = i + 1; j < 256; ++j)
            ASSERT_NE(text.at(i), text.at(j)) << i << " and " << j;
    }
}

TEST(Cp1252, KnownCharacters)
{
    const struct {
        unsigned char byte;
        char16_t unicode;
    } cases[] = {
        { 0x41, u'A' },
        { 0x80, 0x20AC },
        { 0x81, 0x0081 },
        { 0x8D, 0x008D },
        { 0x8F, 0x008F },
        { 0x90, 0x0090 },
        { 0x9D, 0x009D },
        { 0x92, 0x2019 },
        { 0x9C, 0x0153 },
        { 0x9F, 0x0178 },
        { 0xA0, 0x00A0 },
        { 0xE9, u'é' },
        { 0xE0, u'à' },
        { 0xC7, u'Ç' },
        { 0xFF, u'ÿ' },
        { 0x01, 0x0001 },
        { 0x00, 0x0000 },
    };
    for (const auto& c : cases) {
        const std::string byte(1, static_cast<char>(c.byte));
        const QString text = fromCp1252(byte);
        ASSERT_EQ(text.size(), 1);
        EXPECT_EQ(text.at(0).unicode(), c.unicode) << "byte " << int(c.byte);
        EXPECT_EQ(toCp1252(QString(QChar(c.unicode))), byte) << "byte " << int(c.byte);
        EXPECT_TRUE(isCp1252Representable(QChar(c.unicode)));
    }
}

TEST(Cp1252, UnrepresentableCharactersBecomeQuestionMarks)
{
    // U+0080 is a C1 code point whose byte holds the euro sign.
    EXPECT_FALSE(isCp1252Representable(QChar(0x0080)));
    EXPECT_FALSE(isCp1252Representable(QChar(0x4E2D)));
    EXPECT_FALSE(isCp1252Representable(QChar(0xD83D)));
    EXPECT_EQ(toCp1252(QString::fromUtf8("a\u4E2Db")), "a?b");
    EXPECT_EQ(toCp1252(QString(QChar(0x0080))), "?");
    // One character outside the basic plane is one '?'.
    EXPECT_EQ(toCp1252(QString::fromUtf8("x\U0001F600y")), "x?y");
    // Into a buffer that held a longer text: nothing of it is left.
    std::string reused = "a much longer earlier cell";
    toCp1252(QString::fromUtf8("été中"), reused);
    EXPECT_EQ(reused, "\xE9t\xE9?");
}

TEST(Cp1252, ByteOfOneCharacter)
{
    EXPECT_EQ(cp1252Byte(u'A'), 0x41);
    EXPECT_EQ(cp1252Byte(u'é'), 0xE9);
    EXPECT_EQ(cp1252Byte(QChar(0x20AC)), 0x80);
    EXPECT_EQ(cp1252Byte(QChar(0x178)), 0x9F);
    EXPECT_EQ(cp1252Byte(QChar(0x81)), 0x81);
    EXPECT_EQ(cp1252Byte(QChar(0x80)), '?'); // a C1 control the code page replaced
    EXPECT_EQ(cp1252Byte(QChar(0x3A9)), '?');
}

TEST(Cp1252, Utf8ForMessages)
{
    EXPECT_EQ(cp1252ToUtf8("\xC9t\xE9 \x80"), "Été €");
    EXPECT_EQ(cp1252ToUtf8(""), "");
}

} // namespace
