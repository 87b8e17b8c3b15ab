#include "profilefile.h"

#include <algorithm>

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A line "key=value": the key is what lies before the first '=', trimmed.
struct EntryParts {
    std::string_view key;
    std::string_view value;
};

bool splitEntry(std::string_view line, EntryParts& parts)
{
    const std::string_view t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[')
        return false;
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos)
        return false;
    parts.key = trim(t.substr(0, eq));
    parts.value = trim(t.substr(eq + 1));
    return !parts.key.empty();
}

bool splitHeader(std::string_view line, std::string_view& name)
{
    const std::string_view t = trim(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    const std::size_t close = t.rfind(']');
    if (close == 0 || close == std::string_view::npos)
        return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

} // namespace

std::size_t AsciiCaseHash::operator()(std::string_view s) const noexcept
{
    // FNV-1a over the lowered bytes.
    std::size_t h = 1469598103934665603ull;
    for (char c : s) {
        h ^= static_cast<unsigned char>(lowerAscii(c));
        h *= 1099511628211ull;
    }
    return h;
}

bool AsciiCaseEqual::operator()(std::string_view a, std::string_view b) const noexcept
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

struct ProfileFile::Section {
    struct Line {
        std::string raw;
        std::string key;       // empty for lines that are not entries
        std::size_t valuePos = 0;
        std::size_t valueLen = 0;
    };

    std::string header; // raw header line; empty for the lines before the first one
    std::string name;
    std::vector<Line> body;    // up to the last entry line
    std::vector<Line> trailer; // blank and other lines after the last entry
    std::unordered_map<std::string, std::size_t, AsciiCaseHash, AsciiCaseEqual> keys; // first line of each key

    void addLine(std::string_view raw)
    {
        EntryParts parts;
        if (!header.empty() && splitEntry(raw, parts)) {
            Line line;
            line.raw = std::string(raw);
            line.key = std::string(parts.key);
            line.valuePos = static_cast<std::size_t>(parts.value.data() - raw.data());
            line.valueLen = parts.value.size();
            for (auto& t : trailer)
                body.push_back(std::move(t));
            trailer.clear();
            keys.try_emplace(line.key, body.size());
            body.push_back(std::move(line));
        } else {
            Line line;
            line.raw = std::string(raw);
            trailer.push_back(std::move(line));
        }
    }

    std::string_view value(const Line& line) const
    {
        return std::string_view(line.raw).substr(line.valuePos, line.valueLen);
    }

    void setEntry(Line& line, std::string_view key, std::string_view value)
    {
        line.raw.clear();
        line.raw.reserve(key.size() + 1 + value.size());
        line.raw.append(key).append(1, '=').append(value);
        line.key = std::string(key);
        line.valuePos = key.size() + 1;
        line.valueLen = value.size();
    }
};

ProfileFile::ProfileFile()
{
    m_sections.push_back(std::make_unique<Section>());
}

ProfileFile::~ProfileFile() = default;
ProfileFile::ProfileFile(ProfileFile&&) noexcept = default;
ProfileFile& ProfileFile::operator=(ProfileFile&&) noexcept = default;

ProfileFile ProfileFile::parse(std::string_view content)
{
    ProfileFile file;
    Section* current = file.m_sections.front().get();
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = content.find('\n', pos);
        const std::size_t next = end == std::string_view::npos ? content.size() : end + 1;
        if (end == std::string_view::npos)
            end = content.size();
        std::string_view line = content.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        pos = next;

        std::string_view name;
        if (splitHeader(line, name)) {
            auto section = std::make_unique<Section>();
            section->header = std::string(line);
            section->name = std::string(name);
            current = section.get();
            file.m_sections.push_back(std::move(section));
            file.m_index.try_emplace(current->name, current);
        } else {
            current->addLine(line);
        }
    }
    return file;
}

std::string ProfileFile::serialise() const
{
    std::size_t size = 0;
    for (const auto& s : m_sections) {
        size += s->header.empty() ? 0 : s->header.size() + 2;
        for (const auto& l : s->body)
            size += l.raw.size() + 2;
        for (const auto& l : s->trailer)
            size += l.raw.size() + 2;
    }
    std::string out;
    out.reserve(size);
    auto put = [&out](const std::string& raw) {
        out.append(raw);
        out.append("\r\n", 2);
    };
    for (const auto& s : m_sections) {
        if (!s->header.empty())
            put(s->header);
        for (const auto& l : s->body)
            put(l.raw);
        for (const auto& l : s->trailer)
            put(l.raw);
    }
    return out;
}

ProfileFile::Section* ProfileFile::findSection(std::string_view name) const
{
    const auto it = m_index.find(trim(name));
    return it == m_index.end() ? nullptr : it->second;
}

void ProfileFile::reindex()
{
    m_index.clear();
    for (std::size_t i = 1; i < m_sections.size(); ++i)
        m_index.try_emplace(m_sections[i]->name, m_sections[i].get());
}

std::string ProfileFile::read(std::string_view section, std::string_view key) const
{
    const Section* s = findSection(section);
    if (!s)
        return {};
    const auto it = s->keys.find(trim(key));
    if (it == s->keys.end())
        return {};
    std::string_view value = s->value(s->body[it->second]);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > kMaxValue)
        value = value.substr(0, kMaxValue);
    return std::string(value);
}

bool ProfileFile::hasKey(std::string_view section, std::string_view key) const
{
    const Section* s = findSection(section);
    return s && s->keys.find(trim(key)) != s->keys.end();
}

bool ProfileFile::sectionHasKeys(std::string_view section) const
{
    const Section* s = findSection(section);
    return s && !s->keys.empty();
}

std::vector<std::string> ProfileFile::keys(std::string_view section) const
{
    std::vector<std::string> result;
    if (const Section* s = findSection(section)) {
        for (const auto& l : s->body) {
            if (!l.key.empty())
                result.push_back(l.key);
        }
    }
    return result;
}

bool ProfileFile::write(std::string_view section, std::string_view key, std::string_view value)
{
    section = trim(section);
    key = trim(key);
    Section* s = findSection(section);
    if (!s) {
        auto created = std::make_unique<Section>();
        created->header = "[" + std::string(section) + "]";
        created->name = std::string(section);
        s = created.get();
        m_sections.push_back(std::move(created));
        m_index.try_emplace(s->name, s);
    }
    const auto it = s->keys.find(key);
    if (it != s->keys.end()) {
        Section::Line& line = s->body[it->second];
        if (line.key == key && s->value(line) == value)
            return false;
        s->setEntry(line, key, value);
        return true;
    }
    // New keys go after the section's last entry, before its trailing lines.
    Section::Line line;
    s->setEntry(line, key, value);
    s->keys.try_emplace(line.key, s->body.size());
    s->body.push_back(std::move(line));
    return true;
}

bool ProfileFile::clearSection(std::string_view section)
{
    section = trim(section);
    AsciiCaseEqual equal;
    const auto first = std::remove_if(m_sections.begin() + 1, m_sections.end(),
                                      [&](const auto& s) { return equal(s->name, section); });
    if (first == m_sections.end())
        return false;
    m_sections.erase(first, m_sections.end());
    reindex();
    return true;
}
