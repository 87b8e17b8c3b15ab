#include "filecopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "fileio.h"

namespace vault {

namespace {

constexpr std::size_t kPiece = 64 * 1024;

[[noreturn]] void refuse(const std::string& reason)
{
    throw FileCopyError(reason);
}

std::string openFailure(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
        return "Le fichier est introuvable.";
    case EACCES:
    case EPERM:
        return "Accès refusé : le fichier ne peut pas être lu.";
    default:
        return "Le fichier ne peut pas être ouvert.";
    }
}

std::string folderOf(const QString& target)
{
    return QDir::toNativeSeparators(QFileInfo(target).absolutePath()).toStdString();
}

class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

void copyFileOver(const QString& source, const QString& target)
{
    // Opened once and checked on that same descriptor: what is read is what
    // was checked. Without O_NONBLOCK, opening a pipe would wait for a writer.
    const Descriptor in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (in.get() < 0)
        refuse(openFailure(errno));
    struct stat from { };
    if (::fstat(in.get(), &from) != 0)
        refuse(openFailure(errno));
    if (S_ISDIR(from.st_mode))
        refuse("C'est un dossier, pas un fichier.");
    if (!S_ISREG(from.st_mode))
        refuse("Ce n'est pas un fichier ordinaire.");
    if (from.st_size > kMaxCopySize)
        refuse("Le fichier dépasse 256 Mo.");

    // lstat, not stat: a link planted at target's name must be seen as a
    // link, not as the file it points to.
    const QByteArray targetName = QFile::encodeName(target);
    struct stat to { };
    const bool targetExists = ::lstat(targetName.constData(), &to) == 0;
    if (targetExists && to.st_dev == from.st_dev && to.st_ino == from.st_ino)
        return; // already in place
    // The replacement would write through a link, or fail on a folder.
    if (targetExists && !S_ISREG(to.st_mode))
        refuse("Le dossier " + folderOf(target)
            + " contient déjà un élément de ce nom qui n'est pas un fichier ordinaire.");

    // A replaced file keeps its permission bits: make the old one private
    // first, so that the new content is never readable by others.
    const mode_t oldMode = to.st_mode & 07777;
    const bool tightened = targetExists && oldMode != 0600;
    if (tightened)
        (void)::chmod(targetName.constData(), 0600);
    auto restoreMode = [&] {
        if (tightened)
            (void)::chmod(targetName.constData(), oldMode);
    };

    bool landed = false;
    try {
        landed = replaceFileAtomically(target, [&](const std::function<void(std::string_view)>& put) {
            const std::unique_ptr<char[]> piece(new char[kPiece]);
            qint64 total = 0;
            for (;;) {
                const ssize_t n = ::read(in.get(), piece.get(), kPiece);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    refuse("La lecture du fichier a échoué.");
                if (n == 0)
                    break;
                total += n;
                if (total > kMaxCopySize) // it grew since it was checked
                    refuse("Le fichier dépasse 256 Mo.");
                put(std::string_view(piece.get(), static_cast<std::size_t>(n)));
            }
        });
    } catch (...) {
        restoreMode();
        throw;
    }
    if (!landed) {
        restoreMode();
        refuse("La copie n'a pas pu être écrite dans " + folderOf(target)
            + " : disque plein ou dossier protégé en écriture.");
    }
}

} // namespace vault
