#pragma once

#include <QString>

// Where the secret's picture lies: appDir + storedName when that is a file,
// otherwise appDir + the one file of appDir whose name differs from it only
// in letter case (FindPictureFile). Empty when neither is there.
QString LocatePicture(const QString& appDir, const QString& storedName);
