#pragma once

#include <QProcess>
#include <QString>
#include <chrono>

#include "virtualdisplay.h"

// One run of the real kaldrino executable from its folder (its AppDir), on a
// virtual display. The run is killed when the object goes, whatever state
// the program is in.
class ProgramRun {
public:
    // `home` stands for the user's home folder; `log` receives the
    // program's output.
    ProgramRun(
        const QString& executable, const VirtualDisplay& display, const QString& home, const QString& log);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    qint64 pid() const { return m_process.processId(); }
    bool running();
    // Waits for the program to end by itself; returns its exit code.
    int waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));

private:
    QProcess m_process;
};
