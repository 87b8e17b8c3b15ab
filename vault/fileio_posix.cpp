#include "fileio.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace vault {

namespace {

constexpr off_t kMaxFileSize = off_t(1) << 30;
// Files are read in pieces of this size, through a buffer small enough to
// stay in the processor's cache.
constexpr std::size_t kPiece = 64 * 1024;

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

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

} // namespace

void setWriteFailureForTesting(std::function<bool(WriteStep)> fail)
{
    failureHook() = std::move(fail);
}

ReadStatus readWholeFile(const QString& path, std::string& content)
{
    content.clear();
    const QByteArray native = QFile::encodeName(path);
    struct stat st { };
    if (::stat(native.constData(), &st) != 0)
        return (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::Absent : ReadStatus::Unreadable;
    if (!S_ISREG(st.st_mode))
        return ReadStatus::Unreadable;

    // Larger than any vault could grow: damage, not something to load.
    if (st.st_size > kMaxFileSize)
        return ReadStatus::Unreadable;

    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ReadStatus::Unreadable;
    // Read in pieces through a small buffer, which stays in the processor's
    // cache, rather than into a string first cleared to zeros: a large file
    // is then written into memory once, not twice. The size may change
    // under us.
    content.reserve(static_cast<std::size_t>(st.st_size));
    const std::unique_ptr<char[]> piece(new char[kPiece]);
    for (;;) {
        const ssize_t n = ::read(fd, piece.get(), kPiece);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            content.clear();
            return ReadStatus::Unreadable;
        }
        if (content.size() + static_cast<std::size_t>(n) > static_cast<std::size_t>(kMaxFileSize)) {
            ::close(fd);
            content.clear();
            return ReadStatus::Unreadable;
        }
        content.append(piece.get(), static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadStatus::Ok;
}

bool fileHolds(const QString& path, std::string_view expected)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)
        || static_cast<std::size_t>(st.st_size) != expected.size()) {
        ::close(fd);
        return false;
    }
    // Read to the end: a file that grew since fstat differs too. Opened
    // without blocking, so that a pipe at that path is seen, never read.
    const std::unique_ptr<char[]> piece(new char[kPiece]);
    bool same = true;
    for (;;) {
        const ssize_t n = ::read(fd, piece.get(), kPiece);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            same = n == 0 && expected.empty();
            break;
        }
        const auto got = static_cast<std::size_t>(n);
        if (got > expected.size() || std::memcmp(piece.get(), expected.data(), got) != 0) {
            same = false;
            break;
        }
        expected.remove_prefix(got);
    }
    ::close(fd);
    return same;
}

bool replaceFileAtomically(const QString& path, std::string_view content)
{
    return replaceFileAtomically(
        path, [content](const std::function<void(std::string_view)>& put) { put(content); });
}

bool replaceFileAtomically(const QString& path, const ContentProducer& produce)
{
    // A symbolic link stays a link: its target is replaced.
    QString targetPath = path;
    const QFileInfo info(path);
    if (info.isSymLink() && !info.canonicalFilePath().isEmpty())
        targetPath = info.canonicalFilePath();
    const QByteArray target = QFile::encodeName(targetPath);

    mode_t mode = S_IRUSR | S_IWUSR;
    struct stat old { };
    const bool replacing = ::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
    if (replacing)
        mode = old.st_mode & 07777;
    // A file marked read-only stays as it is, even for a user (root) whom
    // the system would let replace it.
    if (replacing && (::access(target.constData(), W_OK) != 0 || (old.st_mode & 0222) == 0))
        return false;

    if (injectedFailure(WriteStep::CreateTemp))
        return false;
    QByteArray temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;

    auto fail = [&](bool open) {
        if (open)
            ::close(fd);
        ::unlink(temp.constData());
        return false;
    };

    if (replacing)
        (void)::fchown(fd, old.st_uid, old.st_gid); // best effort: only root may
    if (::fchmod(fd, mode) != 0)
        return fail(true);
    bool written = !injectedFailure(WriteStep::Write);
    if (written) {
        // The producer may throw: the half-written temporary file goes, the
        // old file stays as it was, and the caller sees the exception.
        try {
            produce([&, offset = off_t(0)](std::string_view piece) mutable {
                written = written && writeAll(fd, piece);
                if (written)
                    startWriteback(fd, offset, piece.size());
                offset += static_cast<off_t>(piece.size());
            });
        } catch (...) {
            fail(true);
            throw;
        }
    }
    if (!written)
        return fail(true);
    if (injectedFailure(WriteStep::Sync) || ::fsync(fd) != 0)
        return fail(true);
    if (::close(fd) != 0)
        return fail(false);
    if (injectedFailure(WriteStep::Rename) || ::rename(temp.constData(), target.constData()) != 0)
        return fail(false);

    // The new name must survive a power cut too. Once renamed the content
    // is in place whatever this reports, so a failure here is not an error.
    const int dir = ::open(folderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace vault
