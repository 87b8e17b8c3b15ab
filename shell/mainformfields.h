#pragma once

#include <QString>

// The main window's fields that the other windows read or set. The main
// window owns them and hands a reference to the windows it creates, so no
// lower window includes the main window's header.
struct MainFormFields {
    QString IniPath; // AppDir + "kaldrino.ini", set by the gate
    QString AppDir; // the executable's folder, ending in a separator
    bool AccessGranted = false; // set by the gate and the setup dialog's OK
};
