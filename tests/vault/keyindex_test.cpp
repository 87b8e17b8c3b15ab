#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "keyindex.h"

namespace {

// Entries numbered in the order they were added. A fixed hash forces every
// key into one probe chain.
struct Entries {
    std::vector<std::string> names;
    std::vector<std::uint32_t> hashes;
    bool oneHash = false;

    std::string_view key(std::uint32_t id) const { return names[id]; }
    std::uint32_t hash(std::uint32_t id) const { return hashes[id]; }

    std::uint32_t add(std::string name)
    {
        hashes.push_back(oneHash ? 7u : KeyIndex::hashOf(name));
        names.push_back(std::move(name));
        return static_cast<std::uint32_t>(names.size() - 1);
    }

    std::uint32_t find(const KeyIndex& index, std::string_view key) const
    {
        return index.find(key, oneHash ? 7u : KeyIndex::hashOf(key), *this);
    }
};

TEST(KeyIndex, FindsKeysWithoutRegardToAsciiCaseOnly)
{
    EXPECT_EQ(Entries().find(KeyIndex(), "anything"), KeyIndex::kNone);
    // '@' and '`', '[' and '{' differ by bit 5 as letter cases do: they hash
    // alike and must still not match. Bytes from 0x80 up (here Windows-1252
    // accented letters) match only themselves.
    const char* const names[] = { "Image", "Row12Col3", "k@", "k`", "[x", "{x", "\xC9t\xE9", "caf\xE9" };
    const struct {
        const char* key;
        std::uint32_t id;
    } cases[] = {
        { "Image", 0 },
        { "image", 0 },
        { "IMAGE", 0 },
        { "ROW12COL3", 1 },
        { "row12col3", 1 },
        { "imag", KeyIndex::kNone },
        { "images", KeyIndex::kNone },
        { "", KeyIndex::kNone },
        { "K@", 2 },
        { "K`", 3 },
        { "[X", 4 },
        { "{X", 5 },
        { "\xC9T\xE9", 6 },
        { "\xE9t\xE9", KeyIndex::kNone },
        { "CAF\xE9", 7 },
        { "caf\xC9", KeyIndex::kNone },
    };
    for (const bool oneHash : { false, true }) {
        Entries entries;
        entries.oneHash = oneHash;
        KeyIndex index;
        for (const char* name : names)
            index.insertNew(entries.add(name), entries);
        EXPECT_EQ(index.size(), std::size(names));
        for (const auto& c : cases)
            EXPECT_EQ(entries.find(index, c.key), c.id) << "key \"" << c.key << "\", one hash " << oneHash;
    }
}

TEST(KeyIndex, TheFirstEntryOfAKeyAnswersForIt)
{
    Entries entries;
    KeyIndex index;
    const struct {
        const char* name;
        std::uint32_t answers;
    } inserts[] = {
        { "Key", 0 },
        { "KEY", 0 },
        { "other", 2 },
        { "key", 0 },
        { "OTHER", 2 },
    };
    for (const auto& i : inserts)
        EXPECT_EQ(index.insert(entries.add(i.name), entries), i.answers) << i.name;
    EXPECT_EQ(index.size(), 2u);
    EXPECT_EQ(entries.find(index, "kEy"), 0u);
    EXPECT_EQ(entries.find(index, "Other"), 2u);
}

// Growing places every entry again from its kept hash: all stay found, with
// or without room made beforehand, also when every key shares one hash.
TEST(KeyIndex, KeysStayFoundAsTheIndexGrows)
{
    const struct {
        int keys;
        std::size_t reserved;
        bool oneHash;
    } cases[] = {
        { 5000, 0, false },
        { 5000, 5000, false },
        { 5000, 100, false },
        { 300, 0, true },
    };
    for (const auto& c : cases) {
        Entries entries;
        entries.oneHash = c.oneHash;
        KeyIndex index;
        index.reserve(c.reserved, entries);
        for (int i = 0; i < c.keys; ++i) {
            ASSERT_EQ(index.insert(entries.add("Key" + std::to_string(i)), entries), std::uint32_t(i)) << i;
            // Look-ups between insertions see the index at every size.
            ASSERT_EQ(entries.find(index, "KEY" + std::to_string(i / 2)), std::uint32_t(i / 2)) << i;
        }
        EXPECT_EQ(index.size(), std::size_t(c.keys));
        for (int i = 0; i < c.keys; ++i)
            ASSERT_EQ(entries.find(index, "key" + std::to_string(i)), std::uint32_t(i))
                << i << " of " << c.keys << ", reserved " << c.reserved << ", one hash " << c.oneHash;
        EXPECT_EQ(entries.find(index, "key" + std::to_string(c.keys)), KeyIndex::kNone);
    }
}

} // namespace
