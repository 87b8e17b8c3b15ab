#pragma once

#include <QImage>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

// A Wayland desktop for whole-program runs: Weston's headless backend,
// drawn with pixman, with its stock desktop shell (a panel at the top), on a
// private runtime folder (mode 0700) and a socket of its own. Started with
// --debug, so that weston-screenshooter may read the screen. There is no
// way to send input to it from outside; the runs only look.
class WestonSession {
public:
    // Starts Weston at the given size; throws E2eFailure when it does not
    // come up.
    explicit WestonSession(QSize size, const QString& log);
    ~WestonSession(); // stops the compositor
    WestonSession(const WestonSession&) = delete;
    WestonSession& operator=(const WestonSession&) = delete;

    // Environment for a Qt program shown on this compositor.
    QProcessEnvironment environment() const;

    // The whole screen, also saved as a PNG at savedAs.
    QImage screenshot(const QString& savedAs) const;

private:
    QTemporaryDir m_runtime;
    QTemporaryDir m_shots;
    QString m_socket = QStringLiteral("kaldrino-e2e");
    QProcess m_weston;
};
