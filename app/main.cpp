#include <QTimer>

#include "kaldrinoapplication.h"
#include "programwindows.h"
#include "singleinstance.h"

int main(int argc, char** argv)
{
    KaldrinoApplication app(argc, argv);
    SingleInstance instance(ExecutableFolder());
    if (!ClaimVault(instance))
        return 1;
    ProgramWindows windows(ExecutableFolder());

    // The main window is shown from inside the event loop: the setup
    // dialog's Quit, during the gate, ends that loop and so the program.
    QTimer::singleShot(0, &windows.MainForm, [&windows] { windows.MainForm.show(); });
    return app.exec();
}
