#pragma once

#include <QStringView>

// Whether windows shown on this Qt platform need our own title bar. On
// Wayland, Qt draws its own decorations with minimise, maximise and close on
// every window whatever its flags; X11 window managers follow the hints
// the windows set, and the other platforms draw nothing or are not ours.
bool NeedsOwnTitleBar(QStringView platformName);
