#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

// Whole-file reading and atomic replacement for the vault file, and the
// bounded, non-blocking read of the other files the program reads.
namespace vault {

enum class ReadStatus {
    Ok, // a regular file, read whole
    Absent, // nothing at that path
    Unreadable, // something is there that could not be read (or over the cap)
};

// The largest vault read: far beyond any real table, and small enough that
// a file of short lines cannot take gigabytes once parsed.
constexpr qint64 kMaxVaultBytes = qint64(64) << 20;

// Symbolic links on the way to the vault are followed only when the link
// and what it leads to are the running user's own, the rule the system
// itself applies in shared folders (a link planted by someone else in a
// world-writable folder must not send our reads or writes to a file of
// theirs). The rule is checked on descriptors, at every read and write.

// Reads the vault file: opened once without blocking (a pipe or a device
// reads as Unreadable at once), checked to be a regular file of at most
// kMaxVaultBytes, and read from that same descriptor.
ReadStatus readWholeFile(const QString& path, std::string& content);

// Reads any other file the program reads (pictures): links are followed as
// the system follows them; otherwise as readWholeFile, with its own cap.
ReadStatus readRegularFile(const QString& path, QByteArray& content, qint64 maxBytes);

// Whether the vault path is a regular file holding exactly these bytes.
// Reads the file in small pieces: checking costs no copy of it in memory.
bool fileHolds(const QString& path, std::string_view expected);

// Replaces the file by a temporary file in the same folder: write, flush,
// fsync, rename over it, fsync of the folder. Through a link that passes
// the rule above, the link's target is replaced and the link stays. The
// new file belongs to the running user and is readable and writable by
// that user only (0600), whatever the old one allowed. A file that is
// read-only (no write bit at all, or not writable by this user), a link
// that fails the rule and anything but a regular file are not replaced.
// On failure the old file is intact, no temporary file is left, and false
// is returned; an exception from the producer is passed on the same way.
bool replaceFileAtomically(const QString& path, std::string_view content);

// Same, for content handed over in pieces: produce() calls put() for each,
// so that a large file needs no copy of itself in memory.
using ContentProducer = std::function<void(const std::function<void(std::string_view)>& put)>;
bool replaceFileAtomically(const QString& path, const ContentProducer& produce);

// The steps of a replacement that a test can make fail.
enum class WriteStep { CreateTemp, Write, Sync, Rename };

// Test seam: called before each step; returning true makes that step fail
// as the system would. An empty function restores normal behaviour.
void setWriteFailureForTesting(std::function<bool(WriteStep)> fail);

} // namespace vault
