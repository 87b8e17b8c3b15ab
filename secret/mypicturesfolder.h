#pragma once

#include <QString>

// The user's pictures folder, where the picture chooser opens when no
// earlier folder is stored: the desktop's declared pictures folder
// (XDG_PICTURES_DIR of xdg-user-dirs), returned as the desktop gives it.
// When the desktop declares none, the home folder with a trailing separator
// stands in, as the root of the system drive would.
QString MyPicturesFolder();
