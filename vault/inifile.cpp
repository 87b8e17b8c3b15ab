#include "inifile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include "fileio.h"
#include "kaldrinoerror.h"
#include "profilefile.h"

namespace {

struct SessionData {
    QString key;
    ProfileFile content;
    bool dirty = false;
    // The file exists but could not be read: writing would replace content
    // nobody has seen, so every write fails instead.
    bool unreadable = false;
};

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
    m_session->key = key;
    std::string bytes;
    switch (vault::readWholeFile(path, bytes)) {
    case vault::ReadStatus::Ok:
        m_session->content = ProfileFile::parse(std::move(bytes));
        break;
    case vault::ReadStatus::Absent:
        break;
    case vault::ReadStatus::Unreadable:
        m_session->unreadable = true;
        break;
    }
    sessions.insert(key, m_session);
    m_outermost = true;
}

TIniFile::~TIniFile()
{
    if (!m_outermost)
        return;
    auto& sessions = registry();
    const auto it = sessions.constFind(m_session->key);
    if (it != sessions.constEnd() && it->lock() == m_session)
        sessions.erase(it);
}

std::string TIniFile::ReadEntry(std::string_view section, std::string_view key) const
{
    return m_session->content.read(section, key);
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
    const ProfileFile& content = m_session->content;
    const auto produce
        = [&content](const std::function<void(std::string_view)>& put) { content.serialise(put); };
    if (m_session->unreadable || !vault::replaceFileAtomically(m_path, produce)) {
        const QString full = QFileInfo(m_path).isAbsolute() ? m_path : QFileInfo(m_path).absoluteFilePath();
        throw VaultWriteError("Impossible d'écrire dans " + full.toStdString());
    }
    m_session->dirty = false;
}
