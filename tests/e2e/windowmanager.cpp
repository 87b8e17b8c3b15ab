#include "windowmanager.h"

#include <QElapsedTimer>
#include <QThread>

WindowManager::WindowManager(const VirtualDisplay& display)
    : m_display(display)
{
    // Its own home, so that no user's configuration or cache takes part.
    QProcessEnvironment env = display.environment();
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.path() + QStringLiteral("/cache"));
    dieWithParent(m_process);
    m_process.setProcessEnvironment(env);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("openbox"), { QStringLiteral("--sm-disable") });
    if (!m_process.waitForStarted(10000))
        throw E2eFailure("cannot start openbox (scripts/install-deps.sh installs it)");

    // A manager announces itself by a window named on the root window.
    QElapsedTimer clock;
    clock.start();
    while (!m_display
                .run(QStringLiteral("xprop"),
                    { QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK") })
                .contains(QLatin1String("window id"))) {
        if (clock.elapsed() > 20000 || m_process.state() == QProcess::NotRunning)
            throw E2eFailure("openbox did not take the display");
        QThread::msleep(100);
    }
}

WindowManager::~WindowManager()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QStringList WindowManager::atoms(const QString& window, const QString& property) const
{
    // "_NET_WM_STATE(ATOM) = _NET_WM_STATE_FULLSCREEN, _NET_WM_STATE_ABOVE"
    const QString line
        = m_display.run(QStringLiteral("xprop"), { QStringLiteral("-id"), window, property }).trimmed();
    const qsizetype equals = line.indexOf(QLatin1String(" = "));
    if (equals < 0)
        return {};
    QStringList atoms = line.mid(equals + 3).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& atom : atoms)
        atom = atom.trimmed();
    return atoms;
}
