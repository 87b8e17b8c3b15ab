#pragma once

#include <QString>
#include <functional>
#include <string>
#include <string_view>

// Whole-file reading and atomic replacement for the vault file.
namespace vault {

enum class ReadStatus {
    Ok, // a regular file, read whole
    Absent, // nothing at that path
    Unreadable, // something is there that could not be read (or over 1 GiB)
};

ReadStatus readWholeFile(const QString& path, std::string& content);

// Whether the path is a regular file holding exactly these bytes. Reads the
// file in small pieces: checking costs no copy of it in memory.
bool fileHolds(const QString& path, std::string_view expected);

// Replaces the file by a temporary file in the same folder: write, flush,
// fsync, rename over it, fsync of the folder. A new file is created for its
// owner only (0600); a replaced one keeps its permission bits. A file that
// is read-only (no write bit at all, or not writable by this user) is not
// replaced. On failure
// the old file is intact, no temporary file is left, and false is returned.
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
