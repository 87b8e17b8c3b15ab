#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

inline std::string readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

inline void writeBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

inline mode_t fileMode(const QString& path)
{
    struct stat st { };
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

inline QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

inline bool runningAsRoot()
{
    return ::geteuid() == 0;
}
