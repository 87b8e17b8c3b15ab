#include "vaultsessions.h"

#include <QDir>
#include <QFileInfo>

#include "fileio.h"

VaultSessions& VaultSessions::instance()
{
    static VaultSessions sessions;
    return sessions;
}

QString VaultSessions::keyFor(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

std::shared_ptr<VaultSession> VaultSessions::find(const QString& key) const
{
    return m_open.value(key).lock();
}

void VaultSessions::open(const std::shared_ptr<VaultSession>& session)
{
    m_open.insert(session->key, session);
}

void VaultSessions::close(const std::shared_ptr<VaultSession>& session)
{
    const auto it = m_open.constFind(session->key);
    if (it != m_open.constEnd() && it->lock() == session)
        m_open.erase(it);
    // Content with changes that never reached the file is dropped.
    VaultSession& data = *session;
    if (session.use_count() == 1 && !data.dirty && !data.unreadable && data.onDisk != OnDisk::Unknown
        && data.content.readsBackAsWritten()) {
        m_kept = std::move(data);
        m_keptValid = true;
    }
}

bool VaultSessions::takeKept(const QString& key, const QString& path, VaultSession& into)
{
    if (!m_keptValid || m_kept.key != key)
        return false;
    m_keptValid = false;
    if (vault::fileHolds(path, m_kept.diskBytes())) {
        into = std::move(m_kept);
        return true;
    }
    m_kept = VaultSession();
    return false;
}

void VaultSessions::forgetKept()
{
    m_keptValid = false;
    m_kept = VaultSession();
}
