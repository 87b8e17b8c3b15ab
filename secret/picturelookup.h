#pragma once

#include <QString>
#include <vector>

// An entry of the program's folder as the picture lookup sees it.
struct FolderEntry {
    QString name;
    bool isFile = false; // a regular file (or a link to one), not a folder
};

// Which entry of the folder holds the secret's picture stored as
// storedName: that very name when it is a file; otherwise the one file
// whose name differs from it only in letter case, as the platform the
// vault comes from finds it ("Photo.JPG" copied as "photo.jpg"). Letters
// are those of ASCII and Windows-1252. Empty when there is no such file,
// or more than one and none is the stored name itself.
QString FindPictureFile(const QString& storedName, const std::vector<FolderEntry>& entries);
