#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "virtualdisplay.h"

// An X11 window manager (openbox, with its stock configuration) running on
// a virtual display, as on a user's desktop: it frames the windows, places
// them, and honours or refuses what they ask for. The manager's frame
// lies around a window: VirtualDisplay::geometry still gives the client
// area, since xwininfo reports the client window's own place.
class WindowManager {
public:
    // Starts the manager and waits until it has taken the display.
    explicit WindowManager(const VirtualDisplay& display);
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // The atoms of a window property, as xprop lists them (for instance
    // _NET_WM_STATE or _NET_WM_ALLOWED_ACTIONS); empty when it is unset.
    QStringList atoms(const QString& window, const QString& property) const;

private:
    const VirtualDisplay& m_display;
    QTemporaryDir m_home;
    QProcess m_process;
};
