#include "programrun.h"

ProgramRun::ProgramRun(
    const QString& executable, const VirtualDisplay& display, const QString& home, const QString& log)
{
    QProcessEnvironment env = display.environment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));

    dieWithParent(m_process);
    m_process.setProcessEnvironment(env);
    // Started from elsewhere: the program must find its folder by itself.
    m_process.setWorkingDirectory(home);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(log, QIODevice::Append);
    m_process.start(executable, {});
    if (!m_process.waitForStarted(10000))
        throw E2eFailure("cannot start " + executable.toStdString());
}

ProgramRun::~ProgramRun()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool ProgramRun::running()
{
    return !m_process.waitForFinished(0) && m_process.state() != QProcess::NotRunning;
}

int ProgramRun::waitForExit(std::chrono::milliseconds timeout)
{
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(int(timeout.count())))
        throw E2eFailure("the program did not end within " + std::to_string(timeout.count()) + " ms");
    if (m_process.exitStatus() != QProcess::NormalExit)
        throw E2eFailure("the program crashed");
    return m_process.exitCode();
}
