#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

// Names match without regard to ASCII letter case; bytes from 0x80 up match
// only themselves. Inline: a vault file hashes and compares every key it
// reads.
inline char asciiLower(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool asciiCaseEqual(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    if (std::memcmp(a.data(), b.data(), a.size()) == 0)
        return true;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

// Setting bit 5 of every byte folds ASCII upper case onto lower case; other
// bytes may collide too, which costs a comparison, never a wrong match.
inline std::uint64_t asciiCaseHash(std::string_view s) noexcept
{
    constexpr std::uint64_t fold = 0x2020202020202020ull;
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = s.size() * k;
    const char* p = s.data();
    std::size_t n = s.size();
    while (n >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        h = (h ^ (w | fold)) * k;
        h ^= h >> 29;
        p += 8;
        n -= 8;
    }
    std::uint64_t tail = 0;
    for (std::size_t i = 0; i < n; ++i)
        tail |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i]) | 0x20) << (8 * i);
    h = (h ^ tail) * k;
    return h ^ (h >> 32);
}

// For standard containers, usable with string_view look-ups.
struct AsciiCaseHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept
    {
        return static_cast<std::size_t>(asciiCaseHash(s));
    }
};

struct AsciiCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept { return asciiCaseEqual(a, b); }
};

// From a key, without regard to ASCII letter case, to the number of the
// first entry that holds it (open addressing, linear probing, at most half
// full). The index keeps numbers only; the owner keeps the entries and lends
// them through a Keys object with
//     std::string_view key(std::uint32_t id) const;
//     std::uint32_t hash(std::uint32_t id) const; // KeyIndex::hashOf(key(id))
// so that the hash, kept with the entry, is never computed again on growth.
// Entries are never removed: an owner that drops some builds a new index.
// The templates are in the header so that the look-ups inline.
class KeyIndex {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    static std::uint32_t hashOf(std::string_view key) noexcept
    {
        return static_cast<std::uint32_t>(asciiCaseHash(key));
    }

    bool empty() const { return m_count == 0; }
    std::size_t size() const { return m_count; }

    // Room for that many keys without growing.
    template <typename Keys> void reserve(std::size_t keys, const Keys& entries)
    {
        std::size_t size = 16;
        while (size < keys * 2)
            size *= 2;
        if (size > m_slots.size())
            rehash(size, entries);
    }

    // The entry holding the key, or kNone; hash is hashOf(key).
    template <typename Keys>
    std::uint32_t find(std::string_view key, std::uint32_t hash, const Keys& entries) const
    {
        if (m_slots.empty())
            return kNone;
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const std::uint32_t id = m_slots[i];
            if (id == kNone || (entries.hash(id) == hash && asciiCaseEqual(entries.key(id), key)))
                return id;
        }
    }

    // Adds the entry unless an earlier one holds its key; returns the entry
    // that now answers for the key.
    template <typename Keys> std::uint32_t insert(std::uint32_t id, const Keys& entries)
    {
        const std::uint32_t first = find(entries.key(id), entries.hash(id), entries);
        if (first != kNone)
            return first;
        insertNew(id, entries);
        return id;
    }

    // The same, for an entry whose key the caller knows to be absent.
    template <typename Keys> void insertNew(std::uint32_t id, const Keys& entries)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            rehash(std::max<std::size_t>(16, m_slots.size() * 2), entries);
        place(id, entries.hash(id));
        ++m_count;
    }

private:
    void place(std::uint32_t id, std::uint32_t hash)
    {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = hash & mask;
        while (m_slots[i] != kNone)
            i = (i + 1) & mask;
        m_slots[i] = id;
    }

    template <typename Keys> void rehash(std::size_t size, const Keys& entries)
    {
        std::vector<std::uint32_t> old = std::move(m_slots);
        m_slots.assign(size, kNone);
        for (std::uint32_t id : old) {
            if (id != kNone)
                place(id, entries.hash(id));
        }
    }

    std::vector<std::uint32_t> m_slots;
    std::size_t m_count = 0;
};
