#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "keyindex.h"

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
    // The same bytes, in place of out's content (its memory is reused).
    // When given, ready() is handed each further piece of a few hundred
    // kilobytes as soon as it is complete, so that the caller can write it
    // out while the rest is being made.
    void serialise(std::string& out, const std::function<void(std::string_view)>& ready = {}) const;

    // The content parse() was given.
    std::string_view source() const { return m_source; }
    // False once a write made a line that would read back otherwise (a line
    // break or '=' in a key, blanks around a value...): the content then
    // differs from what parsing its own serialisation gives.
    bool readsBackAsWritten() const { return m_readsBack; }

    // The value, or "" when the section or key is absent; cut to 2047 bytes.
    std::string read(std::string_view section, std::string_view key) const;
    // The same, in place of out's content (its memory is reused).
    void read(std::string_view section, std::string_view key, std::string& out) const;
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
    struct LineKeys;
    using SectionIndex = std::unordered_map<std::string, Section*, AsciiCaseHash, AsciiCaseEqual>;

    void parseSource();
    std::string_view text(const Line& line) const;
    std::string_view keyOf(const Line& line) const;
    std::string_view valueOf(const Line& line) const;
    std::uint32_t addOwnedLine(std::string text);
    const Line* findEntry(std::string_view section, std::string_view key) const;
    // The first line of the key, or KeyIndex::kNone; *exact tells whether
    // its key is written the same, letter case included.
    std::uint32_t findLine(const Section& section, std::string_view key, bool* exact = nullptr) const;
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
    // Where the last look-up found its key: tables are read and written in
    // file order, so the next key is most often on the next line.
    mutable const Section* m_hintSection = nullptr;
    mutable std::uint32_t m_hintPos = 0;
    bool m_readsBack = true;
};
