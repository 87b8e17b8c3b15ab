#include "profilefile.h"

#include <algorithm>
#include <cstring>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

inline std::string_view trim(std::string_view s)
{
    // Most names come without blanks: seen at both ends at once.
    if (!s.empty() && !isBlank(s.front()) && !isBlank(s.back()) && s.back() != '\r')
        return s;
    return trimBlanks(s);
}

// Whether "key=value" parses back as this key and value. The key comes
// trimmed and not empty.
bool readsBackAs(std::string_view key, std::string_view value)
{
    if (key.front() == ';' || key.front() == '[' || key.find_first_of("=\n") != std::string_view::npos)
        return false;
    if (value.find('\n') != std::string_view::npos)
        return false;
    return value.empty() || (!isBlank(value.front()) && !isBlank(value.back()) && value.back() != '\r');
}

} // namespace

// One line of the file. Positions are relative to the line's text, which
// lies in m_source (owned == kNoText) or in m_owned[owned]. Kept small: a
// vault file has one per entry.
struct ProfileFile::Line {
    static constexpr std::uint32_t kNoText = 0xFFFFFFFFu;

    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint32_t owned = kNoText;
    std::uint32_t keyPos = 0;
    std::uint32_t keyLen = 0; // 0: not an entry
    std::uint32_t valuePos = 0;
    std::uint32_t valueLen = 0;
    std::uint32_t hash = 0;

    bool isEntry() const { return keyLen != 0; }

    // Splits "key=value": the key is what lies before the first '=';
    // blanks around both are ignored; comments and headers are no entries.
    void splitEntry(std::string_view text)
    {
        keyLen = 0;
        std::size_t begin = 0;
        while (begin < text.size() && isBlank(text[begin]))
            ++begin;
        if (begin == text.size() || text[begin] == ';' || text[begin] == '[')
            return;
        const void* eqAt = std::memchr(text.data() + begin, '=', text.size() - begin);
        if (!eqAt)
            return;
        const std::size_t eq = static_cast<std::size_t>(static_cast<const char*>(eqAt) - text.data());
        const std::string_view key = trim(text.substr(begin, eq - begin));
        if (key.empty())
            return;
        const std::string_view value = trim(text.substr(eq + 1));
        setEntry(text, key, value);
    }

    void setEntry(std::string_view text, std::string_view key, std::string_view value)
    {
        keyPos = static_cast<std::uint32_t>(key.data() - text.data());
        keyLen = static_cast<std::uint32_t>(key.size());
        valuePos = static_cast<std::uint32_t>(value.data() - text.data());
        valueLen = static_cast<std::uint32_t>(value.size());
        hash = KeyIndex::hashOf(key);
    }
};

// Lends the index the keys of the lines, and the hashes kept in them.
struct ProfileFile::LineKeys {
    const ProfileFile& file;

    std::string_view key(std::uint32_t id) const { return file.keyOf(file.m_lines[id]); }
    std::uint32_t hash(std::uint32_t id) const { return file.m_lines[id].hash; }
};

struct ProfileFile::Section {
    std::uint32_t header = Line::kNoText; // none for the lines before the first header
    std::string name;
    std::vector<std::uint32_t> body; // up to the last entry line
    std::vector<std::uint32_t> trailer; // blank and other lines after the last entry
    KeyIndex keys;
    bool duplicateKeys = false; // some key is on two lines: only the first counts
};

ProfileFile::ProfileFile()
{
    m_sections.push_back(std::make_unique<Section>());
}

ProfileFile::~ProfileFile() = default;
ProfileFile::ProfileFile(ProfileFile&&) noexcept = default;
ProfileFile& ProfileFile::operator=(ProfileFile&&) noexcept = default;

ProfileFile ProfileFile::parse(std::string content)
{
    ProfileFile file;
    file.m_source = std::move(content);
    file.parseSource();
    return file;
}

inline std::string_view ProfileFile::text(const Line& line) const
{
    if (line.owned != Line::kNoText)
        return m_owned[line.owned];
    return std::string_view(m_source.data() + line.offset, line.length);
}

inline std::string_view ProfileFile::keyOf(const Line& line) const
{
    return std::string_view(text(line).data() + line.keyPos, line.keyLen);
}

inline std::string_view ProfileFile::valueOf(const Line& line) const
{
    return std::string_view(text(line).data() + line.valuePos, line.valueLen);
}

