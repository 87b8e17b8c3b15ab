#include "picturelocation.h"

#include <QDir>
#include <QFileInfo>
#include <vector>

#include "filesystem.h"
#include "picturelookup.h"

namespace {

std::vector<FolderEntry> folderEntries(const QString& folder)
{
    std::vector<FolderEntry> entries;
    const QFileInfoList infos
        = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : infos)
        entries.push_back({ info.fileName(), info.isFile() });
    return entries;
}

} // namespace

QString LocatePicture(const QString& appDir, const QString& storedName)
{
    if (FileExists(appDir + storedName))
        return appDir + storedName;
    const QString found = FindPictureFile(storedName, folderEntries(appDir));
    return found.isEmpty() ? QString() : appDir + found;
}
