#include "westonsession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "virtualdisplay.h"

WestonSession::WestonSession(QSize size, const QString& log)
{
    if (!m_runtime.isValid() || !m_shots.isValid())
        throw E2eFailure("no temporary folder for Weston");
    // Wayland refuses a runtime folder that others may enter.
    QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    dieWithParent(m_weston);
    m_weston.setProcessEnvironment(env);
    m_weston.setProcessChannelMode(QProcess::MergedChannels);
    m_weston.setStandardOutputFile(log);
    m_weston.start(QStringLiteral("weston"),
        { QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--use-pixman"),
            QStringLiteral("--width=%1").arg(size.width()), QStringLiteral("--height=%1").arg(size.height()),
            QStringLiteral("--socket=") + m_socket, QStringLiteral("--idle-time=0"),
            QStringLiteral("--debug") });
    if (!m_weston.waitForStarted(10000))
        throw E2eFailure("cannot start weston (scripts/install-deps.sh installs it)");

    // Up once its socket exists; what it shows is waited for by screenshots.
    QElapsedTimer clock;
    clock.start();
    const QString socket = m_runtime.filePath(m_socket);
    while (!QFileInfo::exists(socket)) {
        if (clock.elapsed() > 20000 || m_weston.state() == QProcess::NotRunning)
            throw E2eFailure("weston did not start; see " + log.toStdString());
        QThread::msleep(100);
    }
}

WestonSession::~WestonSession()
{
    m_weston.terminate();
    if (!m_weston.waitForFinished(5000)) {
        m_weston.kill();
        m_weston.waitForFinished(5000);
    }
}

QProcessEnvironment WestonSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("DISPLAY"));
    return env;
}

QImage WestonSession::screenshot(const QString& savedAs) const
{
    // weston-screenshooter writes wayland-screenshot-<time>.png into the
    // folder it runs in.
    QDir shots(m_shots.path());
    for (const QString& old : shots.entryList({ QStringLiteral("*.png") }, QDir::Files))
        shots.remove(old);
    QProcess shooter;
    dieWithParent(shooter);
    shooter.setProcessEnvironment(environment());
    shooter.setWorkingDirectory(m_shots.path());
    shooter.start(QStringLiteral("weston-screenshooter"), {});
    if (!shooter.waitForFinished(20000) || shooter.exitCode() != 0)
        throw E2eFailure("weston-screenshooter failed: "
            + QString::fromUtf8(shooter.readAllStandardError()).toStdString());
    const QStringList taken = shots.entryList({ QStringLiteral("*.png") }, QDir::Files);
    if (taken.isEmpty())
        throw E2eFailure("weston-screenshooter saved nothing");
    const QString shot = shots.filePath(taken.constFirst());
    QDir().mkpath(QFileInfo(savedAs).absolutePath());
    QFile::remove(savedAs);
    QFile::copy(shot, savedAs);
    return QImage(shot);
}
