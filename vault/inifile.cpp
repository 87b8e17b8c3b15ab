#include "inifile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include "fileio.h"
#include "kaldrinoerror.h"
#include "profilefile.h"

namespace {

// What the file on disk holds, as far as a content knows.
enum class OnDisk {
    Unknown,
    Source, // the bytes the content was parsed from
    Written, // the bytes it last wrote
};

struct SessionData {
    QString key;
    ProfileFile content;
    bool dirty = false;
    // The file exists but could not be read: writing would replace content
    // nobody has seen, so every write fails instead.
    bool unreadable = false;
    OnDisk onDisk = OnDisk::Unknown;
    std::string written;

    std::string_view diskBytes() const { return onDisk == OnDisk::Source ? content.source() : written; }
};

// The content of the last handler on a vault, with the bytes of the file it
// stands for. The next handler reads the file again; where it still holds
// exactly those bytes, this content is what parsing them would give, and
// is taken instead: a save of a large table parses nothing.
struct KeptContent {
    bool valid = false;
    SessionData data;
};

KeptContent& kept()
{
    static KeptContent content;
    return content;
}

// Open sessions by absolute path; one thread, so no lock.
QHash<QString, std::weak_ptr<SessionData>>& registry()
{
    static QHash<QString, std::weak_ptr<SessionData>> sessions;
    return sessions;
}

QString registryKey(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

struct TIniFile::Session : SessionData { };

TIniFile::TIniFile(const QString& path)
    : m_path(path)
{
    const QString key = registryKey(path);
    auto& sessions = registry();
    if (auto open = sessions.value(key).lock()) {
        m_session = std::static_pointer_cast<Session>(std::move(open));
        return;
    }
    m_session = std::make_shared<Session>();
    m_outermost = true;
    KeptContent& last = kept();
    if (last.valid && last.data.key == key) {
        last.valid = false;
        if (vault::fileHolds(path, last.data.diskBytes())) {
            static_cast<SessionData&>(*m_session) = std::move(last.data);
            sessions.insert(key, m_session);
            return;
        }
        last.data = SessionData();
    }

    m_session->key = key;
    std::string bytes;
    switch (vault::readWholeFile(path, bytes)) {
    case vault::ReadStatus::Ok:
        m_session->content = ProfileFile::parse(std::move(bytes));
        m_session->onDisk = OnDisk::Source;
        break;
    case vault::ReadStatus::Absent:
        break;
    case vault::ReadStatus::Unreadable:
        m_session->unreadable = true;
        break;
    }
    sessions.insert(key, m_session);
}

TIniFile::~TIniFile()
{
    if (!m_outermost)
        return;
    auto& sessions = registry();
    const auto it = sessions.constFind(m_session->key);
    if (it != sessions.constEnd() && it->lock() == m_session)
        sessions.erase(it);
    // Content with changes that never reached the file is dropped.
    SessionData& data = *m_session;
    if (m_session.use_count() == 1 && !data.dirty && !data.unreadable && data.onDisk != OnDisk::Unknown
        && data.content.readsBackAsWritten()) {
        KeptContent& last = kept();
        last.data = std::move(data);
        last.valid = true;
    }
}

void TIniFile::ForgetKeptContent()
{
    kept() = KeptContent();
}

std::string TIniFile::ReadEntry(std::string_view section, std::string_view key) const
{
    return m_session->content.read(section, key);
}

void TIniFile::ReadEntryInto(std::string_view section, std::string_view key, std::string& out) const
{
    m_session->content.read(section, key, out);
}

void TIniFile::WriteEntry(std::string_view section, std::string_view key, std::string_view value)
{
    if (m_session->content.write(section, key, value))
        m_session->dirty = true;
}

void TIniFile::ClearSection(std::string_view section)
{
    if (m_session->content.clearSection(section))
        m_session->dirty = true;
}

bool TIniFile::SectionHasKeys(std::string_view section) const
{
    return m_session->content.sectionHasKeys(section);
}

std::size_t TIniFile::SectionKeyCount(std::string_view section) const
{
    return m_session->content.keyCount(section);
}

void TIniFile::UpdateFile()
{
    if (!m_outermost || !m_session->dirty)
        return;
    SessionData& data = *m_session;
    bool written = false;
    if (!data.unreadable) {
        // Content the next start could not read back is never written: the
        // vault would then read as empty, and every save after it fail.
        struct TooLarge { };
        const auto produce = [&data](const std::function<void(std::string_view)>& put) {
            std::size_t total = 0;
            data.content.serialise(data.written, [&](std::string_view piece) {
                total += piece.size();
                if (total > static_cast<std::size_t>(vault::kMaxVaultBytes))
                    throw TooLarge {};
                put(piece);
            });
        };
        try {
            written = vault::replaceFileAtomically(m_path, produce);
        } catch (const TooLarge&) {
            written = false;
        }
    }
    data.onDisk = written ? OnDisk::Written : OnDisk::Unknown;
    if (!written) {
        const QString full = QFileInfo(m_path).isAbsolute() ? m_path : QFileInfo(m_path).absoluteFilePath();
        throw VaultWriteError("Impossible d'écrire dans " + full.toStdString());
    }
    data.dirty = false;
}
