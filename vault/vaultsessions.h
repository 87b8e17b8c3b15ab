#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <string>
#include <string_view>

#include "profilefile.h"

// What the file on disk holds, as far as a content knows.
enum class OnDisk {
    Unknown,
    Source, // the bytes the content was parsed from
    Written, // the bytes it last wrote
};

// A vault file's content in memory, shared by the TIniFile objects open on
// it.
struct VaultSession {
    QString key; // VaultSessions::keyFor(path)
    ProfileFile content;
    bool dirty = false;
    // The file exists but could not be read: writing would replace content
    // nobody has seen, so every write fails instead.
    bool unreadable = false;
    OnDisk onDisk = OnDisk::Unknown;
    std::string written;

    std::string_view diskBytes() const { return onDisk == OnDisk::Source ? content.source() : written; }
};

// The process-wide state behind TIniFile: both parts live as long as the
// process, and are used from the main thread only (no lock).
//
// The open sessions, by file. A session is listed from the moment the
// outermost TIniFile on a file opens it until that object is destroyed;
// every TIniFile opened on the same file meanwhile joins it, so that its
// writes land in the outermost object's one atomic save. WriteDecoys relies
// on this: it opens its own TIniFile, and joins its caller's when the click
// recording of the secret picture screen (secret/sshowgraph.cpp) or SaveTable
// (vault/tablestore.cpp) has one open on the vault.
//
// The kept content: the content of the last outermost TIniFile to close, when
// it still stands for the file (nothing unsaved, read or written whole, reads
// back as written), with the bytes of that file. It lasts until the next
// outermost TIniFile on the same file takes it, only when the file still
// holds exactly those bytes (vault::fileHolds), since that content is then
// what parsing the file would give: saving a large table then parses
// nothing. TIniFile::ForgetKeptContent drops it; the vault benchmark does so
// to time a load as the first one of a run.
class VaultSessions {
public:
    static VaultSessions& instance();

    // The name of a file's session: its absolute path, cleaned.
    static QString keyFor(const QString& path);

    // The session open on that file, or null.
    std::shared_ptr<VaultSession> find(const QString& key) const;
    // Lists a session opened by an outermost TIniFile.
    void open(const std::shared_ptr<VaultSession>& session);
    // Unlists it when its outermost TIniFile goes, and keeps its content
    // when nothing else holds it and it still stands for the file.
    void close(const std::shared_ptr<VaultSession>& session);

    // Moves the kept content into a new session for the file at path when
    // it is that file's and the file still holds its bytes. The kept content
    // of that file is gone afterwards either way.
    bool takeKept(const QString& key, const QString& path, VaultSession& into);
    void forgetKept();

private:
    VaultSessions() = default;

    QHash<QString, std::weak_ptr<VaultSession>> m_open;
    bool m_keptValid = false;
    VaultSession m_kept;
};
