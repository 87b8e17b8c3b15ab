#pragma once

#include <QString>

// The name under which a chosen picture is copied and stored: its bare
// name, with "_" in place of each character the vault's Windows-1252 text
// cannot hold, of control characters, of a blank at either end and of an
// opening quote matched by a closing one, so that the stored name reads
// back as it was and finds the copy again.
QString StorablePictureName(const QString& bareName);

// The chosen picture's folder as stored, the chooser's next starting place:
// control characters become "_", so that no line break reaches the vault.
QString StorablePictureFolder(const QString& folder);

// Whether a picture stored under this name would take the place of one of
// the program's own files beside it: the vault, its lock and its temporary
// files (all named "kaldrino.ini." and more), the executable (its file name
// is given), the user's guide, the icon and the menu entry. Case is ignored,
// so that no copy lands on them on a file system that ignores it either.
bool IsReservedPictureName(const QString& storedName, const QString& executableName);
