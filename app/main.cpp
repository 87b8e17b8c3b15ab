#include <QTimer>

#include "kaldrinoapplication.h"
#include "programwindows.h"

int main(int argc, char** argv)
{
    KaldrinoApplication app(argc, argv);
    ProgramWindows windows(ExecutableFolder());

    // The main window is shown from inside the event loop: the setup
    // dialog's Quit, during the gate, ends that loop and so the program.
    QTimer::singleShot(0, &windows.MainForm, [&windows] { windows.MainForm.show(); });
    return app.exec();
}
