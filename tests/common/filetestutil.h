#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Files as tests look at them: whole contents, permission bits, what a
// folder holds.

inline std::string readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

inline bool writeBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

// The permission bits, or 0 when nothing is there.
inline mode_t fileMode(const QString& path)
{
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

// The entry's own inode (a link's, not its target's), or 0 when nothing is
// there: whether a file was replaced or written in place.
inline ino_t fileInode(const QString& path)
{
    struct stat st { };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_ino;
}

// Every entry, hidden ones and pipes included, sorted by name.
inline QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline bool runningAsRoot()
{
    return ::geteuid() == 0;
}
