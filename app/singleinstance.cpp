#include "singleinstance.h"

#include "messagebox.h"
#include "vaultlayout.h"

SingleInstance::SingleInstance(const QString& appDir)
    : m_lock(lockPath(appDir))
{
    // Held for the whole run, however long: only a dead owner makes the
    // lock stale, never its age.
    m_lock.setStaleLockTime(0);
}

SingleInstance::Claim SingleInstance::claim()
{
    if (m_lock.tryLock(0))
        return Claim::Held;
    return m_lock.error() == QLockFile::LockFailedError ? Claim::HeldElsewhere : Claim::Unavailable;
}

QString SingleInstance::lockPath(const QString& appDir)
{
    return vault::vaultPath(appDir) + QStringLiteral(".lock");
}

QString AlreadyOpenMessage()
{
    return QStringLiteral(
        "Kaldrino est déjà ouvert. Fermez l'autre fenêtre de Kaldrino avant d'en ouvrir une "
        "nouvelle.");
}

bool ClaimVault(SingleInstance& instance)
{
    if (instance.claim() != SingleInstance::Claim::HeldElsewhere)
        return true;
    MessageDlg(AlreadyOpenMessage(), MsgKind::Warning, MsgButtons::Ok);
    return false;
}
