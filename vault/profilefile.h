#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Hashing and comparison of names without regard to ASCII letter case,
// usable with string_view look-ups.
struct AsciiCaseHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept;
};

struct AsciiCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};

// The content of a profile file held in memory: parses, answers look-ups,
// edits and serialises. Files written by the Windows profile functions read
// the same as there: CRLF or LF line ends, blanks around names and values
// ignored, names matched without regard to ASCII letter case, a value in
// matching quotes read without them. Lines it does not understand and
// sections nobody edits are written back byte for byte; every line is
// written with CRLF. Files of up to 4 GiB.
class ProfileFile {
public:
    ProfileFile();
    ~ProfileFile();
    ProfileFile(ProfileFile&&) noexcept;
    ProfileFile& operator=(ProfileFile&&) noexcept;

    static ProfileFile parse(std::string content);
    std::string serialise() const;
    // The same bytes, handed to put() in pieces of a few dozen kilobytes.
    void serialise(const std::function<void(std::string_view)>& put) const;

    // The value, or "" when the section or key is absent; cut to 2047 bytes.
    std::string read(std::string_view section, std::string_view key) const;
    bool hasKey(std::string_view section, std::string_view key) const;
    bool sectionHasKeys(std::string_view section) const;
    // Distinct keys of the first section of that name.
    std::size_t keyCount(std::string_view section) const;
    // Key names of the first section of that name, in file order.
    std::vector<std::string> keys(std::string_view section) const;

    // Each returns whether the content changed.
    bool write(std::string_view section, std::string_view key, std::string_view value);
    bool clearSection(std::string_view section);

    static constexpr std::size_t kMaxValue = 2047;

private:
    struct Line;
    struct Section;
    class KeyIndex;
    using SectionIndex = std::unordered_map<std::string, Section*, AsciiCaseHash, AsciiCaseEqual>;

    void parseSource();
    std::string_view text(const Line& line) const;
    std::string_view keyOf(const Line& line) const;
    std::string_view valueOf(const Line& line) const;
    std::uint32_t addOwnedLine(std::string text);
    const Line* findEntry(std::string_view section, std::string_view key) const;
    Section* findSection(std::string_view name) const;
    void reindex();

    // Lines stay in the text they were read from; edited and new lines own
    // their text. Sections list their lines by number, so reading a large
    // file costs no allocation per line.
    std::string m_source;
    std::vector<std::string> m_owned;
    std::vector<Line> m_lines;
    // m_sections[0] holds the lines before the first header and has no name.
    std::vector<std::unique_ptr<Section>> m_sections;
    SectionIndex m_index; // first section of each name
    mutable Section* m_lastSection = nullptr;
};
