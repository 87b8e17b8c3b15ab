#pragma once

#include <QString>

// True for an existing file; false for an absent path or a folder.
bool FileExists(const QString& path);

// True when the path names an existing folder; a trailing separator does not
// matter; false for a file, an absent path or the empty string.
bool FolderExists(const QString& path);
