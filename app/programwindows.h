#pragma once

#include <QString>

#include "mainform.h"
#include "sgraphpass.h"
#include "sshowgraph.h"

// The program's three windows, created in this order and living for the
// whole run. MainForm is the main window: its first showing runs the access
// gate, and closing it ends the program.
struct ProgramWindows {
    explicit ProgramWindows(const QString& appDir);

    TMainForm MainForm;
    TGraphPass GraphPass;
    TShowGraph ShowGraph;
};

// The folder of the running executable, symbolic links resolved, ending in
// a separator: where the vault file and the secret's picture lie.
QString ExecutableFolder();
