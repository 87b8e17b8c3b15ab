#include "singleinstance.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "messagebox.h"
#include "vaultlayout.h"

namespace {

// Times the lock file is made again when its holder removed it between our
// open and our lock.
constexpr int kAttempts = 5;

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What lies at the path without following a link; false when nothing does.
bool entryAt(const QByteArray& path, struct stat& st)
{
    return ::fstatat(AT_FDCWD, path.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Who holds the lock, for a person who opens the file.
QByteArray holderDescription()
{
    return "Kaldrino\npid " + QByteArray::number(qint64(::getpid())) + "\nhost "
        + QSysInfo::machineHostName().toUtf8() + "\nstarted "
        + QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8() + "\n";
}

} // namespace

SingleInstance::SingleInstance(const QString& appDir)
    : m_path(QFileInfo(lockPath(appDir)).absoluteFilePath())
{
}

SingleInstance::~SingleInstance()
{
    if (m_fd < 0)
        return;
    // Removed while still locked, and only if it is still ours: a run that
    // opened it meanwhile finds it gone once it gets the lock, and makes a
    // new one.
    const QByteArray native = QFile::encodeName(m_path);
    struct stat mine { };
    struct stat there { };
    if (::fstat(m_fd, &mine) == 0 && entryAt(native, there) && sameFile(mine, there))
        ::unlink(native.constData());
    ::close(m_fd);
}

SingleInstance::Claim SingleInstance::claim()
{
    if (m_fd >= 0)
        return Claim::Held;
    const QByteArray native = QFile::encodeName(m_path);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Never opened unless it is a regular file: a pipe or a device
        // could block or answer forever.
        struct stat there { };
        if (entryAt(native, there) && !S_ISREG(there.st_mode))
            return Claim::Blocked;
        const int fd = ::open(native.constData(),
            O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (fd < 0) {
            // Replaced between the look and the open, or not ours to open.
            if (entryAt(native, there) && !S_ISREG(there.st_mode))
                return Claim::Blocked;
            return Claim::Unavailable;
        }
        struct stat opened { };
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            return Claim::Blocked;
        }
        int locked;
        do
            locked = ::flock(fd, LOCK_EX | LOCK_NB);
        while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            const bool busy = errno == EWOULDBLOCK;
            ::close(fd);
            return busy ? Claim::HeldElsewhere : Claim::Unavailable;
        }
        // The holder before us may have removed the file once we had it
        // open: that lock protects nothing, so make the file again.
        if (!entryAt(native, there) || !sameFile(opened, there)) {
            ::close(fd);
            continue;
        }
        m_fd = fd;
        (void)::fchmod(fd, S_IRUSR | S_IWUSR); // a file left by an older run may be wider
        const QByteArray description = holderDescription();
        if (::ftruncate(fd, 0) == 0)
            (void)!::pwrite(fd, description.constData(), std::size_t(description.size()), 0);
        return Claim::Held;
    }
    return Claim::Unavailable;
}

QString SingleInstance::lockPath(const QString& appDir)
{
    return vault::vaultPath(appDir) + QStringLiteral(".lock");
}

QString AlreadyOpenMessage(const QString& lockPath)
{
    return QStringLiteral(
               "Kaldrino est déjà ouvert. Fermez l'autre fenêtre de Kaldrino avant d'en ouvrir une "
               "nouvelle.\rLe dossier est réservé par le fichier ")
        + lockPath
        + QStringLiteral(
            ".\rNe supprimez ce fichier que si aucun Kaldrino n'est ouvert sur ce dossier, depuis "
            "aucun ordinateur.");
}

QString LockBlockedMessage(const QString& lockPath)
{
    return QStringLiteral("Kaldrino ne peut pas réserver son dossier : ") + lockPath
        + QStringLiteral(" n'est pas un fichier ordinaire.\rSupprimez-le, puis relancez Kaldrino.");
}

bool ClaimVault(SingleInstance& instance)
{
    switch (instance.claim()) {
    case SingleInstance::Claim::Held:
    case SingleInstance::Claim::Unavailable:
        return true;
    case SingleInstance::Claim::HeldElsewhere:
        MessageDlg(AlreadyOpenMessage(instance.path()), MsgKind::Warning, MsgButtons::Ok);
        return false;
    case SingleInstance::Claim::Blocked:
        MessageDlg(LockBlockedMessage(instance.path()), MsgKind::Warning, MsgButtons::Ok);
        return false;
    }
    return false;
}
