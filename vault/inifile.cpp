#include "inifile.h"

#include <QFileInfo>

#include "fileio.h"
#include "kaldrinoerror.h"
#include "profilefile.h"
#include "vaultsessions.h"

TIniFile::TIniFile(const QString& path)
    : m_path(path)
{
    VaultSessions& sessions = VaultSessions::instance();
    const QString key = VaultSessions::keyFor(path);
    if (auto open = sessions.find(key)) {
        m_session = std::move(open);
        return;
    }
    m_session = std::make_shared<VaultSession>();
    m_outermost = true;
    if (!sessions.takeKept(key, path, *m_session)) {
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
    }
    sessions.open(m_session);
}

TIniFile::~TIniFile()
{
    if (m_outermost)
        VaultSessions::instance().close(m_session);
}

void TIniFile::ForgetKeptContent()
{
    VaultSessions::instance().forgetKept();
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
    VaultSession& data = *m_session;
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
