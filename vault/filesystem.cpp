#include "filesystem.h"

#include <QFileInfo>

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool FolderExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(path).isDir();
}
