#include "programwindows.h"

#include <QCoreApplication>
#include <QDir>

#include "accessgate.h"

// GraphPass is handed ShowGraph before ShowGraph is built; it only keeps the
// reference until it is shown, by which time all three windows exist.
ProgramWindows::ProgramWindows(const QString& appDir)
    : MainForm(appDir)
    , GraphPass(MainForm.Fields, ShowGraph)
    , ShowGraph(MainForm.Fields)
{
    MainForm.setGraphPass(&GraphPass);
    MainForm.onFormShow = [this] { RunAccessGate(MainForm, GraphPass, ShowGraph); };
}

QString ExecutableFolder()
{
    const QString folder = QCoreApplication::applicationDirPath();
    const QString real = QDir(folder).canonicalPath();
    return (real.isEmpty() ? folder : real) + QLatin1Char('/');
}
