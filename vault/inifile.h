#pragma once

#include <QString>
#include <memory>
#include <string>
#include <string_view>

struct VaultSession;

// One handler's use of a profile file (the vault file "kaldrino.ini").
//
// Reads and writes work on the file's content held in memory. The first
// TIniFile opened on a path reads the file; every TIniFile opened on the same
// path while it lives (WriteDecoys' own, for instance) shares that content.
// UpdateFile() on the outermost object writes all changes as one atomic
// replacement of the file (temporary file in the same folder, flush, fsync,
// rename, fsync of the folder); on an inner object it does nothing. An
// outermost object destroyed without UpdateFile() drops its changes.
//
// Section and key names match without regard to ASCII letter case. Reads
// never fail: an absent or unreadable file reads as empty.
//
// Every outermost object reads the file again. The content of the last one
// is kept in memory with the bytes of the file it stands for; when the file
// still holds exactly those bytes, the next object takes that content
// rather than parsing the file again. Both the open contents and the kept
// one live in VaultSessions.
class TIniFile {
public:
    explicit TIniFile(const QString& path);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    // The value, or "" when the file, section or key is absent; values are
    // cut to 2047 bytes as the platform's profile functions do.
    std::string ReadEntry(std::string_view section, std::string_view key) const;
    // The same, in place of out's content, reusing its memory: reading a
    // large table then allocates nothing per cell.
    void ReadEntryInto(std::string_view section, std::string_view key, std::string& out) const;

    // Sets a value, creating section and key as needed.
    void WriteEntry(std::string_view section, std::string_view key, std::string_view value);

    // Removes a section and all its keys.
    void ClearSection(std::string_view section);

    // True when the section holds at least one key.
    bool SectionHasKeys(std::string_view section) const;

    // How many distinct keys the section holds.
    std::size_t SectionKeyCount(std::string_view section) const;

    // Writes the changes (outermost object only). Throws VaultWriteError
    // "Impossible d'écrire dans %s" with the full path; the old file is then
    // intact and nothing of this handler lands.
    void UpdateFile();

    const QString& fileName() const { return m_path; }

    // Drops the kept content: the next object parses the file, as the first
    // one of a run does.
    static void ForgetKeptContent();

private:
    QString m_path;
    std::shared_ptr<VaultSession> m_session;
    bool m_outermost = false;
};
