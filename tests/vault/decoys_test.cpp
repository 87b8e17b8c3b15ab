#include <gtest/gtest.h>

#include "decoys.h"
#include "encryptdecrypt.h"
#include "fileio.h"
#include "filetestutil.h"
#include "inifile.h"
#include "profilefile.h"
#include "tempdir.h"
#include "textconv.h"
#include "vaultlayout.h"

namespace {

struct PlainEntry {
    std::string key;
    std::string value;
    bool operator==(const PlainEntry&) const = default;
};

std::ostream& operator<<(std::ostream& os, const PlainEntry& e)
{
    os << e.key << " = {";
    for (unsigned char c : e.value)
        os << int(c) << ' ';
    return os << '}';
}

// The secret section of a vault file, decoded, in file order.
std::vector<PlainEntry> plainSecretEntries(const QString& path)
{
    const ProfileFile file = ProfileFile::parse(readBytes(path));
    std::vector<PlainEntry> entries;
    for (const std::string& key : file.keys(vault::SecretSection()))
        entries.push_back({ DecryptText(key), DecryptText(file.read(vault::SecretSection(), key)) });
    return entries;
}

std::string bytes(std::initializer_list<int> codes)
{
    std::string s;
    for (int c : codes)
        s.push_back(static_cast<char>(c));
    return s;
}

class DecoyTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        setDecoyClockForTesting({});
        vault::setWriteFailureForTesting({});
    }
    TestFolder dir;
    QString path = dir.file("kaldrino.ini");
};

TEST(DecoyRandom, FollowsTheLinearCongruentialSequence)
{
    DecoyRandom random(0);
    const std::uint32_t seeds[] = { 1u, 134775814u, 3698175007u, 870078620u, 1172187917u };
    for (std::uint32_t expected : seeds) {
        random.below(1);
        EXPECT_EQ(random.seed(), expected);
    }
    DecoyRandom draws(12345678);
    for (std::uint32_t expected : { 626u, 521u, 106u, 922u, 367u, 307u })
        EXPECT_EQ(draws.below(1000), expected);
}

TEST(DecoySeed, IsAMillisecondOfTheDay)
{
    EXPECT_LT(DecoySeedFromClock(), 24u * 3600u * 1000u);
}

TEST_F(DecoyTest, DrawsTheEntriesOfTheSeed)
{
    // Count, then per entry: length, characters, number.
    setDecoyClockForTesting([] { return 12345678u; });
    WriteDecoys(path);
    const std::vector<PlainEntry> expected = {
        { "916", bytes({ 3, 24, 10, 8, 6, 10, 19, 23, 1, 2, 25 }) },
        { "128", bytes({ 24, 5, 22, 13, 22, 3, 2, 10, 24, 24, 20, 12, 24, 22, 25, 22, 14, 2, 16 }) },
        { "94", bytes({ 15, 20, 23, 22, 15, 12, 5, 11, 15, 17, 13 }) },
        { "72", bytes({ 25 }) },
        { "787", bytes({ 6, 2, 10 }) },
        { "480", bytes({ 23, 4, 8, 3, 9, 21, 5, 13, 20, 13, 22, 21, 17, 13, 10, 20 }) },
        { "990", bytes({ 13, 17, 23, 1, 1, 13, 8, 14, 6, 7 }) },
    };
    EXPECT_EQ(plainSecretEntries(path), expected);
}

TEST_F(DecoyTest, TenEntriesAndARepeatedNumberReplaces)
{
    setDecoyClockForTesting([] { return 1051u; });
    WriteDecoys(path);
    const std::vector<PlainEntry> expected = {
        { "131", bytes({ 22 }) },
        { "641", bytes({ 19, 11, 9, 14, 7, 24, 17 }) },
        { "895", bytes({ 24, 25, 2, 16, 18, 6, 18, 25 }) }, // the seventh draw
        { "845", bytes({ 23, 10, 2, 4, 18, 25, 19, 18, 25, 11, 15 }) },
        { "526", bytes({ 16, 6, 12, 5, 13, 25, 18, 18, 1, 25, 18, 21, 21 }) },
        { "381", bytes({ 16, 6, 3, 22, 24, 24, 10, 9, 20, 4, 2, 20 }) },
        { "671", bytes({ 22, 15, 24, 12, 26, 23, 26, 23, 25 }) },
        { "880", bytes({ 4, 5, 21, 19, 23, 18, 6, 6, 19 }) },
        { "476", bytes({ 13, 25, 7, 3, 8, 23, 19, 21, 12, 22, 14, 18 }) },
    };
    EXPECT_EQ(plainSecretEntries(path), expected);
}

TEST_F(DecoyTest, SameMillisecondSameDecoys)
{
    setDecoyClockForTesting([] { return 4242u; });
    WriteDecoys(path);
    const std::string first = readBytes(path);
    int renames = 0;
    vault::setWriteFailureForTesting([&renames](vault::WriteStep step) {
        renames += step == vault::WriteStep::Rename;
        return false;
    });
    WriteDecoys(path);
    EXPECT_EQ(renames, 0);
    EXPECT_EQ(readBytes(path), first);
}

TEST_F(DecoyTest, EveryCallReseedsFromTheClock)
{
    std::uint32_t now = 1000;
    setDecoyClockForTesting([&now] { return now++; });
    WriteDecoys(path);
    const auto afterFirst = plainSecretEntries(path);
    WriteDecoys(path);
    EXPECT_NE(plainSecretEntries(path), afterFirst);
    EXPECT_EQ(now, 1002u);
}

TEST_F(DecoyTest, JoinsTheHandlerThatHasTheFileOpen)
{
    setDecoyClockForTesting([] { return 12345678u; });
    {
        TIniFile ini(path);
        ini.WriteEntry("config", "image", "a.jpg");
        WriteDecoys(path);
        EXPECT_FALSE(QFile::exists(path)) << "the decoys were written on their own";
        EXPECT_EQ(DecryptText(ini.ReadEntry(vault::SecretSection(), EncryptText("72"))), bytes({ 25 }));
        ini.UpdateFile();
    }
    EXPECT_EQ(plainSecretEntries(path).size(), 7u);
    TIniFile after(path);
    EXPECT_EQ(after.ReadEntry("config", "image"), "a.jpg");
}

TEST_F(DecoyTest, KeepsOtherEntries)
{
    writeBytes(path,
        "[config]\r\nimage=a.jpg\r\n[" + vault::SecretSection() + "]\r\n" + EncryptText("nb") + "="
            + EncryptText("3") + "\r\n");
    setDecoyClockForTesting([] { return 1051u; });
    WriteDecoys(path);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadEntry("config", "image"), "a.jpg");
    EXPECT_EQ(DecryptText(ini.ReadEntry(vault::SecretSection(), EncryptText("nb"))), "3");
    EXPECT_EQ(plainSecretEntries(path).size(), 10u);
}

} // namespace
