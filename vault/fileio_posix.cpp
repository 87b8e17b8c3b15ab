#include "fileio.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vault {

namespace {

// Files are read in pieces of this size, through a buffer small enough to
// stay in the processor's cache.
constexpr std::size_t kPiece = 64 * 1024;
// Links followed one after the other before giving up.
constexpr int kMaxLinks = 8;

std::function<bool(WriteStep)>& failureHook()
{
    static std::function<bool(WriteStep)> hook;
    return hook;
}

bool injectedFailure(WriteStep step)
{
    const auto& hook = failureHook();
    return hook && hook(step);
}

// A file descriptor, closed when it goes.
class Fd {
public:
    explicit Fd(int fd = -1)
        : m_fd(fd)
    {
    }
    Fd(Fd&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {
    }
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    // Closes now; false when the system reports a failure (a write that
    // did not reach the disk).
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    int m_fd;
};

// Asks the system to start writing a range out now: the disk works while
// the rest of the file is made, and the final fsync has less left to wait
// for.
void startWriteback(int fd, off_t offset, std::size_t length)
{
#ifdef __linux__
    (void)::sync_file_range(fd, offset, static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
    (void)offset;
    (void)length;
#endif
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The folder part of a path ("." when there is none) and its last name.
std::pair<QByteArray, QByteArray> splitPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return { QByteArrayLiteral("."), path };
    return { slash == 0 ? QByteArrayLiteral("/") : path.left(slash), path.mid(slash + 1) };
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Where a vault path leads: the folder that holds the file itself, its name
// there, and what is there now (exists false when nothing is).
struct Place {
    Fd folder; // opened O_PATH: it only anchors the names below
    QByteArray name;
    bool exists = false;
    struct stat st { };
};

enum class Found { Ok, NoFolder, Refused };

// Follows the path's last name through links that pass the ownership rule,
// each step on a descriptor: the link is opened without following it, its
// owner read with fstat and its text with readlinkat on that descriptor.
Found locate(const QByteArray& path, Place& place)
{
    auto [folderName, name] = splitPath(path);
    Fd folder(::open(folderName.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return (errno == ENOENT || errno == ENOTDIR) ? Found::NoFolder : Found::Refused;
    const uid_t me = ::geteuid();
    for (int links = 0;; ++links) {
        if (name.isEmpty() || name == "." || name == "..")
            return Found::Refused;
        Fd entry(::openat(folder.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat st { };
        if (!entry) {
            if (errno != ENOENT)
                return Found::Refused;
            // Nothing there: a write creates it, also at the end of a
            // link of the user's own that leads nowhere yet.
            place = Place { std::move(folder), name, false, st };
            return Found::Ok;
        }
        if (::fstat(entry.get(), &st) != 0)
            return Found::Refused;
        if (!S_ISLNK(st.st_mode)) {
            // What a link leads to must be the user's own too.
            if (links > 0 && st.st_uid != me)
                return Found::Refused;
            place = Place { std::move(folder), name, true, st };
            return Found::Ok;
        }
        if (st.st_uid != me || links == kMaxLinks)
            return Found::Refused;
        char text[PATH_MAX];
        const ssize_t length = ::readlinkat(entry.get(), "", text, sizeof text);
        if (length <= 0 || std::size_t(length) >= sizeof text)
            return Found::Refused;
        auto [targetFolder, targetName] = splitPath(QByteArray(text, length));
        // An absolute folder ignores the descriptor; a relative one is
        // taken from the link's own folder.
        Fd next(::openat(folder.get(), targetFolder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!next)
            return Found::Refused;
        folder = std::move(next);
        name = targetName;
    }
}

// Reads a regular file of at most maxBytes from fd, which was opened
// without blocking; expected, when given, is the file it must be.
template <typename Bytes>
ReadStatus readOpened(int fd, const struct stat* expected, qint64 maxBytes, Bytes& content)
{
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (expected && !sameFile(st, *expected)))
        return ReadStatus::Unreadable;
    if (st.st_size > maxBytes)
        return ReadStatus::Unreadable;
    // Read in pieces through a small buffer, which stays in the processor's
    // cache, rather than into a string first cleared to zeros: a large file
    // is then written into memory once, not twice. The size may change
    // under us, so the cap holds for what is read too.
    content.reserve(static_cast<qsizetype>(st.st_size));
    const std::unique_ptr<char[]> piece(new char[kPiece]);
    for (;;) {
        const ssize_t n = ::read(fd, piece.get(), kPiece);
        if (n == 0)
            return ReadStatus::Ok;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            content.clear();
            return ReadStatus::Unreadable;
        }
        if (qint64(content.size()) + n > maxBytes) {
            content.clear();
            return ReadStatus::Unreadable;
        }
        content.append(piece.get(), static_cast<std::size_t>(n));
    }
}

// Opens the vault for reading, links checked; status says why not.
Fd openVault(const QString& path, ReadStatus& status, struct stat& st)
{
    Place place;
    switch (locate(QFile::encodeName(path), place)) {
    case Found::NoFolder:
        status = ReadStatus::Absent;
        return Fd();
    case Found::Refused:
        status = ReadStatus::Unreadable;
        return Fd();
    case Found::Ok:
        break;
    }
    if (!place.exists) {
        status = ReadStatus::Absent;
        return Fd();
    }
    status = ReadStatus::Unreadable;
    // Never opened for reading unless it is a regular file: opening a
    // device may already do something.
    if (!S_ISREG(place.st.st_mode))
        return Fd();
    st = place.st;
    return Fd(::openat(place.folder.get(), place.name.constData(),
        O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
}

} // namespace

void setWriteFailureForTesting(std::function<bool(WriteStep)> fail)
{
    failureHook() = std::move(fail);
}

ReadStatus readWholeFile(const QString& path, std::string& content)
{
    content.clear();
    ReadStatus status = ReadStatus::Unreadable;
    struct stat st { };
    const Fd fd = openVault(path, status, st);
    if (!fd)
        return status;
    return readOpened(fd.get(), &st, kMaxVaultBytes, content);
}

ReadStatus readRegularFile(const QString& path, QByteArray& content, qint64 maxBytes)
{
    content.clear();
    const Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd)
        return (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::Absent : ReadStatus::Unreadable;
    return readOpened(fd.get(), nullptr, maxBytes, content);
}

bool fileHolds(const QString& path, std::string_view expected)
{
    ReadStatus status = ReadStatus::Unreadable;
    struct stat opened { };
    const Fd fd = openVault(path, status, opened);
    struct stat st { };
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || !sameFile(st, opened)
        || static_cast<std::size_t>(st.st_size) != expected.size())
        return false;
    // Read to the end: a file that grew since fstat differs too.
    const std::unique_ptr<char[]> piece(new char[kPiece]);
    for (;;) {
        const ssize_t n = ::read(fd.get(), piece.get(), kPiece);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0 && expected.empty();
        const auto got = static_cast<std::size_t>(n);
        if (got > expected.size() || std::memcmp(piece.get(), expected.data(), got) != 0)
            return false;
        expected.remove_prefix(got);
    }
}

bool replaceFileAtomically(const QString& path, std::string_view content)
{
    return replaceFileAtomically(
        path, [content](const std::function<void(std::string_view)>& put) { put(content); });
}

bool replaceFileAtomically(const QString& path, const ContentProducer& produce)
{
    Place place;
    if (locate(QFile::encodeName(path), place) != Found::Ok)
        return false;
    const int folder = place.folder.get();
    const char* name = place.name.constData();
    if (place.exists) {
        if (!S_ISREG(place.st.st_mode))
            return false;
        // A file marked read-only stays as it is, even for a user (root)
        // whom the system would let replace it.
        if ((place.st.st_mode & 0222) == 0
            || ::faccessat(folder, name, W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0)
            return false;
    }

    if (injectedFailure(WriteStep::CreateTemp))
        return false;
    // The temporary file is made in the same folder, never through a link,
    // and for its owner only: umask cannot widen 0600, and fchmod undoes
    // whatever it narrowed.
    QByteArray temp;
    Fd fd;
    for (int attempt = 0; attempt < 100 && !fd; ++attempt) {
        temp = place.name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = Fd(
            ::openat(folder, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd && errno != EEXIST)
            return false;
    }
    if (!fd)
        return false;

    auto fail = [&] {
        fd.close();
        ::unlinkat(folder, temp.constData(), 0);
        return false;
    };

    if (::fchmod(fd.get(), S_IRUSR | S_IWUSR) != 0)
        return fail();
    bool written = !injectedFailure(WriteStep::Write);
    if (written) {
        // The producer may throw: the half-written temporary file goes, the
        // old file stays as it was, and the caller sees the exception.
        try {
            produce([&, offset = off_t(0)](std::string_view piece) mutable {
                written = written && writeAll(fd.get(), piece);
                if (written)
                    startWriteback(fd.get(), offset, piece.size());
                offset += static_cast<off_t>(piece.size());
            });
        } catch (...) {
            fail();
            throw;
        }
    }
    if (!written)
        return fail();
    if (injectedFailure(WriteStep::Sync) || ::fsync(fd.get()) != 0)
        return fail();
    if (!fd.close())
        return fail();
    // rename never follows a link at the name it replaces.
    if (injectedFailure(WriteStep::Rename) || ::renameat(folder, temp.constData(), folder, name) != 0)
        return fail();

    // The new name must survive a power cut too. Once renamed the content
    // is in place whatever this reports, so a failure here is not an error.
    const Fd dir(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir)
        (void)::fsync(dir.get());
    return true;
}

} // namespace vault