void ProfileFile::parseSource()
{
    const std::string_view content = m_source;
    // One line per 40 bytes is a fair guess for a vault file.
    m_lines.reserve(content.size() / 40 + 1);
    Section* current = m_sections.front().get();
    std::size_t pos = 0;
    while (pos < content.size()) {
        const char* nl
            = static_cast<const char*>(std::memchr(content.data() + pos, '\n', content.size() - pos));
        const std::size_t end = nl ? static_cast<std::size_t>(nl - content.data()) : content.size();
        Line line;
        line.offset = static_cast<std::uint32_t>(pos);
        line.length = static_cast<std::uint32_t>(end - pos);
        if (line.length > 0 && content[end - 1] == '\r')
            --line.length;
        pos = end + 1;

        const std::string_view raw = content.substr(line.offset, line.length);
        std::size_t first = 0;
        while (first < raw.size() && isBlank(raw[first]))
            ++first;
        if (first < raw.size() && raw[first] == '[') {
            const std::string_view t = trim(raw);
            const std::size_t close = t.rfind(']');
            if (close != std::string_view::npos) {
                auto section = std::make_unique<Section>();
                section->header = static_cast<std::uint32_t>(m_lines.size());
                section->name = std::string(trim(t.substr(1, close - 1)));
                m_lines.push_back(line);
                current = section.get();
                m_sections.push_back(std::move(section));
                m_index.try_emplace(current->name, current);
                continue;
            }
        }

        const auto id = static_cast<std::uint32_t>(m_lines.size());
        if (current->header != Line::kNoText)
            line.splitEntry(raw);
        m_lines.push_back(line);
        if (!line.isEntry()) {
            current->trailer.push_back(id);
            continue;
        }
        if (!current->trailer.empty()) {
            current->body.insert(current->body.end(), current->trailer.begin(), current->trailer.end());
            current->trailer.clear();
        }
        current->body.push_back(id);
    }

    // Indexes are built once their size is known; the first of duplicate
    // keys is the one found.
    for (auto& section : m_sections) {
        section->keys.reserve(section->body.size(), LineKeys { *this });
        for (std::uint32_t id : section->body) {
            if (m_lines[id].isEntry() && section->keys.insert(id, LineKeys { *this }) != id)
                section->duplicateKeys = true;
        }
    }
}

std::string ProfileFile::serialise() const
{
    std::string out;
    serialise(out);
    return out;
}

void ProfileFile::serialise(std::string& out, const std::function<void(std::string_view)>& ready) const
{
    constexpr std::size_t kPiece = 256 * 1024;
    std::size_t size = 0;
    for (const Line& line : m_lines)
        size += line.length + 2;
    out.clear();
    out.reserve(size); // an upper bound: lines of erased sections are counted too
    std::size_t handed = 0;
    auto line = [&](std::uint32_t id) {
        out.append(text(m_lines[id])).append("\r\n", 2);
        if (ready && out.size() - handed >= kPiece) {
            ready(std::string_view(out).substr(handed));
            handed = out.size();
        }
    };
    for (const auto& s : m_sections) {
        if (s->header != Line::kNoText)
            line(s->header);
        std::for_each(s->body.begin(), s->body.end(), line);
        std::for_each(s->trailer.begin(), s->trailer.end(), line);
    }
    if (ready && out.size() > handed)
        ready(std::string_view(out).substr(handed));
}

ProfileFile::Section* ProfileFile::findSection(std::string_view name) const
{
    name = trim(name);
    // Callers write many entries into one section in a row.
    if (m_lastSection && m_lastSection->name == name)
        return m_lastSection;
    const auto it = m_index.find(name);
    if (it == m_index.end())
        return nullptr;
    m_lastSection = it->second;
    return it->second;
}

std::uint32_t ProfileFile::findLine(const Section& section, std::string_view key, bool* exact) const
{
    const std::vector<std::uint32_t>& body = section.body;
    // Where no key is on two lines, a line holding exactly this key is the
    // only one for it.
    if (m_hintSection == &section && !section.duplicateKeys && m_hintPos + 1 < body.size()) {
        const std::uint32_t next = body[m_hintPos + 1];
        if (m_lines[next].isEntry() && keyOf(m_lines[next]) == key) {
            ++m_hintPos;
            if (exact)
                *exact = true;
            return next;
        }
    }
    const std::uint32_t id = section.keys.find(key, KeyIndex::hashOf(key), LineKeys { *this });
    if (id != KeyIndex::kNone) {
        // A section lists its lines in the order they were made.
        m_hintSection = &section;
        m_hintPos = static_cast<std::uint32_t>(std::lower_bound(body.begin(), body.end(), id) - body.begin());
        if (exact)
            *exact = keyOf(m_lines[id]) == key;
    }
    return id;
}

