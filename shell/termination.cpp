#include "termination.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace {

bool s_requested = false;

// The modal windows shown through ExecModal, outermost first.
std::vector<QPointer<QDialog>>& openModals()
{
    static std::vector<QPointer<QDialog>> modals;
    return modals;
}

} // namespace

void RequestTermination()
{
    s_requested = true;

    // Innermost first, so that each nested loop has been told to end before
    // the one around it.
    auto& modals = openModals();
    for (auto it = modals.rbegin(); it != modals.rend(); ++it) {
        if (QDialog* dialog = it->data(); dialog && dialog->isVisible())
            dialog->reject();
    }
    // A modal window shown some other way (a platform dialog) goes too.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog)
            break;
        dialog->reject();
        if (dialog->isVisible())
            break;
    }

    // exit() rather than quit(): quit() would first try to close the top-level
    // windows, running the main window's close handler (which saves), and it
    // does nothing before the main loop has started. exit() ends every
    // running loop; the posted check ends the main loop if it starts later,
    // as it does when the request comes from the gate before it runs.
    QCoreApplication::exit(0);
    QTimer::singleShot(0, qApp, [] {
        if (s_requested)
            QCoreApplication::exit(0);
    });
}

bool TerminationRequested()
{
    return s_requested;
}

int ExecModal(QDialog& dialog)
{
    if (s_requested)
        return QDialog::Rejected;

    auto& modals = openModals();
    modals.emplace_back(&dialog);
    const int result = dialog.exec();
    modals.erase(std::remove_if(modals.begin(), modals.end(),
                     [&](const QPointer<QDialog>& p) { return p.isNull() || p == &dialog; }),
        modals.end());
    return s_requested ? int(QDialog::Rejected) : result;
}

void resetTerminationForTesting()
{
    s_requested = false;
    openModals().clear();
    // exit() outside the main loop leaves the thread's "quit now" mark set, so
    // every later event loop would return at once; only a run of the main loop
    // clears it.
    if (QThread::currentThread()->loopLevel() == 0) {
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }
}
