#include "mypicturesfolder.h"

#include <QDir>
#include <QStandardPaths>

#include "filesystem.h"

QString MyPicturesFolder()
{
    const QString home = QDir::homePath();
    const QString declared = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    // Qt answers ~/Pictures when user-dirs.dirs declares nothing, whether or
    // not that folder exists, and the home folder when the entry is disabled
    // ("$HOME/"); neither is a pictures folder the desktop really has.
    if (declared.isEmpty() || QDir::cleanPath(declared) == QDir::cleanPath(home) || !FolderExists(declared))
        return home.endsWith(QLatin1Char('/')) ? home : home + QLatin1Char('/');
    return declared;
}