const ProfileFile::Line* ProfileFile::findEntry(std::string_view section, std::string_view key) const
{
    const Section* s = findSection(section);
    if (!s)
        return nullptr;
    const std::uint32_t id = findLine(*s, trim(key));
    return id == KeyIndex::kNone ? nullptr : &m_lines[id];
}

void ProfileFile::reindex()
{
    m_lastSection = nullptr;
    m_hintSection = nullptr;
    m_index.clear();
    for (std::size_t i = 1; i < m_sections.size(); ++i)
        m_index.try_emplace(m_sections[i]->name, m_sections[i].get());
}

std::string ProfileFile::read(std::string_view section, std::string_view key) const
{
    std::string value;
    read(section, key, value);
    return value;
}

void ProfileFile::read(std::string_view section, std::string_view key, std::string& out) const
{
    const Line* line = findEntry(section, key);
    if (!line) {
        out.clear();
        return;
    }
    std::string_view value = valueOf(*line);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > kMaxValue)
        value = value.substr(0, kMaxValue);
    out.assign(value);
}

bool ProfileFile::hasKey(std::string_view section, std::string_view key) const
{
    return findEntry(section, key) != nullptr;
}

bool ProfileFile::sectionHasKeys(std::string_view section) const
{
    const Section* s = findSection(section);
    return s && !s->keys.empty();
}

std::size_t ProfileFile::keyCount(std::string_view section) const
{
    const Section* s = findSection(section);
    return s ? s->keys.size() : 0;
}

std::vector<std::string> ProfileFile::keys(std::string_view section) const
{
    std::vector<std::string> result;
    if (const Section* s = findSection(section)) {
        for (std::uint32_t id : s->body) {
            if (m_lines[id].isEntry())
                result.emplace_back(keyOf(m_lines[id]));
        }
    }
    return result;
}

std::uint32_t ProfileFile::addOwnedLine(std::string text)
{
    Line line;
    line.owned = static_cast<std::uint32_t>(m_owned.size());
    line.length = static_cast<std::uint32_t>(text.size());
    m_owned.push_back(std::move(text));
    m_lines.push_back(line);
    return static_cast<std::uint32_t>(m_lines.size() - 1);
}

bool ProfileFile::write(std::string_view section, std::string_view key, std::string_view value)
{
    section = trim(section);
    key = trim(key);
    if (key.empty())
        return false;
    Section* s = findSection(section);
    if (!s) {
        if (section.find('\n') != std::string_view::npos)
            m_readsBack = false;
        auto created = std::make_unique<Section>();
        created->name = std::string(section);
        created->header = addOwnedLine("[" + created->name + "]");
        s = created.get();
        m_sections.push_back(std::move(created));
        m_index.try_emplace(s->name, s);
    }

    bool sameKey = false;
    const std::uint32_t found = findLine(*s, key, &sameKey);
    if (found != KeyIndex::kNone && sameKey && valueOf(m_lines[found]) == value)
        return false;
    if (!readsBackAs(key, value))
        m_readsBack = false;
    std::string entry;
    entry.reserve(key.size() + 1 + value.size());
    entry.append(key).append(1, '=').append(value);
    const auto entryLength = static_cast<std::uint32_t>(entry.size());

    std::uint32_t id = found;
    if (id != KeyIndex::kNone) {
        Line& line = m_lines[id];
        if (line.owned == Line::kNoText) {
            line.owned = static_cast<std::uint32_t>(m_owned.size());
            m_owned.push_back(std::move(entry));
        } else {
            m_owned[line.owned] = std::move(entry);
        }
        line.length = entryLength;
    } else {
        // New keys go after the section's last entry, before its trailing lines.
        id = addOwnedLine(std::move(entry));
        s->body.push_back(id);
        m_hintSection = s;
        m_hintPos = static_cast<std::uint32_t>(s->body.size() - 1);
    }
    const std::string_view stored = this->text(m_lines[id]);
    m_lines[id].setEntry(stored, stored.substr(0, key.size()), stored.substr(key.size() + 1));
    if (found == KeyIndex::kNone)
        s->keys.insertNew(id, LineKeys { *this });
    return true;
}

bool ProfileFile::clearSection(std::string_view section)
{
    section = trim(section);
    const auto first = std::remove_if(m_sections.begin() + 1, m_sections.end(),
        [&](const auto& s) { return asciiCaseEqual(s->name, section); });
    if (first == m_sections.end())
        return false;
    m_sections.erase(first, m_sections.end());
    reindex();
    return true;
}
